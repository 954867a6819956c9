#pragma once

#include <sys/stat.h>

#include <string>

namespace velqo {

// Marks the layer keeps with files in extended attributes, so that they
// outlive the run that made them.

// A backup made by the layer names the file it is the backup of, so that
// a later backup of that file may replace it, and nothing else may.
inline constexpr const char* kBackupMark = "user.velqo.backup";

// Reads attribute attr of the entry name of the directory open as dir_fd
// (proc_dir is that directory's path through its handle, for kernels
// without the relative call), never following a link. Returns the value,
// or false with errno (ENODATA: none, ENOTSUP: the file system has none).
bool ReadMark(int dir_fd, const std::string& proc_dir, const char* name, const char* attr, std::string* value);
// Sets or removes attribute attr of that entry, never following a link.
bool WriteMark(const std::string& proc_dir, const char* name, const char* attr, const std::string& value);
void RemoveMark(const std::string& proc_dir, const char* name, const char* attr);

}  // namespace velqo
