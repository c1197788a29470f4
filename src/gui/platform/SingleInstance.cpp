#include "gui/platform/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include "app/HandOver.h"
#include "gui/platform/QtText.h"

namespace {
constexpr int kReadTimeoutMs = 3000;
const QByteArray kTaken = "OK\n";
}  // namespace

CSingleInstance::CSingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent), name(ServerName(settingsPath)) {}

CSingleInstance::~CSingleInstance() = default;

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
    if (!server->listen(name)) {
        // A socket left behind by a program that crashed: nobody answered the hand-over, so
        // it is stale.
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
        QTimer::singleShot(0, this, [this, received] {
            if (open) open(received);
        });
    }
    socket->disconnectFromServer();
}
