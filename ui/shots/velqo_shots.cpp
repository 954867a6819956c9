// Takes the screenshots README.md shows: starts the windowed program over a
// small sample tree and saves each window as a PNG file in the directory
// given. scripts/screenshots.sh runs it in a virtual X server.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>

#include <unistd.h>

#include <QTabWidget>
#include <chrono>

#include "ui/get_dir.h"
#include "ui/help_viewer.h"
#include "ui/options_dialog.h"
#include "ui/preview_window.h"
#include "ui/status_window.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/velqo_app.h"

namespace fs = std::filesystem;
using namespace velqo::ui;

namespace {

std::string g_root;
QString g_out;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << text;
}

void Save(QWidget* window, const char* name) {
  QApplication::processEvents();
  window->grab().save(g_out + "/" + name + ".png");
  std::cout << "saved " << name << ".png\n";
}

// Saves the next modal dialog once it is up, then closes it.
void SaveModal(const char* name) {
  QTimer::singleShot(300, [name] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return SaveModal(name);
    Save(dialog, name);
    dialog->close();
  });
}

// Saves the next modal dialog on one of its pages, then closes it.
void SaveModalPage(const char* name, int page) {
  QTimer::singleShot(300, [name, page] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return SaveModalPage(name, page);
    if (auto* pages = dialog->findChild<QTabWidget*>("PageControl1")) pages->setCurrentIndex(page);
    Save(dialog, name);
    dialog->close();
  });
}

std::unique_ptr<VelqoApp> Start(const std::string& ini) {
  Write(g_root + "/prog/WINVELQO.INI", ini);
  velqo::PlatformConfig config;
  config.home = g_root + "/c";
  config.xdg_config_home = g_root + "/config";
  config.tmpdir = g_root;
  config.velqo_drives = "C=" + g_root + "/c;D=" + g_root + "/d";
  config.program_path = g_root + "/prog/velqo";
  auto app = std::make_unique<VelqoApp>(config, std::vector<std::string>{config.program_path});
  if (!app->Create()) std::exit(1);
  app->main()->show();
  QApplication::processEvents();
  return app;
}

const char* kIni =
    "[WINVELQO]\nMainLeft=40\nMainTop=40\nMainWidth=640\nMainHeight=460\nMainSkin=Gray Ghost\n"
    "Path1=c:\\projects\\site\nPath2=d:\\backup\\site\nVelqoOnly=0\nAdd1To2=1\nAddBothWays=0\n"
    "CleanUp=0\nConfirmEveryFile=1\nCreateBackup=1\nCreateNewDir=1\nSelectSeparate=0\nUseDir1=0\n"
    "UseDir1And=1\nUseSubOnly=0\nUseBatchFile=0\nIgnoreOptUpd=1\nEnableLog=0\nShowHints=1\nLogFilePath=c:\\\n";

// The sample trees the pictures show, below g_root.
void MakeSampleTrees(const char* skins_dir, const char* help_dir) {
  fs::create_directories(g_root + "/config");
  fs::create_directories(g_root + "/prog");
  fs::copy(skins_dir, g_root + "/prog/Skins", fs::copy_options::recursive);
  fs::copy(help_dir, g_root + "/prog/help", fs::copy_options::recursive);
  for (const char* dir : {"c/projects/site/css", "c/projects/site/img", "c/projects/notes",
                          "c/photos/2023", "d/backup/site/css", "d/backup/old"}) {
    fs::create_directories(g_root + "/" + dir);
  }
  Write(g_root + "/c/projects/site/index.html", "<html></html>");
}

