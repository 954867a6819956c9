#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace velqo {

// Bounded text builder. The capacity is fixed at creation (at most 65535) and
// is the most characters the builder will ever hold: every append silently
// drops what does not fit. The operations are virtual, in this fixed order,
// so that a subclass can change one of them without touching the others.
class TOstring {
 public:
  static constexpr std::uint32_t kMaxCapacity = 65535;

  explicit TOstring(std::uint32_t capacity);
  virtual ~TOstring();                                    // 0
  TOstring(const TOstring&) = delete;
  TOstring& operator=(const TOstring&) = delete;

  virtual void Append(const char* text);                  // 1 zero-terminated text
  virtual void AppendCounted(std::string_view text);      // 2 at most 255 characters
  virtual void AppendBuilder(const TOstring& other);      // 3
  virtual void AppendInt(std::int64_t value, int width);  // 4 right-aligned, never cut to width
  virtual void AppendInt2(std::int64_t value, int width); // 5 the same as 4
  virtual void AppendReal(double value, int width, int decimals);  // 6
  virtual void AppendHexByte(std::uint8_t value);         // 7 two upper-case digits
  virtual void AppendHexWord(std::uint16_t value);        // 8 four digits, high byte first
  virtual void Clear();                                   // 9
  virtual std::uint32_t Length() const;                   // 10
  virtual void AppendCrLf();                              // 11
  virtual const char* Text() const;                       // 12

  std::uint32_t Capacity() const { return capacity_; }
  std::string_view View() const { return std::string_view(buffer_.get(), length_); }

  // Appends a text view as operation 1 does: up to any zero, cut at the capacity.
  void Append(std::string_view text);

 private:
  std::uint32_t capacity_;
  std::uint32_t length_ = 0;
  std::unique_ptr<char[]> buffer_;
};

}  // namespace velqo
