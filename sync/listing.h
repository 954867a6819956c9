#pragma once

#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/text/path_rules.h"
#include "common/text/status.h"
#include "sync/entry.h"

namespace velqo::sync {

struct Listed {
  std::string name;  // as the file system spells it
  Entry entry;
};

// What a directory search reports of one entry, as the sync compares it.
Entry EntryOf(const FindData& found);

// Lists every entry of the directory dir (hidden and system ones too, links
// as links), sorted by name byte by byte. below_top is where dir lies below
// the tops ("" at the top, names joined by "/"); entries that rules exclude
// take no part. Fails as the search fails: a listing is complete or it is
// an error, never taken for the truth when cut short.
Status ListDirectory(Platform& fs, const PathRules& rules, const std::string& below_top,
                     const std::string& dir, std::vector<Listed>* out);

}  // namespace velqo::sync
