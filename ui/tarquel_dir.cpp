#include "ui/tarquel_dir.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace velqo::ui {

namespace {

// While the widget copies the model into its items it must not treat its
// own changes as the user's.
class SyncGuard {
 public:
  explicit SyncGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~SyncGuard() { flag_ = old_; }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

TTarquelDir::TTarquelDir(Platform& fs, QWidget* parent) : QTreeWidget(parent), model_(fs) {
  setHeaderHidden(true);
  setColumnCount(1);
  setExpandsOnDoubleClick(false);
  setUniformRowHeights(true);
  header()->setStretchLastSection(true);
  model_.SetOnChange([this] { emit changed(); });
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnCurrentChanged(item); });
  connect(this, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item, int) { OnCurrentChanged(item); });
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item, int) { OnDoubleClicked(item); });
  connect(this, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { OnExpanded(item, true); });
  connect(this, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* item) { OnExpanded(item, false); });
}

Status TTarquelDir::SetDriveLetter(char letter) {
  const Status st = model_.SetDriveLetter(letter);
  Sync();
  return st;
}

Status TTarquelDir::ChangeDirectory(const QString& path) {
  const Status st = model_.ChangeDirectory(path.toStdString());
  Sync();
  return st;
}

void TTarquelDir::Rebuild() {
  model_.Rebuild();
  Sync();
}

QString TTarquelDir::CurrentDirectory() const {
  return QString::fromStdString(model_.current_directory());
}

int TTarquelDir::IdOf(const QTreeWidgetItem* item) const {
  return item == nullptr ? DirTreeModel::kNone : item->data(0, Qt::UserRole).toInt();
}

QTreeWidgetItem* TTarquelDir::ItemOfPath(const QString& path) const {
  const std::string wanted = path.toStdString();
  for (int id = 0; id < model_.item_count(); ++id) {
    if (id < static_cast<int>(shown_.size()) && shown_[static_cast<std::size_t>(id)] != nullptr &&
        model_.FullPath(id) == wanted) {
      return shown_[static_cast<std::size_t>(id)];
    }
  }
  return nullptr;
}

void TTarquelDir::Sync() {
  SyncGuard guard(syncing_);
  if (generation_ != model_.generation()) {
    clear();
    shown_.clear();
    children_shown_.clear();
    generation_ = model_.generation();
  }
  shown_.resize(static_cast<std::size_t>(model_.item_count()), nullptr);
  children_shown_.resize(shown_.size(), false);
  const int root = model_.root();
  if (root == DirTreeModel::kNone) return;
  if (shown_[0] == nullptr) {
    shown_[0] = new QTreeWidgetItem(this, QStringList(QString::fromStdString(model_.item(0).text)));
    shown_[0]->setData(0, Qt::UserRole, 0);
    shown_[0]->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  SyncItem(root);
  if (model_.selected() != DirTreeModel::kNone) {
    QTreeWidgetItem* selected = shown_[static_cast<std::size_t>(model_.selected())];
    setCurrentItem(selected);
    scrollToItem(selected);
  }
}

void TTarquelDir::SyncItem(int id) {
  const auto index = static_cast<std::size_t>(id);
  QTreeWidgetItem* shown = shown_[index];
  const DirTreeModel::Item& item = model_.item(id);
  if (item.data == 1 && !children_shown_[index]) {
    for (int child : item.children) {
      auto* child_item =
          new QTreeWidgetItem(shown, QStringList(QString::fromStdString(model_.item(child).text)));
      child_item->setData(0, Qt::UserRole, child);
      child_item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
      shown_[static_cast<std::size_t>(child)] = child_item;
    }
    shown->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    children_shown_[index] = true;
  }
  if (children_shown_[index]) {
    for (int child : item.children) SyncItem(child);
  }
  shown->setExpanded(item.expanded);
  const bool open = item.expanded && !item.children.empty();
  shown->setIcon(0, style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
}

// A click (or a keyboard move) makes the item's directory current.
void TTarquelDir::OnCurrentChanged(QTreeWidgetItem* item) {
  if (syncing_ || item == nullptr) return;
  const int id = IdOf(item);
  if (id == model_.selected() && model_.FullPath(id) == model_.current_directory()) return;
  model_.Click(id);
  Sync();
}

void TTarquelDir::OnDoubleClicked(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  OnCurrentChanged(item);
  emit directoryDoubleClicked();
  model_.Toggle(IdOf(item));
  Sync();
}

void TTarquelDir::OnExpanded(QTreeWidgetItem* item, bool expanded) {
  if (syncing_ || item == nullptr) return;
  if (expanded) {
    model_.Expand(IdOf(item));
  } else {
    model_.Collapse(IdOf(item));
  }
  Sync();
}

void TTarquelDir::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem() != nullptr) {
    model_.Toggle(IdOf(currentItem()));
    Sync();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace velqo::ui
