#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "tests/ui/ui_fixture.h"
#include "ui/help_viewer.h"
#include "ui/options_dialog.h"
#include "ui/prompter.h"

namespace velqo::ui::testing {

class OptionsDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  TFOptionsDlg* dlg() { return ui->app().options(); }
  template <typename T>
  T* control(const char* name) {
    T* found = dlg()->findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  AppState& state() { return ui->app().state(); }
  // Opens the dialog without blocking, as the menu item would.
  void Open() {
    Prompter::Reset();
    state().Path1.Clear();
    QVERIFY(state().Path1.Assign(ui->main().Dir1Text().toStdString()));
    dlg()->Prepare();
    dlg()->show();
  }
  bool Shown(const QString& part) {
    for (const auto& box : Prompter::shown()) {
      if (box.text.contains(part)) return true;
    }
    return false;
  }
  void StartWith(const std::map<std::string, std::string>& changes = {}) {
    ui->sandbox().MakeDir("C:\\DATA");
    std::map<std::string, std::string> keys = {{"Path1", "C:\\DATA"}};
    for (const auto& [k, v] : changes) keys[k] = v;
    ui->WriteIni(keys);
    QVERIFY(ui->Start());
  }

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  void pagesControlsAndHelpPerPage() {
    StartWith();
    Open();
    QCOMPARE(dlg()->windowTitle(), QString("These Options Are From WINVELQO.INI"));
    QTabWidget* pages = dlg()->pages();
    QCOMPARE(pages->count(), 5);
    QCOMPARE(pages->tabText(2), QString("&Command Line Switches"));
    QCOMPARE(control<QRadioButton>("RBCleanUp")->text(), QString("Clean&Up (Replace Dir2 With Dir1)"));
    QCOMPARE(control<QCheckBox>("CBXATTR")->text(), QString("/O - Over&write Read-Only Files"));
    QVERIFY(control<QCheckBox>("CBArchiveFilter")->isTristate());
    QCOMPARE(control<QCheckBox>("CBArchiveFilter")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(control<QLineEdit>("EExtString")->maxLength(), 4000);
    QVERIFY(control<QRadioButton>("RBSelectSeparate")->isChecked());
    QVERIFY(control<QRadioButton>("RBExcl")->isChecked());  // Incl=0
    QVERIFY(!control<QCheckBox>("CBDeleteExclDays")->isEnabled());
    QVERIFY(!control<QPushButton>("BBDeleteOptUpd")->isEnabled());
    control<QCheckBox>("CBExclDays")->click();
    QVERIFY(control<QCheckBox>("CBDeleteExclDays")->isEnabled());

    const std::pair<int, int> page_topics[] = {{0, 47}, {1, 21}, {2, 48}, {3, 34}, {4, 49}};
    for (const auto& [page, topic] : page_topics) {
      pages->setCurrentIndex(page);
      control<QPushButton>("BBHelp")->click();
      QVERIFY(ui->main().help_viewer() != nullptr);
      QCOMPARE(ui->main().help_viewer()->shown_context(), topic);
    }
    // The page showing at closing is the one the next opening starts on.
    pages->setCurrentIndex(3);
    control<QPushButton>("BBCancel")->click();
    pages->setCurrentIndex(0);
    Open();
    QCOMPARE(pages->currentIndex(), 3);
  }

  void controlsReachTheDefaultsAndAGrayedBoxStoresTwo() {
    StartWith();
    Open();
    control<QRadioButton>("RBUseDir1And")->click();
    control<QRadioButton>("RBAdd1To2")->click();
    control<QCheckBox>("CBCreateBackup")->setChecked(true);
    control<QCheckBox>("CBHiddenFilter")->setCheckState(Qt::PartiallyChecked);
    control<QCheckBox>("CBExclDays")->setChecked(true);
    control<QLineEdit>("EExclDaysInt")->setText("");
    control<QCheckBox>("CBDeleteExclDays")->setChecked(true);
    auto* drive = control<QComboBox>("DCExclDaysDrive");
    drive->setCurrentIndex(drive->findData(QChar('e')));
    control<QRadioButton>("RBIncl")->click();
    control<QLineEdit>("EExtString")->setText("txt,doc");
    control<QRadioButton>("RBDailyLog")->click();
    control<QCheckBox>("CBSaveDefaults")->setChecked(true);
    control<QPushButton>("BBOK")->click();
    QVERIFY(!dlg()->isVisible());
    QCOMPARE(dlg()->result(), int(QDialog::Accepted));
    QCOMPARE(ui->IniValue("UseDir1And"), std::string("1"));
    QCOMPARE(ui->IniValue("SelectSeparate"), std::string("0"));
    QCOMPARE(ui->IniValue("Add1To2"), std::string("1"));
    QCOMPARE(ui->IniValue("VelqoOnly"), std::string("0"));
    QCOMPARE(ui->IniValue("CreateBackup"), std::string("1"));
    QCOMPARE(ui->IniValue("HiddenFilter"), std::string("2"));
    QCOMPARE(ui->IniValue("ExclDaysInt"), std::string("0"));  // empty box: the count kept
    QCOMPARE(ui->IniValue("DeleteExclDays"), std::string("1"));
    QCOMPARE(ui->IniValue("ExclDaysDriveString"), std::string("e"));
    QCOMPARE(ui->IniValue("Incl"), std::string("1"));
    QCOMPARE(ui->IniValue("ExtString"), std::string("txt,doc"));
    QCOMPARE(ui->IniValue("AutoGenerateFile"), std::string("1"));
    // The window follows the new defaults: the walking mode shows its progress bar.
    QVERIFY(ui->widget("PB1")->isVisible());
  }

  void okRefusalsKeepTheDialogOpen() {
    StartWith();
    Open();
    control<QLineEdit>("EExclDaysInt")->setText("ten");
    control<QPushButton>("BBOK")->click();
    QVERIFY(dlg()->isVisible());
    QVERIFY(Shown("Invalid Number Of Days For Exclude Files Older Than..."));
    control<QLineEdit>("EExclDaysInt")->setText("10");
    control<QRadioButton>("RBUseDir1")->click();
    control<QPushButton>("BBOK")->click();
    QVERIFY(dlg()->isVisible());
    QVERIFY(Shown("Must Be Saved As Default Settings."));
    QVERIFY(control<QRadioButton>("RBSelectSeparate")->isChecked());
    QVERIFY(!control<QRadioButton>("RBUseDir1")->isChecked());
    control<QPushButton>("BBOK")->click();
    QVERIFY(!dlg()->isVisible());
    QVERIFY(Shown("Will Be Used For This Session Only."));
    QCOMPARE(state().opt.SessionOptions.ExclDaysInt, 10);
    QCOMPARE(ui->IniValue("ExclDaysInt"), std::string("0"));
  }

  void deletingOptionsUpdReopensWithTheIniCaption() {
    StartWith({{"IgnoreOptUpd", "0"}});
    ui->sandbox().WriteFile("C:\\DATA\\OPTIONS.UPD", "[WINVELQO]\nCleanUp=1\nVelqoOnly=0\n");
    QString first_caption;
    QString second_caption;
    bool second_delete_enabled = true;
    Prompter::QueueAnswer(Answer::kYes);
    WhenModal("TFOptionsDlg", [&](QWidget* first) {
      first_caption = first->windowTitle();
      first->findChild<QPushButton*>("BBDeleteOptUpd")->click();
      WhenModal("TFOptionsDlg", [&](QWidget* second) {
        second_caption = second->windowTitle();
        second_delete_enabled = second->findChild<QPushButton*>("BBDeleteOptUpd")->isEnabled();
        second->findChild<QPushButton*>("BBCancel")->click();
      });
    });
    ui->main().Options1Click();
    QCOMPARE(first_caption, QString("These Options Are From OPTIONS.UPD In Dir1"));
    QCOMPARE(second_caption, QString("These Options Are From WINVELQO.INI"));
    QVERIFY(!second_delete_enabled);
    QVERIFY(!ui->sandbox().Exists("C:\\DATA\\OPTIONS.UPD"));
  }

  void batchModeShowsTheSessionSetAndSaysTheFileIsNotUsed() {
    StartWith({{"UseBatchFile", "1"}});
    ui->sandbox().WriteFile("C:\\DATA\\OPTIONS.UPD", "[WINVELQO]\nCleanUp=1\nVelqoOnly=0\n");
    Prompter::Reset();
    QVERIFY(state().Path1.Assign("C:\\DATA"));
    dlg()->Prepare();
    QVERIFY(Shown("But Is Not Being Used By This Options Dialog"));
    QCOMPARE(dlg()->windowTitle(), QString("These Options Are From WINVELQO.INI"));
    QVERIFY(control<QRadioButton>("RBVelqoOnly")->isChecked());
    QVERIFY(control<QPushButton>("BBDeleteOptUpd")->isEnabled());
  }

  void cancelKeepsTheColourTheSkinAndTheLogBrowse() {
    StartWith();
    Open();
    Prompter::QueueColor(QColor(1, 2, 3));
    control<QPushButton>("BBWindowColor")->click();
    QCOMPARE(ui->IniValue("MWCurBkGndColor"), std::string("197121"));
    QCOMPARE(ui->widget("PDirs")->palette().color(QPalette::Window), QColor(1, 2, 3));

    auto* skins = control<QComboBox>("CBSkins");
    QCOMPARE(skins->itemText(0), QString("None"));
    const int ocean = skins->findText("Ocean");
    QVERIFY(ocean > 0);
    skins->setCurrentIndex(ocean);
    emit skins->activated(ocean);
    QVERIFY(!qApp->styleSheet().isEmpty());
    QCOMPARE(state().window.SkinInUse, std::string("Ocean"));

    ClickWhenModal("TFGetDir", "BBOK");
    control<QPushButton>("BBBrowse")->click();
    QCOMPARE(control<QLineEdit>("ELogFilePath")->text().toLower(), QString("c:\\log"));

    control<QPushButton>("BBCancel")->click();
    QVERIFY(!dlg()->isVisible());
    QCOMPARE(ui->IniValue("MWCurBkGndColor"), std::string("197121"));
    QCOMPARE(state().window.SkinInUse, std::string("Ocean"));
    QVERIFY(!qApp->styleSheet().isEmpty());

    Open();
    QCOMPARE(skins->currentText(), QString("Ocean"));
    skins->setCurrentIndex(0);
    emit skins->activated(0);
    QVERIFY(qApp->styleSheet().isEmpty());
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::OptionsDialogTest;
VELQO_UI_TEST(OptionsDialogTest)
#include "options_dialog_test.moc"
