#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "common/platform/platform.h"

namespace velqo {

// Copies the data of in to out (the kernel's copy path where it helps, a
// plain read and write otherwise), reporting long copies to progress;
// false with errno set when it fails.
bool CopyData(int in, int out, std::uint64_t total, const CopyProgress& progress);

// Copies the data of in (total bytes long) to out at the same offsets,
// leaving out the holes of in, so that a sparse file stays sparse: only
// the ranges that hold data are written, and the size makes the rest.
bool CopySparse(int in, int out, std::uint64_t total, const CopyProgress& progress);

// Gives the file open as fd the owner and group of source where the
// process may (root), as cp -a and rsync -a do; elsewhere the file stays
// the user's own.
void CarryOwner(int fd, const struct stat& source);

}  // namespace velqo
