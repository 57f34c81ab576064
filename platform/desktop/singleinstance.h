#pragma once
// One editor per user. The first process takes a per-user lock and, once its main window
// exists, listens on a per-user local socket; a later process finds the lock taken, sends its
// file arguments over that socket and ends.
//
// Lock ("lock") and socket ("socket") live in a folder that only the user can reach:
//   $XDG_RUNTIME_DIR/<name>          when XDG_RUNTIME_DIR is an absolute, existing folder
//   <temp folder>/<name>-<uid>       otherwise
// The folder is created with mode 0700. One that belongs to another user, is open to group or
// others, or is a symbolic link is never used: the process then runs on its own (acquire()
// succeeds, listen() and handOff() fail, errorString() says why), so a folder planted by
// someone else can neither receive our paths nor keep the editor from starting.
//
// Message, all integers 32-bit big-endian:
//   "NYOH"  version (1)  payload length
//   payload: path count, then per path its UTF-8 length and bytes
// Every path must be valid UTF-8 as it stands (nothing cut off, no byte-order mark) and
// absolute. A path is sent as the program holds a file name (FileName::FromNative): bytes of
// the name that are not UTF-8 travel as their escape characters, so that the receiver opens
// the very bytes the later process was given. The receiver reads no further than the stated length, drops a
// message that is malformed or longer than maxPayloadBytes() without answering, and answers a
// good one with one acknowledgement byte.
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = QStringLiteral("NYO"), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first of the user (the lock is now held) or has to run on
    // its own because the private folder cannot be used; false only while another running
    // process holds the lock. A lock left by a process that died is taken over.
    bool acquire();

    // First process: start taking hand-offs. A socket file left by a process that died is
    // replaced. False when acquire() did not take the lock or the server cannot listen.
    bool listen();

    // Later process: send the file arguments of args (see fileArguments()), made absolute
    // against workingDir, to the first process and wait until it has taken them. Nothing is
    // sent when no file argument remains. A first process that holds the lock but does not
    // listen yet is retried for about two seconds. Returns true once the first process
    // acknowledged the paths; false when nothing was sent or nothing was acknowledged within
    // timeoutMs (negative: no limit).
    bool handOff(const QStringList &args, const QString &workingDir, int timeoutMs = 5000);

    // The file arguments of a command line (without the program name), in order, each made
    // absolute by FileName::Resolve() against workingDir (the current folder when empty): an
    // existing name as it stands, a missing quoted one without its quotes. Every argument is a
    // file, also one that begins with '-'; only the first "--" is not, as it ends the options.
    // Arguments of which no name remains ("", "\"\"") are left out.
    static QStringList fileArguments(const QStringList &args, const QString &workingDir);

    static constexpr int maxPayloadBytes() { return 16 * 1024 * 1024; }

    // Full path of the socket; empty when the private folder cannot be used.
    QString socketPath() const;
    QString errorString() const { return m_error; }

signals:
    // Emitted from the event loop after the sender has been acknowledged, so that whatever
    // the opening shows (a modal error box) never holds up the sending process.
    void filesReceived(const QStringList &absolutePaths);

private:
    void takeConnections();
    void readMessage(QLocalSocket *socket);

    QString m_name;
    QString m_folder; // empty when refused
    QString m_error;
    bool m_alone = false; // runs without the single-instance machinery
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr; // child; closed before the lock is let go

};
