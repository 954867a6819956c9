#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QThread>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/ui/ui_fixture.h"
#include "ui/main_window.h"
#include "ui/status_window.h"

namespace velqo::ui::testing {

// Counts the events of one type that reach the watched object.
class EventCounter : public QObject {
 public:
  EventCounter(QEvent::Type type, int* count) : type_(type), count_(count) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == type_) ++*count_;
    return QObject::eventFilter(watched, event);
  }

 private:
  QEvent::Type type_;
  int* count_;
};

class RunTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  // A Dir 1 file newer than its Dir 2 namesake.
  void NewerPair(const std::string& dir1, const std::string& dir2, const std::string& name) {
    ui->sandbox().WriteFile(dir1 + "\\" + name, "new " + name);
    ui->sandbox().WriteFile(dir2 + "\\" + name, "old " + name);
    ui->sandbox().SetMtime(dir1 + "\\" + name, 1700000000);
    ui->sandbox().SetMtime(dir2 + "\\" + name, 1600000000);
  }
  QString Status() { return ui->find<QLabel>("StatusText")->text(); }
  void PressUpdate() { ui->find<QPushButton>("BBUpdate")->click(); }

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  void anUpdateAsksFileByFileThroughTheDialogButtons() {
    for (const char* name : {"f1", "f2", "f3", "f4", "f5"}) NewerPair("C:\\src", "D:\\dst", name);
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"ConfirmEveryFile", "1"}});
    QVERIFY(ui->Start());
    DialogClicker clicker;
    const std::vector<QString> answers = {"BBOK", "BBNextFile", "BBOkToAll"};
    for (const QString& answer : answers) clicker.Queue("TFVelqoConf", answer);
    clicker.Start();
    PressUpdate();
    QCOMPARE(clicker.remaining(), 0);
    QCOMPARE(clicker.seen_texts.size(), std::size_t(3));
    // OK To All copied the rest without asking.
    int unchanged = 0;
    for (const char* name : {"f1", "f2", "f3", "f4", "f5"}) {
      const std::string dst = ui->sandbox().ReadFile(std::string("D:\\dst\\") + name);
      const bool skipped = clicker.seen_texts[1].endsWith(name);
      QCOMPARE(dst, std::string(skipped ? "old " : "new ") + name);
      unchanged += skipped ? 1 : 0;
    }
    QCOMPARE(unchanged, 1);
    QCOMPARE(Status(), QString("Update Completed"));
    QVERIFY(ui->find<QPushButton>("BBUpdate")->isEnabled());
    QVERIFY(!ui->find<QPushButton>("BBMCancel")->isEnabled());
  }

  void nextDirectoryLeavesAPairAndCancelUpdateEndsTheRun() {
    for (const char* name : {"a1", "a2"}) NewerPair("C:\\src\\a", "D:\\dst\\a", name);
    for (const char* name : {"b1", "b2"}) NewerPair("C:\\src\\b", "D:\\dst\\b", name);
    for (const char* name : {"c1"}) NewerPair("C:\\src\\c", "D:\\dst\\c", name);
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"ConfirmEveryFile", "1"},
                  {"SelectSeparate", "0"}, {"UseDir1And", "1"}});
    QVERIFY(ui->Start());
    DialogClicker clicker;
    clicker.Queue("TFVelqoConf", "BBNextDir");
    clicker.Queue("TFVelqoConf", "BBCancelUpdate");
    clicker.Start();
    PressUpdate();
    QCOMPARE(clicker.remaining(), 0);
    QCOMPARE(clicker.seen_texts.size(), std::size_t(2));
    // The first answer left its whole directory, the second stopped the run.
    const QString first_dir = clicker.seen_texts[0].section('\\', 0, -2);
    QVERIFY(!clicker.seen_texts[1].startsWith(first_dir + "\\"));
    for (const char* name : {"a\\a1", "a\\a2", "b\\b1", "b\\b2", "c\\c1"}) {
      QVERIFY(ui->sandbox().ReadFile(std::string("D:\\dst\\") + name).starts_with("old"));
    }
    QCOMPARE(Status(), QString("Update Cancelled"));
  }

  void theStatusWindowsCancelStopsARunningUpdate() {
    for (int i = 0; i < 60; ++i) NewerPair("C:\\src", "D:\\dst", "f" + std::to_string(i));
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}});
    QVERIFY(ui->Start());
    TFVelqoStat* stat = ui->app().stat();
    int copies_seen = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!stat->isVisible()) return;
      if (++copies_seen == 5) stat->findChild<QPushButton*>("BBCancelVelqo")->click();
    });
    watcher.start(0);
    PressUpdate();
    watcher.stop();
    QVERIFY(copies_seen >= 5);
    QCOMPARE(Status(), QString("Update Cancelled"));
    int copied = 0;
    for (int i = 0; i < 60; ++i) {
      copied += ui->sandbox().ReadFile("D:\\dst\\f" + std::to_string(i)).starts_with("new") ? 1 : 0;
    }
    QVERIFY(copied > 0);
    QVERIFY(copied < 60);
  }

  // A long run leaves the main window the user's: its menus open and stay
  // open, the status window never takes the focus nor comes up anew for
  // each directory, the run's texts are drawn at a pace rather than per
  // file, and the main window's Cancel stops the run.
  void menusKeysAndCancelStayTheUsersThroughALongRun() {
    for (int d = 0; d < 8; ++d) {
      for (int f = 0; f < 60; ++f) {
        NewerPair("C:\\src\\d" + std::to_string(d), "D:\\dst\\d" + std::to_string(d), "f" + std::to_string(f));
      }
    }
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"SelectSeparate", "0"}, {"UseDir1And", "1"}});
    QVERIFY(ui->Start());
    TFMain& main = ui->main();
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&main));
    TFVelqoStat* stat = ui->app().stat();
    int stat_shows = 0;
    EventCounter shows(QEvent::Show, &stat_shows);
    stat->installEventFilter(&shows);
    auto* help = main.menuBar()->findChild<QMenu*>("Help1");
    enum class Step { kWaitForRun, kMenuOpen, kMenuClosed, kCancelled } step = Step::kWaitForRun;
    int ticks_open = 0;
    int stat_active = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (QApplication::activeWindow() == stat) ++stat_active;
      switch (step) {
        case Step::kWaitForRun:
          if (!stat->isVisible()) return;
          QTest::keyClick(&main, Qt::Key_H, Qt::AltModifier);
          step = Step::kMenuOpen;
          return;
        case Step::kMenuOpen:
          QVERIFY(help->isVisible());
          QCOMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(help));
          // Each pass of the run's pump comes here: the menu stays open
          // over a good hundred files and more than one directory.
          QThread::msleep(1);
          if (++ticks_open < 300) return;
          QTest::keyClick(help, Qt::Key_Escape);
          step = Step::kMenuClosed;
          return;
        case Step::kMenuClosed:
          if (help->isVisible()) return;
          ui->find<QPushButton>("BBMCancel")->click();
          step = Step::kCancelled;
          return;
        case Step::kCancelled:
          return;
      }
    });
    watcher.start(0);
    const auto start = std::chrono::steady_clock::now();
    const long displays_before = ui->app().host().displays();
    PressUpdate();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    watcher.stop();
    QCOMPARE(step, Step::kCancelled);
    QCOMPARE(ticks_open, 300);
    QCOMPARE(Status(), QString("Update Cancelled"));
    QCOMPARE(stat_active, 0);
    // Shown once, though the run went through several directories.
    QCOMPARE(stat_shows, 1);
    QVERIFY(!stat->isVisible());
    // At most one drawing per pacing interval, besides the status window's
    // showing and the run's end.
    const long displays = ui->app().host().displays() - displays_before;
    const long intervals = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 50;
    QVERIFY2(displays <= intervals + stat_shows + 2,
             qPrintable(QString("%1 drawings in %2 intervals").arg(displays).arg(intervals)));
  }

  void closingDuringARunCancelsItAndClosesWhenItHasStopped() {
    for (int i = 0; i < 40; ++i) NewerPair("C:\\src", "D:\\dst", "f" + std::to_string(i));
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}});
    QVERIFY(ui->Start());
    ui->main().move(66, 77);
    bool closed_while_running = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!ui->app().stat()->isVisible() || closed_while_running) return;
      closed_while_running = !ui->main().close();
    });
    watcher.start(0);
    PressUpdate();
    watcher.stop();
    QVERIFY(closed_while_running);
    QCOMPARE(Status(), QString("Update Cancelled"));
    QVERIFY(!ui->main().isVisible());
    // The close writer ran once the run had returned.
    QCOMPARE(ui->IniValue("MainLeft"), std::string("66"));
  }

  void theEventLoopKeepsTurningThroughALongWalkAndALargeCopy() {
    for (int d = 0; d < 20; ++d) {
      const std::string dir = "C:\\src\\d" + std::to_string(d);
      for (int f = 0; f < 100; ++f) ui->sandbox().WriteFile(dir + "\\f" + std::to_string(f), "x");
    }
    const std::string big = ui->sandbox().HostPath("C:\\src\\big.bin");
    std::ofstream(big, std::ios::binary) << std::string(24u << 20, 'b');
    ui->sandbox().MakeDir("D:\\dst");
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"SelectSeparate", "0"},
                  {"UseDir1And", "1"}, {"VelqoOnly", "0"}, {"Add1To2", "1"}});
    QVERIFY(ui->Start());
    long passes = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                     [&passes] { ++passes; });
    const long pumps_before = ui->app().host().pumps();
    PressUpdate();
    QCOMPARE(Status(), QString("Update Completed"));
    QCOMPARE(std::filesystem::file_size(ui->sandbox().HostPath("D:\\dst\\big.bin")), std::uintmax_t(24u << 20));
    QVERIFY(std::filesystem::exists(ui->sandbox().HostPath("D:\\dst\\d19\\f99")));
    // 2,001 copies, 21 directories and 24 chunks of the large file each
    // give the window at least one pass of its event loop.
    const long pumps = ui->app().host().pumps() - pumps_before;
    QVERIFY2(pumps >= 2001 + 24, qPrintable(QString::number(pumps)));
    QVERIFY(passes >= pumps);
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::RunTest;
VELQO_UI_TEST(RunTest)
#include "run_test.moc"
