#include "ui/help_viewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/logic/help_topics.h"
#include "ui/logic/texts.h"
#include "ui/prompter.h"

namespace velqo::ui {

THelpViewer::THelpViewer(Platform& fs, QWidget* parent) : QDialog(parent), fs_(fs) {
  setObjectName("THelpViewer");
  setWindowTitle(QString::fromUtf8(kAppTitle.data(), static_cast<int>(kAppTitle.size())) + " Help");
  setModal(false);
  text_ = new QTextBrowser(this);
  text_->setObjectName("HelpText");
  text_->setOpenExternalLinks(true);
  auto* contents = new QPushButton("&Contents", this);
  contents->setObjectName("BBHelpContents");
  auto* back = new QPushButton("&Back", this);
  back->setObjectName("BBHelpBack");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("BBHelpClose");
  connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(kHelpContents); });
  connect(back, &QPushButton::clicked, text_, &QTextBrowser::backward);
  connect(text_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  back->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(contents);
  row->addWidget(back);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  layout->addWidget(text_, 1);
  resize(640, 560);
}

bool THelpViewer::ShowTopic(int context) {
  const QString path = QString::fromStdString(HelpTopicHostPath(fs_, context));
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    Prompter::Message(parentWidget(),
                      "The Help Topic " + QString::fromUtf8(HelpTopicFile(context).data(), static_cast<int>(HelpTopicFile(context).size())) +
                          " Cannot Be Found - The Help Files Are Missing From The Program's "
                          "Data Directory.",
                      "Help", Icon::kWarning, Buttons::kOk);
    return false;
  }
  text_->setSource(QUrl::fromLocalFile(path));
  shown_context_ = context;
  show();
  raise();
  activateWindow();
  return true;
}

}  // namespace velqo::ui
