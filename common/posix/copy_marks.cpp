#include "common/posix/copy_marks.h"

#include <sys/xattr.h>

#include <cerrno>

#include "common/posix/xattr_at.h"

namespace velqo {

bool ReadMark(int dir_fd, const std::string& proc_dir, const char* name, const char* attr, std::string* value) {
  char buffer[512];
  ssize_t n = GetXattrAt(dir_fd, name, attr, buffer, sizeof buffer);
  if (n < 0 && XattrAtUnavailable(errno)) {
    n = lgetxattr((proc_dir + "/" + name).c_str(), attr, buffer, sizeof buffer);
  }
  if (n < 0) return false;
  value->assign(buffer, static_cast<std::size_t>(n));
  return true;
}

bool WriteMark(const std::string& proc_dir, const char* name, const char* attr, const std::string& value) {
  return lsetxattr((proc_dir + "/" + name).c_str(), attr, value.data(), value.size(), 0) == 0;
}

void RemoveMark(const std::string& proc_dir, const char* name, const char* attr) {
  lremovexattr((proc_dir + "/" + name).c_str(), attr);
}

}  // namespace velqo
