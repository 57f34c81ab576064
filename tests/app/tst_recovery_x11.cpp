// The real program, typed into on a private X server (Xvfb, one a row), killed with SIGKILL
// at a random moment while typing: the next start brings back the named and the untitled text
// exactly as they were, everything typed until a second before the kill at least, and saving
// them writes the same bytes an unkilled program would have, in each encoding. A second start
// that hands its file over on the way recovers nothing, and the journals stay out of the
// user's folder.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "platform/base/encoding.h"
#include "platform/dialogs/msgbox.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "platform/recovery/journalreader.h"
#include "platform/recovery/recoveryfolder.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <X11/Xlib.h>

#include <utility>

using namespace AppHelper;
using namespace Qt::StringLiterals;

namespace {

QByteArray g_display;
constexpr int kKeyDelayMs = 30;

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, QString::fromLatin1(g_display));
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    return env;
}

bool xdotool(const QStringList &args)
{
    QProcess tool;
    tool.setProcessEnvironment(childEnvironment());
    tool.start(u"xdotool"_s, args);
    return tool.waitForFinished(30000) && tool.exitCode() == 0;
}

// Starts typing text (a Return for each \n) into the focused window; the returned process
// ends when every key has been sent.
std::unique_ptr<QProcess> startTyping(const QString &text)
{
    auto tool = std::make_unique<QProcess>();
    tool->setProcessEnvironment(childEnvironment());
    // A carriage return types Return; a line feed would type a key the text does not take.
    tool->start(u"xdotool"_s, {u"type"_s, u"--delay"_s, QString::number(kKeyDelayMs), QString(text).replace(u'\n', u'\r')});
    return tool;
}

bool type(const QString &text)
{
    const std::unique_ptr<QProcess> tool = startTyping(text);
    return tool->waitForFinished(60000) && tool->exitCode() == 0;
}

// Whether a window whose name matches pattern is shown.
bool windowShown(const QString &pattern) { return xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern}); }

// Gives the keyboard to the window whose name matches pattern: with no window manager, the
// server does not move it from a window that has gone to a new one.
bool focus(const QString &pattern)
{
    return xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern, u"windowfocus"_s, u"--sync"_s});
}

// The names of the shown windows, to tell what showed instead.
QString windowNames()
{
    QProcess tool;
    tool.setProcessEnvironment(childEnvironment());
    tool.start(u"sh"_s, {u"-c"_s, u"for w in $(xdotool search --onlyvisible --name .); do xdotool getwindowname $w; done"_s});
    tool.waitForFinished(30000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The texts of every journal on disk now, by the path they belong to.
QMap<QString, QString> journalTexts()
{
    QMap<QString, QString> texts;
    QDirIterator it(RecoveryFolder::DefaultRoot(), {u"*.nyoj"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        TextBuffer text;
        const JournalReader::Result result = JournalReader::Read(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), text);
        if (result.text == JournalReader::Result::Text::Whole)
            texts[result.origin.path] = text.text();
    }
    return texts;
}

// The text of a file's bytes (none: a new text) read as the program reads them, with typed put
// in at the start as keys put it; format receives the encoding it was found in.
std::unique_ptr<TextBuffer> typedInto(const QByteArray &bytes, const QString &typed, TextBytes::Format *format = nullptr)
{
    auto buffer = std::make_unique<TextBuffer>();
    TextBytes::Format found;
    if (!bytes.isEmpty())
        TextBytes::readDetected(*buffer, bytes, 1 << 20, &found);
    if (format)
        *format = found;
    buffer->replace(0, 0, typed);
    return buffer;
}

} // namespace

class TestRecoveryKill : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void killedWhileTypingComesBack_data();
    void killedWhileTypingComesBack();

private:
    std::unique_ptr<CNYOApp> m_app;
    // A private X server for each row, as a person's session starts: a program killed on one
    // leaves nothing (keyboard focus, key map) that the next program would meet.
    QProcess m_server;
    Display *m_held = nullptr;
};

void TestRecoveryKill::init()
{
    useFreshEnvironment();
    m_server.start(u"Xvfb"_s, u"-displayfd 1 -screen 0 1024x768x24 -nolisten tcp"_s.split(u' '));
    QByteArray number;
    while (!number.endsWith('\n') && m_server.waitForReadyRead(20000))
        number += m_server.readAllStandardOutput();
    QVERIFY2(!number.trimmed().isEmpty(), "Xvfb did not start");
    g_display = ':' + number.trimmed();
    // Held for the row: a server whose last program leaves resets, and a program that starts
    // meanwhile finds no server.
    m_held = XOpenDisplay(g_display.constData());
    QVERIFY2(m_held, "Xvfb takes no programs");
}

void TestRecoveryKill::cleanup()
{
    stopApp(m_app);
    if (m_held)
        XCloseDisplay(std::exchange(m_held, nullptr));
    m_server.terminate();
    m_server.waitForFinished();
}

void TestRecoveryKill::killedWhileTypingComesBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("namedFirst");  // else the untitled text is typed first, the file handed over
    QTest::newRow("CP932, killed in the untitled text") << "\x93\xfa\x96\x7b\r\nline\n\x80 escaped\r\nend"_ba
                                                       << Encoding::Cp932 << true;
    QTest::newRow("UTF-8, killed in the named text") << u"日本語\nline\r\n①\n"_s.toUtf8()
                                                    << Encoding::Utf8 << false;
    QTest::newRow("UTF-16, killed in the untitled text") << "\xff\xfe\xe5\x65\x2c\x67\r\0\n\0x\0"_ba
                                                        << Encoding::Utf16Le << true;
    QTest::newRow("EUC-JP, killed in the named text") << "\xc6\xfc\xcb\xdc\xb8\xec\r\nline\rend"_ba
                                                     << Encoding::EucJp << false;
}

