#pragma once

#include <sys/stat.h>

#include <ctime>
#include <string>

namespace velqo {

// Marks the layer keeps with files in extended attributes, so that they
// outlive the run that made them.

// A copy renamed into place before its data was flushed carries the
// provisional time it was given. It is pending while the mark is there
// and the file still carries that time: then it is no old version of the
// user's (an interrupted run may have left it torn), and the next run
// copies it again without backing it up. Once flushed it gets its real
// time, which ends the pending state even where the mark stays behind.
inline constexpr const char* kPendingMark = "user.velqo.pending";
// A backup made by the layer names the file it is the backup of, so that
// a later backup of that file may replace it, and nothing else may.
inline constexpr const char* kBackupMark = "user.velqo.backup";

// The text of a pending mark for the time a copy carries.
std::string PendingMarkText(const struct timespec& carried);

// Reads attribute attr of the entry name of the directory open as dir_fd
// (proc_dir is that directory's path through its handle, for kernels
// without the relative call), never following a link. Returns the value,
// or false with errno (ENODATA: none, ENOTSUP: the file system has none).
bool ReadMark(int dir_fd, const std::string& proc_dir, const char* name, const char* attr, std::string* value);
// Sets or removes attribute attr of that entry, never following a link.
bool WriteMark(const std::string& proc_dir, const char* name, const char* attr, const std::string& value);
void RemoveMark(const std::string& proc_dir, const char* name, const char* attr);

// Whether the entry (st its lstat) is a copy of a run that has not flushed it.
bool CarriesPendingMark(int dir_fd, const std::string& proc_dir, const char* name, const struct stat& st);

}  // namespace velqo
