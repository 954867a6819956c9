#include "ui/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include "ui/logic/texts.h"

namespace velqo::ui {

namespace {

constexpr int kWaitMs = 2000;

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
  const QString title = QString::fromUtf8(kAppTitle.data(), static_cast<int>(kAppTitle.size()));
  // The runtime directory belongs to the user alone; without one, the uid
  // in the name keeps users apart and the socket's mode keeps others out.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + "/" + title + ".socket";
  return QDir::tempPath() + "/" + title + "-" + QString::number(getuid()) + ".socket";
}

bool SingleInstance::HandOverToRunningCopy() {
  if (AskRunningCopy()) return true;
  Listen();
  return false;
}

bool SingleInstance::AskRunningCopy() {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kWaitMs)) return false;
  socket.write(kShowRequest);
  socket.waitForBytesWritten(kWaitMs);
  socket.disconnectFromServer();
  return true;
}

void SingleInstance::Listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Nobody answered, so the name is left over from a copy that died.
    QLocalServer::removeServer(name_);
    server_->listen(name_);
  }
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

void SingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Only the one request is understood; anything else is ignored.
      if (socket->readAll().startsWith(kShowRequest)) emit showRequested();
      socket->disconnectFromServer();
    });
  }
}

}  // namespace velqo::ui
