#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/ui_fixture.h"
#include "ui/confirm_dialogs.h"
#include "ui/get_dir.h"
#include "ui/status_window.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui::testing {

namespace {

// Once the modal dialog is up: checks nothing, just presses one button (or
// closes the dialog from its frame when button is empty).
void PressWhenShown(const QString& button) {
  QTimer::singleShot(20, [button] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return PressWhenShown(button);
    if (button.isEmpty()) {
      dialog->close();
    } else if (auto* b = dialog->findChild<QPushButton*>(button)) {
      b->click();
    }
  });
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  QtHost& host() { return ui->app().host(); }

 private slots:
  void init() {
    ui = std::make_unique<UiSandbox>();
    ui->WriteIni();
    QVERIFY(ui->Start());
  }
  void cleanup() { ui.reset(); }

  void eachButtonEndsTheCopyDialogWithItsResult() {
    const std::vector<std::pair<const char*, int>> buttons = {
        {"BBOK", mrOk},           {"BBOkToAll", mrOkToAll},       {"BBNextFile", mrNextFile},
        {"BBNextDir", mrNextDirectory}, {"BBDeletePair", mrDeletePair}, {"BBCancelUpdate", mrCancelUpdate},
        {"", mrCancel}};
    for (const auto& [button, result] : buttons) {
      PressWhenShown(button);
      QCOMPARE(host().ConfirmCopy("c:\\a\\f.txt", "d:\\a\\f.txt", "1/1/24 new", "1/1/20 old"), result);
    }
    ConfirmDialog* conf = ui->app().conf();
    QCOMPARE(conf->windowTitle(), QString("Velqo Confirmation"));
    QCOMPARE(conf->findChild<QLabel*>("LMiddle")->text(), QString("Will Be Copied To:"));
    QCOMPARE(conf->findChild<QLabel*>("LFile1Name")->text(), QString("c:\\a\\f.txt"));
    QCOMPARE(conf->findChild<QLabel*>("LFile2Data")->text(), QString("1/1/20 old"));
    QCOMPARE(conf->findChild<QPushButton*>("BBOkToAll")->text(), QString("OK To &All"));
    QCOMPARE(conf->findChild<QPushButton*>("BBCancelUpdate")->text(), QString("&Cancel UpDate"));
  }

  void cleanUpDialogsHaveTheirOwnTextsAndResults() {
    PressWhenShown("BBOkToAll");
    QCOMPARE(host().ConfirmDelete("d:\\x\\old.txt", "info"), mrOkToAllDelete);
    ConfirmDialog* del = ui->app().del();
    QCOMPARE(del->windowTitle(), QString("Velqo Delete Confirmation"));
    QCOMPARE(del->findChild<QLabel*>("LMiddle")->text(), QString("Will Be DELETED - Are You Sure??"));
    QVERIFY(del->findChild<QWidget*>("Panel4") == nullptr);
    QVERIFY(del->findChild<QPushButton*>("BBDeletePair") == nullptr);
    QCOMPARE(del->findChild<QPushButton*>("BBCancelUpdate")->text(), QString("Cancel CleanUp"));

    PressWhenShown("BBOkToAll");
    QCOMPARE(host().ConfirmOlderCopy("c:\\o.txt", "d:\\o.txt", "old", "new"), mrOkToAll);
    PressWhenShown("BBNextDir");
    QCOMPARE(host().ConfirmOlderCopy("c:\\o.txt", "d:\\o.txt", "old", "new"), mrNextDirectory);
    ConfirmDialog* revc = ui->app().revc();
    QCOMPARE(revc->windowTitle(), QString("Velqo CleanUp Confirmation"));
    QCOMPARE(revc->findChild<QLabel*>("LBottom")->text(),
             QString("But Will Be Used To Replace It - ARE YOU SURE?"));
    QVERIFY(revc->findChild<QPushButton*>("BBDeletePair") == nullptr);
  }

  void sizesFollowTheCaptionSettingAndFontTheMainWindow() {
    QFont font = ui->main().font();
    font.setPointSize(font.pointSize() + 1);
    ui->main().setFont(font);
    for (bool large : {true, false}) {
      ui->main().SetLargeCaption(large);
      PressWhenShown("BBNextFile");
      host().ConfirmCopy("c:\\a", "d:\\a", "", "");
      ConfirmDialog* conf = ui->app().conf();
      QCOMPARE(conf->width(), std::max(large ? 674 : 540, conf->minimumSizeHint().width()));
      QCOMPARE(conf->font(), font);
    }
    ui->main().SetLargeCaption(true);
    PressWhenShown("BBNextFile");
    host().ConfirmDelete("c:\\a", "");
    QCOMPARE(ui->app().del()->height(), std::max(247, ui->app().del()->minimumSizeHint().height()));
  }

  void statusWindowShowsItsPanelsAndItsCancelStopsTheRun() {
    TFVelqoStat* stat = ui->app().stat();
    host().StatusSetMode("Is Being Deleted...");
    host().StatusSetSingle("d:\\gone.txt", "data");
    host().StatusShow();
    QVERIFY(stat->isVisible());
    QVERIFY(!stat->isModal());
    QVERIFY(!stat->findChild<QWidget*>("Panel4")->isVisible());
    QCOMPARE(stat->findChild<QLabel*>("LMode")->text(), QString("Is Being Deleted..."));
    host().StatusSetFiles("c:\\s", "sd", "d:\\t", "td");
    // The latest state shows within the pacing interval.
    QTRY_VERIFY(stat->findChild<QWidget*>("Panel4")->isVisible());
    QCOMPARE(stat->findChild<QLabel*>("LFile2Name")->text(), QString("d:\\t"));
    auto* cancel = stat->findChild<QPushButton*>("BBCancelVelqo");
    QCOMPARE(cancel->text(), QString("Cancel UpDate"));
    cancel->click();
    QVERIFY(!stat->isVisible());
    QCOMPARE(ui->app().state().flags.CancelRequested, 1);
    QCOMPARE(ui->app().state().flags.PairStopped, 1);
  }

  void selectDirectoryOpensOnTheLogDirectoryOrTheDriveRoot() {
    AppState& s = ui->app().state();
    ui->sandbox().MakeDir("D:\\Logs\\Here");
    QVERIFY(s.opt.DefaultOptions.LogFilePath.Assign("d:\\logs\\here"));
    QString chosen;
    PressWhenShown("BBOK");
    QVERIFY(TFGetDir::Pick(s, &ui->main(), &chosen));
    QCOMPARE(chosen, QString("d:\\logs\\here"));

    QVERIFY(s.opt.DefaultOptions.LogFilePath.Assign("d:\\missing"));
    QVERIFY(s.fs.SetCurrentDirectory("E:\\").ok());
    PressWhenShown("BBOK");
    QVERIFY(TFGetDir::Pick(s, &ui->main(), &chosen));
    QCOMPARE(chosen, QString("e:\\"));

    chosen = "untouched";
    PressWhenShown("BBCancel");
    QVERIFY(!TFGetDir::Pick(s, &ui->main(), &chosen));
    QCOMPARE(chosen, QString("untouched"));
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::DialogsTest;
VELQO_UI_TEST(DialogsTest)
#include "dialogs_test.moc"
