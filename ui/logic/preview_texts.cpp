#include "ui/logic/preview_texts.h"

#include "common/preview/plan_text.h"
#include "common/text/printable.h"

namespace velqo::ui {

namespace {

// A box's text on one line: its own line breaks become blanks.
std::string OneLine(const std::string& text) {
  std::string line = Printable(text, true);
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  return line;
}

std::string NoteLine(const PreviewNote& note) {
  std::string line = "[" + OneLine(note.caption) + "] " + OneLine(note.text);
  if (!note.answer.empty()) line += " (answered " + note.answer + " in the preview)";
  return line;
}

}  // namespace

PreviewTexts PreviewTextsOf(const PreviewReport& report) {
  PreviewTexts texts;
  for (const FileChange& change : report.changes) texts.plan.push_back(PlanLine(change));
  // A cancelled preview stopped part way: its plan is not the whole update.
  if (report.outcome == UpdateOutcome::kCancelled) {
    texts.summary = "Preview cancelled: the list shows only what was planned before.\n";
  }
  const std::vector<std::string> lines = SummaryLines(report.changes);
  for (std::size_t i = 0; i < lines.size(); ++i) texts.summary += (i > 0 ? "\n" : "") + lines[i];
  for (const PreviewNote& note : report.notes) texts.notes.push_back(NoteLine(note));
  return texts;
}

}  // namespace velqo::ui
