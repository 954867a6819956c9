// The main window's tool commands: the log and INI file, option templates,
// the demonstration, help and the about box.
#include <QApplication>

#include "config/templates.h"
#include "ui/about.h"
#include "ui/help_viewer.h"
#include "ui/logic/demonstration.h"
#include "ui/logic/help_topics.h"
#include "ui/logic/tools.h"
#include "ui/main_window.h"

namespace velqo::ui {

void TFMain::SBViewLogClick() { ViewLog(s_); }

void TFMain::SBClearLogClick() {
  if (!running_) ClearLog(s_);
}

// The editor is waited for; then the file is read again and the window
// refreshed from it, place and size included.
void TFMain::SpeedButton6Click() {
  if (running_) return;
  if (EditIniFile(s_)) HideAndShow();
}

void TFMain::SaveTemplate1Click() {
  if (!running_) (void)SaveOptionTemplate(s_);
}

void TFMain::LoadTemplate1Click() {
  if (!running_ && LoadOptionTemplate(s_)) Reshow();
}

void TFMain::RunDemonstration1Click() {
  if (running_) return;
  (void)RunDemonstration(s_, [this] { BBUpdateClick(); });
}

void TFMain::RemoveDemonstrationDirectory1Click() {
  if (!running_) RemoveDemonstrationDirectory(s_);
}

// The topic of the control with the focus, or of the nearest control
// around it that has one; else the contents page.
void TFMain::Contents1Click() {
  int context = kHelpContents;
  for (QWidget* w = QApplication::focusWidget(); w != nullptr && context == kHelpContents;
       w = w->parentWidget()) {
    context = w->property("helpContext").toInt();
    if (w == this) break;
  }
  ShowHelp(context);
}

void TFMain::WebSite1Click() { VisitWebSite(s_); }

void TFMain::About1Click() { TFAbout::Show(this); }

void TFMain::ShowHelp(int context) {
  if (help_viewer_ == nullptr) help_viewer_ = new THelpViewer(s_.fs, this);
  (void)help_viewer_->ShowTopic(context);
}

void TFMain::RecordGeometry() {
  const ScreenRect frame = LiveFrame();
  s_.window.MainLeft = frame.left;
  s_.window.MainTop = frame.top;
  s_.window.MainWidth = frame.width;
  s_.window.MainHeight = frame.height;
}

void TFMain::Reshow() {
  RecordGeometry();
  FormResize();
  FormShow();
}

void TFMain::HideAndShow() {
  hide();
  show();
}

}  // namespace velqo::ui
