#include <string>
#include <vector>

#include "common/text/tostring.h"
#include "engine/empty_source.h"
#include "engine/reconcile_pair.h"
#include "engine/run_internal.h"

namespace velqo {

namespace {

// A batch stops before an item on a Cancel, and also when the user was
// told that the update ends (the disk-space and directory-creation Cancels
// and a missing root raise EndRunRequested with such a message).
bool BatchShouldStop(const AppState& s) {
  return s.flags.CancelRequested == 1 || s.flags.EndRunRequested == 1;
}

// Fills Path1 and Path2 from an item; false (reported) when its Dir 2 text
// cannot be a path. A Dir 1 text that cannot be taken stays empty and gets
// the item's "Must Exist" message.
bool TakeItem(AppState& s, std::string_view item) {
  const BatchItem split = SplitBatchItem(item);
  (void)TakeTypedPath(s, split.dir1, &s.Path1);
  const bool taken = TakeTypedPath(s, split.dir2, &s.Path2);
  PinRunTops(s);
  if (taken) return true;
  s.host.MessageBox("Directory Path 2 is invalid - please respecify", "Error", Icon::kWarning,
                    Buttons::kOk);
  return false;
}

void ShowMissingDir1(AppState& s, int number) {
  TOstring text(500);
  text.Append("The Dir1 Directory ");
  text.Append(" Associated With DirPair");
  text.AppendInt(number, 3);
  text.Append(" Must Exist.");
  s.host.MessageBox(text.View(), "Error", Icon::kWarning, Buttons::kOk);
}

void ShowPairStatus(AppState& s) {
  std::string text = "Updating Directory ";
  text += s.Path1.view();
  s.host.SetStatusText(text);
  s.host.PumpEvents();
}

void RunSingleItem(AppState& s, std::string_view item, int number) {
  if (!TakeItem(s, item)) return;
  ShowPairStatus(s);
  if (IsExistingDir(s, s.Path1.view())) {
    if (EmptySourceMayGoOn(s, s.Path1.view(), s.Path2.view())) ReconcilePair(s);
  } else {
    ShowMissingDir1(s, number);
  }
}

// The structure test of a batch item: Dir 2 with Dir 1's drive letter must
// be Dir 1 itself.
bool SameStructureAsItem(const AppState& s) {
  if (s.Path1.empty() || s.Path2.empty()) return false;
  PathText moved = s.Path2;
  moved.SetChar(0, s.Path1[0]);
  return moved.view() == s.Path1.view();
}

void RunWalkItem(AppState& s, std::string_view item, int number) {
  if (!TakeItem(s, item)) return;
  const bool same_structure = SameStructureAsItem(s);
  const bool exists = IsExistingDir(s, s.Path1.view());
  if (!exists) ShowMissingDir1(s, number);
  ShowPairStatus(s);
  if (!exists) return;
  if (s.opt.ActiveOptions.UseDir1 == 1) {
    if (EmptySourceMayGoOn(s, s.Path1.view(), s.Path2.view())) ReconcilePair(s);
  } else if (s.opt.ActiveOptions.UseDir1And == 1 || s.opt.ActiveOptions.UseSubOnly == 1) {
    const std::string root1 = s.Path1.str();
    const std::string root2 = s.Path2.str();
    RunDirectoryWalk(s, root1, root2, same_structure, WalkOrigin::kBatchItem);
  }
}

template <typename RunItem>
void RunBatch(AppState& s, RunItem run_item) {
  s.flags.EndRunRequested = 0;
  const std::vector<std::string> items = s.host.DirPairItems();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (BatchShouldStop(s)) break;
    run_item(s, items[i], static_cast<int>(i + 1));
    // A missing drive ends its own pair (or walk), not the batch.
    if (s.flags.RootMissing == 1) {
      s.flags.RootMissing = 0;
      s.flags.EndRunRequested = 0;
    }
  }
}

}  // namespace

BatchItem SplitBatchItem(std::string_view item) {
  std::size_t cut = item.find('!');
  if (cut == std::string_view::npos) cut = item.find(' ');
  // Without a separator there is no Dir 1 text.
  if (cut == std::string_view::npos) return BatchItem{std::string(), std::string(item)};
  return BatchItem{std::string(item.substr(0, cut)), std::string(item.substr(cut + 1))};
}

void RunBatchOfPairs(AppState& s) { RunBatch(s, RunSingleItem); }

void RunBatchWithWalks(AppState& s) { RunBatch(s, RunWalkItem); }

}  // namespace velqo
