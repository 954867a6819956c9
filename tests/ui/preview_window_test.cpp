#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/ui/ui_fixture.h"
#include "ui/preview_window.h"
#include "ui/prompter.h"

namespace velqo::ui::testing {

namespace fsys = std::filesystem;

// Every file under a directory with its size, time and contents.
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fsys::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << fsys::last_write_time(entry.path()).time_since_epoch().count() << ' ' << in.rdbuf();
    files[entry.path().string()] = text.str();
  }
  return files;
}

class PreviewWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UiSandbox> ui;

  void File(const std::string& path, const std::string& text, long mtime) {
    ui->sandbox().WriteFile(path, text);
    ui->sandbox().SetMtime(path, mtime);
  }
  QStringList PlanLines() {
    QStringList lines;
    auto* list = ui->main().preview_window()->findChild<QListWidget*>("LBPreview");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  // Clicks `button` on each confirmation dialog that comes up; counts them.
  int AnswerEveryModal(const std::function<void()>& run, const char* button) {
    int modals = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      ++modals;
      if (auto* b = modal->findChild<QPushButton*>(button)) b->click();
      else modal->close();
    });
    watcher.start(0);
    run();
    watcher.stop();
    return modals;
  }

 private slots:
  void init() { ui = std::make_unique<UiSandbox>(); }
  void cleanup() { ui.reset(); }

  // A CleanUp that deletes two files and copies one: the preview lists
  // exactly what the update then does, and the disk (trees, INI file and
  // log) is as it was after the preview.
  void thePreviewListsWhatTheUpdateThenDoesAndChangesNothing() {
    File("C:\\src\\doc.txt", "newer doc", 1700000000);
    File("D:\\dst\\doc.txt", "doc", 1600000000);
    File("C:\\src\\same.txt", "same", 1600000000);
    File("D:\\dst\\same.txt", "same", 1600000000);
    File("D:\\dst\\stray.txt", "only in dir 2", 1600000000);
    File("D:\\dst\\old\\gone.txt", "also only in dir 2", 1600000000);
    ui->sandbox().MakeDir("C:\\src\\old");
    ui->WriteIni({{"Path1", "C:\\src"}, {"Path2", "D:\\dst"}, {"CleanUp", "1"},
                  {"VelqoOnly", "0"}, {"SelectSeparate", "0"}, {"UseDir1And", "1"},
                  {"ConfirmEveryFile", "1"}});
    QVERIFY(ui->Start());
    const std::map<std::string, std::string> before = Files(ui->sandbox().root());
    const std::size_t boxes_before = Prompter::shown().size();

    const int asked = AnswerEveryModal([&] { ui->find<QPushButton>("BBPreview")->click(); }, "");
    QCOMPARE(asked, 0);
    QCOMPARE(Prompter::shown().size(), boxes_before);
    QVERIFY(Files(ui->sandbox().root()) == before);
    TFPreview* window = ui->main().preview_window();
    QVERIFY(window != nullptr && window->isVisible());
    const QString summary = window->findChild<QLabel*>("LPreviewSummary")->text();
    QVERIFY2(summary.contains("1 copy (9 B), 2 deletions (31 B)"), qPrintable(summary));
    QVERIFY2(summary.contains("  D: 1 copy (9 B), 2 deletions (31 B)"), qPrintable(summary));
    QVERIFY(ui->find<QPushButton>("BBUpdate")->isEnabled());
    QVERIFY(ui->find<QPushButton>("BBPreview")->isEnabled());

    // What the plan says will be deleted and written, by host path.
    std::set<std::string> deleted;
    std::set<std::string> written;
    for (const QString& line : PlanLines()) {
      if (line.endsWith(" will be deleted")) {
        deleted.insert(ui->sandbox().HostPath(line.section(" will be", 0, 0).toStdString()));
      } else {
        const QString target = line.section(QRegularExpression(" will be copied (to|over) "), 1);
        QVERIFY2(!target.isEmpty(), qPrintable(line));
        written.insert(ui->sandbox().HostPath(target.section(" (", 0, 0).toStdString()));
      }
    }
    QCOMPARE(deleted.size() + written.size(), std::size_t(3));

    QVERIFY(AnswerEveryModal([&] { ui->find<QPushButton>("BBUpdate")->click(); }, "BBOK") > 0);
    QVERIFY(!window->isVisible());
    const std::map<std::string, std::string> after = Files(ui->sandbox().root());
    std::set<std::string> gone;
    std::set<std::string> changed;
    for (const auto& [path, text] : before) {
      if (after.count(path) == 0) gone.insert(path);
    }
    // The real run writes the INI file and the log too, which the preview
    // left alone: only the trees are compared.
    const std::string dir1 = ui->sandbox().HostPath("C:\\src");
    const std::string dir2 = ui->sandbox().HostPath("D:\\dst");
    for (const auto& [path, text] : after) {
      if (!path.starts_with(dir1) && !path.starts_with(dir2)) continue;
      if (before.count(path) == 0 || before.at(path) != text) changed.insert(path);
    }
    QVERIFY(gone == deleted);
    QVERIFY(changed == written);
  }

  // The questions of the run are answered for the user and listed; a
  // second preview from the menu replaces the first one's list.
  void theMenuItemPreviewsAndListsTheQuestionsItAnswered() {
    ui->sandbox().MakeDir("C:\\empty");
    File("D:\\dst\\kept.txt", "kept", 1600000000);
    ui->WriteIni({{"Path1", "C:\\empty"}, {"Path2", "D:\\dst"}, {"CleanUp", "1"}});
    QVERIFY(ui->Start());
    const std::size_t boxes_before = Prompter::shown().size();
    ui->main().action("Preview1")->trigger();
    TFPreview* window = ui->main().preview_window();
    QVERIFY(window != nullptr);
    QCOMPARE(Prompter::shown().size(), boxes_before);
    QVERIFY(PlanLines().isEmpty());
    auto* notes = window->findChild<QListWidget*>("LBPreviewNotes");
    QVERIFY(notes->count() >= 1);
    QVERIFY2(notes->item(0)->text().startsWith("[Caution!] Directory Path 1 C:\\empty Is Empty"),
             qPrintable(notes->item(0)->text()));
    QVERIFY(notes->item(0)->text().endsWith("(answered No in the preview)"));
    QVERIFY(ui->sandbox().Exists("D:\\dst\\kept.txt"));

    File("C:\\empty\\kept.txt", "newer kept", 1700000000);
    ui->main().action("Preview1")->trigger();
    QCOMPARE(PlanLines(), QStringList{"C:\\empty\\kept.txt will be copied over D:\\dst\\kept.txt (10 B)"});
    QVERIFY(notes->isHidden());
    QCOMPARE(ui->sandbox().ReadFile("D:\\dst\\kept.txt"), std::string("kept"));
  }
};

}  // namespace velqo::ui::testing

using velqo::ui::testing::PreviewWindowTest;
VELQO_UI_TEST(PreviewWindowTest)
#include "preview_window_test.moc"
