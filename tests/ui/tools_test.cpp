#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QLineEdit>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "tests/ui/ui_fixture.h"
#include "ui/help_viewer.h"
#include "ui/prompter.h"

namespace velqo::ui::testing {

class ToolsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  AppState& state() { return ui->app().state(); }
  // The sandbox's platform with no browser and an editor script of the
  // test's choosing (none when empty).
  PlatformConfig Config(const std::string& editor_script = {}) {
    PlatformConfig config = ui->sandbox().Config();
    config.path_env.clear();
    if (!editor_script.empty()) {
      config.visual = ui->sandbox().root() + "/editor.sh";
      std::ofstream(config.visual) << "#!/bin/sh\n" << editor_script;
      std::filesystem::permissions(config.visual, std::filesystem::perms::owner_all);
    }
    return config;
  }
  void Trigger(const char* item) { ui->main().action(item)->trigger(); }
  QStringList Texts() {
    QStringList texts;
    for (const auto& box : Prompter::shown()) texts << box.text;
    return texts;
  }
  void WriteWinIni(const std::string& intl) {
    std::filesystem::create_directories(ui->sandbox().WindowsDir());
    std::ofstream(ui->sandbox().WindowsDir() + "/WIN.INI") << "[intl]\n" << intl;
  }
  // Answers the next international settings dialog.
  static void AnswerIntl(const QString& time, const QString& date, const QString& button) {
    WhenModal("TFIntSet", [=](QWidget* dialog) {
      if (!time.isEmpty()) dialog->findChild<QRadioButton*>(time)->click();
      if (!date.isEmpty()) dialog->findChild<QRadioButton*>(date)->click();
      dialog->findChild<QPushButton*>(button)->click();
    });
  }

 private slots:
  void init() {
    ui = std::make_unique<UiSandbox>();
    ui->WriteIni();
  }
  void cleanup() { ui.reset(); }

  void intlDialogUnderSlashIAtEveryLoad() {
    WriteWinIni("iDate=1\niTime=1\nsDate=.\n");
    AnswerIntl({}, {}, "BitBtn1");  // OK without a choice
    PlatformConfig config = Config();
    QVERIFY(ui->Start({"/I"}, true, &config));
    QCOMPARE(state().intl.clock24, 0);
    QCOMPARE(state().intl.date_order, 0);
    QCOMPARE(state().intl.date_sep, std::string("."));

    // Without an editor the file is still read again, and the dialog shown.
    Prompter::Reset();
    AnswerIntl("RiTime1", "RiDate2", "BitBtn1");
    ui->main().action("EditIni1")->trigger();
    QVERIFY(Texts().contains("Error Executing NOTEPAD.EXE - Cannot Edit From Inside Velqo"));
    QCOMPARE(state().intl.clock24, 1);
    QCOMPARE(state().intl.date_order, 2);

    AnswerIntl("RiTime0", "RiDate0", "BitBtn2");  // Cancel: the system's values
    ui->main().action("EditIni1")->trigger();
    QCOMPARE(state().intl.clock24, 1);
    QCOMPARE(state().intl.date_order, 1);
    QCOMPARE(state().intl.date_sep, std::string("."));
  }

  void iniEditRereadsAndSwitchesToTheBatchPanel() {
    ui->AppendIni("[Batch1]\r\nDescription=Nightly\r\nDirPair1=C:\\a!D:\\a\r\n");
    PlatformConfig config = Config("sed -i 's/UseBatchFile=0/UseBatchFile=1/' \"$1\"\n");
    QVERIFY(ui->Start({}, true, &config));
    QVERIFY(ui->widget("PDirs")->isVisible());
    ui->find<QToolButton>("SBIniEdit")->click();
    QVERIFY(ui->widget("PBatch")->isVisible());
    QVERIFY(!ui->widget("PDirs")->isVisible());
    QCOMPARE(ui->main().DirPairItems().size(), std::size_t(1));
  }

  void viewAndClearLogMessages() {
    PlatformConfig config = Config();
    QVERIFY(ui->Start({}, true, &config));
    Prompter::Reset();
    ui->find<QToolButton>("SBViewLog")->click();
    QCOMPARE(Prompter::shown().back().text, QString("No Log File Exists"));
    QCOMPARE(Prompter::shown().back().caption, QString("No Log File"));
    ui->sandbox().WriteFile("C:\\LOG\\LOG.TXT", "entries\r\n");
    ui->AppendIni("LastLogFile=C:\\LOG\\LOG.TXT\r\n");
    state().profiles.Flush();
    Prompter::QueueAnswer(Answer::kNo);
    ui->find<QToolButton>("SBClearLog")->click();
    QCOMPARE(Prompter::shown().back().caption, QString("Erase Contents Of Current Log File?"));
    QCOMPARE(ui->sandbox().ReadFile("C:\\LOG\\LOG.TXT"), std::string("entries\r\n"));
    Prompter::QueueAnswer(Answer::kYes);
    Trigger("ClearLog1");
    QCOMPARE(ui->sandbox().ReadFile("C:\\LOG\\LOG.TXT"), std::string());
    Trigger("ViewLog1");
    QCOMPARE(Prompter::shown().back().caption, QString("No Editor"));
    std::filesystem::remove(ui->sandbox().HostPath("C:\\LOG\\LOG.TXT"));
    Trigger("ViewLog1");
    QCOMPARE(Prompter::shown().back().text, QString("No Current Log File Exists"));
  }

