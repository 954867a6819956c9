#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The numbers of one directory pair's file lists live in these arrays,
// sized once from a count worked out just before. They exist so
// that an exhausted heap or a bad index ends the current directory pair with
// a message instead of ending the program: a failed creation or a refused
// access shows a plain message box and sets PairStopped, which the caller
// tests. There is no resizing; a caller that needs more room creates a new
// array. Used only on the user-interface thread.
class DynArrayStorage {
 public:
  DynArrayStorage(const DynArrayStorage&) = delete;
  DynArrayStorage& operator=(const DynArrayStorage&) = delete;

  // False when the storage could not be reserved (the message has been shown).
  bool Valid() const { return storage_ != nullptr; }
  // Elements reserved; 0 after a failed creation.
  int Count() const { return count_; }
  // Size of the storage in bytes.
  std::int32_t SizeInBytes() const { return size_bytes_; }

 protected:
  struct Kind {
    std::size_t element_size;
    const char* tag;  // "DLIA", "DSA", ...: names the array in its messages
  };
  DynArrayStorage(AppState& s, std::int64_t count, const Kind& kind);
  ~DynArrayStorage();

  // The element at index, or nullptr after showing the access message.
  unsigned char* Slot(int index);

 private:
  void Fail(std::string_view message);

  AppState& s_;
  Kind kind_;
  int count_ = 0;
  std::int32_t size_bytes_ = 0;
  struct Free {
    void operator()(unsigned char* p) const;
  };
  std::unique_ptr<unsigned char[], Free> storage_;
};

// Fixed-width numbers; a refused index gives a scratch element holding 0.
template <typename Number>
class DynNumberArray : public DynArrayStorage {
 public:
  Number& Item(int index) {
    if (unsigned char* slot = Slot(index)) return *reinterpret_cast<Number*>(slot);
    scratch_ = 0;
    return scratch_;
  }

 protected:
  DynNumberArray(AppState& s, std::int64_t count, const char* tag)
      : DynArrayStorage(s, count, Kind{sizeof(Number), tag}) {}

 private:
  Number scratch_ = 0;
};

// 32-bit values of one directory's files: packed date and time.
class TDynLongIntArray : public DynNumberArray<std::int32_t> {
 public:
  TDynLongIntArray(AppState& s, std::int64_t count);
};

// The FileState of each file of one directory (4-byte elements despite the name).
class TDynWordArray : public DynNumberArray<std::int32_t> {
 public:
  TDynWordArray(AppState& s, std::int64_t count);
};

// File sizes of one directory, 64-bit so that no size is ever cut.
class TDynSizeArray : public DynNumberArray<std::int64_t> {
 public:
  TDynSizeArray(AppState& s, std::int64_t count);
};

}  // namespace velqo
