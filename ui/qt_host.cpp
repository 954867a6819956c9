#include "ui/qt_host.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <chrono>

#include "ui/confirm_dialogs.h"
#include "ui/int_set.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/status_window.h"

namespace velqo::ui {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// A status window hidden between two directory pairs and shown again for
// the next would blink, and every showing takes the window manager's
// attention; a hide stays put off for this long, and the next pair's show
// takes it back.
constexpr int kHideDelayMs = 300;

DisplayPacer::Clock::time_point Now() { return DisplayPacer::Clock::now(); }

}  // namespace

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

Answer QtHost::MessageBox(std::string_view text, std::string_view caption, Icon icon,
                          Buttons buttons) {
  // A box speaks of the state the run has reached: show it first.
  FlushDisplay();
  return Prompter::Message(w_.main, Q(text), Q(caption), icon, buttons);
}

void QtHost::DebugBox(std::string_view text, std::string_view caption) {
  FlushDisplay();
  Prompter::Message(w_.main, Q(text), Q(caption), Icon::kInformation, Buttons::kOk);
}

void QtHost::PumpEvents() {
  ++pumps_;
  if (pacer_.Due(Now())) ShowPending();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QTimer* QtHost::Timer(std::unique_ptr<QTimer>& timer, void (QtHost::*fire)()) {
  if (timer == nullptr) {
    timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, [this, fire] { (this->*fire)(); });
  }
  return timer.get();
}

// A change is shown at once when the window has not drawn one for a while;
// otherwise the next pump that finds it due shows it, and a timer makes sure
// the last state of a run that has gone quiet is shown too.
void QtHost::Changed() {
  const auto now = Now();
  if (pacer_.Changed(now)) {
    ShowPending();
    return;
  }
  QTimer* timer = Timer(display_timer_, &QtHost::ShowPending);
  if (!timer->isActive()) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(pacer_.Wait(now));
    timer->start(static_cast<int>(wait.count()) + 1);
  }
}

void QtHost::ShowPending() {
  if (display_timer_ != nullptr) display_timer_->stop();
  if (!pacer_.pending()) return;
  Pending p = std::move(pending_);
  pending_ = Pending();
  pacer_.Shown(Now());
  ++displays_;
  if (w_.main != nullptr) {
    if (p.status) w_.main->SetStatusText(p.status_text);
    if (p.progress_max) w_.main->SetProgressMax(p.maximum);
    if (p.progress) w_.main->SetProgressPosition(p.position);
  }
  if (w_.stat != nullptr) {
    if (p.mode) w_.stat->SetMode(p.mode_text);
    if (p.files && p.single) w_.stat->SetSingle(p.top_path, p.top_data);
    if (p.files && !p.single) w_.stat->SetFiles(p.top_path, p.top_data, p.bottom_path, p.bottom_data);
  }
}

void QtHost::FlushDisplay() {
  ShowPending();
  if (hide_pending_) HideStatusNow();
}

void QtHost::SetStatusText(std::string_view text) {
  pending_.status = true;
  pending_.status_text = Q(text);
  Changed();
}

void QtHost::SetProgressMax(int maximum) {
  pending_.progress_max = true;
  pending_.maximum = maximum;
  Changed();
}

void QtHost::SetProgressPosition(int position) {
  pending_.progress = true;
  pending_.position = position;
  Changed();
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
  FlushDisplay();
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

// The status window comes up without taking the focus from the main
// window, whose menus and keys stay the user's all through the run.
void QtHost::StatusShow() {
  if (w_.stat == nullptr) return;
  hide_pending_ = false;
  if (hide_timer_ != nullptr) hide_timer_->stop();
  if (w_.stat->isVisible()) return;
  // It opens on the file it is about.
  ShowPending();
  const bool large = w_.main != nullptr && w_.main->large_caption();
  w_.stat->ShowWindow(large, w_.main != nullptr ? w_.main->WindowFont() : QApplication::font());
}

void QtHost::StatusHide() {
  if (w_.stat == nullptr || !w_.stat->isVisible()) return;
  if (w_.main == nullptr || !w_.main->running()) {
    HideStatusNow();
    return;
  }
  PutOffHide();
}

void QtHost::PutOffHide() {
  hide_pending_ = true;
  QTimer* timer = Timer(hide_timer_, &QtHost::HideStatusNow);
  if (!timer->isActive()) timer->start(kHideDelayMs);
}

void QtHost::HideStatusNow() {
  hide_pending_ = false;
  if (hide_timer_ != nullptr) hide_timer_->stop();
  if (w_.stat != nullptr) w_.stat->hide();
}

void QtHost::StatusSetMode(std::string_view mode) {
  pending_.mode = true;
  pending_.mode_text = Q(mode);
  Changed();
}

void QtHost::StatusSetFiles(std::string_view top_path, std::string_view top_data,
                            std::string_view bottom_path, std::string_view bottom_data) {
  pending_.files = true;
  pending_.single = false;
  pending_.top_path = Q(top_path);
  pending_.top_data = Q(top_data);
  pending_.bottom_path = Q(bottom_path);
  pending_.bottom_data = Q(bottom_data);
  Changed();
}

void QtHost::StatusSetSingle(std::string_view path, std::string_view data) {
  pending_.files = true;
  pending_.single = true;
  pending_.top_path = Q(path);
  pending_.top_data = Q(data);
  Changed();
}

void QtHost::SetTreeDirectory(int tree, std::string_view path) {
  if (w_.main != nullptr) w_.main->SetTreeDirectory(tree, Q(path));
}

void QtHost::EndApplication() {
  if (w_.main != nullptr) w_.main->RequestEnd();
}

// The program speaks of drive paths; the file dialog needs the host
// directory they stand for, or it would offer the drive path as a file name.
QString QtHost::HostFolder(std::string_view windows_dir) const {
  std::string host;
  if (fs_ == nullptr || windows_dir.empty() || !fs_->ToHostPath(windows_dir, &host).ok()) return {};
  return QString::fromStdString(host);
}

bool QtHost::SaveFileDialog(std::string_view title, std::string_view filter,
                            std::string_view start_dir, std::string* chosen) {
  const QString path = Prompter::SaveFile(w_.main, Q(title), Q(filter), HostFolder(start_dir));
  if (path.isEmpty()) return false;
  *chosen = path.toStdString();
  return true;
}

bool QtHost::OpenFileDialog(std::string_view title, std::string_view filter,
                            std::string_view start_dir, std::string* chosen) {
  const QString path = Prompter::OpenFile(w_.main, Q(title), Q(filter), HostFolder(start_dir));
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
