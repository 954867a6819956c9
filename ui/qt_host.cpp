#include "ui/qt_host.h"

#include <QApplication>
#include <QCursor>

#include "ui/confirm_dialogs.h"
#include "ui/int_set.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/status_window.h"

namespace velqo::ui {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

Answer QtHost::MessageBox(std::string_view text, std::string_view caption, Icon icon,
                          Buttons buttons) {
  return Prompter::Message(w_.main, Q(text), Q(caption), icon, buttons);
}

void QtHost::DebugBox(std::string_view text, std::string_view caption) {
  Prompter::Message(w_.main, Q(text), Q(caption), Icon::kInformation, Buttons::kOk);
}

void QtHost::PumpEvents() {
  ++pumps_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::SetStatusText(std::string_view text) {
  if (w_.main != nullptr) w_.main->SetStatusText(Q(text));
}

void QtHost::SetProgressMax(int maximum) {
  if (w_.main != nullptr) w_.main->SetProgressMax(maximum);
}

void QtHost::SetProgressPosition(int position) {
  if (w_.main != nullptr) w_.main->SetProgressPosition(position);
}

void QtHost::SetUpdateEnabled(bool enabled) {
  if (w_.main != nullptr) w_.main->SetUpdateEnabled(enabled);
}

void QtHost::SetCancelEnabled(bool enabled) {
  if (w_.main != nullptr) w_.main->SetCancelEnabled(enabled);
}

void QtHost::SetWaitCursor(bool wait) {
  if (wait == wait_cursor_) return;
  wait_cursor_ = wait;
  if (wait) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else {
    QApplication::restoreOverrideCursor();
  }
}

int QtHost::Confirm(ConfirmDialog* dialog, std::string_view path1, std::string_view data1,
                    std::string_view path2, std::string_view data2) {
  if (dialog == nullptr) return mrCancelUpdate;
  const bool large = w_.main != nullptr && w_.main->large_caption();
  const QFont font = w_.main != nullptr ? w_.main->WindowFont() : QApplication::font();
  return dialog->Ask(Q(path1), Q(data1), Q(path2), Q(data2), large, font);
}

int QtHost::ConfirmCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                        std::string_view data2) {
  return Confirm(w_.conf, path1, data1, path2, data2);
}

int QtHost::ConfirmOlderCopy(std::string_view path1, std::string_view path2,
                             std::string_view data1, std::string_view data2) {
  return Confirm(w_.revc, path1, data1, path2, data2);
}

int QtHost::ConfirmDelete(std::string_view path, std::string_view data) {
  return Confirm(w_.del, path, data, {}, {});
}

void QtHost::StatusShow() {
  if (w_.stat == nullptr) return;
  const bool large = w_.main != nullptr && w_.main->large_caption();
  w_.stat->ShowWindow(large, w_.main != nullptr ? w_.main->WindowFont() : QApplication::font());
}

void QtHost::StatusHide() {
  if (w_.stat != nullptr) w_.stat->hide();
}

void QtHost::StatusSetMode(std::string_view mode) {
  if (w_.stat != nullptr) w_.stat->SetMode(Q(mode));
}

void QtHost::StatusSetFiles(std::string_view top_path, std::string_view top_data,
                            std::string_view bottom_path, std::string_view bottom_data) {
  if (w_.stat != nullptr) w_.stat->SetFiles(Q(top_path), Q(top_data), Q(bottom_path), Q(bottom_data));
}

void QtHost::StatusSetSingle(std::string_view path, std::string_view data) {
  if (w_.stat != nullptr) w_.stat->SetSingle(Q(path), Q(data));
}

void QtHost::SetTreeDirectory(int tree, std::string_view path) {
  if (w_.main != nullptr) w_.main->SetTreeDirectory(tree, Q(path));
}

void QtHost::EndApplication() {
  if (w_.main != nullptr) w_.main->RequestEnd();
}

bool QtHost::SaveFileDialog(std::string_view title, std::string_view filter,
                            std::string_view start_dir, std::string* chosen) {
  const QString path = Prompter::SaveFile(w_.main, Q(title), Q(filter), Q(start_dir));
  if (path.isEmpty()) return false;
  *chosen = path.toStdString();
  return true;
}

bool QtHost::OpenFileDialog(std::string_view title, std::string_view filter,
                            std::string_view start_dir, std::string* chosen) {
  const QString path = Prompter::OpenFile(w_.main, Q(title), Q(filter), Q(start_dir));
  if (path.isEmpty()) return false;
  *chosen = path.toStdString();
  return true;
}

bool QtHost::AskIntlSettings(int* time_choice, int* date_choice) {
  return TFIntSet::Ask(w_.main, time_choice, date_choice);
}

std::string QtHost::Dir1Text() { return w_.main != nullptr ? w_.main->Dir1Text().toStdString() : std::string(); }
std::string QtHost::Dir2Text() { return w_.main != nullptr ? w_.main->Dir2Text().toStdString() : std::string(); }

void QtHost::SetDir1Text(std::string_view text) {
  if (w_.main != nullptr) w_.main->SetDir1Text(Q(text));
}

void QtHost::SetDir2Text(std::string_view text) {
  if (w_.main != nullptr) w_.main->SetDir2Text(Q(text));
}

void QtHost::SetBatchList(const std::vector<std::string>& batches, int selected) {
  if (w_.main != nullptr) w_.main->SetBatchList(batches, selected);
}

void QtHost::SetDirPairItems(const std::vector<std::string>& pairs) {
  if (w_.main != nullptr) w_.main->SetDirPairItems(pairs);
}

std::vector<std::string> QtHost::DirPairItems() {
  return w_.main != nullptr ? w_.main->DirPairItems() : std::vector<std::string>();
}

}  // namespace velqo::ui
