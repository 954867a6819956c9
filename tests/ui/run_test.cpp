#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "tests/ui/ui_fixture.h"
#include "ui/status_window.h"

namespace velqo::ui::testing {

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
