#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
constexpr int kWaitMs = 200;
} // namespace

QString SingleInstance::instanceName() {
    return QStringLiteral("QUILLBOXREADER-{6F1C2A84-93D7-4B5E-A0C8-2E7B51D94F36}-%1").arg(::getuid());
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

bool SingleInstance::isListening() const {
    return server_ != nullptr && server_->isListening();
}

bool SingleInstance::askRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs)) {
        return false;
    }
    socket.write(kActivate);
    socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim() {
    if (askRunningCopy()) {
        return false;
    }
    // Nobody answered: whatever socket file is left belongs to a copy that is gone.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Without the socket the program still runs; it only cannot be found by a later copy.
        qWarning("Quillbox Reader: cannot listen on %s: %s", qPrintable(name_),
                 qPrintable(server_->errorString()));
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket] {
            if (socket->readAll().contains(kActivate.trimmed())) {
                emit activationRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0) {
            read();
        }
    }
}
