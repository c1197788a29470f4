#pragma once
// One running program per user and settings file. The running program holds a lock (a file
// in the runtime folder, CInstanceLock) for its whole life and listens on a local socket. A
// second start with a document path hands the path to it over the socket and ends, as a
// double click in the file manager expects; a second start never builds a station of its own
// on hardware the first one drives. Runs on another settings file (the demo, the screenshot)
// are programs of their own and never receive each other's documents.

#include <QObject>
#include <QString>
#include <functional>

#include "platform/InstanceLock.h"

class QLocalServer;
class QLocalSocket;

class CSingleInstance : public QObject {
    Q_OBJECT
  public:
    // How long a second start waits for the running program to take its document: the first
    // may still be starting, or busy with a measurement that holds its event loop.
    static constexpr int kHandOverWaitMs = 30000;
    static constexpr int kRetryMs = 250;

    enum class ERole {
        First,       // no other program runs: this one goes on to start the station
        HandedOver,  // the running program took the document: this start ends
        Refused      // another program runs and did not take the document: this start ends
    };

    explicit CSingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket name for a settings file: per user and per file.
    static QString ServerName(const QString& settingsPath);
    // The lock file for a settings file, in the runtime folder.
    static QString LockPath(const QString& settingsPath);

    // Decides what this start is. With the lock free (or no lock to be had), First. With
    // another program holding it, the document (an absolute path, or empty for none) is handed
    // over, trying for up to `waitMs`; without a document, or when the hand-over does not
    // succeed in time, the user is told and the start is Refused.
    ERole Start(const QString& absoluteDocument, int waitMs = kHandOverWaitMs);

    // Sends `absolutePath` to a running program. True when one confirmed it has taken it.
    bool HandOver(const QString& absolutePath, int timeoutMs = 2000);
    // Listens for hand-overs; `open` receives each path. False when the socket cannot be had
    // (the program then simply runs without receiving documents). A socket left behind by a
    // program that ended is taken over when this program holds the lock.
    bool Listen(std::function<void(const QString&)> open);

  private:
    void Accept();
    void Read(QLocalSocket* socket);
    void Deliver(const QString& path);

    QString settings;
    QString name;
    CInstanceLock lock;
    QLocalServer* server = nullptr;
    std::function<void(const QString&)> open;
};
