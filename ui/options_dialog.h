#pragma once

#include <QDialog>
#include <utility>
#include <vector>

#include "config/app_state.h"
#include "ui/logic/options_form.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace velqo::ui {

class TFMain;

// TFOptionsDlg: the option set in five pages, saved on OK as defaults, as
// Dir 1's OPTIONS.UPD or for this session, plus the main window's look.
// Created once and reused; what its controls show and what OK does is
// worked out by the options form logic, so the window only moves values
// between that form and its widgets.
class TFOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  // The result that asks the caller to show the dialog again.
  static constexpr int kShowAgain = 15;

  TFOptionsDlg(AppState& s, TFMain& main);

  // Opens the dialog modally on the options for the current Dir 1.
  int Execute();
  // The opening steps alone (Execute runs them first).
  void Prepare();

  QTabWidget* pages() const { return pages_; }

  void done(int result) override;

 private:
  using Field = std::int32_t OptionSet::*;
  struct Bound {
    Field field;
    QAbstractButton* button;
  };
  struct Pair {
    Field field;
    QAbstractButton* first;
    QAbstractButton* second;
  };

  // options_pages.cpp
  void BuildPages();
  QWidget* BuildModePage();
  QWidget* BuildIncExcPage();
  QWidget* BuildSwitchesPage();
  QWidget* BuildLogPage();
  QWidget* BuildViewPage();
  QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, Field field);
  QAbstractButton* Radio(QWidget* parent, QButtonGroup* group, const char* name, const QString& caption,
                         Field field);
  void FillDriveBox();
  void FillSkins();

  // options_dialog.cpp
  void FormToWidgets();
  void WidgetsToForm();
  void SetGroup(QButtonGroup* group);
  void SelectDrive(char letter);
  void PageChanged(int index);
  void BBOKClick();
  void BBDeleteOptUpdClick();
  void BBHelpClick();
  void BBColorClick();
  void BBFontClick();
  void BBBrowseClick();
  void SkinChosen(int index);
  void ExcludeOldToggled(bool on);

  AppState& s_;
  TFMain& main_;
  OptionsForm form_;
  QString page_name_;

  QTabWidget* pages_ = nullptr;
  std::vector<Bound> checks_;     // check boxes and radio buttons, on for 1
  std::vector<Bound> tri_states_;
  std::vector<Pair> pairs_;
  std::vector<QButtonGroup*> groups_;
  QCheckBox* save_defaults_ = nullptr;
  QCheckBox* save_upd_ = nullptr;
  QCheckBox* ignore_ = nullptr;
  QPushButton* delete_upd_ = nullptr;
  QCheckBox* excl_days_ = nullptr;
  QCheckBox* purge_ = nullptr;
  QLineEdit* days_ = nullptr;
  QComboBox* drive_ = nullptr;
  QLineEdit* ext_ = nullptr;
  QLineEdit* files_ = nullptr;
  QLineEdit* log_path_ = nullptr;
  QComboBox* skins_ = nullptr;
};

}  // namespace velqo::ui
