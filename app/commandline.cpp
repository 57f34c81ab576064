#include "app/commandline.h"

#include "platform/base/filename.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace CommandLine {
namespace {

const QString kVersion = QStringLiteral(NYO_VERSION);  // project()'s version, from the build

#ifdef Q_OS_UNIX
// The terminal's character set is the one of the locale that governs characters (LC_ALL, else
// LC_CTYPE, else LANG). Text goes out as UTF-8, as everywhere in Qt on Unix, so it is UTF-8 only
// when the locale's name says so: "ja_JP" alone is EUC-JP and "C" is ASCII.
bool terminalTakesUtf8()
{
    QByteArray name = qgetenv("LC_ALL");
    if (name.isEmpty())
        name = qgetenv("LC_CTYPE");
    if (name.isEmpty())
        name = qgetenv("LANG");
    const qsizetype dot = name.indexOf('.');
    if (dot < 0)
        return false;
    QByteArray codeset = name.mid(dot + 1);
    const qsizetype at = codeset.indexOf('@');
    if (at >= 0)
        codeset.truncate(at);
    codeset = codeset.toLower().replace("-", "");
    return codeset == "utf8";
}
#endif

enum class Option { Help, Version };

std::optional<Option> option(int argc, const char *const argv[])
{
    if (argc < 2 || !argv[1])
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0)
        return Option::Help;
    if (std::strcmp(argv[1], "--version") == 0)
        return Option::Version;
    return std::nullopt;
}

QString helpText(bool japanese)
{
    if (japanese)
        return QStringLiteral(
                   "NYO %1 - Shift_JIS(CP932)のテキストエディタ\n"
                   "\n"
                   "使い方: NYO [ファイル...]\n"
                   "\n"
                   "ファイルを開きます（指定がなければ新しい文書を開きます）。\n"
                   "NYO がすでに起動しているときは、その NYO でファイルを開きます。\n"
                   "ほかの引数は \"-\" で始まってもファイル名です（--help という名前なら ./--help）。\n"
                   "\n"
                   "オプション（最初の引数のときだけ）:\n"
                   "  --help     この説明を表示して終了します\n"
                   "  --version  バージョンを表示して終了します\n")
            .arg(kVersion);
    return QStringLiteral(
               "NYO %1 - a plain-text editor for Shift_JIS (CP932) files\n"
               "\n"
               "Usage: NYO [FILE...]\n"
               "\n"
               "Opens each FILE (a new document when none is given). When NYO is already\n"
               "running, the files open in that NYO. Any other argument is a file name, also\n"
               "one that begins with \"-\" (write ./--help for a file of that name).\n"
               "\n"
               "Options (first argument only):\n"
               "  --help     show this help and exit\n"
               "  --version  show the version and exit\n")
        .arg(kVersion);
}

QString versionText(bool japanese)
{
    return (japanese ? QStringLiteral("NYO バージョン %1\n") : QStringLiteral("NYO version %1\n")).arg(kVersion);
}

// Japanese when the locale's language is Japanese and the terminal can show it.
bool japaneseOutput()
{
    if (QLocale::system().language() != QLocale::Japanese)
        return false;
#ifdef Q_OS_UNIX
    return terminalTakesUtf8();
#else
    return true;
#endif
}

} // namespace

std::optional<int> answer(int argc, const char *const argv[])
{
    const std::optional<Option> asked = option(argc, argv);
    if (!asked)
        return std::nullopt;
    const bool japanese = japaneseOutput();
    const QByteArray bytes = (*asked == Option::Help ? helpText(japanese) : versionText(japanese)).toLocal8Bit();

    // Buffered output fails on the flush at the latest (a full disk, a closed descriptor).
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    const bool flushed = std::fflush(stdout) == 0;
    if (written && flushed && !std::ferror(stdout))
        return 0;
    const int error = errno;
    const QString reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString();
    QString message = japanese ? QStringLiteral("NYO: 標準出力に書き込めません") : QStringLiteral("NYO: cannot write to standard output");
    if (!reason.isEmpty())
        message += QStringLiteral(" (%1)").arg(reason);
    const QByteArray line = (message + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return 1;
}

QStringList arguments(int argc, const char *const argv[])
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out.append(FileName::FromNative(QByteArray(argv[i])));
    return out;
}

} // namespace CommandLine
