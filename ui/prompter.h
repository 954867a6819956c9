#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/host/host.h"

class QMessageBox;
class QWidget;

namespace velqo::ui {

// Every message box and file dialog of the program goes through here. A
// test queues the next answers; a box or dialog with a queued answer is
// recorded and answered without being shown, so no test blocks on a modal
// window.
class Prompter {
 public:
  struct Shown {
    QString caption;
    QString text;
    Icon icon = Icon::kNone;
    Buttons buttons = Buttons::kOk;
    // File dialogs: the folder they open in and the name they propose.
    QString folder;
    QString name;
  };

  static Answer Message(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                        Buttons buttons);
  // The box Message shows, made but not shown.
  static std::unique_ptr<QMessageBox> BuildBox(QWidget* parent, const QString& text,
                                               const QString& caption, Icon icon, Buttons buttons);
  // Empty when cancelled. filter is "Description|*.ext"; start_dir a host
  // directory (empty: the working directory).
  static QString SaveFile(QWidget* parent, const QString& title, const QString& filter,
                          const QString& start_dir);
  static QString OpenFile(QWidget* parent, const QString& title, const QString& filter,
                          const QString& start_dir);

  // The colour and font dialogs; nothing when cancelled.
  static std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial);
  static std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial);

  // For tests.
  static void QueueAnswer(Answer answer);
  static void QueueColor(std::optional<QColor> color);  // nothing: cancelled
  static void QueueFont(std::optional<QFont> font);
  static void QueueFile(const QString& path);  // an empty path cancels
  static void Reset();
  // Tests: a box nobody queued an answer for gets its first button (OK or
  // Yes) and a file dialog is cancelled, and both are counted, instead of
  // waiting for a person.
  static void SetNeverBlock(bool never_block);
  static int unscripted();
  static const std::vector<Shown>& shown();
  static bool HasQueuedAnswers();

 private:
  static QString FileDialog(QWidget* parent, bool save, const QString& title, const QString& filter,
                            const QString& start_dir);
};

}  // namespace velqo::ui
