#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/status.h"

namespace velqo {

// Windows attribute bits of host entries. Read-only is the owner-write
// permission bit; hidden is a leading "." or a stored flag; hidden, system
// and archive are stored in an extended attribute, or on vfat in the file
// system's own FAT attributes.
class AttributeStore {
 public:
  // The extended attribute holding the flags (decimal text).
  static constexpr const char* kXattrName = "user.velqo.attrib";

  // st is the entry's lstat; name its host name; a drive root is always
  // reported as a plain directory.
  std::uint32_t Read(const std::string& host, const struct stat& st, std::string_view name, bool is_root);
  // Sets read-only, hidden, system and archive (0 or 128: all cleared).
  // Fails when a flag cannot be stored on that entry or file system.
  Status Write(const std::string& host, const struct stat& st, std::string_view name, std::uint32_t attributes);

 private:
  bool IsVfat(const std::string& host, dev_t dev);
  Status WriteVfat(const std::string& host, const struct stat& st, std::uint32_t attributes);
  std::unordered_map<dev_t, bool> vfat_;
};

}  // namespace velqo
