#pragma once
// One copy of the program per user: the first copy listens on a local socket named after the
// program and the user; a later copy connects, asks the first to come forward, and ends.
#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // "QUILLBOXREADER-{GUID}" followed by the user's id, so that users never meet.
    static QString instanceName();

    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // True when this is the first copy (now answering later ones); false when another copy
    // answered and was asked to come to the front.
    bool claim();
    bool isListening() const;
    const QString& name() const { return name_; }

signals:
    // A later copy asked this one to come to the front.
    void activationRequested();

private:
    bool askRunningCopy();
    void answer();

    QString name_;
    QLocalServer* server_ = nullptr;
};
