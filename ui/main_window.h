#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "ui/logic/window_place.h"
#include "ui/logic/window_refresh.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace velqo::ui {

class QtHost;
class THelpViewer;
class TFPreview;
class TTarquelDir;

// TFMain: the main window. Dir 1 and Dir 2 are typed or picked in two
// directory trees (or a stored batch is chosen), the update is started and
// cancelled here, and its progress shows in the top bar and status bar.
// Split by concern: controls (main_controls.cpp), menus (main_menus.cpp),
// the refresh (main_show.cpp), the layout rules (main_resize.cpp), and the
// update, trees and closing (main_run.cpp).
class TFMain : public QMainWindow {
  Q_OBJECT

 public:
  TFMain(AppState& s, QtHost& host);
  ~TFMain() override;

  // Creation: the large-caption flag, the product title, then the
  // configuration. False when there is no Windows directory; the program
  // then ends with exit code 1.
  bool FormCreate(const std::vector<std::string>& args);
  // The window refresh: appearance, geometry, the single-pair or batch
  // layout and the trees; starts an update when autostarted.
  void FormShow();
  // The layout rules: the minimum size and the sizes of the panels' controls.
  void FormResize();
  void BBUpdateClick();
  // Runs the update over a platform that records instead of changing and
  // shows its plan in the preview window.
  void BBPreviewClick();
  TFPreview* preview_window() const { return preview_; }
  void BBMCancelClick();
  void Options1Click();

  // The tool commands, templates, demonstration and help (main_tools.cpp).
  void SBViewLogClick();
  void SBClearLogClick();
  void SpeedButton6Click();  // edit the INI file
  void SaveTemplate1Click();
  void LoadTemplate1Click();
  void RunDemonstration1Click();
  void RemoveDemonstrationDirectory1Click();
  void Contents1Click();
  void WebSite1Click();
  void About1Click();
  // Opens the help viewer at a context (0: the contents page).
  void ShowHelp(int context);
  THelpViewer* help_viewer() const { return help_viewer_; }
  // Keeps the window's present place and size for the refresh, then lays
  // the window out and re-shows it (after the options dialog, a template
  // load, a colour choice).
  void Reshow();

  // The options dialog of the second part; returns its modal result, 15
  // asking to be shown again. Without it the menu item stays disabled.
  void SetOptionsDialog(std::function<int()> show);
  // What ends the program after an error-free autostart run (tests replace it).
  void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  bool large_caption() const { return large_caption_; }
  void SetLargeCaption(bool large);
  bool running() const { return running_; }
  bool ended_without_saving() const { return end_requested_; }
  QFont WindowFont() const { return font(); }
  QAction* action(const QString& object_name) const;

  // The host's side of the window.
  void SetStatusText(const QString& text);
  void SetProgressMax(int maximum);
  void SetProgressPosition(int position);
  void SetUpdateEnabled(bool enabled);
  void SetCancelEnabled(bool enabled);
  void SetTreeDirectory(int tree, const QString& path);
  void RequestEnd() { end_requested_ = true; }
  QString Dir1Text() const;
  QString Dir2Text() const;
  void SetDir1Text(const QString& text);
  void SetDir2Text(const QString& text);
  void SetBatchList(const std::vector<std::string>& batches, int selected);
  void SetDirPairItems(const std::vector<std::string>& pairs);
  std::vector<std::string> DirPairItems() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // main_controls.cpp
  void BuildControls();
  QWidget* BuildTopBar();
  QWidget* BuildDirectoryPanel();
  QWidget* BuildBatchPanel();
  QWidget* BuildBottomBar();
  void PlaceFixedControls();
  void FillDriveSelectors();
  void SelectDrive(QComboBox* selector, char letter);
  void PlaceUpdateRow(int width);
  // main_menus.cpp
  void BuildMenus();
  QMenu* AddMenu(const QString& caption, const QString& name, int help_context);
  QAction* AddItem(QMenu* menu, const QString& caption, const QString& name, bool enabled);
  void SetRunningMenus(bool running);
  // main_run.cpp: the buttons and menus while a run or a preview goes on.
  void BeginRun();
  void EndRun();
  // main_show.cpp
  void ApplyAppearance();
  void ApplyFont();
  void PaintPanel(QWidget* panel);
  void ShowBatchLayout();
  void ShowDirectoryLayout(const RefreshPlan& plan);
  void ApplyGeometry();
  static int EstimatedCaptionHeight();
  // The window's place is its frame: what is stored is what is restored.
  ScreenRect LiveFrame() const;
  void PlaceFrame(const ScreenRect& frame);
  // Once the window manager has framed the window: the real title bar
  // decides the large-caption flag, and the frame goes where it was asked.
  void CheckFrame(bool last_try);
  // main_tools.cpp
  void RecordGeometry();
  void HideAndShow();
  // main_run.cpp
  void FormClose();
  void DO1DblClick();
  void DO2DblClick();
  void DC1Change();
  void DC2Change();
  void CBBatchFileChange(int index);
  void ReloadTrees(const OptionSet& options);
  void SwitchTreeDrive(TTarquelDir* tree, char letter);
  void Pump();

  AppState& s_;
  QtHost& host_;
  bool large_caption_ = false;
  bool skin_active_ = false;
  bool running_ = false;
  bool end_requested_ = false;
  bool close_pending_ = false;
  // The frame asked for, until the window manager's frame is known.
  std::optional<ScreenRect> wanted_frame_;
  // The frame as last seen; none yet before the first showing.
  FrameMargins margins_;
  std::function<int()> options_dialog_;
  std::function<void()> quit_;
  std::map<QString, QAction*> actions_;
  THelpViewer* help_viewer_ = nullptr;

  QWidget* top_bar_ = nullptr;
  QToolButton* sb_ini_edit_ = nullptr;
  QToolButton* sb_view_log_ = nullptr;
  QToolButton* sb_clear_log_ = nullptr;
  QProgressBar* pb1_ = nullptr;
  QPushButton* bb_cancel_ = nullptr;

  QWidget* dir_panel_ = nullptr;
  QLabel* ldir1_ = nullptr;
  QLabel* ldir2_ = nullptr;
  QLineEdit* edir1_ = nullptr;
  QLineEdit* edir2_ = nullptr;
  QLabel* ld1_ = nullptr;
  QLabel* ld2_ = nullptr;
  TTarquelDir* do1_ = nullptr;
  TTarquelDir* do2_ = nullptr;
  QComboBox* dc1_ = nullptr;
  QComboBox* dc2_ = nullptr;

  QWidget* batch_panel_ = nullptr;
  QLabel* lbatch_ = nullptr;
  QLabel* lpairs_ = nullptr;
  QComboBox* cb_batch_ = nullptr;
  QListWidget* lb_pairs_ = nullptr;

  QWidget* bottom_bar_ = nullptr;
  QPushButton* bb_update_ = nullptr;
  QPushButton* bb_preview_ = nullptr;
  TFPreview* preview_ = nullptr;
  QLabel* status_text_ = nullptr;
};

}  // namespace velqo::ui
