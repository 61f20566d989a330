#include "app/single_instance.h"

#include "platform/instance_lock.h"
#include "platform/user_identity.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QUrl>

#include <memory>
#include <utility>

// A request is one line per document, "open <path>" with the path's UTF-8 percent-encoded (so
// that spaces and line breaks in names survive), and a closing "activate" line. A bare
// "activate" asks the running copy forward and nothing more.
namespace {
const QByteArray openRequest = QByteArrayLiteral("open ");
const QByteArray activateRequest = QByteArrayLiteral("activate");
constexpr int waitMs = 200;
// How long a later copy keeps trying while the first copy is starting to listen (between taking the
// lock and listening) or its pipe instances are busy with other copies, and the pause in between.
constexpr int handOverWaitMs = 5000;
constexpr int retryPauseMs = 50;

QByteArray request(const QStringList& documents) {
    QByteArray bytes;
    for (const QString& document : documents) {
        bytes += openRequest + QUrl::toPercentEncoding(document) + '\n';
    }
    return bytes + activateRequest + '\n';
}
} // namespace

QString SingleInstance::instanceName() {
    // A local socket on POSIX systems, a named pipe on Windows; either way one per user.
    return QStringLiteral("QUILLBOXREADER-{6F1C2A84-93D7-4B5E-A0C8-2E7B51D94F36}-%1")
        .arg(QString::fromStdString(platform::userIdentity()));
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const {
    return server_ != nullptr && server_->isListening();
}

std::optional<SingleInstance::Claim> SingleInstance::askRunningCopy(const QStringList& documents) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(waitMs)) {
        return std::nullopt;
    }
    socket.write(request(documents));
    // A long list may take several writes; a copy that stops reading has not taken it.
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(waitMs)) {
    }
    const bool delivered = socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return delivered && !documents.isEmpty() ? Claim::HandedOver : Claim::Found;
}

SingleInstance::Claim SingleInstance::claim(const QStringList& documents) {
    // Only the lock says which copy is first: a copy that merely finds nobody listening may be
    // racing one that has not started to listen yet, and would take its socket away.
    const QDeadlineTimer deadline(handOverWaitMs);
    for (;;) {
        lock_ = std::make_unique<platform::InstanceLock>(name_.toStdString());
        if (lock_->held()) {
            return listen();
        }
        lock_.reset();
        if (const std::optional<Claim> answered = askRunningCopy(documents)) {
            return *answered;
        }
        if (deadline.hasExpired()) {
            return Claim::Found;
        }
        QThread::msleep(retryPauseMs);
    }
}

SingleInstance::Claim SingleInstance::listen() {
    // This copy holds the lock: whatever socket file is left belongs to a copy that is gone.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Without the socket the program still runs; it only cannot be found by a later copy.
        qWarning("Quillbox Reader: cannot listen on %s: %s", qPrintable(name_),
                 qPrintable(server_->errorString()));
        return Claim::First;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return Claim::First;
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Lines may arrive in pieces; the documents gather until the closing line.
        auto documents = std::make_shared<QStringList>();
        const auto read = [this, socket, documents] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().chopped(1);
                if (line.startsWith(openRequest)) {
                    documents->append(QUrl::fromPercentEncoding(line.mid(openRequest.size())));
                } else if (line == activateRequest) {
                    emit activationRequested(std::exchange(*documents, {}));
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, socket, read);
        read();
    }
}