  // Both template dialogs open where the INI file is, with nothing in the
  // name box: the program's directory in a build tree, the settings
  // directory for an installed program.
  void templateDialogsOpenBesideTheSettingsWithAnEmptyName() {
    for (const bool installed : {false, true}) {
      ui = std::make_unique<UiSandbox>();
      if (installed) std::filesystem::remove_all(ui->sandbox().ProgramDir() + "/Skins");
      QVERIFY(ui->Start());
      const QString folder = QString::fromStdString(installed ? ui->sandbox().WindowsDir()
                                                              : ui->sandbox().ProgramDir());
      Prompter::Reset();
      Trigger("SaveTemplate1");  // the dialog is cancelled
      Prompter::QueueAnswer(Answer::kNo);  // no saving first
      Trigger("LoadTemplate1");
      QStringList titles;
      for (const auto& shown : Prompter::shown()) {
        if (shown.folder.isEmpty()) continue;
        titles << shown.caption;
        QCOMPARE(QFileInfo(shown.folder).canonicalFilePath(), QFileInfo(folder).canonicalFilePath());
        QVERIFY(QFileInfo(shown.folder).isDir());
        QCOMPARE(shown.name, QString());
      }
      QCOMPARE(titles, QStringList({"Save Current Options To .OPT File For Later Reuse",
                                    "Load Previously-saved Options Template File"}));
    }
  }

  void templateRoundTripKeepsTheWindowsPlace() {
    ui->sandbox().MakeDir("C:\\DATA");
    ui->WriteIni({{"Path1", "C:\\DATA"}, {"CreateBackup", "1"}});
    QVERIFY(ui->Start());
    const std::string saved = ui->sandbox().root() + "/mine";
    Prompter::QueueFile(QString::fromStdString(saved));
    Trigger("SaveTemplate1");
    QVERIFY(std::filesystem::exists(saved + ".OPT"));

    ui->WriteIni({{"Path1", "C:\\"}, {"CreateBackup", "0"}, {"MainLeft", "300"}});
    state().profiles.Flush();
    ui->main().move(50, 60);
    ui->main().resize(720, 520);
    Prompter::QueueAnswer(Answer::kNo);  // no template of the current options first
    Prompter::QueueFile(QString::fromStdString(saved + ".OPT"));
    Trigger("LoadTemplate1");
    QCOMPARE(ui->IniValue("CreateBackup"), std::string("1"));
    QCOMPARE(ui->IniValue("Path1"), std::string("C:\\DATA"));
    QCOMPARE(state().opt.DefaultOptions.CreateBackup, 1);
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("C:\\DATA"));
    QCOMPARE(ui->main().pos(), QPoint(50, 60));
    QCOMPARE(ui->main().width(), 720);
  }

  void demonstrationFromTheMenuAndItsRemoval() {
    QVERIFY(ui->Start());
    ui->sandbox().WriteFile("C:\\Documents\\letter.txt", "dear");
    ui->sandbox().WriteFile("C:\\Documents\\old\\draft.txt", "draft");
    std::filesystem::remove_all(ui->sandbox().HostPath("C:\\LOG"));
    const std::string ini = [&] {
      std::ifstream in(ui->IniPath(), std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    Prompter::QueueAnswer(Answer::kOk);
    ClickWhenModal("TFVelqoConf", "BBOkToAll");
    Trigger("RunDemo1");
    QCOMPARE(ui->sandbox().ReadFile("C:\\VelqoDemo\\My Backed Up Documents\\letter.txt"), std::string("dear"));
    QVERIFY(!ui->sandbox().Exists("C:\\VelqoDemo\\My Backed Up Documents\\old"));
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("C:\\"));
    QCOMPARE(state().opt.ActiveOptions.ConfirmEveryFile, 0);
    std::ifstream in(ui->IniPath(), std::ios::binary);
    QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), ini);
    Trigger("RemoveDemo1");
    QVERIFY(!ui->sandbox().Exists("C:\\VelqoDemo"));
    Prompter::Reset();
    Trigger("RemoveDemo1");
    QVERIFY(Prompter::shown().empty());
  }

  void helpAboutAndWebSite() {
    PlatformConfig config = Config();
    QVERIFY(ui->Start({}, true, &config));
    ui->main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&ui->main()));
    ui->find<QToolButton>("SBViewLog")->setFocus();
    Trigger("Contents1");
    QCOMPARE(ui->main().help_viewer()->shown_context(), 12);
    QVERIFY(ui->main().help_viewer()->browser()->toPlainText().contains("The tool bar"));
    ui->find<QPushButton>("BBUpdate")->setFocus();
    Trigger("Contents1");
    QCOMPARE(ui->main().help_viewer()->shown_context(), 0);

    QString thanks;
    WhenModal("TFAbout", [&](QWidget* about) {
      thanks = about->findChild<QPushButton*>("BBThanks")->text();
      QCOMPARE(about->windowTitle(), QString("ProVelqo v5.00"));
      QCOMPARE(about->findChild<QLabel*>("LProduct")->text(), QString::fromUtf8("ProVelqo \u2122 v5.00.04"));
      about->findChild<QPushButton*>("BBThanks")->click();
    });
    Trigger("About1");
    QCOMPARE(thanks, QString("Thank You For Using ProVelqo v5.00"));

    Prompter::Reset();
    Trigger("WebSite1");
    QCOMPARE(Prompter::shown().size(), std::size_t(1));
    QVERIFY(Prompter::shown()[0].text.startsWith(
        "ProVelqo v5.00 Cannot Automatically Access Your Web Browser.  Please Visit Us On The "));
    QCOMPARE(Prompter::shown()[0].caption, QString("ProVelqo"));
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::ToolsTest;
VELQO_UI_TEST(ToolsTest)
#include "tools_test.moc"
