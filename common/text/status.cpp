#include "common/text/status.h"

#include <cerrno>
#include <cstring>

namespace velqo {

Status Status::FromErrno(int err, std::string_view context) {
  std::string msg(context);
  msg += ": ";
  msg += std::strerror(err);
  switch (err) {
    case ENOENT: return FileNotFound(std::move(msg));
    case ENOTDIR: return PathNotFound(std::move(msg));
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY: return AccessDenied(std::move(msg));
    case EEXIST: return AlreadyExists(std::move(msg));
    case ENOTEMPTY: return NotEmpty(std::move(msg));
    case ENOSPC:
    case EDQUOT: return NoSpace(std::move(msg));
    case ENAMETOOLONG: return TooLong(std::move(msg));
    case EINVAL: return InvalidArgument(std::move(msg));
    case ENOTSUP: return NotSupported(std::move(msg));
    case ELOOP: return LinkRefused(std::move(msg));
    default: return IOError(std::move(msg));
  }
}

std::string Status::ToString() const {
  static const char* const kNames[] = {
      "OK", "file not found", "path not found", "access denied", "already exists", "not empty",
      "no space", "too long", "invalid argument", "I/O error", "not supported",
      "names differ only in case", "symbolic link refused",
      "too large"};
  std::string s = kNames[static_cast<int>(code_)];
  if (!message_.empty()) {
    s += " (";
    s += message_;
    s += ")";
  }
  return s;
}

}  // namespace velqo
