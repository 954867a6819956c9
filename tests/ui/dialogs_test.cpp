#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/ui_fixture.h"
#include "ui/about.h"
#include "ui/confirm_dialogs.h"
#include "ui/file_panel.h"
#include "ui/help_viewer.h"
#include "ui/int_set.h"
#include "ui/options_dialog.h"
#include "ui/preview_window.h"
#include "ui/prompter.h"
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
    // The working directory's drive is not the log directory's: the drive
    // box follows the tree to the log directory's drive.
    QVERIFY(s.fs.SetCurrentDirectory("C:\\").ok());
    QString drive_shown;
    WhenModal("TFGetDir", [&drive_shown](QWidget* dialog) {
      drive_shown = dialog->findChild<QComboBox*>("DCGetDir")->currentData().toChar();
      dialog->findChild<QPushButton*>("BBOK")->click();
    });
    QVERIFY(TFGetDir::Pick(s, &ui->main(), &chosen));
    QCOMPARE(chosen, QString("d:\\logs\\here"));
    QCOMPARE(drive_shown, QString("d"));

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

  // Every window the program opens shows its whole caption and every label
  // whole inside it, at the desktop's font and at a larger one.
  void noCaptionOrLabelIsWiderThanItsWindow() {
    for (const int grow : {0, 4}) {
      QFont font = QApplication::font();
      font.setPointSize(font.pointSize() + grow);
      ui->main().setFont(font);
      QStringList misfits;
      auto check = [&misfits](QWidget* window) { misfits += Misfits(window); };
      auto check_modal = [&](const QString& name, const QString& button) {
        WhenModal(name, [check, button](QWidget* dialog) {
          check(dialog);
          if (auto* b = dialog->findChild<QPushButton*>(button)) b->click();
          else dialog->close();
        });
      };
      check(&ui->main());
      check_modal("TFVelqoConf", "BBNextFile");
      host().ConfirmCopy("c:\\a\\f.txt", "d:\\a\\f.txt", "1/1/24 new", "1/1/20 old");
      check_modal("TFVelqoRevC", "BBNextFile");
      host().ConfirmOlderCopy("c:\\a\\f.txt", "d:\\a\\f.txt", "1/1/20 old", "1/1/24 new");
      check_modal("TFVelqoDel", "BBNextFile");
      host().ConfirmDelete("d:\\a\\f.txt", "1/1/20 old");
      host().StatusSetFiles("c:\\a\\f.txt", "1/1/24 new", "d:\\a\\f.txt", "1/1/20 old");
      host().StatusShow();
      check(ui->app().stat());
      host().StatusHide();
      QString chosen;
      check_modal("TFGetDir", "BBCancel");
      TFGetDir::Pick(ui->app().state(), &ui->main(), &chosen);
      check_modal("TFIntSet", "BitBtn2");
      int time_choice = -1, date_choice = -1;
      TFIntSet::Ask(&ui->main(), &time_choice, &date_choice);
      check_modal("TFAbout", "BBThanks");
      TFAbout::Show(&ui->main());
      check_modal("TFOptionsDlg", "BBCancel");
      ui->app().options()->Execute();
      ui->main().ShowHelp(0);
      check(ui->main().help_viewer());
      ui->main().help_viewer()->close();
      ui->main().BBPreviewClick();
      check(ui->main().preview_window());
      ui->main().preview_window()->close();
      // Message boxes whose caption is longer than their question.
      for (const char* caption : {"Erase Contents Of Current Log File?", "Delete Confirmation",
                                  "Replace Existing .OPT File?", "Save As Template File?"}) {
        const std::unique_ptr<QMessageBox> box =
            Prompter::BuildBox(&ui->main(), "Sure?", caption, Icon::kQuestion, Buttons::kYesNo);
        box->show();
        QApplication::processEvents();
        check(box.get());
      }
      QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join("; ")));
    }
  }

 private:
  static QStringList Misfits(QWidget* window) {
    QStringList found;
    if (window == nullptr) return {"a window that was not there"};
    QApplication::processEvents();
    if (window->width() < CaptionWidth(window)) {
      found << QString("%1: caption \"%2\" needs %3 px, the window is %4")
                   .arg(window->objectName(), window->windowTitle())
                   .arg(CaptionWidth(window))
                   .arg(window->width());
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (!label->isVisibleTo(window) || label->text().isEmpty()) continue;
      const QRect box(label->mapTo(window, QPoint(0, 0)), label->size());
      const bool cut = !label->wordWrap() && label->width() < label->sizeHint().width();
      if (cut || !window->rect().contains(box)) {
        found << QString("%1: label %2 \"%3\" is %4 px of %5, at %6 in a window %7 wide")
                     .arg(window->objectName(), label->objectName(), label->text())
                     .arg(label->width())
                     .arg(label->sizeHint().width())
                     .arg(box.x())
                     .arg(window->width());
      }
    }
    return found;
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::DialogsTest;
VELQO_UI_TEST(DialogsTest)
#include "dialogs_test.moc"
