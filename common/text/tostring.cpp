#include "common/text/tostring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace velqo {

TOstring::TOstring(std::uint32_t capacity)
    : capacity_(std::min(capacity, kMaxCapacity)), buffer_(new char[capacity_ + 1]) {
  buffer_[0] = '\0';
}

TOstring::~TOstring() = default;

void TOstring::Append(std::string_view text) {
  // A zero ends the text, as for operation 1, so that Length() always
  // matches the zero-terminated Text().
  text = text.substr(0, text.find('\0'));
  const std::uint32_t room = capacity_ - length_;
  const std::uint32_t n = static_cast<std::uint32_t>(std::min<std::size_t>(room, text.size()));
  // An empty view may carry no pointer at all, which memcpy must not see.
  if (n > 0) std::memcpy(buffer_.get() + length_, text.data(), n);
  length_ += n;
  buffer_[length_] = '\0';
}

void TOstring::Append(const char* text) {
  if (text != nullptr) Append(std::string_view(text));
}

void TOstring::AppendCounted(std::string_view text) {
  // A counted text holds at most 255 characters; it goes through a scratch
  // buffer of 256 and then through the zero-terminated append.
  char scratch[256];
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  if (n > 0) std::memcpy(scratch, text.data(), n);
  scratch[n] = '\0';
  Append(static_cast<const char*>(scratch));
}

void TOstring::AppendBuilder(const TOstring& other) { Append(other.Text()); }

void TOstring::AppendInt(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (width > 0 && digits.size() < static_cast<std::size_t>(width)) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
  }
  AppendCounted(digits);
}

void TOstring::AppendInt2(std::int64_t value, int width) { AppendInt(value, width); }

void TOstring::AppendReal(double value, int width, int decimals) {
  char text[400];
  decimals = std::clamp(decimals, 0, 30);
  width = std::clamp(width, 0, 255);
  std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
  AppendCounted(text);
}

void TOstring::AppendHexByte(std::uint8_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  const char text[3] = {kDigits[value >> 4], kDigits[value & 15], '\0'};
  AppendCounted(text);
}

void TOstring::AppendHexWord(std::uint16_t value) {
  AppendHexByte(static_cast<std::uint8_t>(value >> 8));
  AppendHexByte(static_cast<std::uint8_t>(value & 0xFF));
}

void TOstring::Clear() {
  length_ = 0;
  buffer_[0] = '\0';
}

std::uint32_t TOstring::Length() const { return length_; }

void TOstring::AppendCrLf() { AppendCounted("\r\n"); }

const char* TOstring::Text() const { return buffer_.get(); }

}  // namespace velqo
