#include <QAction>
#include <QMenu>
#include <QMenuBar>

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

// Items whose commands come with the options dialog, the templates, the
// demonstration and the tools stay disabled until those exist.
void TFMain::BuildMenus() {
  menuBar()->setObjectName("MainMenu1");
  QMenu* file = AddMenu("&File", "File1", kHelpFileMenu);
  AddItem(file, "&View Log File", "ViewLog1", false);
  AddItem(file, "&Clear Log File", "ClearLog1", false);
  file->addSeparator();
  AddItem(file, "&Edit WINVELQO.INI...", "EditIni1", false);
  file->addSeparator();
  connect(AddItem(file, "E&xit", "Exit1", true), &QAction::triggered, this, &QWidget::close);

  QMenu* options = AddMenu("&Options", "Options2", kHelpOptionsMenu);
  connect(AddItem(options, "&View/edit Current Options...", "Options1", false), &QAction::triggered,
          this, &TFMain::Options1Click);
  options->addSeparator();
  AddItem(options, "&Save Option Template As...", "SaveTemplate1", false)
      ->setStatusTip("Save the current set of default options to a named .opt file");
  AddItem(options, "&Load Option Template...", "LoadTemplate1", false)
      ->setStatusTip("Load a previously-saved set of default options");

  QMenu* demo = AddMenu("&Demo", "Demo1", kHelpDemoMenu);
  AddItem(demo, "&Run Demonstration", "RunDemo1", false);
  AddItem(demo, "Remove &Demonstration Directory", "RemoveDemo1", false);

  QMenu* help = AddMenu("&Help  ", "Help1", kHelpHelpMenu);
  AddItem(help, "&Contents", "Contents1", false)->setShortcut(QKeySequence(Qt::Key_F1));
  help->addSeparator();
  AddItem(help, "&Visit Tarquel's Web Site", "WebSite1", false);
  help->addSeparator();
  AddItem(help, "&About...", "About1", false);
}

// While a run goes on, nothing that rereads or rewrites the configuration
// may start: it would change the options under the engine's feet.
void TFMain::SetRunningMenus(bool running) {
  if (QAction* options = action("Options1")) options->setEnabled(!running && options_dialog_);
}

}  // namespace velqo::ui
