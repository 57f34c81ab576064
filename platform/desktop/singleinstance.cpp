#include "platform/desktop/singleinstance.h"

#include "platform/base/filename.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <climits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr char kMagic[4] = {'N', 'Y', 'O', 'H'};
constexpr quint32 kVersion = 1;
constexpr int kHeaderBytes = 12;
constexpr char kAck = 0x06;
// How long a later process keeps knocking while the first one holds the lock but does not
// listen yet (its main window is still being made).
constexpr int kConnectRetryMs = 2000;
constexpr int kConnectRetryPauseMs = 100;
// A connection that has not delivered a whole message by then is dropped, so that a client
// that stalls cannot hold sockets open for ever.
constexpr int kConnectionLifeMs = 10000;

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray encodeMessage(const QStringList &paths)
{
    QByteArray payload;
    appendU32(payload, quint32(paths.size()));
    for (const QString &path : paths) {
        const QByteArray utf8 = path.toUtf8();
        appendU32(payload, quint32(utf8.size()));
        payload.append(utf8);
        if (payload.size() > SingleInstance::maxPayloadBytes())
            return {};
    }
    QByteArray message(kMagic, 4);
    appendU32(message, kVersion);
    appendU32(message, quint32(payload.size()));
    return message + payload;
}

// Checks magic and version and gives the payload length; false for anything else.
bool decodeHeader(const QByteArray &header, quint32 *length)
{
    if (header.size() < kHeaderBytes || !header.startsWith(QByteArray(kMagic, 4)))
        return false;
    if (qFromBigEndian<quint32>(header.constData() + 4) != kVersion)
        return false;
    *length = qFromBigEndian<quint32>(header.constData() + 8);
    return *length <= quint32(SingleInstance::maxPayloadBytes());
}

// Reads the payload strictly: every count and length must fit in what is left, every path
// must be valid UTF-8, absolute and free of NUL, and nothing may follow the last path.
bool decodePayload(const QByteArray &payload, QStringList *paths)
{
    qsizetype pos = 0;
    auto readU32 = [&](quint32 *value) {
        if (payload.size() - pos < 4)
            return false;
        *value = qFromBigEndian<quint32>(payload.constData() + pos);
        pos += 4;
        return true;
    };
    quint32 count = 0;
    if (!readU32(&count) || count == 0 || count > quint32((payload.size() - pos) / 4))
        return false;
    QStringList out;
    out.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!readU32(&length) || length == 0 || length > quint32(payload.size() - pos))
            return false;
        // Stateless, so that a sequence cut off at the end is an error rather than kept for
        // more input; ConvertInitialBom keeps a leading byte-order mark as a character (which
        // no absolute path begins with) instead of dropping it, so that the path that opens is
        // exactly the one sent.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const QString path = decoder(QByteArrayView(payload.constData() + pos, length));
        pos += length;
        if (decoder.hasError() || path.contains(QChar(0)) || !QDir::isAbsolutePath(path))
            return false;
        out.append(path);
    }
    if (pos != payload.size())
        return false;
    *paths = out;
    return true;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    const qint64 ms = deadline.remainingTime();
    return ms < 0 ? -1 : int(qMin<qint64>(ms, INT_MAX));
}

// Closes a connection without an answer; the sender sees it end and gives up.
void drop(QLocalSocket *socket)
{
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
}

bool validName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

#ifdef Q_OS_UNIX
// Creates the folder owner-only, or accepts it when it already is exactly that: a real folder
// (not a link) of this user with no rights for group or others.
QString preparePrivateFolder(const QString &name, QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString path = QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()
        ? runtime + QLatin1Char('/') + name
        : QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-')
            + QString::number(::geteuid());
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("%1: not a folder of its own (a link or a file)").arg(path);
        return {};
    }
    if (st.st_uid != ::geteuid()) {
        *error = QStringLiteral("%1: belongs to another user").arg(path);
        return {};
    }
    if ((st.st_mode & 077) != 0) {
        *error = QStringLiteral("%1: open to group or others").arg(path);
        return {};
    }
    return path;
}
#else
// The temporary folder is per user on the other supported systems.
QString preparePrivateFolder(const QString &name, QString *error)
{
    const QString path = QDir::tempPath() + QLatin1Char('/') + name;
    if (!QDir().mkpath(path)) {
        *error = QStringLiteral("%1: cannot create").arg(path);
        return {};
    }
    return path;
}
#endif

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_name(name)
{
    if (validName(name))
        m_folder = preparePrivateFolder(name, &m_error);
    else
        m_error = QStringLiteral("invalid instance name: %1").arg(name);
}