void TestRecoveryKill::killedWhileTypingComesBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Encoding, encoding);
    QFETCH(bool, namedFirst);
    const QString named = writeFile(u"文書.txt"_s, bytes);
    const QString folder = QFileInfo(named).path();
    const QString first = u"ab\ncd"_s;
    // Longer than the longest wait before the kill takes to type.
    const QString partial = u"efgh\nijklmnop\nqrstuvwxyz\n0123456789\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n"_s.repeated(4);
    QRandomGenerator random(quint32(qHash(QTest::currentDataTag())));

    QProcess nyo;
    nyo.setProcessEnvironment(childEnvironment());
    nyo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    nyo.start(QStringLiteral(NYO_BINARY_DIR "/NYO"), namedFirst ? QStringList{named} : QStringList{});
    QVERIFY(nyo.waitForStarted(10000));
    // The main window's title names the active document's window, in brackets.
    const QString namedTitle = u"NYO - \\[文書\\.txt"_s, untitledTitle = u"NYO - \\[無題1"_s;
    QTRY_VERIFY_WITH_TIMEOUT(nyo.state() != QProcess::Running || windowShown(namedFirst ? namedTitle : untitledTitle), 60000);
    QVERIFY2(nyo.state() == QProcess::Running, "the program ended as it started");
    QVERIFY2(focus(namedFirst ? namedTitle : untitledTitle), qPrintable(u"shown instead: "_s + windowNames()));
    QVERIFY(type(first));
    QElapsedTimer sinceTyped;
    sinceTyped.start();
    const QString firstPath = namedFirst ? named : QString();
    const QString firstText = typedInto(namedFirst ? bytes : QByteArray(), first)->text();
    QTRY_VERIFY_WITH_TIMEOUT(journalTexts().value(firstPath) == firstText, 10000);
    QVERIFY2(sinceTyped.elapsed() < 2000, qPrintable(u"on disk after %1 ms"_s.arg(sinceTyped.elapsed())));

    // The second text: a new one, or the file handed over by a second start.
    if (namedFirst) {
        QVERIFY(xdotool({u"key"_s, u"ctrl+n"_s}));
    } else {
        QProcess second;
        second.setProcessEnvironment(childEnvironment());
        second.start(QStringLiteral(NYO_BINARY_DIR "/NYO"), {named});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(windowShown(namedFirst ? untitledTitle : namedTitle), 20000);
    QVERIFY(focus(namedFirst ? untitledTitle : namedTitle));
    QVERIFY(journalTexts().contains(firstPath));  // the second start touched nothing

    // Killed at a random moment while typing.
    const std::unique_ptr<QProcess> typing = startTyping(first + partial);
    const int killAfterMs = 1500 + int(random.bounded(1500));
    QVERIFY(typing->waitForStarted(10000));
    QElapsedTimer typingFor;
    typingFor.start();
    QTest::qWait(killAfterMs);
    nyo.kill();
    const qint64 killedAt = typingFor.elapsed();
    QVERIFY(nyo.waitForFinished(10000));
    typing->kill();
    typing->waitForFinished(10000);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"文書.txt"_s});

    boxes().answers = {MsgBox::IDYES};
    m_app = startApp();
    QVERIFY(m_app);
    QCOMPARE(boxes().texts.size(), 1);
    const QList<RichEditDoc *> docs = m_app->GetDocTemplate()->GetDocuments();
    QCOMPARE(docs.size(), 2);
    for (RichEditDoc *doc : docs) {
        QVERIFY(doc->IsModified());
        const bool isNamed = !doc->GetPathName().isEmpty();
        const QByteArray base = isNamed ? bytes : QByteArray();
        const bool killedHere = isNamed != namedFirst;
        const QString recovered = doc->GetView()->buffer()->text();
        TextBytes::Format format;
        std::unique_ptr<TextBuffer> expected = typedInto(base, first, &format);
        QCOMPARE(format.encoding, isNamed ? encoding : Encoding::Cp932);
        if (killedHere) {
            // Some of what was typed, at least what was typed a second before the kill (the keys
            // come kKeyDelayMs apart; half a second more for the typing tool's start).
            const QString all = first + partial;
            qsizetype count = 0;
            for (; count <= all.size(); ++count) {
                expected = typedInto(base, all.left(count));
                if (expected->text() == recovered)
                    break;
            }
            QVERIFY2(count <= all.size(), qPrintable(u"recovered: "_s + recovered));
            const qint64 sentBySecondBefore = (killedAt - 1000 - 500) / kKeyDelayMs;
            QVERIFY2(count >= sentBySecondBefore,
                     qPrintable(u"%1 keys in, %2 sent a second before the kill"_s.arg(count).arg(sentBySecondBefore)));
        }
        QCOMPARE(recovered, expected->text());
        const QString saveTo = isNamed ? doc->GetPathName() : folder + u"/untitled.txt"_s;
        saveAs().names = {saveTo};
        QVERIFY(doc->DoFileSave().IsSaved());
        QCOMPARE(readFile(saveTo), TextBytes::write(*expected, nullptr, nullptr, format));
    }
}

QTEST_MAIN(TestRecoveryKill)
#include "tst_recovery_x11.moc"
