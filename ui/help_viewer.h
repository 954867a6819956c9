#pragma once

#include <QDialog>

#include "common/platform/platform.h"

class QTextBrowser;

namespace velqo::ui {

// The program's own help viewer: the HTML topics shipped in the data
// directory's help folder, opened at a help context. One modeless window,
// reused; the links between topics work inside it.
class THelpViewer : public QDialog {
  Q_OBJECT

 public:
  THelpViewer(Platform& fs, QWidget* parent);

  // Shows the topic of a help context (0: the contents page). False, after
  // saying so, when the topic's file is missing.
  bool ShowTopic(int context);
  int shown_context() const { return shown_context_; }
  QTextBrowser* browser() const { return text_; }

 private:
  Platform& fs_;
  QTextBrowser* text_;
  int shown_context_ = -1;
};

}  // namespace velqo::ui
