#pragma once

#include <sys/types.h>

#include <cstddef>

namespace velqo {

// Reads extended attribute attr of the entry name of the directory open as
// dir_fd, never following a link in name: one short lookup where lgetxattr
// would walk the whole path again for every entry of a large directory.
// Returns what lgetxattr returns (-1 and errno on failure). A kernel without
// the call gives ENOSYS (and a sandbox's filter may give EPERM): the caller
// then asks by full path.
ssize_t GetXattrAt(int dir_fd, const char* name, const char* attr, char* value, std::size_t size);

// Sets extended attribute attr of the entry name of the directory open as
// dir_fd to size bytes of value, never following a link in name; what
// lsetxattr returns. ENOSYS (or EPERM) as for GetXattrAt.
int SetXattrAt(int dir_fd, const char* name, const char* attr, const char* value, std::size_t size);

// Removes extended attribute attr of the entry name of the directory open
// as dir_fd, never following a link in name; what lremovexattr returns.
// ENOSYS (or EPERM) as for GetXattrAt: the caller then asks by full path.
int RemoveXattrAt(int dir_fd, const char* name, const char* attr);

// Whether errno after GetXattrAt means the call itself is unavailable.
bool XattrAtUnavailable(int error);

// Makes GetXattrAt answer ENOSYS as an older kernel does (true), or try the
// call again (false): the tests run the fallback on kernels that have it.
void SetXattrAtMissing(bool missing);

}  // namespace velqo
