#include <QLineEdit>
#include <QLocalServer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/ui/ui_fixture.h"
#include "ui/logic/layout_rules.h"
#include "ui/prompter.h"
#include "ui/single_instance.h"

namespace velqo::ui::testing {

class StartupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  void windowsAreCreatedInOrderAndTheFirstRunStoresItsWindowState() {
    QVERIFY(ui->Start());
    const std::vector<QString> expected = {"FMain", "TFOptionsDlg", "TFVelqoStat", "TFVelqoConf", "TFVelqoRevC",
                                           "TFVelqoDel"};
    QCOMPARE(ui->app().creation_order(), expected);
    TFMain& main = ui->main();
    QCOMPARE(main.windowTitle(), QString("ProVelqo v5.00"));
    QCOMPARE(ui->IniValue("MainLeft"), std::string("10"));
    QCOMPARE(ui->IniValue("MainWidth"), std::string("600"));
    QCOMPARE(ui->IniValue("MainHeight"), std::string("240"));
    QCOMPARE(ui->IniValue("MainSkin"), std::string("Gray Ghost"));
    QCOMPARE(ui->IniValue("Path1"), std::string("c:\\"));
    // The stored place is the frame's; 240 is below the minimum height, which wins.
    const MinimumSize minimum = MainMinimumSize(main.large_caption());
    QCOMPARE(main.frameGeometry().topLeft(), QPoint(10, 10));
    QCOMPARE(main.width(), std::max(600 - (main.frameGeometry().width() - main.width()), minimum.width));
    QCOMPARE(main.height(), minimum.height);
    QVERIFY(!qApp->styleSheet().isEmpty());  // the default skin is on
    QVERIFY(ui->find<QPushButton>("BBUpdate")->isEnabled());
    QVERIFY(!ui->find<QPushButton>("BBMCancel")->isEnabled());
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("c:\\"));
    QVERIFY(main.focusProxy() == ui->find<QPushButton>("BBUpdate"));
  }

  void aMissingWindowsDirectoryEndsTheStartWithItsBox() {
    const std::string blocker = ui->sandbox().root() + "/not-a-dir";
    std::ofstream(blocker) << "x";
    PlatformConfig config = ui->sandbox().Config();
    config.xdg_config_home = blocker + "/config";
    QVERIFY(!ui->Start({}, false, &config));
    QCOMPARE(Prompter::shown().size(), std::size_t(1));
    QCOMPARE(Prompter::shown()[0].text, QString("Could Not Find Windows Directory"));
    QCOMPARE(Prompter::shown()[0].caption, QString("Error"));
    QVERIFY(Prompter::shown()[0].icon == Icon::kWarning);
  }

  void autostartRunsAtOnceAndEndsWithoutSaving() {
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"MainLeft", "77"}});
    ui->sandbox().WriteFile("C:\\src\\a.txt", "new");
    ui->sandbox().WriteFile("D:\\dst\\a.txt", "old");
    ui->sandbox().SetMtime("C:\\src\\a.txt", 1700000000);
    ui->sandbox().SetMtime("D:\\dst\\a.txt", 1600000000);
    QVERIFY(ui->Start({"/A"}));
    QTRY_VERIFY(ui->main().ended_without_saving());
    QCOMPARE(ui->sandbox().ReadFile("D:\\dst\\a.txt"), std::string("new"));
    ui->main().close();
    QCOMPARE(ui->IniValue("MainLeft"), std::string("77"));
  }

  void autostartWithAStoredPathGoneRunsNothingAndSaysSo() {
    ui->WriteIni({{"Path1", "C:\\gone"}, {"Path2", "D:\\"}});
    QVERIFY(ui->Start({"/a"}));
    QTest::qWait(50);
    QVERIFY(!ui->main().ended_without_saving());
    QCOMPARE(Prompter::shown().back().caption, QString("ProVelqo"));
    QVERIFY(Prompter::shown().back().text.startsWith("One Or Both Of The Stored Directory Paths"));
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("c:\\"));
  }

  void aSecondStartHandsOverToTheRunningCopy() {
    const QString name = QString::fromStdString(ui->sandbox().root() + "/instance.socket");
    // A name left behind by a copy that died does not stop the next one.
    std::ofstream(name.toStdString()) << "";
    SingleInstance first(name);
    QVERIFY(!first.HandOverToRunningCopy());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second(name);
    QVERIFY(second.HandOverToRunningCopy());
    QVERIFY(shown.wait(3000));
    QCOMPARE(std::filesystem::status(name.toStdString()).permissions() &
                 (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
             std::filesystem::perms::none);
  }

  void aSecondProgramExitsWithoutAWindow() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const std::string root = ui->sandbox().root();
    std::filesystem::create_directories(root + "/run");
    std::filesystem::permissions(root + "/run", std::filesystem::perms::owner_all);
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(root + "/run"));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(ui->sandbox().ConfigHome()));
    env.insert("HOME", QString::fromStdString(ui->sandbox().DriveDir('c')));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(VELQO_GUI_BINARY, {});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(root + "/run/ProVelqo.socket"), 10000);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(VELQO_GUI_BINARY, {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::StartupTest;
VELQO_UI_TEST(StartupTest)
#include "startup_test.moc"
