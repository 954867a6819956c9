#include "common/posix/posix_impl.h"

namespace velqo {

Status PosixPlatform::GetAttributes(std::string_view path, std::uint32_t* attributes) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  *attributes = AttributesOf(r);
  return Status::Ok();
}

Status PosixPlatform::SetAttributes(std::string_view path, std::uint32_t attributes) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot()) return Status::AccessDenied("the attributes of a drive root are fixed");
  // Through the directory's handle: no link on the way is followed.
  if (r.is_top) return attributes_.Write(r.ProcPath(), r.st, r.name, attributes);
  return attributes_.Write(r.ProcPath(), r.st, r.name, attributes, r.at_fd(), r.at_name());
}

}  // namespace velqo
