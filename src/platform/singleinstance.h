#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

// Keeps the program to one running instance per user session. The first
// instance listens on a named local channel; a later start finds it, asks it
// to come to the front and is told to end.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance and now holds the name.
    // False when another instance runs; that instance was asked to come to
    // the front. A name left behind by a crashed instance is taken over.
    bool acquire();

    // True while this instance holds the name and answers later starts.
    bool isListening() const;

signals:
    // Another start asked this instance to come to the front.
    void activationRequested();

private:
    void acceptConnections();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace platform
