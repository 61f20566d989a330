#pragma once
// One copy of the program per user: the copy that takes the instance lock first listens on a local
// socket named after the program and the user; a later copy connects (waiting a little while the
// first is still starting to listen), hands over the documents it was started with, asks the
// first to come forward, and ends.
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QLocalServer;
namespace platform {
class InstanceLock;
}

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,      // this is the first copy, now answering later ones
        Found,      // another copy answered and was asked to come to the front, or never answered
        HandedOver, // another copy answered and took the documents as well
    };

    // "QUILLBOXREADER-{GUID}" followed by the user's id, so that users never meet.
    static QString instanceName();

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // documents: absolute paths for a running copy to show; with none it is only asked forward.
    Claim claim(const QStringList& documents = {});
    bool isListening() const;
    const QString& name() const { return name_; }

signals:
    // A later copy asked this one to come to the front and show documents (often none).
    void activationRequested(const QStringList& documents);

private:
    // Nothing when no copy answered.
    std::optional<Claim> askRunningCopy(const QStringList& documents);
    Claim listen();
    void answer();

    QString name_;
    std::unique_ptr<platform::InstanceLock> lock_;
    QLocalServer* server_ = nullptr;
};
