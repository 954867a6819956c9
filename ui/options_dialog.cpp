#include "ui/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/file_panel.h"
#include "ui/get_dir.h"
#include "ui/logic/appearance.h"
#include "ui/logic/appearance_keys.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/skin_box.h"
#include "ui/skin_engine.h"

namespace velqo::ui {

namespace {

QPushButton* DialogButton(QWidget* parent, const char* name, const QString& caption,
                          QStyle::StandardPixmap icon) {
  auto* button = new QPushButton(parent->style()->standardIcon(icon), caption, parent);
  button->setObjectName(name);
  return button;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFOptionsDlg::TFOptionsDlg(AppState& s, TFMain& main) : QDialog(&main), s_(s), main_(main) {
  setObjectName("TFOptionsDlg");
  setWindowTitle("WinVelqo Options");
  BuildPages();
  auto* ok = DialogButton(this, "BBOK", "OK", QStyle::SP_DialogOkButton);
  auto* cancel = DialogButton(this, "BBCancel", "Cancel", QStyle::SP_DialogCancelButton);
  auto* help = DialogButton(this, "BBHelp", "Help", QStyle::SP_DialogHelpButton);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TFOptionsDlg::BBOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, &TFOptionsDlg::BBHelpClick);
  connect(pages_, &QTabWidget::currentChanged, this, &TFOptionsDlg::PageChanged);
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, &TFOptionsDlg::BBHelpClick);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  row->addWidget(help);
  layout->addLayout(row);
  PageChanged(0);
}

int TFOptionsDlg::Execute() {
  Prepare();
  return exec();
}

void TFOptionsDlg::Prepare() {
  setFont(main_.WindowFont());
  OpenOptionsForm(s_, s_.Path1.view(), &form_);
  FillSkins();
  FormToWidgets();
  setWindowTitle(Q(form_.caption));
  // The caption names the options' source, a long path among them.
  FitCaption(this);
  // The page showing when the dialog last closed, found by its name.
  if (QWidget* page = pages_->findChild<QWidget*>(page_name_); page != nullptr && !page_name_.isEmpty()) {
    pages_->setCurrentWidget(page);
  }
  setResult(0);
}

void TFOptionsDlg::SetGroup(QButtonGroup* group) {
  // An exclusive group cannot show "nothing chosen"; the form can.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) {
    for (const Bound& bound : checks_) {
      if (bound.button == button) button->setChecked(form_.fields.*bound.field == 1);
    }
  }
  group->setExclusive(true);
}

void TFOptionsDlg::FormToWidgets() {
  const OptionSet& f = form_.fields;
  for (QButtonGroup* group : groups_) SetGroup(group);
  for (const Bound& bound : checks_) bound.button->setChecked(f.*bound.field == 1);
  for (const Bound& bound : tri_states_) {
    static_cast<QCheckBox*>(bound.button)
        ->setCheckState(f.*bound.field == 0 ? Qt::Unchecked : f.*bound.field == 1 ? Qt::Checked
                                                                                 : Qt::PartiallyChecked);
  }
  for (const Pair& pair : pairs_) {
    pair.first->setChecked(f.*pair.field == 1);
    pair.second->setChecked(f.*pair.field != 1);
  }
  {
    const QSignalBlocker block(excl_days_);
    excl_days_->setChecked(f.ExclDays == 1);
  }
  purge_->setChecked(f.DeleteExclDays == 1);
  purge_->setEnabled(form_.purge_enabled);
  days_->setText(Q(form_.days_text));
  SelectDrive(form_.drive);
  ext_->setText(Q(form_.ext_string));
  files_->setText(Q(form_.file_string));
  log_path_->setText(Q(form_.log_file_path));
  save_defaults_->setChecked(form_.save_defaults);
  save_defaults_->setEnabled(form_.save_defaults_enabled);
  save_upd_->setChecked(form_.save_upd);
  save_upd_->setEnabled(form_.save_upd_enabled);
  ignore_->setEnabled(form_.ignore_enabled);
  delete_upd_->setEnabled(form_.delete_upd_enabled);
}

