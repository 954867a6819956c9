#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace velqo::ui {

// One running copy per user. The first copy listens on a local socket named
// after the product title in the user's runtime directory (reachable by
// that user only); a second start finds it there, asks it to come to the
// front, and ends without creating a window.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // name: the socket's full path; DefaultName() gives the program's.
  explicit SingleInstance(const QString& name, QObject* parent = nullptr);
  ~SingleInstance() override;

  static QString DefaultName();

  // True when another copy was found and has been asked to show itself:
  // this copy should end. Otherwise this copy now listens.
  bool HandOverToRunningCopy();

 signals:
  // A second start asked this copy to restore or raise its window.
  void showRequested();

 private:
  bool AskRunningCopy();
  void Listen();
  void OnConnection();

  QString name_;
  QLocalServer* server_ = nullptr;
};

// The request a second start sends.
inline constexpr char kShowRequest[] = "show\n";

}  // namespace velqo::ui
