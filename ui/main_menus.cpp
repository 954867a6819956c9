#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "ui/logic/texts.h"
#include "ui/main_window.h"

namespace velqo::ui {

QMenu* TFMain::AddMenu(const QString& caption, const QString& name, int help_context) {
  QMenu* menu = menuBar()->addMenu(caption);
  menu->setObjectName(name);
  menu->setProperty("helpContext", help_context);
  return menu;
}

QAction* TFMain::AddItem(QMenu* menu, const QString& caption, const QString& name, bool enabled) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(name);
  item->setEnabled(enabled);
  actions_[name] = item;
  return item;
}

void TFMain::BuildMenus() {
  menuBar()->setObjectName("MainMenu1");
  QMenu* file = AddMenu("&File", "File1", kHelpFileMenu);
  QAction* preview = AddItem(file, "&Preview Update", "Preview1", true);
  preview->setStatusTip("List what Update would do, without changing anything");
  preview->setToolTip(preview->statusTip());
  connect(preview, &QAction::triggered, this, &TFMain::BBPreviewClick);
  file->addSeparator();
  connect(AddItem(file, "&View Log File", "ViewLog1", true), &QAction::triggered, this,
          &TFMain::SBViewLogClick);
  connect(AddItem(file, "&Clear Log File", "ClearLog1", true), &QAction::triggered, this,
          &TFMain::SBClearLogClick);
  file->addSeparator();
  connect(AddItem(file, "&Edit WINVELQO.INI...", "EditIni1", true), &QAction::triggered, this,
          &TFMain::SpeedButton6Click);
  file->addSeparator();
  connect(AddItem(file, "E&xit", "Exit1", true), &QAction::triggered, this, &QWidget::close);

  QMenu* options = AddMenu("&Options", "Options2", kHelpOptionsMenu);
  connect(AddItem(options, "&View/edit Current Options...", "Options1", false), &QAction::triggered,
          this, &TFMain::Options1Click);
  options->addSeparator();
  QAction* save = AddItem(options, "&Save Option Template As...", "SaveTemplate1", true);
  save->setStatusTip("Save the current set of default options to a named .opt file");
  save->setToolTip(save->statusTip());
  connect(save, &QAction::triggered, this, &TFMain::SaveTemplate1Click);
  QAction* load = AddItem(options, "&Load Option Template...", "LoadTemplate1", true);
  load->setStatusTip("Load a previously-saved set of default options");
  load->setToolTip(load->statusTip());
  connect(load, &QAction::triggered, this, &TFMain::LoadTemplate1Click);

  QMenu* demo = AddMenu("&Demo", "Demo1", kHelpDemoMenu);
  connect(AddItem(demo, "&Run Demonstration", "RunDemo1", true), &QAction::triggered, this,
          &TFMain::RunDemonstration1Click);
  connect(AddItem(demo, "Remove &Demonstration Directory", "RemoveDemo1", true), &QAction::triggered,
          this, &TFMain::RemoveDemonstrationDirectory1Click);

  QMenu* help = AddMenu("&Help  ", "Help1", kHelpHelpMenu);
  QAction* contents = AddItem(help, "&Contents", "Contents1", true);
  contents->setShortcut(QKeySequence(Qt::Key_F1));
  connect(contents, &QAction::triggered, this, &TFMain::Contents1Click);
  help->addSeparator();
  connect(AddItem(help, "&Visit Tarquel's Web Site", "WebSite1", true), &QAction::triggered, this,
          &TFMain::WebSite1Click);
  help->addSeparator();
  connect(AddItem(help, "&About...", "About1", true), &QAction::triggered, this, &TFMain::About1Click);
  // F1 inside an open menu asks for that menu's topic.
  for (QMenu* menu : {file, options, demo, help}) menu->installEventFilter(this);
}

// While a run goes on, nothing that rereads or rewrites the configuration
// may start: it would change the options under the engine's feet.
void TFMain::SetRunningMenus(bool running) {
  if (QAction* options = action("Options1")) options->setEnabled(!running && options_dialog_);
  for (const char* name : {"Preview1", "SaveTemplate1", "LoadTemplate1", "RunDemo1", "RemoveDemo1", "EditIni1", "ClearLog1"}) {
    if (QAction* item = action(name)) item->setEnabled(!running);
  }
  sb_ini_edit_->setEnabled(!running);
  sb_clear_log_->setEnabled(!running);
}

}  // namespace velqo::ui
