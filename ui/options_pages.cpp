// The options dialog's five pages and their controls.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/logic/drives.h"
#include "ui/logic/help_topics.h"
#include "ui/logic/skins.h"
#include "ui/options_dialog.h"
#include "ui/skin_box.h"

namespace velqo::ui {

namespace {

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(name);
  new QVBoxLayout(box);
  return box;
}

void Add(QWidget* box, QWidget* child) { box->layout()->addWidget(child); }

QWidget* Page(const char* name, int help_context) {
  auto* page = new QWidget;
  page->setObjectName(name);
  page->setProperty("helpContext", help_context);
  new QVBoxLayout(page);
  return page;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* Edit(QWidget* parent, const char* name, int max_length) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(max_length);
  return edit;
}

}  // namespace

QCheckBox* TFOptionsDlg::Check(QWidget* parent, const char* name, const QString& caption, Field field) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  if (field != nullptr) checks_.push_back({field, box});
  Add(parent, box);
  return box;
}

QAbstractButton* TFOptionsDlg::Radio(QWidget* parent, QButtonGroup* group, const char* name,
                                     const QString& caption, Field field) {
  auto* button = new QRadioButton(caption, parent);
  button->setObjectName(name);
  group->addButton(button);
  if (field != nullptr) checks_.push_back({field, button});
  Add(parent, button);
  return button;
}

void TFOptionsDlg::BuildPages() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  pages_->addTab(BuildModePage(), "&Operating Mode");
  pages_->addTab(BuildIncExcPage(), "&Inc/Exc");
  pages_->addTab(BuildSwitchesPage(), "&Command Line Switches");
  pages_->addTab(BuildLogPage(), "&Log File");
  pages_->addTab(BuildViewPage(), "&View");
}

QWidget* TFOptionsDlg::BuildModePage() {
  QWidget* page = Page("TSOperatingMode", kHelpOperatingMode);
  auto* row = new QHBoxLayout;
  QGroupBox* dirs = Group(page, "RGDirModes", " Directory Selection Modes ");
  auto* dir_group = new QButtonGroup(this);
  groups_.push_back(dir_group);
  Radio(dirs, dir_group, "RBSelectSeparate", "Select &Each Directory Separately", &OptionSet::SelectSeparate);
  Radio(dirs, dir_group, "RBUseDir1", "Use Dir1's &Directory Structure", &OptionSet::UseDir1);
  Radio(dirs, dir_group, "RBUseDir1And", "Use Dir1 AND &ALL SUBDIRECTORIES", &OptionSet::UseDir1And);
  Radio(dirs, dir_group, "RBUseSubOnly", "Use Dir1's SUBDIRECTORIES ONL&Y", &OptionSet::UseSubOnly);
  QGroupBox* files = Group(page, "RGFileModes", " File Update Modes ");
  auto* file_group = new QButtonGroup(this);
  groups_.push_back(file_group);
  Radio(files, file_group, "RBVelqoOnly", "Update &Matching Files Only", &OptionSet::VelqoOnly);
  Radio(files, file_group, "RBAdd1To2", "Add New Files &From Dir1 To Dir2", &OptionSet::Add1To2);
  Radio(files, file_group, "RBAddBothWays", "Add New Files Bidirec&tionally", &OptionSet::AddBothWays);
  Radio(files, file_group, "RBCleanUp", "Clean&Up (Replace Dir2 With Dir1)", &OptionSet::CleanUp);
  row->addWidget(dirs);
  row->addWidget(files);
  static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
  Check(page, "CBUseBatchFile", "Use Batc&h File Method", &OptionSet::UseBatchFile);
  Check(page, "CBConfirmEveryFile", "Confi&rm On Each File", &OptionSet::ConfirmEveryFile);
  Check(page, "CBCreateBackup", "Create &Backup Files", &OptionSet::CreateBackup);
  Check(page, "CBCreateNewDir", "Create &New Directories If Needed", &OptionSet::CreateNewDir);
  Check(page, "CBOneWay", "One Way - Never Change Dir&1 (Except Bidirectionally)", &OptionSet::OneWay);
  save_defaults_ = Check(page, "CBSaveDefaults", "&Save As Default Settings", nullptr);
  save_upd_ = Check(page, "CBSaveOptUpd", "Save As O&PTIONS.UPD In Dir1", nullptr);
  ignore_ = Check(page, "CBIgnoreOptUpd", "I&gnore All OPTIONS.UPD Files", &OptionSet::IgnoreOptUpd);
  delete_upd_ = Button(page, "BBDeleteOptUpd", "Delete This OPTIONS.UPD File");
  Add(page, delete_upd_);
  connect(delete_upd_, &QPushButton::clicked, this, &TFOptionsDlg::BBDeleteOptUpdClick);
  return page;
}

