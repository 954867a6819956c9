#include "engine/preview_run.h"

#include "common/preview/preview_answer.h"
#include "common/preview/preview_platform.h"
#include "common/host/quiet_host.h"

namespace velqo {

namespace {

const char* AnswerName(Answer answer) {
  switch (answer) {
    case Answer::kOk:
      return "OK";
    case Answer::kCancel:
      return "Cancel";
    case Answer::kYes:
      return "Yes";
    case Answer::kNo:
      return "No";
  }
  return "";
}

// The host of a previewed run: it answers for the user and notes each box,
// reads the window's texts once at the start, and lends the real host only
// its event loop and progress bar. Status texts stay out of the window: its
// "Update Completed" would speak of an update that did not happen.
class PreviewHost : public QuietHost {
 public:
  PreviewHost(Host& outer, const RunFlags& outer_flags, bool allow_empty_source)
      : outer_(outer), outer_flags_(outer_flags), allow_empty_source_(allow_empty_source) {
    SetDir1Text(outer.Dir1Text());
    SetDir2Text(outer.Dir2Text());
    SetDirPairItems(outer.DirPairItems());
  }

  Answer MessageBox(std::string_view text, std::string_view caption, Icon,
                    Buttons buttons) override {
    const Answer answer = buttons == Buttons::kOk
                              ? Answer::kOk
                              : PreviewAnswer(caption, buttons, allow_empty_source_);
    notes_.push_back({std::string(caption), std::string(text), AnswerName(answer)});
    return answer;
  }
  void UnattendedNotice(std::string_view text) override {
    notes_.push_back({"Notice", std::string(text), ""});
  }
  void Warning(std::string_view text) override { notes_.push_back({"Warning", std::string(text), ""}); }
  // The Cancel buttons of the window set the real run's flags.
  void PumpEvents() override {
    outer_.PumpEvents();
    if (outer_flags_.CancelRequested != 0) RequestCancel();
  }
  void SetProgressMax(int maximum) override { outer_.SetProgressMax(maximum); }
  void SetProgressPosition(int position) override { outer_.SetProgressPosition(position); }

  std::vector<PreviewNote> TakeNotes() { return std::move(notes_); }

 private:
  Host& outer_;
  const RunFlags& outer_flags_;
  bool allow_empty_source_;
  std::vector<PreviewNote> notes_;
};

// Everything of the program's state a run reads; the run flags start afresh
// as for any run, and the INI file is read through the preview platform.
void CopyState(const AppState& from, AppState* to) {
  to->sw = from.sw;
  to->opt = from.opt;
  to->intl = from.intl;
  to->window = from.window;
  to->places = from.places;
  to->log = from.log;
}

}  // namespace

PreviewReport PreviewUpdate(AppState& s) {
  s.flags.CancelRequested = 0;
  PreviewPlatform platform(s.fs);
  PreviewHost host(s.host, s.flags, s.sw.AllowEmptySource != 0);
  AppState preview(platform, host);
  CopyState(s, &preview);

  PreviewReport report;
  report.outcome = RunUpdate(preview);
  report.changes = platform.changes();
  report.notes = host.TakeNotes();
  // A Cancel pressed during the preview must not stop the next real run.
  s.flags.CancelRequested = 0;
  s.flags.PairStopped = 0;
  return report;
}

}  // namespace velqo
