#include "engine/empty_source.h"

#include <memory>
#include <string>

#include "actions/update_log.h"
#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

enum class Contents { kEmpty, kSomething, kUnknown };

Contents ContentsOf(AppState& s, std::string_view dir) {
  std::unique_ptr<DirSearch> search;
  if (!s.fs.FindFirst(SearchPattern(dir), kMaskEverything, &search).ok() || !search) return Contents::kUnknown;
  FindData entry;
  while (search->Next(&entry)) {
    if (entry.name != "." && entry.name != "..") return Contents::kSomething;
  }
  return search->Unusable().empty() ? Contents::kEmpty : Contents::kSomething;
}

bool UserGoesOn(AppState& s, std::string_view dir1, std::string_view dir2) {
  std::string text = "Directory Path 1 ";
  text += dir1;
  text += " Is Empty, While Directory Path 2 ";
  text += dir2;
  text += " Is Not.  A CleanUp Would Delete Everything In Directory Path 2 - ";
  text += "Is The Disk Of Directory Path 1 Mounted?  Do You Wish To Go Ahead Anyway?";
  return s.host.AskDefaultNo(text, "Caution!") == Answer::kYes;
}

void LogRefusal(AppState& s, std::string_view dir2) {
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  WriteLogLine(s, "!!! Dir 1 Is Empty - Nothing Was Deleted By CleanUp In The Directory Below !!!");
  WriteLogLine(s, dir2);
  s.flags.ErrorLogged = 1;
}

}  // namespace

bool EmptySourceMayGoOn(AppState& s, std::string_view dir1, std::string_view dir2) {
  if (s.opt.ActiveOptions.CleanUp != 1) return true;
  // What cannot be read is reported by the pair itself.
  if (ContentsOf(s, dir1) != Contents::kEmpty || ContentsOf(s, dir2) != Contents::kSomething) return true;
  if (s.opt.ActiveOptions.JFDI == 1) {
    if (s.sw.AllowEmptySource == 1) return true;
  } else if (UserGoesOn(s, dir1, dir2)) {
    return true;
  }
  LogRefusal(s, dir2);
  return false;
}

}  // namespace velqo
