#include "ui/about.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/file_panel.h"
#include "ui/logic/texts.h"
#include "ui/logic/tools.h"

namespace velqo::ui {

TFAbout::TFAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("TFAbout");
  const QString title = QString::fromUtf8(kProductTitle.data(), static_cast<int>(kProductTitle.size()));
  setWindowTitle(title);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  QLabel* product = CentredText(QString::fromStdString(AboutProductText()), "LProduct", this);
  QFont big = product->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  product->setFont(big);
  QLabel* notice = CentredText(QString::fromStdString(AboutNotice()), "LNotice", this);
  notice->setWordWrap(true);
  // Default and cancel at once: Enter and Escape both close the box.
  auto* thanks = new QPushButton("Thank You For Using " + title, this);
  thanks->setObjectName("BBThanks");
  thanks->setDefault(true);
  connect(thanks, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(product);
  layout->addWidget(notice);
  layout->addWidget(thanks);
  CentreOnScreen(this, 360, 200);
}

void TFAbout::Show(QWidget* parent) {
  TFAbout box(parent);
  box.exec();
}

}  // namespace velqo::ui