void TFOptionsDlg::WidgetsToForm() {
  OptionSet& f = form_.fields;
  for (const Bound& bound : checks_) f.*bound.field = bound.button->isChecked() ? 1 : 0;
  for (const Bound& bound : tri_states_) {
    const Qt::CheckState state = static_cast<QCheckBox*>(bound.button)->checkState();
    f.*bound.field = state == Qt::Unchecked ? 0 : state == Qt::Checked ? 1 : 2;
  }
  for (const Pair& pair : pairs_) f.*pair.field = pair.first->isChecked() ? 1 : 0;
  f.ExclDays = excl_days_->isChecked() ? 1 : 0;
  f.DeleteExclDays = purge_->isChecked() ? 1 : 0;
  form_.days_text = days_->text().toStdString();
  const QVariant letter = drive_->currentData();
  form_.drive = letter.isValid() && !letter.toChar().isNull() ? static_cast<char>(letter.toChar().toLatin1()) : 0;
  form_.ext_string = ext_->text().toStdString();
  form_.file_string = files_->text().toStdString();
  form_.log_file_path = log_path_->text().toStdString();
  form_.save_defaults = save_defaults_->isChecked();
  form_.save_upd = save_upd_->isChecked();
}

// A letter the drive map does not know (a disk not plugged in) is still
// shown, so OK keeps the purge drive as it was.
void TFOptionsDlg::SelectDrive(char letter) {
  int index = drive_->findData(letter == 0 ? QChar() : QChar(letter));
  if (index < 0) {
    drive_->addItem(QString(QChar(letter)) + ":", QChar(letter));
    index = drive_->count() - 1;
  }
  drive_->setCurrentIndex(index);
}

void TFOptionsDlg::ExcludeOldToggled(bool on) {
  if (!on) purge_->setChecked(false);
  purge_->setEnabled(on);
}

void TFOptionsDlg::PageChanged(int index) {
  QWidget* page = pages_->widget(index);
  if (page != nullptr) setProperty("helpContext", page->property("helpContext"));
}

void TFOptionsDlg::BBOKClick() {
  WidgetsToForm();
  switch (ConfirmOptionsForm(s_, s_.Path1.view(), &form_)) {
    case OkResult::kClose:
      accept();
      return;
    case OkResult::kRevertModes:
      FormToWidgets();
      return;
    case OkResult::kStayOpen:
      return;
  }
}

void TFOptionsDlg::BBDeleteOptUpdClick() {
  if (DeleteOptionsUpdFile(s_, s_.Path1.view())) done(kShowAgain);
}

void TFOptionsDlg::BBHelpClick() {
  (void)s_.fs.SetCurrentDirectory(s_.fs.ProgramDirectory());
  main_.ShowHelp(property("helpContext").toInt());
}

void TFOptionsDlg::BBColorClick() {
  const std::optional<Rgb> stored = ColorFromStored(s_.window.MWCurBkGndColor);
  const QColor initial = stored ? QColor(stored->red, stored->green, stored->blue) : QColor(Qt::lightGray);
  if (const std::optional<QColor> chosen = Prompter::ChooseColor(this, initial)) {
    StoreWindowColor(s_, Rgb{chosen->red(), chosen->green(), chosen->blue()});
  }
  main_.Reshow();
}

void TFOptionsDlg::BBFontClick() {
  if (const std::optional<QFont> chosen = Prompter::ChooseFont(this, main_.WindowFont())) {
    main_.setFont(*chosen);
  }
  const QFont font = main_.WindowFont();
  StoredFont stored;
  stored.name = font.family().toStdString();
  stored.size = font.pointSize() > 0 ? font.pointSize() : s_.window.WFontSize;
  stored.style = {font.bold(), font.italic(), font.underline(), font.strikeOut()};
  StoreWindowFont(s_, stored);
  setFont(font);
}

void TFOptionsDlg::BBBrowseClick() {
  QString chosen;
  if (TFGetDir::Pick(s_, this, &chosen)) log_path_->setText(chosen);
}

void TFOptionsDlg::SkinChosen(int index) {
  const std::string name = skins_->itemText(index).toStdString();
  s_.window.SkinInUse = name;
  if (name == "None") {
    DeactivateSkin();
  } else {
    (void)ActivateSkin(s_.fs, name);
  }
  static_cast<SkinBox*>(skins_)->ShowColorOf(s_.fs, name);
}

void TFOptionsDlg::done(int result) {
  if (QWidget* page = pages_->currentWidget()) page_name_ = page->objectName();
  QDialog::done(result);
  main_.Reshow();
}

}  // namespace velqo::ui
