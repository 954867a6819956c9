#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The directory and file lists of one walk or one directory pair live in
// these arrays, sized once from a count worked out just before. They exist so
// that an exhausted heap or a bad index ends the current directory pair with
// a message instead of ending the program: a failed creation or a refused
// access shows a plain message box and sets PairStopped, which the caller
// tests. There is no resizing; a caller that needs more room creates a new
// array. Used only on the user-interface thread.
class DynArrayStorage {
 public:
  static constexpr int kLargestDirectoryIndex = 10001;
  static constexpr int kLargestEntryIndex = 20001;

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
    int largest_index;
    const char* tag;  // "DDA", "DFA", ...: names the array in its messages
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

// Zero-terminated texts of at most 256 characters in 257-character elements.
class DynTextArray : public DynArrayStorage {
 public:
  static constexpr std::size_t kElementSize = 257;

  // The element for reading and writing in place. A refused index gives a
  // scratch element holding the refusal text, so a caller comparing names
  // goes on safely until it sees PairStopped.
  char* Item(int index);
  // Copies text into an element; false when the index is refused or the text
  // does not fit (more than 256 characters, or a zero), leaving it unchanged.
  [[nodiscard]] bool Store(int index, std::string_view text);

 protected:
  DynTextArray(AppState& s, std::int64_t count, const Kind& kind, const char* refused_text);

 private:
  const char* refused_text_;
  char scratch_[kElementSize] = {};
};

// Directory paths of a walk (indexes 0 to 10001).
class TDynDirectoryArray : public DynTextArray {
 public:
  TDynDirectoryArray(AppState& s, std::int64_t count);
};

// File names of one directory (indexes 0 to 20001); a refused index reads
// as "Invalid File".
class TDynFileArray : public DynTextArray {
 public:
  TDynFileArray(AppState& s, std::int64_t count);
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
      : DynArrayStorage(s, count, Kind{sizeof(Number), kLargestEntryIndex, tag}) {}

 private:
  Number scratch_ = 0;
};

// 32-bit values of one directory's files: packed date and time (indexes 0 to 20001).
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