QWidget* TFOptionsDlg::BuildIncExcPage() {
  QWidget* page = Page("TSIncExc", kHelpIncExc);
  auto* attributes = new QGroupBox(" File Attributes ", page);
  attributes->setObjectName("GBFileAttributes");
  auto* attribute_row = new QHBoxLayout(attributes);
  const std::pair<const char*, std::pair<const char*, Field>> filters[] = {
      {"CBArchiveFilter", {"&a=archive", &OptionSet::ArchiveFilter}},
      {"CBReadOnlyFilter", {"&r=read-only", &OptionSet::ReadOnlyFilter}},
      {"CBHiddenFilter", {"&h=hidden", &OptionSet::HiddenFilter}},
      {"CBSystemFilter", {"&s=system", &OptionSet::SystemFilter}}};
  for (const auto& [name, caption_field] : filters) {
    auto* box = new QCheckBox(caption_field.first, attributes);
    box->setObjectName(name);
    box->setTristate(true);
    tri_states_.push_back({caption_field.second, box});
    attribute_row->addWidget(box);
  }
  Add(page, attributes);

  auto* days_row = new QWidget(page);
  auto* days_layout = new QHBoxLayout(days_row);
  days_layout->setContentsMargins(0, 0, 0, 0);
  excl_days_ = new QCheckBox("Exclude &Files Older Than", days_row);
  excl_days_->setObjectName("CBExclDays");
  days_ = Edit(days_row, "EExclDaysInt", 9);
  days_->setMaximumWidth(80);
  auto* days_label = new QLabel("Days From Update", days_row);
  days_label->setObjectName("LDaysFromUpdate");
  days_layout->addWidget(excl_days_);
  days_layout->addWidget(days_);
  days_layout->addWidget(days_label);
  days_layout->addStretch();
  Add(page, days_row);
  connect(excl_days_, &QCheckBox::toggled, this, &TFOptionsDlg::ExcludeOldToggled);

  auto* purge_row = new QWidget(page);
  auto* purge_layout = new QHBoxLayout(purge_row);
  purge_layout->setContentsMargins(0, 0, 0, 0);
  purge_ = new QCheckBox("&Purge Such Files From Drive", purge_row);
  purge_->setObjectName("CBDeleteExclDays");
  drive_ = new QComboBox(purge_row);
  drive_->setObjectName("DCExclDaysDrive");
  drive_->setMinimumContentsLength(3);
  purge_layout->addWidget(purge_);
  purge_layout->addWidget(drive_);
  purge_layout->addStretch();
  Add(page, purge_row);
  FillDriveBox();

  QGroupBox* ext = Group(page, "GBExtensions", "Include Or Exclude Files With These Extensions");
  auto* ext_group = new QButtonGroup(this);
  pairs_.push_back({&OptionSet::Incl, Radio(ext, ext_group, "RBIncl", "I&nclude", nullptr),
                    Radio(ext, ext_group, "RBExcl", "E&xclude", nullptr)});
  ext_ = Edit(ext, "EExtString", kMaxListText);
  Add(ext, ext_);
  Add(page, ext);
  QGroupBox* names = Group(page, "GBFileNames", "Include Or Exclude These Specific Files");
  auto* names_group = new QButtonGroup(this);
  pairs_.push_back({&OptionSet::InclFile, Radio(names, names_group, "RBInclFile", "Incl&ude", nullptr),
                    Radio(names, names_group, "RBExclFile", "Exclu&de", nullptr)});
  files_ = Edit(names, "EFileString", kMaxListText);
  Add(names, files_);
  Add(page, names);

  Check(page, "CBIncHidDir", "Includ&e Hidden Directories", &OptionSet::IncHidDir);
  Check(page, "CBIncRODir", "Include ReadOnl&y Directories", &OptionSet::IncRODir);
  Check(page, "CBIncArcDir", "Includ&e Archive Direc&tories", &OptionSet::IncArcDir);
  Check(page, "CBIncSysDir", "Include Syste&m Directories", &OptionSet::IncSysDir);
  Check(page, "CBIncDotDir", "Include Dot Director&ies (.git, .config)", &OptionSet::IncDotDir);
  return page;
}

