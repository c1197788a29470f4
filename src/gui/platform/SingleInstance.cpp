#include "gui/platform/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include <algorithm>

#include "app/HandOver.h"
#include "gui/platform/QtText.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"

namespace {
constexpr int kReadTimeoutMs = 3000;
const QByteArray kTaken = "OK\n";
}  // namespace

CSingleInstance::CSingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent), settings(settingsPath), name(ServerName(settingsPath)) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::LockPath(const QString& settingsPath) {
    return ToQ(CInstanceLock::RuntimePath(FromQ(ServerName(settingsPath)) + ".lock"));
}

CSingleInstance::ERole CSingleInstance::Start(const QString& absoluteDocument, int waitMs) {
    const CInstanceLock::EResult taken = lock.Take(FromQ(LockPath(settings)));
    if (taken == CInstanceLock::EResult::Taken) return ERole::First;
    if (taken == CInstanceLock::EResult::Unavailable) {
        // Without a lock all that can be known is whether something answers on the socket.
        if (!absoluteDocument.isEmpty() && HandOver(absoluteDocument)) return ERole::HandedOver;
        return ERole::First;
    }
    if (absoluteDocument.isEmpty()) {
        Prompt().Message(StrPrintf("VELM is already running with the settings file %s.\n\nOnly "
                                   "one VELM drives the station at a time: use the one that is "
                                   "running.",
                                   FromQ(settings).c_str()),
                         EPromptIcon::Exclamation);
        return ERole::Refused;
    }
    // The running program may still be starting (not listening yet) or inside a measurement;
    // it is given time. Should it end meanwhile, this start takes its place.
    const uint64_t deadline = Clock().Ticks() + static_cast<uint64_t>(std::max(waitMs, 0));
    for (;;) {
        const uint64_t now = Clock().Ticks();
        const int left = now < deadline ? static_cast<int>(deadline - now) : 0;
        if (HandOver(absoluteDocument, std::clamp(left, 1, 2000))) return ERole::HandedOver;
        if (lock.Take(FromQ(LockPath(settings))) == CInstanceLock::EResult::Taken)
            return ERole::First;
        if (Clock().Ticks() >= deadline) break;
        Clock().WaitTicks(kRetryMs);
    }
    Prompt().Message(
        StrPrintf("VELM is already running with the settings file %s, but it did not "
                  "take the document\n\n%s\n\nwithin %d seconds (it may be busy "
                  "with a measurement). Open the document there once it is free.",
                  FromQ(settings).c_str(), FromQ(absoluteDocument).c_str(), waitMs / 1000),
        EPromptIcon::Exclamation);
    return ERole::Refused;
}

QString CSingleInstance::ServerName(const QString& settingsPath) {
    QByteArray hash = QCryptographicHash::hash(settingsPath.toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("velm-%1-%2")
        .arg(static_cast<qulonglong>(::getuid()))
        .arg(QString::fromLatin1(hash.toHex().left(16)));
}

bool CSingleInstance::HandOver(const QString& absolutePath, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(QByteArray::fromStdString(HandOverMessage(FromQ(absolutePath))));
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running program answers once it has taken the path; one that does not (hung, or
    // not ours) leaves us to start on our own.
    QByteArray answer;
    while (answer.size() < kTaken.size() && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    return answer.startsWith(kTaken);
}

bool CSingleInstance::Listen(std::function<void(const QString&)> openPath) {
    open = std::move(openPath);
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, no other program of this settings file runs: a socket of that name is
    // one left behind by a program that ended, and is ours to replace.
    if (lock.Held()) QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        if (lock.Held()) return false;
        // Without a lock: nobody answered the hand-over, so the socket is taken to be stale.
        QLocalServer::removeServer(name);
        if (!server->listen(name)) return false;
    }
    connect(server, &QLocalServer::newConnection, this, &CSingleInstance::Accept);
    return true;
}

void CSingleInstance::Accept() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        // A client that never finishes its line does not hold the socket for ever.
        QTimer::singleShot(kReadTimeoutMs, socket, [socket] { socket->abort(); });
    }
}

void CSingleInstance::Read(QLocalSocket* socket) {
    QByteArray buffer = socket->property("received").toByteArray();
    buffer += socket->read(static_cast<qint64>(kMaxHandOverPath) + 2 - buffer.size());
    socket->setProperty("received", buffer);
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0) {
        if (buffer.size() > static_cast<qsizetype>(kMaxHandOverPath)) socket->abort();
        return;
    }
    std::string path;
    if (ParseHandOverMessage(std::string_view(buffer.constData(), end + 1), path)) {
        socket->write(kTaken);
        socket->flush();
        // Opened from the event loop, not from inside the socket's signal: opening may ask
        // the user things.
        QString received = ToQ(path);
        QTimer::singleShot(0, this, [this, received] { Deliver(received); });
    }
    socket->disconnectFromServer();
}

void CSingleInstance::Deliver(const QString& path) {
    // Not in the middle of a measurement (whose waits keep the event loop turning): the
    // document opens once the station is free.
    if (CStationBusy::IsBusy()) {
        QTimer::singleShot(kRetryMs, this, [this, path] { Deliver(path); });
        return;
    }
    if (open) open(path);
}