// The main window, the three confirmation dialogs, the status window, the
// Select Directory dialog, two pages of the options dialog and the help.
void ShootSinglePairWindows() {
  auto app = Start(kIni);
  Save(app->main(), "main-window");
  QtHost& host = app->host();
  SaveModal("confirm-copy");
  host.ConfirmCopy("c:\\projects\\site\\index.html", "d:\\backup\\site\\index.html",
                   "12/09/26   16:58:26        2310 Bytes", "11/02/26   09:12:40        2102 Bytes");
  SaveModal("confirm-cleanup");
  host.ConfirmOlderCopy("c:\\projects\\site\\style.css", "d:\\backup\\site\\style.css",
                        "10/01/26   08:00:00         880 Bytes", "12/09/26   10:30:12         912 Bytes");
  SaveModal("confirm-delete");
  host.ConfirmDelete("d:\\backup\\site\\old.html", "03/05/25   14:20:00        1720 Bytes");
  host.StatusSetMode("Is Being Copied To:");
  host.StatusSetFiles("c:\\projects\\site\\img\\logo.png", "12/09/26   16:58:26       40960 Bytes",
                      "d:\\backup\\site\\img\\logo.png", "12/09/26   16:58:26       40960 Bytes");
  host.StatusShow();
  Save(app->stat(), "status");
  host.StatusHide();
  SaveModal("select-directory");
  QString chosen;
  TFGetDir::Pick(app->state(), app->main(), &chosen);
  SaveModalPage("options-mode", 0);
  app->main()->Options1Click();
  SaveModalPage("options-inc-exc", 1);
  app->main()->Options1Click();
  app->main()->ShowHelp(47);
  Save(app->main()->help_viewer(), "help");
  app->main()->help_viewer()->close();
  app->main()->close();
}

void ShootBatchLayout() {
  std::string batch = kIni;
  batch.replace(batch.find("UseBatchFile=0"), 14, "UseBatchFile=1");
  batch += "[Batch1]\nDescription=Web site and notes\n"
           "DirPair1=c:\\projects\\site!d:\\backup\\site\nDirPair2=c:\\projects\\notes!d:\\backup\\notes\n"
           "[Batch2]\nDescription=Photos\nDirPair1=c:\\photos!d:\\photos\n";
  auto app = Start(batch);
  Save(app->main(), "main-window-batch");
  app->main()->close();
}

// A CleanUp of the web site's backup: one newer page to copy, two files
// that are no longer in the site to delete.
void ShootCleanUpPreview() {
  Write(g_root + "/c/projects/site/about.html", "<html>about us, revised</html>");
  Write(g_root + "/c/projects/site/css/site.css", "body { margin: 0 }");
  Write(g_root + "/d/backup/site/index.html", "<html></html>");
  Write(g_root + "/d/backup/site/about.html", "<html>about</html>");
  Write(g_root + "/d/backup/site/css/site.css", "body { margin: 0 }");
  Write(g_root + "/d/backup/site/old-news.html", "<html>news of last year</html>");
  Write(g_root + "/d/backup/site/css/draft.css", "p { color: red }");
  const auto stamp = fs::file_time_type::clock::now();
  for (const char* file : {"c/projects/site/index.html", "c/projects/site/css/site.css",
                           "d/backup/site/index.html", "d/backup/site/css/site.css"}) {
    fs::last_write_time(g_root + "/" + file, stamp - std::chrono::hours(48));
  }
  fs::last_write_time(g_root + "/d/backup/site/about.html", stamp - std::chrono::hours(72));
  std::string cleanup = kIni;
  cleanup.replace(cleanup.find("CleanUp=0"), 9, "CleanUp=1");
  cleanup.replace(cleanup.find("Add1To2=1"), 9, "Add1To2=0");
  cleanup.replace(cleanup.find("EnableLog=0"), 11, "EnableLog=1");
  auto app = Start(cleanup);
  app->main()->BBPreviewClick();
  Save(app->main()->preview_window(), "preview");
  app->main()->preview_window()->close();
  app->main()->close();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc < 4) {
    std::cerr << "usage: velqo-shots OUTPUT_DIR SKINS_DIR HELP_DIR\n";
    return 2;
  }
  Prompter::SetNeverBlock(true);  // no box may hold the pictures up
  g_out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_out);
  g_root = QDir::tempPath().toStdString() + "/velqo-shots-" + std::to_string(::getpid());
  MakeSampleTrees(argv[2], argv[3]);
  ShootSinglePairWindows();
  ShootBatchLayout();
  ShootCleanUpPreview();
  fs::remove_all(g_root);
  return 0;
}