QWidget* TFOptionsDlg::BuildSwitchesPage() {
  QWidget* page = Page("TSSwitches", kHelpSwitches);
  QGroupBox* box = Group(page, "GBSwitches", "Enable These Command Line Switches");
  Check(box, "CBBrief", "/B - &Brief", &OptionSet::Brief);
  Check(box, "CBDIRDEL", "/E - &Enable Directory Deletion", &OptionSet::DIRDEL);
  Check(box, "CBJFDI", "/J - &Just Do It (Bypass All Error Dialogs)", &OptionSet::JFDI);
  Check(box, "CBXATTR", "/O - Over&write Read-Only Files", &OptionSet::XATTR);
  Check(box, "CBQuiet", "/Q - &Quiet (Suppress All Switch Alerts)", &OptionSet::Quiet);
  Add(page, box);
  auto* note = new QLabel("Note: The /A - AutoStart Switch Can Only Be Invoked From The Command Line", page);
  note->setObjectName("LAutoStartNote");
  note->setWordWrap(true);
  Add(page, note);
  static_cast<QVBoxLayout*>(page->layout())->addStretch();
  return page;
}

QWidget* TFOptionsDlg::BuildLogPage() {
  QWidget* page = Page("TSLogFile", kHelpLogFile);
  Check(page, "CBEnableLog", "&Enable Logging", &OptionSet::EnableLog);
  auto* label = new QLabel("Log File Directory:", page);
  label->setObjectName("LLogFileDir");
  Add(page, label);
  auto* path_row = new QWidget(page);
  auto* path_layout = new QHBoxLayout(path_row);
  path_layout->setContentsMargins(0, 0, 0, 0);
  log_path_ = Edit(path_row, "ELogFilePath", 1024);
  QPushButton* browse = Button(path_row, "BBBrowse", "Browse");
  path_layout->addWidget(log_path_, 1);
  path_layout->addWidget(browse);
  Add(page, path_row);
  connect(browse, &QPushButton::clicked, this, &TFOptionsDlg::BBBrowseClick);
  QGroupBox* update = Group(page, "RGLogUpdateMode", " Log Update Mode ");
  auto* update_group = new QButtonGroup(this);
  pairs_.push_back({&OptionSet::AppendToFile,
                    Radio(update, update_group, "RBAppendToFile", "&Append To Existing Log File", nullptr),
                    Radio(update, update_group, "RBOverwriteLog", "Over&write Existing Log File", nullptr)});
  Add(page, update);
  QGroupBox* mode = Group(page, "RGLoggingMode", " Logging Mode ");
  auto* mode_group = new QButtonGroup(this);
  QAbstractButton* single = Radio(mode, mode_group, "RBSingleLog", "Use &Single LOG.TXT File", nullptr);
  QAbstractButton* daily = Radio(mode, mode_group, "RBDailyLog", "Generate &Daily Log Files", nullptr);
  pairs_.push_back({&OptionSet::AutoGenerateFile, daily, single});
  Add(page, mode);
  static_cast<QVBoxLayout*>(page->layout())->addStretch();
  return page;
}

QWidget* TFOptionsDlg::BuildViewPage() {
  QWidget* page = Page("TSView", kHelpView);
  QPushButton* color = Button(page, "BBWindowColor", "Set Main &Window Color");
  QPushButton* font = Button(page, "BBFont", "Set Fo&nt For Menus/Dialogs");
  Add(page, color);
  Add(page, font);
  connect(color, &QPushButton::clicked, this, &TFOptionsDlg::BBColorClick);
  connect(font, &QPushButton::clicked, this, &TFOptionsDlg::BBFontClick);
  Check(page, "CBShowHints", "&Show Hints", &OptionSet::ShowHints);
  QGroupBox* skins = Group(page, "GBSkins", "Skins");
  skins_ = new SkinBox(skins);
  skins_->setObjectName("CBSkins");
  Add(skins, skins_);
  Add(page, skins);
  connect(skins_, &QComboBox::activated, this, &TFOptionsDlg::SkinChosen);
  static_cast<QVBoxLayout*>(page->layout())->addStretch();
  return page;
}

void TFOptionsDlg::FillDriveBox() {
  drive_->clear();
  drive_->addItem(QString(), QChar());
  for (const DriveEntry& drive : MappedDrives(s_.fs)) {
    drive_->addItem(QString(QChar(drive.letter)) + ":", QChar(drive.letter));
  }
}

void TFOptionsDlg::FillSkins() {
  skins_->clear();
  skins_->addItem("None");
  for (const std::string& name : ListSkins(s_.fs)) skins_->addItem(QString::fromStdString(name));
  static_cast<SkinBox*>(skins_)->ShowColorOf(s_.fs, s_.window.SkinInUse);
  const int current = skins_->findText(QString::fromStdString(s_.window.SkinInUse));
  skins_->setCurrentIndex(current < 0 ? 0 : current);
}

}  // namespace velqo::ui
