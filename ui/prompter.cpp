#include "ui/prompter.h"

#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "ui/file_panel.h"

#include "common/host/safe_answers.h"

namespace velqo::ui {

namespace {

struct Script {
  std::deque<Answer> answers;
  std::deque<QString> files;
  std::deque<std::optional<QColor>> colors;
  std::deque<std::optional<QFont>> fonts;
  std::vector<Prompter::Shown> shown;
  bool never_block = false;
  int unscripted = 0;
};

Script& TheScript() {
  static Script script;
  return script;
}

QMessageBox::Icon ToQtIcon(Icon icon) {
  switch (icon) {
    case Icon::kWarning:
      return QMessageBox::Warning;
    case Icon::kError:
    case Icon::kStop:
      return QMessageBox::Critical;
    case Icon::kInformation:
      return QMessageBox::Information;
    case Icon::kQuestion:
      return QMessageBox::Question;
    case Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

Answer FromQt(int button, const QString& caption, Buttons buttons) {
  switch (button) {
    case QMessageBox::Ok:
      return Answer::kOk;
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      break;
  }
  // Closed from the frame: the answer that does least.
  return SafeAnswer(caption.toStdString(), buttons);
}

}  // namespace

Answer Prompter::Message(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                         Buttons buttons) {
  Script& script = TheScript();
  script.shown.push_back({caption, text, icon, buttons, {}, {}});
  if (!script.answers.empty()) {
    const Answer answer = script.answers.front();
    script.answers.pop_front();
    return answer;
  }
  if (script.never_block) {
    ++script.unscripted;
    return buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel ? Answer::kYes
                                                                          : Answer::kOk;
  }
  const std::unique_ptr<QMessageBox> box = BuildBox(parent, text, caption, icon, buttons);
  return FromQt(box->exec(), caption, buttons);
}

std::unique_ptr<QMessageBox> Prompter::BuildBox(QWidget* parent, const QString& text,
                                                const QString& caption, Icon icon, Buttons buttons) {
  auto box = std::make_unique<QMessageBox>(ToQtIcon(icon), caption, text, ToQtButtons(buttons), parent);
  box->setObjectName("MessageBox");
  // A caution asks before something that cannot be undone: No is the
  // answer Enter gives.
  if (buttons == Buttons::kYesNo && caption == QLatin1String("Caution!")) {
    box->setDefaultButton(QMessageBox::No);
  }
  // A box sizes itself to its text; one whose caption is longer than a
  // short question would show the caption cut. A row as wide as the
  // caption needs keeps it whole.
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    const QMargins margins = grid->contentsMargins();
    const int width = CaptionWidth(box.get()) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  return box;
}

QString Prompter::FileDialog(QWidget* parent, bool save, const QString& title,
                             const QString& filter, const QString& start_dir) {
  Script& script = TheScript();
  // A dialog opens in a folder with its name box empty: whatever it is
  // given to start from is never offered as a name to save under.
  const QFileInfo start(start_dir.isEmpty() ? QDir::currentPath() : start_dir);
  const QString folder = start.isDir() ? start.absoluteFilePath() : start.absolutePath();
  script.shown.push_back({title, filter, Icon::kNone, Buttons::kOkCancel, folder, QString()});
  if (!script.files.empty()) {
    QString path = script.files.front();
    script.files.pop_front();
    return path;
  }
  if (script.never_block) {
    ++script.unscripted;
    return {};
  }
  // "Text files|*.txt" in the form the file dialog reads.
  QString qt_filter = filter;
  const int bar = filter.indexOf('|');
  if (bar >= 0) qt_filter = filter.left(bar) + " (" + filter.mid(bar + 1) + ")";
  return save ? QFileDialog::getSaveFileName(parent, title, folder, qt_filter)
              : QFileDialog::getOpenFileName(parent, title, folder, qt_filter);
}

QString Prompter::SaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& start_dir) {
  return FileDialog(parent, true, title, filter, start_dir);
}

QString Prompter::OpenFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& start_dir) {
  return FileDialog(parent, false, title, filter, start_dir);
}

// Colour and font dialogs are recorded with their title as the caption.
std::optional<QColor> Prompter::ChooseColor(QWidget* parent, const QColor& initial) {
  Script& script = TheScript();
  script.shown.push_back({"Color", {}, Icon::kNone, Buttons::kOkCancel, {}, {}});
  if (!script.colors.empty()) {
    const std::optional<QColor> color = script.colors.front();
    script.colors.pop_front();
    return color;
  }
  if (script.never_block) {
    ++script.unscripted;
    return std::nullopt;
  }
  // The basic colours and the custom ones, without the full spectrum panel
  // open from the start.
  const QColor color = QColorDialog::getColor(initial, parent, "Color", QColorDialog::DontUseNativeDialog);
  if (!color.isValid()) return std::nullopt;
  return color;
}

std::optional<QFont> Prompter::ChooseFont(QWidget* parent, const QFont& initial) {
  Script& script = TheScript();
  script.shown.push_back({"Font", {}, Icon::kNone, Buttons::kOkCancel, {}, {}});
  if (!script.fonts.empty()) {
    const std::optional<QFont> font = script.fonts.front();
    script.fonts.pop_front();
    return font;
  }
  if (script.never_block) {
    ++script.unscripted;
    return std::nullopt;
  }
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial, parent, "Font");
  if (!ok) return std::nullopt;
  return font;
}

void Prompter::QueueColor(std::optional<QColor> color) { TheScript().colors.push_back(color); }
void Prompter::QueueFont(std::optional<QFont> font) { TheScript().fonts.push_back(font); }
void Prompter::QueueAnswer(Answer answer) { TheScript().answers.push_back(answer); }
void Prompter::QueueFile(const QString& path) { TheScript().files.push_back(path); }
void Prompter::Reset() {
  const bool never_block = TheScript().never_block;
  TheScript() = Script();
  TheScript().never_block = never_block;
}
void Prompter::SetNeverBlock(bool never_block) { TheScript().never_block = never_block; }
int Prompter::unscripted() { return TheScript().unscripted; }
const std::vector<Prompter::Shown>& Prompter::shown() { return TheScript().shown; }
bool Prompter::HasQueuedAnswers() { return !TheScript().answers.empty(); }

}  // namespace velqo::ui
