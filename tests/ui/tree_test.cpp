#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/ui/ui_fixture.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui::testing {

class TreeTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  TTarquelDir* Tree(const char* name) { return ui->find<TTarquelDir>(name); }
  void DoubleClick(TTarquelDir* tree, QTreeWidgetItem* item) {
    QVERIFY(item != nullptr);
    const QRect place = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place.center());
  }

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  void doubleClicksFillTheEditFieldsAndOpenTheDirectory() {
    ui->sandbox().MakeDir("C:\\Work\\Src\\Lib");
    ui->sandbox().MakeDir("D:\\Back");
    ui->WriteIni({{"Path1", "C:\\Work\\Src"}, {"Path2", "D:\\"}});
    QVERIFY(ui->Start());
    TTarquelDir* do1 = Tree("DO1");
    QTreeWidgetItem* src = do1->ItemOfPath("c:\\work\\src");
    QVERIFY(src != nullptr);
    QVERIFY(!src->isExpanded());
    DoubleClick(do1, src);
    QCOMPARE(ui->find<QLineEdit>("EDir1")->text(), QString("c:\\work\\src"));
    QVERIFY(src->isExpanded());
    QCOMPARE(src->childCount(), 1);
    QCOMPARE(src->child(0)->text(0), QString("lib"));
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("D:\\"));

    TTarquelDir* do2 = Tree("DO2");
    do2->expandItem(do2->topLevelItem(0));  // the arrow lists the level
    DoubleClick(do2, do2->ItemOfPath("d:\\back"));
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("d:\\back"));
  }

  void inStructureModeTheDir1DoubleClickAlsoSetsDir2() {
    ui->sandbox().MakeDir("C:\\Work\\Src");
    ui->WriteIni({{"Path1", "C:\\Work\\Src"}, {"Path2", "E:\\"}, {"UseDir1", "1"}, {"SelectSeparate", "0"}});
    QVERIFY(ui->Start());
    DoubleClick(Tree("DO1"), Tree("DO1")->ItemOfPath("c:\\work\\src"));
    QCOMPARE(ui->find<QLineEdit>("EDir2")->text(), QString("e:\\work\\src"));
  }

  void theDriveSelectorSwitchesTheTreeAndTheSwitchesFilterIt() {
    ui->sandbox().MakeDir("C:\\.hidden");
    ui->sandbox().MakeDir("C:\\shown");
    ui->sandbox().MakeDir("E:\\other");
    ui->WriteIni({{"Path1", "C:\\"}, {"IncHidDir", "1"}});
    QVERIFY(ui->Start());
    TTarquelDir* do1 = Tree("DO1");
    do1->expandItem(do1->topLevelItem(0));
    // Dot names stay out even with hidden directories on.
    QVERIFY(do1->ItemOfPath("c:\\shown") != nullptr);
    QVERIFY(do1->ItemOfPath("c:\\.hidden") == nullptr);
    auto* dc1 = ui->find<QComboBox>("DC1");
    dc1->setCurrentIndex(dc1->findData(QChar('e')));
    emit dc1->activated(dc1->currentIndex());
    QCOMPARE(do1->CurrentDirectory(), QString("e:\\"));
    QCOMPARE(do1->topLevelItem(0)->text(0), QString("e:\\"));
    do1->expandItem(do1->topLevelItem(0));
    QVERIFY(do1->ItemOfPath("e:\\other") != nullptr);
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::TreeTest;
VELQO_UI_TEST(TreeTest)
#include "tree_test.moc"
