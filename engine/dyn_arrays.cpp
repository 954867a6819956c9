#include "engine/dyn_arrays.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace velqo {

DynArrayStorage::DynArrayStorage(AppState& s, std::int64_t count, const Kind& kind)
    : s_(s), kind_(kind) {
  // The size is kept as a 32-bit byte count; a count whose size does not fit
  // (or a negative one) is treated like an exhausted heap.
  const auto max_count =
      static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max() / kind.element_size);
  if (count >= 0 && count <= max_count) {
    const auto bytes = static_cast<std::size_t>(count) * kind.element_size;
    // Zero-filled although callers fill what they read: a reader that slips
    // then sees empty texts, never stale heap contents. calloc gives a large
    // block as fresh zero pages, so only the elements used take memory.
    storage_.reset(static_cast<unsigned char*>(std::calloc(bytes == 0 ? 1 : bytes, 1)));
  }
  if (storage_ == nullptr) {
    Fail(std::string("Insufficient Memory Available For This Update - ") + kind.tag);
    return;
  }
  count_ = static_cast<int>(count);
  size_bytes_ = static_cast<std::int32_t>(count * static_cast<std::int64_t>(kind.element_size));
}

DynArrayStorage::~DynArrayStorage() = default;

void DynArrayStorage::Free::operator()(unsigned char* p) const { std::free(p); }

void DynArrayStorage::Fail(std::string_view message) {
  s_.host.MessageBox(message, "", Icon::kNone, Buttons::kOk);
  s_.flags.PairStopped = 1;
}

unsigned char* DynArrayStorage::Slot(int index) {
  if (index < 0 || index >= count_) {
    Fail(std::string("Cannot Retreive Data - ") + kind_.tag);
    return nullptr;
  }
  return storage_.get() + static_cast<std::size_t>(index) * kind_.element_size;
}

TDynLongIntArray::TDynLongIntArray(AppState& s, std::int64_t count)
    : DynNumberArray(s, count, "DLIA") {}

TDynWordArray::TDynWordArray(AppState& s, std::int64_t count) : DynNumberArray(s, count, "DWA") {}

TDynSizeArray::TDynSizeArray(AppState& s, std::int64_t count) : DynNumberArray(s, count, "DSA") {}

}  // namespace velqo
