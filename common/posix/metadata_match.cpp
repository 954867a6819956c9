#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix/metadata.h"
#include "common/posix/posix_impl.h"

namespace velqo {

Status PosixPlatform::MatchMetadata(std::string_view from, std::string_view to, bool* carried) {
  *carried = false;
  ResolvedPath src;
  Status st = LocateExisting(from, &src);
  if (!st.ok()) return st;
  ResolvedPath dst;
  st = LocateExisting(to, &dst);
  if (!st.ok()) return st;
  // Links keep what their copies keep; a file that is its own source has
  // nothing to be given.
  if (!S_ISREG(src.st.st_mode) || !S_ISREG(dst.st.st_mode)) return Status::Ok();
  if (src.st.st_dev == dst.st.st_dev && src.st.st_ino == dst.st.st_ino) return Status::Ok();
  // Read-only is the target's own attribute, settled by the caller's
  // rules; only a copy may change it.
  struct stat wanted = src.st;
  wanted.st_mode = (src.st.st_mode & ~static_cast<mode_t>(S_IWUSR)) | (dst.st.st_mode & S_IWUSR);
  // Most files are alike: that is found without opening either.
  if (!MetadataDiffersAt(src.ProcPath(), dst.ProcPath(), wanted, dst.st, fidelity_, ids_)) return Status::Ok();
  constexpr int kOpen = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  const int in = openat(src.at_fd(), src.at_name(), kOpen);
  if (in < 0) return Status::FromErrno(errno, "open " + src.host);
  const int out = openat(dst.at_fd(), dst.at_name(), kOpen);
  if (out < 0) {
    const int err = errno;
    close(in);
    return Status::FromErrno(err, "open " + dst.host);
  }
  struct stat source;
  struct stat target;
  if (fstat(in, &source) == 0 && fstat(out, &target) == 0 && S_ISREG(source.st_mode) && S_ISREG(target.st_mode)) {
    // Read-only is the target's own attribute, settled by the caller's
    // rules; only a copy may change it.
    source.st_mode = (source.st_mode & ~static_cast<mode_t>(S_IWUSR)) | (target.st_mode & S_IWUSR);
    if (MetadataDiffers(in, out, source, target, fidelity_, ids_)) {
      CarryMetadata(in, out, source, fidelity_, ids_, &not_kept_);
      *carried = true;
    }
  }
  close(in);
  close(out);
  return Status::Ok();
}

}  // namespace velqo
