#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/text/status.h"

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
  // One read of an entry's stored value, as the kernel answered it.
  struct StoredValue {
    ssize_t size = -1;
    int error = 0;
    char text[16] = {};
  };
  // Reads the stored value of the entry name of the directory open as
  // dir_fd. It touches nothing of the store, so a search may read the
  // values of many entries on several threads at once.
  static void ReadStoredAt(int dir_fd, const char* name, StoredValue* out);
  // Whether entries on device dev (host is a path on it) keep their flags in
  // the stored value, so that ReadStoredAt is worth calling for them.
  bool KeepsFlagsInStoredValue(const std::string& host, dev_t dev) { return !IsVfat(host, dev); }

  // Read for the entry name of a directory open as dir_fd, whose host path
  // is dir_host: a search asks relative to the directory it reads. stored is
  // the entry's stored value when read already, or nullptr.
  std::uint32_t ReadAt(int dir_fd, std::string_view dir_host, const char* name, const struct stat& st,
                       const StoredValue* stored = nullptr);
  // The same for an entry reached as at_name of dir_fd whose own name is
  // name (a top directory is reached as "." of its own handle).
  std::uint32_t ReadEntry(int dir_fd, std::string_view dir_host, const char* at_name, std::string_view name,
                          const struct stat& st);
  // What the entry itself tells, without the flags kept apart from it:
  // directory, read-only, a link, hidden for a leading ".". For searches
  // whose caller looks at no other flag.
  static std::uint32_t ReadWithoutFlags(const struct stat& st, std::string_view name);
  // Sets read-only, hidden, system and archive (0 or 128: all cleared).
  // Fails when a flag cannot be stored on that entry or file system.
  // dir_fd and at_name, when given, reach the same entry through its
  // directory's handle, for the calls that can take one.
  Status Write(const std::string& host, const struct stat& st, std::string_view name, std::uint32_t attributes,
               int dir_fd = -1, const char* at_name = nullptr);

 private:
  class Place;
  std::uint32_t ReadPlace(const Place& place, const struct stat& st, std::string_view name,
                          const StoredValue* stored);
  bool IsVfat(const Place& place, dev_t dev);
  bool IsVfat(const std::string& host, dev_t dev);
  Status WriteVfat(const std::string& host, const struct stat& st, std::uint32_t attributes);
  std::unordered_map<dev_t, bool> vfat_;
};

}  // namespace velqo
