#include "platform/desktop/mail.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <vector>

namespace Mail {
namespace {

// How long the end of the program waits for a tool it has killed.
constexpr int kEndWaitMs = 3000;

// Folders of sent copies; whatever is left goes when the program ends.
std::vector<std::unique_ptr<QTemporaryDir>> &kept()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    return folders;
}

// One run of the tool (its child process), with the copy it was given. It deletes itself once
// the tool has ended and the result is handed on; its owner deletes it earlier when the
// program ends first.
class Sending : public QObject {
public:
    Sending(std::unique_ptr<QTemporaryDir> copy, std::function<void(Result)> done, QObject *owner)
        : QObject(owner), m_process(new QProcess(this)), m_copy(std::move(copy)), m_done(std::move(done))
    {
        connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                End(Result::BadMailSystem);
        });
        connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
            End(status == QProcess::NormalExit && exitCode == 0 ? Result::Sent : Result::Failed);
        });
    }

    // The program ends before the tool: no report any more, and no wait beyond a short one
    // for the killed tool (a mail program it started goes on by itself).
    ~Sending() override
    {
        disconnect(m_process, nullptr, this, nullptr);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(kEndWaitMs);
        }
    }

    void Start(const QString &tool, const QString &filePath)
    {
        m_process->setProgram(tool);
        // File names are UTF-8 here whatever the locale says; without --utf8 the tool would
        // convert them from the locale's character set and lose a Japanese name under "C".
        m_process->setArguments({QStringLiteral("--utf8"), QStringLiteral("--attach"), filePath});
        m_process->setStandardInputFile(QProcess::nullDevice());
        m_process->setProcessChannelMode(QProcess::ForwardedChannels);
        m_process->start();
    }

private:
    void End(Result result)
    {
        if (m_ended)
            return;
        m_ended = true;
        if (result == Result::Sent)
            KeepUntilExit(std::move(m_copy));
        m_copy.reset();
        deleteLater();
        // Taken out first: a report shown from done may outlast this object.
        const std::function<void(Result)> done = std::move(m_done);
        if (done)
            done(result);
    }

    QProcess *m_process;
    std::unique_ptr<QTemporaryDir> m_copy;
    std::function<void(Result)> m_done;
    bool m_ended = false;
};

} // namespace

QString FindTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
}

void SendAttachment(const QString &tool, const QString &filePath, std::unique_ptr<QTemporaryDir> copy,
                    QObject *owner, std::function<void(Result)> done)
{
    if (tool.isEmpty()) {
        copy.reset();
        if (done)
            done(Result::NoMailSystem);
        return;
    }
    (new Sending(std::move(copy), std::move(done), owner))->Start(tool, filePath);
}

std::unique_ptr<QTemporaryDir> NewAttachmentFolder()
{
    return std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/afxXXXXXX"));
}

void KeepUntilExit(std::unique_ptr<QTemporaryDir> folder)
{
    if (folder)
        kept().push_back(std::move(folder));
}

void DeleteKeptAttachments()
{
    kept().clear();
}

} // namespace Mail
