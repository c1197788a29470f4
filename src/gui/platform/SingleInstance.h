#pragma once
// One running program per user and settings file: a second start with a document path hands
// the path to the running program over a local socket and ends, as a double click in the file
// manager expects. Runs on another settings file (the demo, the screenshot) are programs of
// their own and never receive each other's documents.

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

class CSingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit CSingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket name for a settings file: per user and per file.
    static QString ServerName(const QString& settingsPath);

    // Sends `absolutePath` to a running program. True when one confirmed it has taken it.
    bool HandOver(const QString& absolutePath, int timeoutMs = 2000);
    // Listens for hand-overs; `open` receives each path. False when the socket cannot be had
    // (the program then simply runs without receiving documents).
    bool Listen(std::function<void(const QString&)> open);

  private:
    void Accept();
    void Read(QLocalSocket* socket);

    QString name;
    QLocalServer* server = nullptr;
    std::function<void(const QString&)> open;
};