SingleInstance::~SingleInstance()
{
    // The socket file goes first: once the lock is free, a new first process may make its own.
    delete m_server;
    m_server = nullptr;
    m_lock.reset();
}

QString SingleInstance::socketPath() const
{
    return m_folder.isEmpty() ? QString() : m_folder + QStringLiteral("/socket");
}

bool SingleInstance::acquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    if (m_folder.isEmpty()) {
        m_alone = true;
        return true;
    }
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/lock"));
    // Only a dead holder makes the lock stale, never its age: the editor runs for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError)
        return false;
    m_error = QStringLiteral("%1: cannot create the lock").arg(m_folder);
    m_alone = true;
    return true;
}

bool SingleInstance::listen()
{
    if (m_server)
        return m_server->isListening();
    if (m_alone || !m_lock || !m_lock->isLocked())
        return false;
    const QString path = socketPath();
    // We hold the lock, so a socket file there was left by a process that died.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
    if (m_server->listen(path))
        return true;
    m_error = QStringLiteral("%1: %2").arg(path, m_server->errorString());
    return false;
}

void SingleInstance::takeConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        socket->setReadBufferSize(kHeaderBytes + maxPayloadBytes());
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        QTimer::singleShot(kConnectionLifeMs, socket, [socket] { drop(socket); });
        readMessage(socket);
    }
}

void SingleInstance::readMessage(QLocalSocket *socket)
{
    if (socket->bytesAvailable() < kHeaderBytes)
        return;
    quint32 length = 0;
    if (!decodeHeader(socket->peek(kHeaderBytes), &length)) {
        drop(socket);
        return;
    }
    if (socket->bytesAvailable() < kHeaderBytes + qint64(length))
        return;
    socket->skip(kHeaderBytes);
    QStringList paths;
    if (!decodePayload(socket->read(length), &paths)) {
        drop(socket);
        return;
    }
    // One message per connection: whatever follows is not read.
    disconnect(socket, nullptr, this, nullptr);
    socket->write(&kAck, 1);
    socket->flush();
    socket->disconnectFromServer();
    QMetaObject::invokeMethod(
        this, [this, paths] { emit filesReceived(paths); }, Qt::QueuedConnection);
}

QStringList SingleInstance::fileArguments(const QStringList &args, const QString &workingDir)
{
    QStringList files;
    bool optionsEnded = false;
    for (const QString &arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const QString path = FileName::Resolve(arg, workingDir);
        if (!path.isEmpty())
            files.append(path);
    }
    return files;
}

bool SingleInstance::handOff(const QStringList &args, const QString &workingDir, int timeoutMs)
{
    const QStringList paths = fileArguments(args, workingDir);
    if (paths.isEmpty() || m_folder.isEmpty())
        return false;
    const QByteArray message = encodeMessage(paths);
    if (message.isEmpty()) {
        m_error = QStringLiteral("the file names are too long to hand over");
        return false;
    }
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                  : QDeadlineTimer(timeoutMs);
    const QDeadlineTimer retryEnd(qMin(kConnectRetryMs, timeoutMs < 0 ? INT_MAX : timeoutMs));

    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(remainingMs(deadline)))
            break;
        if (retryEnd.hasExpired() || deadline.hasExpired()) {
            m_error = socket.errorString();
            return false;
        }
        QThread::msleep(kConnectRetryPauseMs);
    }

    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMs(deadline)))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(remainingMs(deadline)))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAck;
}
