#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QScreen>

#include "tests/ui/ui_fixture.h"
#include "ui/hint_gate.h"
#include "ui/logic/layout_rules.h"
#include "ui/prompter.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui::testing {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  QMenu* Menu(const char* name) { return ui->main().menuBar()->findChild<QMenu*>(name); }
  int SelectDriveIndex(QComboBox* selector, char letter) {
    return selector->findData(QChar(letter));
  }

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  void controlsMenusAndHintsAreThereByName() {
    ui->WriteIni({{"ShowHints", "0"}});
    QVERIFY(ui->Start());
    for (const char* name : {"EDir1", "EDir2", "LDir1", "LDir2", "LD1", "LD2", "DO1", "DO2", "DC1",
                             "DC2", "PB1", "BBUpdate", "BBPreview", "BBMCancel", "StatusBar1", "CBBatchFile",
                             "LBDirPairs", "SBIniEdit", "SBViewLog", "SBClearLog"}) {
      QVERIFY2(ui->widget(name) != nullptr, name);
    }
    QCOMPARE(ui->find<QLabel>("LDir1")->text(), QString("Dir 1:"));
    QCOMPARE(ui->find<QLabel>("LDirPairs")->text(), QString("Directory Pairs: "));
    QCOMPARE(ui->find<QPushButton>("BBUpdate")->text(), QString("Update"));
    QCOMPARE(ui->find<QToolButton>("SBIniEdit")->toolTip(), QString("Edit WinVelqo.INI"));
    QCOMPARE(ui->find<QToolButton>("SBClearLog")->toolTip(), QString("Clear Current Log File"));
    QCOMPARE(ui->widget("PTop")->property("helpContext").toInt(), 12);
    QVERIFY(!HintGate::Instance().hints_on());

    QCOMPARE(Menu("File1")->title(), QString("&File"));
    QCOMPARE(Menu("Help1")->title(), QString("&Help  "));
    QCOMPARE(Menu("Demo1")->property("helpContext").toInt(), 42);
    QCOMPARE(Menu("Options2")->property("helpContext").toInt(), 40);
    QCOMPARE(ui->main().action("EditIni1")->text(), QString("&Edit WINVELQO.INI..."));
    QCOMPARE(ui->main().action("SaveTemplate1")->statusTip(),
             QString("Save the current set of default options to a named .opt file"));
    QCOMPARE(ui->main().action("Contents1")->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(ui->main().action("Exit1")->isEnabled());
    for (const char* item : {"Options1", "SaveTemplate1", "LoadTemplate1", "RunDemo1", "RemoveDemo1",
                             "ViewLog1", "ClearLog1", "EditIni1", "Contents1", "WebSite1", "About1"}) {
      QVERIFY2(ui->main().action(item)->isEnabled(), item);
    }
    QVERIFY(!ui->main().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  }

  void singlePairLayoutShowsBothTreesAtTheStoredPaths() {
    ui->sandbox().MakeDir("C:\\Work\\Src");
    ui->sandbox().MakeDir("D:\\Back");
    ui->WriteIni({{"Path1", "c:\\work\\src"}, {"Path2", "d:\\back"}, {"ShowHints", "1"}});
    QVERIFY(ui->Start());
    QVERIFY(HintGate::Instance().hints_on());
    QVERIFY(ui->widget("PDirs")->isVisible());
    QVERIFY(!ui->widget("PBatch")->isVisible());
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("c:\\work\\src"));
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("d:\\back"));
    QCOMPARE(ui->find<TTarquelDir>("DO1")->CurrentDirectory(), QString("c:\\work\\src"));
    QCOMPARE(ui->find<TTarquelDir>("DO1")->currentItem()->text(0), QString("src"));
    QCOMPARE(ui->find<TTarquelDir>("DO2")->CurrentDirectory(), QString("d:\\back"));
    QCOMPARE(ui->find<QComboBox>("DC2")->currentData().toChar(), QChar('d'));
    // One pair alone: no progress to show.
    QVERIFY(!ui->widget("PB1")->isVisible());
    QVERIFY(!ui->widget("BBMCancel")->isVisible());
    QCOMPARE(ui->find<QLabel>("LD2")->text(), QString("Directories"));
  }

  void structureLayoutHidesTheSecondTreeAndFollowsTheDrive() {
    ui->sandbox().MakeDir("D:\\work\\src");
    ui->WriteIni({{"Path1", "d:\\work\\src"}, {"Path2", "c:\\"}, {"UseDir1", "1"},
                  {"SelectSeparate", "0"}});
    QVERIFY(ui->Start());
    QCOMPARE(ui->find<QLabel>("LD2")->text(), QString("Drive"));
    QVERIFY(!ui->widget("DO2")->isVisible());
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("c:\\work\\src"));
    auto* dc2 = ui->find<QComboBox>("DC2");
    dc2->setCurrentIndex(SelectDriveIndex(dc2, 'e'));
    emit dc2->activated(dc2->currentIndex());
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("e:\\work\\src"));
  }

  void batchLayoutListsTheBatchesAndStoresTheChoice() {
    ui->WriteIni({{"UseBatchFile", "1"}, {"SelectSeparate", "1"}, {"LastBatch", "2"}});
    ui->AppendIni("[Batch1]\r\nDescription=Photos\r\nDirPair1=c:\\a!d:\\a\r\n"
                  "[Batch2]\r\nDirPair1=c:\\b!d:\\b\r\nDirPair2=c:\\c!d:\\c\r\n");
    QVERIFY(ui->Start());
    QVERIFY(ui->widget("PBatch")->isVisible());
    QVERIFY(!ui->widget("PDirs")->isVisible());
    QVERIFY(ui->widget("PB1")->isVisible());
    auto* batches = ui->find<QComboBox>("CBBatchFile");
    QCOMPARE(batches->count(), 2);
    QCOMPARE(batches->itemText(0), QString("Photos"));
    QCOMPARE(batches->currentIndex(), 1);
    QCOMPARE(ui->find<QListWidget>("LBDirPairs")->count(), 2);
    batches->setCurrentIndex(0);
    emit batches->activated(0);
    QCOMPARE(ui->find<QListWidget>("LBDirPairs")->count(), 1);
    QCOMPARE(ui->find<QListWidget>("LBDirPairs")->item(0)->text(), QString("c:\\a!d:\\a"));
    QCOMPARE(ui->IniValue("LastBatch"), std::string("1"));
  }

  void layoutRulesHoldForBothConstantSetsAndTheMinimumSize() {
    ui->WriteIni();
    QVERIFY(ui->Start());
    TFMain& main = ui->main();
    for (bool large : {false, true}) {
      main.SetLargeCaption(large);
      main.resize(760, 560);
      QApplication::processEvents();
      QWidget* panel = ui->widget("PDirs");
      const DirectoryLayout l = ComputeDirectoryLayout(large, panel->width(), panel->height());
      QCOMPARE(ui->widget("DO1")->width(), l.tree_width);
      QCOMPARE(ui->widget("DO1")->height(), l.tree_height);
      QCOMPARE(ui->widget("DO2")->x(), l.column2_left);
      QCOMPARE(ui->widget("DC2")->y(), l.drive_top);
      QCOMPARE(ui->widget("EDir1")->width(), l.edit_width);
      // Update and Preview share the update width, Preview at its right end.
      const UpdateRow row = SplitUpdateRow(large, ui->widget("BBUpdate")->x(), l.update_width);
      QCOMPARE(ui->widget("BBUpdate")->width(), row.update_width);
      QCOMPARE(ui->widget("BBPreview")->geometry().right() + 1 - ui->widget("BBUpdate")->x(), l.update_width);
      QVERIFY(ui->widget("BBPreview")->x() > ui->widget("BBUpdate")->geometry().right());
      main.resize(100, 100);
      QApplication::processEvents();
      const MinimumSize minimum = MainMinimumSize(large);
      QCOMPARE(main.width(), minimum.width);
      QCOMPARE(main.height(), minimum.height);
    }
  }

  void closingStoresGeometryAndValidPathsOnly() {
    ui->sandbox().MakeDir("C:\\new");
    ui->WriteIni({{"Path1", "C:\\"}, {"Path2", "D:\\"}});
    QVERIFY(ui->Start());
    ui->main().move(44, 55);
    ui->main().resize(640, 480);
    ui->find<QLineEdit>("EDir1")->setText("c:\\new");
    ui->find<QLineEdit>("EDir2")->setText("d:\\not there");
    const QRect frame = ui->main().frameGeometry();
    ui->main().close();
    // The frame is stored, as the window is placed by its frame.
    QCOMPARE(ui->IniValue("MainLeft"), std::string("44"));
    QCOMPARE(ui->IniValue("MainTop"), std::string("55"));
    QCOMPARE(ui->IniValue("MainWidth"), std::to_string(frame.width()));
    QCOMPARE(ui->IniValue("MainHeight"), std::to_string(frame.height()));
    QVERIFY(frame.width() >= 640);
    QCOMPARE(ui->IniValue("Path1"), std::string("c:\\new"));
    QCOMPARE(ui->IniValue("Path2"), std::string("D:\\"));
    QCOMPARE(Prompter::shown().back().text, QString("Directory Path 2 is invalid and will not be saved"));
  }

  void theUpdateButtonHasTheFocusWhenTheWindowOpens() {
    ui->WriteIni();
    QVERIFY(ui->Start());
    auto* update = ui->find<QPushButton>("BBUpdate");
    QTRY_COMPARE(ui->main().focusWidget(), static_cast<QWidget*>(update));
    QVERIFY(update->hasFocus());
    // Again after the window has been hidden and shown (an edited INI file).
    ui->find<QToolButton>("SBViewLog")->setFocus();
    ui->main().hide();
    ui->main().show();
    QTRY_COMPARE(ui->main().focusWidget(), static_cast<QWidget*>(update));
  }

  // Each round starts the program anew on the INI file the last one wrote.
  void theWindowComesBackWhereItWasClosedRoundAfterRound() {
    ui->WriteIni({{"MainLeft", "123"}, {"MainTop", "87"}, {"MainWidth", "655"}, {"MainHeight", "456"}});
    const QRect stored(123, 87, 655, 456);
    for (int round = 0; round < 4; ++round) {
      QVERIFY(ui->Start());
      QTest::qWait(450);  // until the frame has been checked
      QCOMPARE(ui->main().frameGeometry(), stored);
      ui->main().close();
      QCOMPARE(ui->IniValue("MainLeft"), std::string("123"));
      QCOMPARE(ui->IniValue("MainTop"), std::string("87"));
      QCOMPARE(ui->IniValue("MainWidth"), std::string("655"));
      QCOMPARE(ui->IniValue("MainHeight"), std::string("456"));
      ui->Stop();
    }
    // A place moved to by the user is the next start's too.
    QVERIFY(ui->Start());
    ui->main().move(201, 99);
    QApplication::processEvents();
    ui->main().close();
    ui->Stop();
    QVERIFY(ui->Start());
    QTest::qWait(450);
    QCOMPARE(ui->main().frameGeometry(), QRect(201, 99, 655, 456));
  }

  void aPlaceOffEveryScreenComesBackWithItsTitleBarOnOne() {
    ui->WriteIni({{"MainLeft", "-5000"}, {"MainTop", "9000"}, {"MainWidth", "640"}, {"MainHeight", "480"}});
    QVERIFY(ui->Start());
    QTest::qWait(450);
    const QRect frame = ui->main().frameGeometry();
    const QRect screen = ui->main().screen()->availableGeometry();
    QCOMPARE(frame.size(), QSize(640, 480));
    QVERIFY(screen.contains(QRect(frame.topLeft(), QSize(frame.width(), ui->main().geometry().top() - frame.top()))));
  }

  void toolButtonHintsShowWithShowHintsEvenWhenAnotherWindowIsActive() {
    ui->WriteIni({{"ShowHints", "1"}});
    QVERIFY(ui->Start());
    QWidget other;
    other.setObjectName("OtherWindow");
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    auto* tool = ui->find<QToolButton>("SBViewLog");
    QTest::mouseMove(tool, tool->rect().center());
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString("View Log File"));
    QToolTip::hideText();
  }

  void closingUnderReadOnlyPathsKeepsThePaths() {
    ui->sandbox().MakeDir("C:\\new");
    ui->WriteIni({{"Path1", "C:\\"}});
    QVERIFY(ui->Start({"/G"}));
    ui->find<QLineEdit>("EDir1")->setText("c:\\new");
    ui->main().close();
    QCOMPARE(ui->IniValue("Path1"), std::string("C:\\"));
    QCOMPARE(ui->IniValue("MainLeft"), std::string(std::to_string(ui->main().pos().x())));
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::MainWindowTest;
VELQO_UI_TEST(MainWindowTest)
#include "main_window_test.moc"
