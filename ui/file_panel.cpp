#include "ui/file_panel.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/logic/layout_rules.h"

namespace velqo::ui {

FilePanel::FilePanel(int index, const QString& object_name, QWidget* parent) : QFrame(parent) {
  setObjectName(object_name);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  const QString n = QString::number(index);
  name_ = CentredText(QString(), "LFile" + n + "Name", this);
  data_ = CentredText(QString(), "LFile" + n + "Data", this);
  // Paths are arbitrary text: never let a name be read as markup.
  name_->setTextFormat(Qt::PlainText);
  data_->setTextFormat(Qt::PlainText);
  name_->setWordWrap(true);
  name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name_);
  layout->addWidget(data_);
}

void FilePanel::SetFile(const QString& path, const QString& details) {
  name_->setText(path);
  data_->setText(details);
}

QLabel* CentredText(const QString& text, const QString& object_name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(object_name);
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

int CaptionWidth(const QWidget* window) {
  // Title bars commonly draw in bold, in the desktop's font or the window's.
  int text = 0;
  for (QFont font : {window->font(), QApplication::font()}) {
    font.setBold(true);
    text = std::max(text, QFontMetrics(font).horizontalAdvance(window->windowTitle()));
  }
  return CaptionFitWidth(text, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

void FitCaption(QWidget* window) {
  const int needed = CaptionWidth(window);
  if (window->minimumWidth() < needed) window->setMinimumWidth(needed);
  if (window->width() < needed) window->resize(needed, window->height());
}

void CentreOnScreen(QWidget* window, int width, int height) {
  FitCaption(window);
  width = std::max(width, window->minimumWidth());
  window->resize(width, height);
  width = window->width();
  height = window->height();
  QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window->move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
}

}  // namespace velqo::ui
