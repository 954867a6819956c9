#include "common/copy_marks.h"

#include <sys/xattr.h>

#include <cerrno>

#include "common/xattr_at.h"

namespace velqo {

std::string PendingMarkText(const struct timespec& carried) {
  return std::to_string(static_cast<long long>(carried.tv_sec)) + "." + std::to_string(carried.tv_nsec);
}

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

bool CarriesPendingMark(int dir_fd, const std::string& proc_dir, const char* name, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return false;
  std::string value;
  return ReadMark(dir_fd, proc_dir, name, kPendingMark, &value) && value == PendingMarkText(st.st_mtim);
}

}  // namespace velqo
