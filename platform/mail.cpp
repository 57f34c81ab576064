#include "platform/mail.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <vector>

namespace Mail {
namespace {

// Folders of sent copies; whatever is left goes when the program ends.
std::vector<std::unique_ptr<QTemporaryDir>> &kept()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    return folders;
}

} // namespace

QString FindTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
}

Result SendAttachment(const QString &tool, const QString &filePath)
{
    if (tool.isEmpty())
        return Result::NoMailSystem;
    QProcess process;
    process.setProgram(tool);
    // File names are UTF-8 here whatever the locale says; without --utf8 the tool would
    // convert them from the locale's character set and lose a Japanese name under "C".
    process.setArguments({QStringLiteral("--utf8"), QStringLiteral("--attach"), filePath});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start();
    if (!process.waitForStarted(-1))
        return Result::BadMailSystem;
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::AllEvents);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Result::Failed;
    return Result::Sent;
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
