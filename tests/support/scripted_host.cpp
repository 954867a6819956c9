#include "tests/support/scripted_host.h"

#include <algorithm>

namespace velqo::testing {

int ScriptedHost::NextAnswer(int fallback) {
  if (answers_.empty()) {
    ++unscripted;
    return fallback;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

velqo::Answer ScriptedHost::MessageBox(std::string_view text, std::string_view caption, Icon icon,
                                       Buttons buttons) {
  ShownBox box{ShownBox::Kind::kMessage, std::string(caption), std::string(text), icon, buttons, 0};
  int answer = static_cast<int>(velqo::Answer::kOk);
  if (buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel) {
    answer = NextAnswer(static_cast<int>(velqo::Answer::kYes));
  } else if (buttons == Buttons::kOkCancel) {
    answer = NextAnswer(static_cast<int>(velqo::Answer::kOk));
  }
  box.answer = answer;
  boxes.push_back(box);
  return static_cast<velqo::Answer>(answer);
}

void ScriptedHost::DebugBox(std::string_view text, std::string_view caption) {
  boxes.push_back({ShownBox::Kind::kDebug, std::string(caption), std::string(text),
                   Icon::kInformation, Buttons::kOk, 1});
}

void ScriptedHost::PumpEvents() {
  ++pumps_;
  if (pumps_ == cancel_at_pump_) RequestCancel();
}

int ScriptedHost::Confirm(ShownBox::Kind kind, std::string_view path1, std::string_view path2) {
  ShownBox box{kind, {}, std::string(path1), Icon::kNone, Buttons::kOk, 0};
  if (!path2.empty()) {
    box.text += '|';
    box.text += path2;
  }
  box.answer = NextAnswer(mrOk);
  boxes.push_back(box);
  return box.answer;
}

int ScriptedHost::ConfirmCopy(std::string_view path1, std::string_view path2, std::string_view,
                              std::string_view) {
  return Confirm(ShownBox::Kind::kConfirmCopy, path1, path2);
}

int ScriptedHost::ConfirmOlderCopy(std::string_view path1, std::string_view path2,
                                   std::string_view, std::string_view) {
  return Confirm(ShownBox::Kind::kConfirmOlderCopy, path1, path2);
}

int ScriptedHost::ConfirmDelete(std::string_view path, std::string_view) {
  return Confirm(ShownBox::Kind::kConfirmDelete, path, {});
}

void ScriptedHost::StatusShow() { status_window.emplace_back("show"); }
void ScriptedHost::StatusHide() { status_window.emplace_back("hide"); }
void ScriptedHost::StatusSetMode(std::string_view mode) {
  status_window.push_back("mode:" + std::string(mode));
}
void ScriptedHost::StatusSetFiles(std::string_view top_path, std::string_view,
                                  std::string_view bottom_path, std::string_view) {
  status_window.push_back("files:" + std::string(top_path) + "|" + std::string(bottom_path));
}
void ScriptedHost::StatusSetSingle(std::string_view path, std::string_view) {
  status_window.push_back("single:" + std::string(path));
}

void ScriptedHost::SetTreeDirectory(int tree, std::string_view path) {
  tree_moves.push_back(std::to_string(tree) + ":" + std::string(path));
}

static bool TakeDialogAnswer(std::deque<std::string>* queue, std::string* chosen) {
  if (queue->empty()) return false;
  std::string answer = queue->front();
  queue->pop_front();
  if (answer.empty()) return false;
  *chosen = answer;
  return true;
}

bool ScriptedHost::SaveFileDialog(std::string_view, std::string_view, std::string_view,
                                  std::string* chosen) {
  return TakeDialogAnswer(&save_dialog_answers, chosen);
}

bool ScriptedHost::OpenFileDialog(std::string_view, std::string_view, std::string_view,
                                  std::string* chosen) {
  return TakeDialogAnswer(&open_dialog_answers, chosen);
}

bool ScriptedHost::AskIntlSettings(int* time_choice, int* date_choice) {
  boxes.push_back({ShownBox::Kind::kIntl, "Test Settings For International", {}, Icon::kNone,
                   Buttons::kOkCancel, intl_ok ? 1 : 2});
  *time_choice = intl_time;
  *date_choice = intl_date;
  return intl_ok;
}

std::vector<ShownBox> ScriptedHost::Messages() const {
  std::vector<ShownBox> out;
  std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(out),
               [](const ShownBox& b) { return b.kind == ShownBox::Kind::kMessage; });
  return out;
}

std::vector<std::string> ScriptedHost::MessageTexts() const {
  std::vector<std::string> out;
  for (const ShownBox& b : Messages()) out.push_back(b.text);
  return out;
}

std::vector<std::string> ScriptedHost::Captions() const {
  std::vector<std::string> out;
  for (const ShownBox& b : Messages()) out.push_back(b.caption);
  return out;
}

bool ScriptedHost::Shown(std::string_view text) const {
  return std::any_of(boxes.begin(), boxes.end(), [&](const ShownBox& b) { return b.text == text; });
}

bool ScriptedHost::ShownContaining(std::string_view part) const {
  return std::any_of(boxes.begin(), boxes.end(),
                     [&](const ShownBox& b) { return b.text.find(part) != std::string::npos; });
}

}  // namespace velqo::testing
