#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace velqo {

// The result of a platform operation: cheap to copy, ok() or one error code
// with a short description for messages and test failures.
class Status {
 public:
  enum class Code {
    kOk,
    kFileNotFound,    // the last component does not exist
    kPathNotFound,    // a directory on the way does not exist
    kAccessDenied,    // read-only, permission, or the Windows rules the layer enforces
    kAlreadyExists,
    kNotEmpty,
    kNoSpace,
    kTooLong,         // a path or name does not fit its fixed array
    kInvalidArgument,
    kIOError,
    kNotSupported,
    kAmbiguous,       // names that differ only in case: none may stand for the other
    kLinkRefused,     // a symbolic link below a top, where none is ever followed
    kTooLarge,        // a file beyond the size its reader accepts
  };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status FileNotFound(std::string msg = {}) { return Status(Code::kFileNotFound, std::move(msg)); }
  static Status PathNotFound(std::string msg = {}) { return Status(Code::kPathNotFound, std::move(msg)); }
  static Status AccessDenied(std::string msg = {}) { return Status(Code::kAccessDenied, std::move(msg)); }
  static Status AlreadyExists(std::string msg = {}) { return Status(Code::kAlreadyExists, std::move(msg)); }
  static Status NotEmpty(std::string msg = {}) { return Status(Code::kNotEmpty, std::move(msg)); }
  static Status NoSpace(std::string msg = {}) { return Status(Code::kNoSpace, std::move(msg)); }
  static Status TooLong(std::string msg = {}) { return Status(Code::kTooLong, std::move(msg)); }
  static Status InvalidArgument(std::string msg = {}) { return Status(Code::kInvalidArgument, std::move(msg)); }
  static Status IOError(std::string msg = {}) { return Status(Code::kIOError, std::move(msg)); }
  static Status NotSupported(std::string msg = {}) { return Status(Code::kNotSupported, std::move(msg)); }
  static Status Ambiguous(std::string msg = {}) { return Status(Code::kAmbiguous, std::move(msg)); }
  static Status LinkRefused(std::string msg = {}) { return Status(Code::kLinkRefused, std::move(msg)); }
  static Status TooLarge(std::string msg = {}) { return Status(Code::kTooLarge, std::move(msg)); }

  // Turns an errno value into a status; context names the operation and path.
  static Status FromErrno(int err, std::string_view context);

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  const std::string& message() const { return message_; }
  std::string ToString() const;

 private:
  Status(Code code, std::string msg) : code_(code), message_(std::move(msg)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

}  // namespace velqo
