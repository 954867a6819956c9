#pragma once

#include <QTreeWidget>
#include <vector>

#include "common/platform/platform.h"
#include "ui/logic/dir_tree_model.h"

namespace velqo::ui {

// TTarquelDir: the directory tree of one drive. The listing, ordering and
// walking live in DirTreeModel; this widget shows the model's loaded items
// and turns clicks, double-clicks, Enter and the expand arrows into model
// operations.
class TTarquelDir : public QTreeWidget {
  Q_OBJECT

 public:
  TTarquelDir(Platform& fs, QWidget* parent = nullptr);

  Status SetDriveLetter(char letter);
  Status ChangeDirectory(const QString& path);
  void Rebuild();
  void SetSwitches(const TreeSwitches& switches) { model_.SetSwitches(switches); }
  void SetTextCase(TextCase text_case) { model_.SetTextCase(text_case); }
  QString CurrentDirectory() const;
  char DriveLetter() const { return model_.drive_letter(); }
  const DirTreeModel& model() const { return model_; }
  // The shown item of a full path ("c:\a\b"), or nullptr.
  QTreeWidgetItem* ItemOfPath(const QString& path) const;

 signals:
  // OnChange: after a rebuild and after the current directory changes.
  void changed();
  // The owner's double-click event, raised before the item opens or closes.
  void directoryDoubleClicked();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int IdOf(const QTreeWidgetItem* item) const;
  void Sync();
  void SyncItem(int id);
  void OnCurrentChanged(QTreeWidgetItem* item);
  void OnDoubleClicked(QTreeWidgetItem* item);
  void OnExpanded(QTreeWidgetItem* item, bool expanded);

  DirTreeModel model_;
  std::vector<QTreeWidgetItem*> shown_;
  std::vector<bool> children_shown_;
  int generation_ = -1;
  bool syncing_ = false;
};

}  // namespace velqo::ui
