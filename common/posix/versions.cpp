#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix/posix_impl.h"

namespace velqo {

namespace {

// Errors of linkat that mean no second name can be made here: another file
// system below the top, one without hard links, or a file the kernel will
// not let this user link.
bool NoSecondName(int err) {
  return err == EXDEV || err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == EMLINK;
}

}  // namespace

Status PosixPlatform::MakeVersionDirectories(std::string_view version) {
  WindowsPath parsed;
  Status st = ParseWindowsPath(version, current_dir_, &parsed);
  if (!st.ok()) return st;
  WindowsPath prefix{parsed.drive, {}};
  for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i) {
    prefix.parts.push_back(parsed.parts[i]);
    ResolvedPath r;
    st = resolver_.Resolve(prefix, &r);
    if (!st.ok()) return st;
    if (r.exists) {
      if (!S_ISDIR(r.st.st_mode)) return Status::AccessDenied("not a directory: " + r.host);
      continue;
    }
    // Nobody but the user reads what the trees used to hold.
    st = MakeDirectory(prefix.Format(), 0700, &r);
    if (!st.ok() && st.code() != Status::Code::kAlreadyExists) return st;
  }
  return Status::Ok();
}

Status PosixPlatform::KeepVersion(std::string_view path, std::string_view version, VersionKeep how) {
  ResolvedPath src;
  Status st = LocateExisting(path, &src);
  if (!st.ok()) return st;
  if (src.is_top || S_ISDIR(src.st.st_mode)) return Status::AccessDenied("a directory: " + std::string(path));
  st = MakeVersionDirectories(version);
  if (!st.ok()) return st;
  ResolvedPath dst;
  st = Locate(version, &dst);
  if (!st.ok()) return st;
  if (dst.is_top) return Status::AccessDenied("a top directory of the run: " + std::string(version));
  if (dst.exists) return Status::AlreadyExists(std::string(version));
  if (!dst.parent_exists) return Status::PathNotFound(std::string(version));
  // A rename, or where it cannot be one, a durable copy before the original goes.
  if (how == VersionKeep::kMove) return MoveFile(path, version);
  const int err = ChangeEntry(dst, EntryChange::kAdds, [&] {
    return linkat(src.at_fd(), src.at_name(), dst.at_fd(), dst.at_name(), 0) == 0;
  });
  if (err == 0) return Status::Ok();
  if (!NoSecondName(err)) return Status::FromErrno(err, "keep " + src.host + " as " + dst.host);
  st = CopyFile(path, version);
  if (st.ok()) st = FlushCopies();
  return st;
}

}  // namespace velqo
