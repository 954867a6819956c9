#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "config/batches.h"
#include "config/ini_locate.h"
#include "ui/hint_gate.h"
#include "ui/logic/appearance.h"
#include "ui/logic/layout_rules.h"
#include "ui/logic/texts.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/qt_host.h"
#include "ui/skin_engine.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

namespace {

// A key the user has set, as opposed to one the program only reads with
// its default: the desktop's own font and colours stay until then.
bool KeyStored(AppState& s, std::string_view key) {
  return !ProgramSection(s).ReadText(key, {}, 64).empty();
}

}  // namespace

void TFMain::Pump() { host_.PumpEvents(); }

void TFMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
  // One press of Space or Enter on a newly opened window starts the update,
  // not whatever control happens to come first.
  bb_update_->setFocus(Qt::OtherFocusReason);
  // The window manager frames the window some time after it is shown.
  for (const int ms : {0, 100, 400}) {
    QTimer::singleShot(ms, this, [this, ms] { CheckFrame(ms == 400); });
  }
}

namespace {

FrameMargins MarginsOf(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

bool Framed(const FrameMargins& m) { return m.top > 0 || m.left > 0; }

}  // namespace

void TFMain::CheckFrame(bool last_try) {
  const FrameMargins m = MarginsOf(*this);
  if (!Framed(m)) {
    // No window manager, or not yet: frame and client are one.
    if (last_try) wanted_frame_.reset();
    return;
  }
  margins_ = m;
  const bool large = m.top >= kLargeCaptionHeight;
  if (large != large_caption_) {
    SetLargeCaption(large);
    // The size was bounded by the other set's minimum: ask for the stored one again.
    if (!wanted_frame_) wanted_frame_ = ScreenRect{s_.window.MainLeft, s_.window.MainTop,
                                                   s_.window.MainWidth, s_.window.MainHeight};
  }
  if (!wanted_frame_) return;
  const ScreenRect wanted = *wanted_frame_;
  wanted_frame_.reset();
  if (LiveFrame() != wanted) PlaceFrame(wanted);
}

void TFMain::FormShow() {
  ApplyAppearance();
  bb_update_->setEnabled(true);
  bb_preview_->setEnabled(true);
  SetRunningMenus(false);
  setWindowTitle(QString::fromUtf8(kProductTitle.data(), static_cast<int>(kProductTitle.size())));
  ApplyGeometry();
  const RefreshPlan plan = PlanRefresh(s_);
  if (plan.batch_mode) {
    ShowBatchLayout();
  } else {
    ShowDirectoryLayout(plan);
  }
  Pump();
  if (s_.sw.AutoStart != 0) {
    // Once the window is up; the run pumps events itself.
    QTimer::singleShot(0, this, [this] {
      if (s_.sw.AutoStart != 0) BBUpdateClick();
    });
  }
  if (plan.path_invalid) {
    Prompter::Message(this, QString::fromUtf8(kStoredPathsInvalid.data(),
                                              static_cast<int>(kStoredPathsInvalid.size())),
                      QString::fromUtf8(kAppTitle.data(), static_cast<int>(kAppTitle.size())),
                      Icon::kNone, Buttons::kOk);
  }
}

void TFMain::ApplyAppearance() {
  ApplyFont();
  skin_active_ = ActivateSkin(s_.fs, s_.window.SkinInUse);
  HintGate::Instance().SetHintsOn(s_.window.HintsOn);
}

void TFMain::ApplyFont() {
  if (!KeyStored(s_, "WFontName")) return;
  QFont chosen(QString::fromStdString(s_.window.WFontName));
  if (s_.window.WFontSize > 0) chosen.setPointSize(s_.window.WFontSize);
  const FontStyle style = FontStyleFromStored(s_.window.WFontStyle);
  chosen.setBold(style.bold);
  chosen.setItalic(style.italic);
  chosen.setUnderline(style.underline);
  chosen.setStrikeOut(style.strike_out);
  setFont(chosen);
  if (const auto color = ColorFromStored(s_.window.WFontColor); color && KeyStored(s_, "WFontColor")) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(color->red, color->green, color->blue));
    setPalette(palette);
  }
}

// Without a skin the panels take the chosen background colour.
void TFMain::PaintPanel(QWidget* panel) {
  const auto color = ColorFromStored(s_.window.MWCurBkGndColor);
  const bool paint = !skin_active_ && color && KeyStored(s_, "MWCurBkGndColor");
  panel->setAutoFillBackground(paint);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window,
                   paint ? QColor(color->red, color->green, color->blue) : this->palette().color(QPalette::Window));
  panel->setPalette(palette);
}

ScreenRect TFMain::LiveFrame() const {
  const QRect frame = frameGeometry();
  return {frame.x(), frame.y(), frame.width(), frame.height()};
}

void TFMain::PlaceFrame(const ScreenRect& frame) {
  const ScreenRect client = ClientOfFrame(frame, margins_);
  resize(client.width, client.height);
  // A window's position is its frame's.
  move(frame.left, frame.top);
}

void TFMain::ApplyGeometry() {
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  const int caption = Framed(margins_) ? margins_.top : EstimatedCaptionHeight();
  const ScreenRect stored{s_.window.MainLeft, s_.window.MainTop, s_.window.MainWidth,
                          s_.window.MainHeight};
  const ScreenRect placed = PlaceOnScreens(stored, caption, screens);
  PlaceFrame(placed);
  // Until the window manager has framed the window, its frame is a guess.
  wanted_frame_ = placed;
}

void TFMain::ShowBatchLayout() {
  pb1_->setValue(0);
  pb1_->show();
  bb_cancel_->show();
  dir_panel_->hide();
  batch_panel_->show();
  PaintPanel(batch_panel_);
  Pump();
  LoadBatches(s_);
}

void TFMain::ShowDirectoryLayout(const RefreshPlan& plan) {
  batch_panel_->hide();
  dir_panel_->show();
  PaintPanel(dir_panel_);
  Pump();
  do1_->SetSwitches(plan.switches);
  do2_->SetSwitches(plan.switches);
  edir1_->setText(QString::fromStdString(plan.edir1));
  SelectDrive(dc1_, plan.drive1);
  SwitchTreeDrive(do1_, plan.drive1);
  Pump();
  (void)do1_->ChangeDirectory(QString::fromStdString(plan.edir1));
  do1_->Rebuild();
  Pump();
  pb1_->setVisible(plan.progress_visible);
  bb_cancel_->setVisible(plan.progress_visible);
  pb1_->setValue(0);
  ld1_->setText("Directories");
  ld2_->setText(QString::fromStdString(plan.ld2_text));
  ld2_->resize(ld2_->sizeHint());
  do2_->setEnabled(plan.tree2_visible);
  do2_->setVisible(plan.tree2_visible);
  edir2_->setText(QString::fromStdString(plan.edir2));
  SelectDrive(dc2_, plan.drive2);
  if (plan.tree2_visible) {
    SwitchTreeDrive(do2_, plan.drive2);
    Pump();
    (void)do2_->ChangeDirectory(QString::fromStdString(plan.edir2));
    do2_->Rebuild();
    Pump();
  }
  FormResize();
}

}  // namespace velqo::ui
