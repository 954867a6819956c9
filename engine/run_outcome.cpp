#include "actions/update_log.h"
#include "common/text/tostring.h"
#include "engine/run_internal.h"

namespace velqo {

namespace {

struct OutcomeTexts {
  std::string_view status;
  std::string_view log_first;
  std::string_view log_second;
};

constexpr OutcomeTexts kCompleted{"Update Completed",
                                  "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Completed  !!!!",
                                  "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"};
constexpr OutcomeTexts kCancelled{"Update Cancelled",
                                  "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Cancelled  !!!!",
                                  "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"};
constexpr OutcomeTexts kFailed{"Update Failed - Check Log File",
                               "!!!!!!!!!!!!!!!!!!!!!!!!!!!  Update Failed  !!!!",
                               "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"};
constexpr OutcomeTexts kNothingToDo{"No Update Necessary Under Selected Options",
                                    "!!!!!!!!!!!!!! No Update Necessary Under Selected ",
                                    "Options !!!!!!!!!!!!!!!!!!!!!!!!!"};

bool On(std::int32_t flag) { return flag == 1; }

// PairStopped, NothingToUpdate and NoActionTaken are those the last pair
// left behind.
UpdateOutcome ChooseOutcome(const RunFlags& f) {
  const bool stopped_by_cancel = On(f.CancelRequested) && On(f.PairStopped);
  const bool nothing_changed = !On(f.DirectoryRemoved) && !On(f.FileChanged);
  if (!stopped_by_cancel && !nothing_changed) return UpdateOutcome::kCompleted;
  // Copies or deletions were tried and none went through: that is not a
  // run that found nothing to do.
  if (!On(f.CancelRequested) && On(f.ActionFailed)) return UpdateOutcome::kFailed;
  if (On(f.PairStopped) &&
      (On(f.CancelRequested) || (!On(f.NothingToUpdate) && !On(f.NoActionTaken)))) {
    return UpdateOutcome::kCancelled;
  }
  return UpdateOutcome::kNothingToDo;
}

const OutcomeTexts& TextsOf(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kCompleted:
      return kCompleted;
    case UpdateOutcome::kCancelled:
      return kCancelled;
    case UpdateOutcome::kFailed:
      return kFailed;
    case UpdateOutcome::kNothingToDo:
      break;
  }
  return kNothingToDo;
}

void ReportOutcome(AppState& s, UpdateOutcome outcome) {
  const OutcomeTexts& texts = TextsOf(outcome);
  s.host.SetStatusText(texts.status);
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  TOstring line(200);
  line.Append(texts.log_first);
  line.Append(texts.log_second);
  WriteLogLine(s, line.View());
}

// After a run that went through, the trees show where it ended.
void RepositionTrees(AppState& s) {
  if (s.opt.ActiveOptions.UseBatchFile != 0) return;
  if (On(s.flags.CancelRequested) || On(s.flags.PairStopped)) return;
  s.host.SetTreeDirectory(1, s.Path1.view());
  s.host.PumpEvents();
  if (s.opt.ActiveOptions.UseDir1 == 1) return;
  s.host.SetTreeDirectory(2, s.Path2.view());
  s.host.PumpEvents();
}

}  // namespace

UpdateOutcome FinishRun(AppState& s) {
  if (On(s.flags.ErrorLogged)) {
    s.host.MessageBox("An Error Occurred On This Update - Check Log File", "Error", Icon::kError,
                      Buttons::kOk);
  }
  const UpdateOutcome outcome = ChooseOutcome(s.flags);
  ReportOutcome(s, outcome);
  s.host.SetProgressPosition(0);
  s.host.SetCancelEnabled(false);
  s.host.SetUpdateEnabled(true);
  if (s.sw.AutoStart == 1 && !On(s.flags.ErrorLogged)) s.host.EndApplication();
  s.sw.AutoStart = 0;
  RepositionTrees(s);
  return outcome;
}

}  // namespace velqo
