#pragma once

#include <sys/xattr.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace velqo {

// Whether the file system holding dir stores user extended attributes
// (tmpfs before Linux 6.6 does not); the stored hidden, system and archive
// flags need them.
inline bool StoresExtendedAttributes(const std::string& dir) {
  const std::string probe = dir + "/.xattr-probe";
  { std::ofstream(probe) << "p"; }
  const bool ok = setxattr(probe.c_str(), "user.velqo.probe", "1", 1, 0) == 0;
  std::remove(probe.c_str());
  return ok;
}

}  // namespace velqo
