// The document on its own, with a host of the test's: it reads and writes its file's bytes
// itself, holds the text limit its views keep, asks its questions and tells its failures to
// its host only (never a message box of its own), and announces the recent file and closing
// as signals. A write returns what it came to and tells nothing; the save commands tell.
// The template finds a document's windows.
#include "../texteventlog.h"

#include "platform/base/encoding.h"
#include "platform/base/fileerror.h"
#include "platform/base/systemmemory.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textfinder.h"
#include "platform/framework/afxres.h"
#include "platform/framework/documenthost.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QMdiArea>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileError)
Q_DECLARE_METATYPE(Encoding)
Q_DECLARE_METATYPE(SaveOutcome::Status)

namespace {

// Answers the document's questions from a list (Cancel once it runs out) and keeps what
// it was asked and told.
class TestHost : public DocumentHost {
public:
    QList<int> answers;
    QStringList asked;
    QStringList told;
    QStringList events;  // "ask", "tell", "begin wait", "end wait" in their order
    QString saveName;
    std::optional<Encoding> saveEncoding;    // chosen in Save As; none keeps the one offered
    std::optional<Encoding> reopenEncoding;  // chosen to reopen in; none cancels
    QList<Encoding> offered;                 // the encoding each choice started at
    QObject owner;

    int Ask(const RichEditDoc *, const QString &question, MsgBox::Buttons) override
    {
        asked.append(question);
        events.append(u"ask"_s);
        return answers.isEmpty() ? int(MsgBox::IDCANCEL) : answers.takeFirst();
    }
    void Tell(const RichEditDoc *, const QString &message) override
    {
        told.append(message);
        events.append(u"tell"_s);
    }
    void BeginWait() override { events.append(u"begin wait"_s); }
    void EndWait() override { events.append(u"end wait"_s); }
    QString AskSaveName(const RichEditDoc *, const QString &, Encoding *encoding) override
    {
        if (encoding) {
            offered.append(*encoding);
            if (saveEncoding)
                *encoding = *saveEncoding;
        }
        return saveName;
    }
    std::optional<Encoding> AskEncoding(const RichEditDoc *, Encoding current) override
    {
        events.append(u"encoding"_s);
        offered.append(current);
        return reopenEncoding;
    }
    QObject *WorkOwner() override { return &owner; }
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Another program's change to a file: "rewritten" writes other bytes of another length,
// "touched" bytes of the same length in place, dated 2001 so that the change shows within one
// tick of the clock; "deleted" removes it.
bool changeOutside(const QString &path, const QString &how)
{
    if (how == u"deleted"_s)
        return QFile::remove(path);
    if (how == u"rewritten"_s)
        return writeFile(path, "new text"_ba);
    if (how != u"touched"_s)
        return true;
    const struct timespec times[2] = {{978307200, 0}, {978307200, 0}};
    return writeFile(path, "NEW"_ba) && ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

const QString kReload = u"%1 は、ほかのプログラムによって変更されました。\n\n読み込み直しますか?"_s;
const QString kReloadModified =
    u"%1 は、ほかのプログラムによって変更されました。この文書にも保存していない変更があります。\n\n"
    "ファイルを読み込み直しますか?\n"
    "[はい] ファイルを読み込み直します。この文書への変更は失われます。\n"
    "[いいえ] この文書の内容を残します。次に保存するときに、上書きするかどうかを確認します。"_s;
const QString kOverwrite = u"%1 は、最後に開くか保存した後に、ほかのプログラムによって変更されています。\n\n"
                           "上書き保存すると、ほかのプログラムによる変更は失われます。上書き保存しますか?"_s;
const QString kGone = u"%1 は、ほかのプログラムによって削除されたか、移動されました。\n\n"
                      "文書の内容はこのまま残ります。自動保存ではこのファイルを作り直しません。"
                      "保存するときは [上書き保存] か [名前を付けて保存] を選んでください。"_s;

// A CP932 file long enough to be still loading when opening returns (its pieces wait to be
// taken by the event loop), ending in a line found nowhere else.
const QString kLastLine = u"最後の行"_s;
QByteArray loadingFile()
{
    QByteArray bytes;
    const QByteArray line = Encodings::encode(Encoding::Cp932, u"読み込み中の行です。abc\r\n"_s);
    while (bytes.size() < 6 * 1024 * 1024)
        bytes += line;
    return bytes + Encodings::encode(Encoding::Cp932, kLastLine);
}

// A document with a view and a host of its own, as the template makes it.
struct Hosted {
    TestHost host;
    RichEditDoc doc;
    RichEditView view;
    Hosted()
    {
        doc.SetHost(&host);
        doc.AddView(&view);
    }
};

} // namespace

class TestDocument : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    int m_boxes = 0;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qRegisterMetaType<RichEditDoc *>();
        MsgBox::setResponder([this](const QString &, const QString &, MsgBox::Buttons, MsgBox::Icon) {
            ++m_boxes;
            return int(MsgBox::IDCANCEL);
        });
    }
    void init() { m_boxes = 0; }
    void cleanup() { QCOMPARE(m_boxes, 0); }  // the document shows nothing itself


    // A file in any encoding, unedited, is saved back as the same bytes: bytes not valid in
    // its encoding, its byte-order mark and its line breaks included.
    void unchangedFilesComeBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QString>("text");  // as the view shows it
        QTest::newRow("cp932, mixed breaks, variant, lone FE")
            << "a\r\nb\nc\rd\xED\x40\xFE"_ba << Encoding::Cp932 << u"a\nb\nc\nd\u7E8A\uF8F2"_s;
        QTest::newRow("utf8") << u"UTF-8 の日本語テキスト ①髙﨑\r\nb\nc\r"_s.toUtf8() << Encoding::Utf8
                              << u"UTF-8 の日本語テキスト ①髙﨑\nb\nc\n"_s;
        QTest::newRow("utf8 bom, bad byte") << "\xEF\xBB\xBF"_ba + u"あ"_s.toUtf8() + "\xFF\r\nx"_ba << Encoding::Utf8Bom
                                            << u"あ\uEFFF\nx"_s;
        QTest::newRow("utf16le bom, lone surrogate, odd byte")
            << "\xFF\xFE\x42\x30\x00\xD8\x0D\x00\x0A\x00\x0A\x00\x41"_ba << Encoding::Utf16Le
            << u"あ"_s + QChar(0xD800) + u"\n\n\uEF41"_s;
        QTest::newRow("utf16be bom") << "\xFE\xFF\x30\x42\x00\x0D"_ba << Encoding::Utf16Be << u"あ\n"_s;
        QTest::newRow("euc-jp, jis x 0212, ibm row")
            << "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\x8F\xB0\xA1\xFC\xFB\r\n\x8E\xB1"_ba << Encoding::EucJp
            << u"日本語の\uEF8F\uEFB0\uEFA1\uFFE2\nｱ"_s;
        QTest::newRow("cp932 half-width katakana") << "\xC3\xBD\xC4"_ba << Encoding::Cp932 << u"ﾃｽﾄ"_s;
    }
    void unchangedFilesComeBackByteForByte()
    {
        QFETCH(QByteArray, bytes);
        const QString in = m_dir.filePath(u"same-in.txt"_s), out = m_dir.filePath(u"same-out.txt"_s);
        QVERIFY(writeFile(in, bytes));
        RichEditDoc doc;
        RichEditView view;
        doc.AddView(&view);
        QVERIFY(doc.OnOpenDocument(in));
        QTEST(doc.GetEncoding(), "encoding");
        QTEST(view.toPlainText(), "text");
        QVERIFY(doc.DoSave(out).IsSaved());
        QCOMPARE(readFile(out), bytes);
    }

    // Text typed into a document is saved in the document's encoding; a new document is CP932.
    // What the encoding cannot hold is asked about as in CP932, naming the encoding.
    void typedTextIsSavedInTheDocumentsEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: a new document
        QTest::addColumn<QString>("typed");     // at the end
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("asked");     // empty: no question
        QTest::addColumn<QByteArray>("written");
        const QList<int> none;
        QTest::newRow("new document") << QByteArray() << u"Zあ"_s << none << QString() << "Z\x82\xA0"_ba;
        QTest::newRow("utf8") << u"日本\n"_s.toUtf8() << u"Zあ"_s << none << QString()
                              << "\xE6\x97\xA5\xE6\x9C\xAC\n\x5a\xe3\x81\x82"_ba;
        QTest::newRow("utf8 bom") << "\xEF\xBB\xBF" "a"_ba << u"Zあ"_s << none << QString() << "\xEF\xBB\xBF" "aZ\xE3\x81\x82"_ba;
        QTest::newRow("utf16le") << "\xFF\xFE" "a\x00"_ba << u"Zあ"_s << none << QString() << "\xFF\xFE" "a\x00Z\x00\x42\x30"_ba;
        QTest::newRow("utf16be") << "\xFE\xFF\x00" "a"_ba << u"😀"_s << none << QString() << "\xFE\xFF\x00" "a\xD8\x3D\xDE\x00"_ba;
        QTest::newRow("euc-jp") << "\xC6\xFC\xCB\xDC\xB8\xEC"_ba << u"Zあｱ"_s << none << QString()
                                << "\xC6\xFC\xCB\xDC\xB8\xEC\x5A\xA4\xA2\x8E\xB1"_ba;
        QTest::newRow("euc-jp, unencodable accepted")
            << "\xC6\xFC\xCB\xDC\xB8\xEC"_ba << u"한"_s << QList<int>{MsgBox::IDYES}
            << u"%1 には EUC-JP で保存できない文字が含まれています:\n「한」(U+D55C)\n\n"
               "保存すると、これらの文字は「?」に置き換わります。このまま保存しますか?"_s
            << "\xC6\xFC\xCB\xDC\xB8\xEC?"_ba;
        QTest::newRow("utf8, lone surrogate declined")
            << u"日本"_s.toUtf8() << QString(QChar(0xD800)) << QList<int>{MsgBox::IDNO}
            << u"%1 には UTF-8 で保存できない文字が含まれています:\n「"_s + QChar(0xD800) +
                   u"」(U+D800)\n\n保存すると、これらの文字は「?」に置き換わります。このまま保存しますか?"_s
            << u"日本"_s.toUtf8();
        QTest::newRow("utf8, typed escape joins a byte of the file, declined")
            << "\xEF\xBB\xBF" "a\xE3"_ba << u"\uEF81\uEF82"_s << QList<int>{MsgBox::IDNO}
            << u"%1 には、UTF-8 BOM として正しくないバイトが前後の文字とつながり、保存して開き直すと"
               "別の文字に変わる箇所があります:\n1 行 2 桁\n\nこのまま保存しますか?"_s
            << "\xEF\xBB\xBF" "a\xE3"_ba;
    }
    void typedTextIsSavedInTheDocumentsEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, typed);
        QFETCH(QList<int>, answers);
        QFETCH(QString, asked);
        const QString path = m_dir.filePath(u"typed.txt"_s);
        QFile::remove(path);
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = answers;
        if (bytes.isEmpty()) {
            QVERIFY(doc.OnNewDocument());
        } else {
            QVERIFY(writeFile(path, bytes));
            QVERIFY(doc.OnOpenDocument(path));
            doc.SetPathName(path, false);
        }
        view.SetSel(view.GetTextLength(), view.GetTextLength());
        view.ReplaceSel(typed);
        doc.DoSave(path);
        QCOMPARE(host.asked, asked.isEmpty() ? QStringList() : QStringList{asked.arg(u"typed.txt"_s)});
        QTEST(readFile(path), "written");
    }

    // Reopen in an encoding: a modified document asks first, and keeps its text when told No;
    // then the encoding is chosen, starting at the document's. The file is read in the one
    // chosen, without deciding from the bytes: unmodified, caret at the start, and saved
    // back as the same bytes. Cancel leaves everything as it was.
    void reopenInAChosenEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("modified");          // "Z" typed at the end first
        QTest::addColumn<int>("answer");             // to the question about the changes
        QTest::addColumn<int>("chosen");             // an Encoding, -1 for Cancel
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Encoding>("encoding");
        const QByteArray utf8 = u"日本語"_s.toUtf8();
        const QStringList chooses{u"encoding"_s};
        const QStringList asksThenChooses{u"ask"_s, u"encoding"_s};
        QTest::newRow("utf-8 read as sjis") << utf8 << false << 0 << int(Encoding::Cp932) << chooses
                                            << u"譌･譛ｬ隱\uEF9E"_s << Encoding::Cp932;
        QTest::newRow("sjis read as utf-16le") << "\x93\xFA\x96\x7B"_ba << false << 0 << int(Encoding::Utf16Le)
                                               << chooses << u"\uFA93\u7B96"_s << Encoding::Utf16Le;
        QTest::newRow("euc-jp read as utf-8") << "\xC6\xFC\xCB\xDC"_ba << false << 0 << int(Encoding::Utf8) << chooses
                                              << u"\uEFC6\uEFFC\uEFCB\uEFDC"_s << Encoding::Utf8;
        QTest::newRow("utf-8 bom read as utf-8") << "\xEF\xBB\xBF" "a"_ba << false << 0 << int(Encoding::Utf8)
                                                 << chooses << u"\uFEFFa"_s << Encoding::Utf8;
        QTest::newRow("sjis read as euc-jp") << "\xB1\xB2"_ba << false << 0 << int(Encoding::EucJp) << chooses
                                             << u"渦"_s << Encoding::EucJp;
        QTest::newRow("modified, yes") << utf8 << true << int(MsgBox::IDYES) << int(Encoding::Cp932) << asksThenChooses
                                       << u"譌･譛ｬ隱\uEF9E"_s << Encoding::Cp932;
        QTest::newRow("modified, no") << utf8 << true << int(MsgBox::IDNO) << int(Encoding::Cp932)
                                      << QStringList{u"ask"_s} << u"日本語Z"_s << Encoding::Utf8;
        QTest::newRow("modified, yes, then cancelled") << utf8 << true << int(MsgBox::IDYES) << -1 << asksThenChooses
                                                       << u"日本語Z"_s << Encoding::Utf8;
        QTest::newRow("cancelled") << utf8 << false << 0 << -1 << chooses << u"日本語"_s << Encoding::Utf8;
    }
    void reopenInAChosenEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(int, chosen);
        QFETCH(QStringList, events);
        QFETCH(Encoding, encoding);
        const QString path = m_dir.filePath(u"reopen.txt"_s), copy = m_dir.filePath(u"reopen-copy.txt"_s);
        QVERIFY(writeFile(path, bytes));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = {answer};
        if (chosen >= 0)
            host.reopenEncoding = Encoding(chosen);
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        const Encoding found = doc.GetEncoding();
        view.SetSel(view.GetTextLength(), view.GetTextLength());
        if (modified)
            view.ReplaceSel(u"Z"_s);
        QVERIFY(doc.OnCmdMsg(ID_FILE_REOPEN_ENCODING, nullptr));
        QCOMPARE(host.events, events);
        QCOMPARE(host.asked, modified ? QStringList{u"reopen.txt への変更は失われます。\n\nファイルを開き直しますか?"_s}
                                      : QStringList());
        QCOMPARE(host.offered, events.contains(u"encoding"_s) ? QList<Encoding>{found} : QList<Encoding>());
        QTEST(view.toPlainText(), "text");
        QCOMPARE(doc.GetEncoding(), encoding);
        QCOMPARE(doc.GetPathName(), path);
        QCOMPARE(doc.GetTitle(), u"reopen.txt"_s);
        const bool reread = events.contains(u"encoding"_s) && chosen >= 0;
        QCOMPARE(doc.IsModified(), modified && !reread);
        if (!reread)
            return;
        QCOMPARE(view.position(), 0);
        QVERIFY(doc.DoSave(copy, false).IsSaved());
        QCOMPARE(readFile(copy), bytes);
        // What was read is what the document knows of its file: Save asks nothing.
        QVERIFY(doc.DoFileSave().IsSaved());
        QCOMPARE(host.asked.size(), modified ? 1 : 0);
        QCOMPARE(readFile(path), bytes);
    }

    // The command is there only for a document with a file; without one it asks nothing.
    void reopenNeedsAFile()
    {
        TestHost host;
        host.reopenEncoding = Encoding::Utf8;
        RichEditDoc doc;
        doc.SetHost(&host);
        QVERIFY(doc.OnNewDocument());
        doc.SetTitle(u"無題1"_s);
        CmdUI untitled(ID_FILE_REOPEN_ENCODING);
        QVERIFY(doc.OnCmdMsg(ID_FILE_REOPEN_ENCODING, &untitled));
        QVERIFY(!untitled.enabled());
        QVERIFY(doc.OnCmdMsg(ID_FILE_REOPEN_ENCODING, nullptr));
        QVERIFY(host.events.isEmpty());
        QCOMPARE(doc.GetEncoding(), Encoding::Cp932);
        const QString path = m_dir.filePath(u"reopen-enabled.txt"_s);
        QVERIFY(writeFile(path, "a"_ba));
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        CmdUI titled(ID_FILE_REOPEN_ENCODING);
        QVERIFY(doc.OnCmdMsg(ID_FILE_REOPEN_ENCODING, &titled));
        QVERIFY(titled.enabled());
    }

    // Save As offers the document's encoding; the file is written in the one chosen (with its
    // byte-order mark where it has one), and the document keeps it, as its pane shows. A
    // save that fails keeps the document's own.
    void saveAsInAnotherEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("chosen");      // an Encoding, -1 to keep the one offered
        QTest::addColumn<QString>("saveName");
        QTest::addColumn<QByteArray>("written");  // "<none>" when nothing was
        QTest::addColumn<Encoding>("encoding");
        const QByteArray utf8 = u"日本\n"_s.toUtf8();
        const QString name = u"saveas-enc.txt"_s;
        QTest::newRow("kept") << utf8 << -1 << name << utf8 << Encoding::Utf8;
        QTest::newRow("to sjis") << utf8 << int(Encoding::Cp932) << name << "\x93\xFA\x96\x7B\n"_ba << Encoding::Cp932;
        QTest::newRow("to utf-8 bom") << utf8 << int(Encoding::Utf8Bom) << name << "\xEF\xBB\xBF"_ba + utf8
                                      << Encoding::Utf8Bom;
        QTest::newRow("to utf-16le") << utf8 << int(Encoding::Utf16Le) << name << "\xFF\xFE\xE5\x65\x2C\x67\n\x00"_ba
                                     << Encoding::Utf16Le;
        QTest::newRow("to utf-16be") << utf8 << int(Encoding::Utf16Be) << name << "\xFE\xFF\x65\xE5\x67\x2C\x00\n"_ba
                                     << Encoding::Utf16Be;
        QTest::newRow("to euc-jp") << utf8 << int(Encoding::EucJp) << name << "\xC6\xFC\xCB\xDC\n"_ba << Encoding::EucJp;
        QTest::newRow("utf-16le bom to utf-8") << "\xFF\xFE\xE5\x65\n\x00"_ba << int(Encoding::Utf8) << name
                                               << "\xE6\x97\xA5\n"_ba << Encoding::Utf8;
        QTest::newRow("sjis to utf-8") << "\x93\xFA\x96\x7B\n"_ba << int(Encoding::Utf8) << name << utf8 << Encoding::Utf8;
        QTest::newRow("failed keeps the document's") << utf8 << int(Encoding::Cp932) << u"none/x.txt"_s << "<none>"_ba
                                                     << Encoding::Utf8;
    }
    void saveAsInAnotherEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, chosen);
        QFETCH(QString, saveName);
        QFETCH(Encoding, encoding);
        const QString path = m_dir.filePath(u"saveas-from.txt"_s);
        QVERIFY(writeFile(path, bytes));
        TestHost host;
        host.saveName = m_dir.filePath(saveName);
        QFile::remove(host.saveName);
        if (chosen >= 0)
            host.saveEncoding = Encoding(chosen);
        RichEditDoc doc;
        doc.SetHost(&host);
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        const Encoding found = doc.GetEncoding();
        doc.OnCmdMsg(ID_FILE_SAVE_AS, nullptr);
        QCOMPARE(host.offered, QList<Encoding>{found});
        QTEST(readFile(host.saveName), "written");
        QCOMPARE(doc.GetEncoding(), encoding);
        CmdUI pane(ID_INDICATOR_ENCODING);
        QVERIFY(doc.OnCmdMsg(ID_INDICATOR_ENCODING, &pane));
        QCOMPARE(pane.text(), Encodings::name(encoding));
        QCOMPARE(readFile(path), bytes);  // the file it came from is left alone
    }

    // What opening a file that cannot be opened tells the host, the text left as it was.
    void openFailuresAreToldToTheHost_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: no such file
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<QString>("message");  // %1 the path
        QTest::addColumn<qint64>("memory");    // free, as the system says it; -1: it does not say
        const qint64 needs = TextBytes::memoryToRead(6), mib = 1024 * 1024;
        QTest::newRow("missing") << QByteArray() << qsizetype(0) << FileErrorMessage(FileError::FileNotFound, u"%1"_s)
                                 << qint64(-1);
        QTest::newRow("over the document's limit")
            << "abc\r\nd"_ba << qsizetype(4)
            << u"%1 は大きすぎるため開けません。1 つの文書に入る文字数は 4 文字までです。"_s << qint64(-1);
        QTest::newRow("at the limit opens") << "abc\r\nd"_ba << qsizetype(5) << QString() << qint64(-1);
        QTest::newRow("more than the memory free")
            << "abc\r\nd"_ba << qsizetype(0)
            << u"%1 は大きすぎるため開けません。開くには約 1 MB のメモリが要りますが、空いているのは約 0 MB です。"_s
            << needs - 1;
        QTest::newRow("more than the memory free, in MB")
            << QByteArray(mib, 'a') << qsizetype(0)
            << u"%1 は大きすぎるため開けません。開くには約 %2 MB のメモリが要りますが、空いているのは約 5 MB です。"_s
                   .arg(u"%1"_s, QString::number((TextBytes::memoryToRead(mib) + mib - 1) / mib))
            << 5 * mib + 7;
        QTest::newRow("just the memory free opens") << "abc\r\nd"_ba << qsizetype(0) << QString() << needs;
        QTest::newRow("no word on memory opens") << "abc\r\nd"_ba << qsizetype(0) << QString() << qint64(-1);
    }
    void openFailuresAreToldToTheHost()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, limit);
        QFETCH(QString, message);
        QFETCH(qint64, memory);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (!bytes.isEmpty())
            QVERIFY(writeFile(path, bytes));
        RichEditDoc::SetAvailableMemory([memory]() -> std::optional<qint64> {
            return memory < 0 ? std::nullopt : std::optional<qint64>(memory);
        });
        const auto restore = qScopeGuard([] { RichEditDoc::SetAvailableMemory(SystemMemory::Available); });
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        view.ReplaceSel(u"before"_s);
        doc.SetLimitText(limit);
        QCOMPARE(doc.OnOpenDocument(path), message.isEmpty());
        QCOMPARE(host.told, message.isEmpty() ? QStringList() : QStringList{message.arg(path)});
        QCOMPARE(view.toPlainText(), message.isEmpty() ? u"abc\nd"_s : u"before"_s);
        QCOMPARE(doc.IsModified(), !message.isEmpty());
    }

    // Without a limit set, a text of more characters than the old control held opens whole,
    // and takes a line typed at its end.
    void textBeyondTheOldLimitOpens()
    {
        constexpr qsizetype kOldLimit = 0xFFFFFF;
        QByteArray bytes(kOldLimit + 2, 'a');
        for (qsizetype i = 99; i < bytes.size(); i += 100)
            bytes[i] = '\n';
        const QString path = m_dir.filePath(u"beyond"_s);
        QVERIFY(writeFile(path, bytes));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        QVERIFY(doc.OnOpenDocument(path));
        QCOMPARE(host.told, QStringList());
        QTRY_VERIFY(!doc.IsLoading());
        QCOMPARE(view.GetTextLength(), kOldLimit + 2);
        view.SetSel(-1, -1);
        view.ReplaceSel(u"\r\nb"_s);
        QCOMPARE(view.GetTextLength(), kOldLimit + 4);
        QCOMPARE(view.inputMethodQuery(Qt::ImMaximumTextLength), QVariant());
    }

    // A large file shows from its first piece on while the rest comes in. Whatever happens
    // while it does (an edit, a save, a search, reading the file again), the document ends up
    // with the whole text, and a save never writes half of it.
    void interruptedLoadsKeepTheWholeText_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"edited", "saved", "searched", "reloaded", "undisturbed"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void interruptedLoadsKeepTheWholeText()
    {
        QFETCH(QString, how);
        const QString path = m_dir.filePath(u"loading.txt"_s);
        QByteArray expected = loadingFile();
        QVERIFY(writeFile(path, expected));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        QVERIFY(doc.IsLoading());
        QVERIFY(view.toPlainText().startsWith(u"読み込み中の行です。abc\n"_s));
        QVERIFY(view.GetTextLength() < expected.size() / 2);
        if (how == u"edited"_s) {
            view.ReplaceSel(u"X"_s);
            expected.prepend('X');
        } else if (how == u"saved"_s) {
            QVERIFY(doc.DoFileSave().IsSaved());
            QCOMPARE(readFile(path), expected);
        } else if (how == u"searched"_s) {
            TextFinder::Run run;
            QVERIFY(TextFinder(&view).FindText(kLastLine, {}, TextFinder::Direction::Down, run));
            QCOMPARE(view.selectionEnd(), view.GetTextLength());
        } else if (how == u"reloaded"_s) {
            expected = "new text";
            QVERIFY(writeFile(path, expected));
            QVERIFY(doc.Reload());
        }
        QTRY_VERIFY(!doc.IsLoading());
        const QString copy = m_dir.filePath(u"copy.txt"_s);
        QVERIFY(doc.DoSave(copy, false).IsSaved());
        QCOMPARE(readFile(copy), expected);
        QCOMPARE(host.told, QStringList());
    }

    // A read begun before the document existed counts from when it began: a change made to
    // the file since is asked about, never taken for what was read.
    void aPreloadedFileChangedSinceIsAskedAbout()
    {
        const QString path = m_dir.filePath(u"preloaded.txt"_s);
        QVERIFY(writeFile(path, "old"));
        RichEditDoc::Preload(path);
        QVERIFY(changeOutside(path, u"rewritten"_s));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        host.answers = {MsgBox::IDYES};
        doc.CheckFileOnDisk();
        QCOMPARE(host.asked, QStringList{kReload.arg(path)});
        QCOMPARE(view.toPlainText(), u"new text"_s);
    }

    // Closing a document while its file comes in stops the load; nothing is left running.
    void closingWhileLoadingStopsTheLoad()
    {
        const QString path = m_dir.filePath(u"loading.txt"_s);
        QVERIFY(writeFile(path, loadingFile()));
        QPointer<RichEditDoc> doc = new RichEditDoc;
        RichEditView view;
        doc->AddView(&view);
        QVERIFY(doc->OnOpenDocument(path));
        QVERIFY(doc->IsLoading());
        doc->RemoveView(&view);
        QTRY_VERIFY(doc.isNull());
    }

    // The views of a document keep the document's limit, also one that joins later.
    void viewsKeepTheDocumentsLimit()
    {
        RichEditDoc doc;
        RichEditView first, second;
        doc.AddView(&first);
        QCOMPARE(first.GetLimitText(), RichEdit::kDefaultTextLimit);
        doc.SetLimitText(3);
        doc.AddView(&second);
        QCOMPARE(first.GetLimitText(), qsizetype(3));
        QCOMPARE(second.GetLimitText(), qsizetype(3));
        second.ReplaceSel(u"abcd"_s);
        QCOMPARE(first.toPlainText(), QString());
    }

    // Saving text the code page cannot hold asks the host first; declined, nothing is written,
    // over a file or not, and no other file is left beside it.
    void savingAsksTheHost_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QByteArray>("before");   // "<none>": no file
        QTest::addColumn<QByteArray>("written");  // "<none>": no file
        QTest::newRow("encodable, no question") << u"aあ"_s << QList<int>{} << 0 << "<none>"_ba << "a\x82\xA0"_ba;
        QTest::newRow("unencodable, declined") << u"aé"_s << QList<int>{MsgBox::IDNO} << 1 << "<none>"_ba << "<none>"_ba;
        QTest::newRow("unencodable, declined over a file")
            << u"aé"_s << QList<int>{MsgBox::IDNO} << 1 << "old"_ba << "old"_ba;
        QTest::newRow("unencodable, accepted") << u"aé"_s << QList<int>{MsgBox::IDYES} << 1 << "old"_ba << "a?"_ba;
        QTest::newRow("unencodable, no host") << u"aé"_s << QList<int>{} << -1 << "<none>"_ba << "<none>"_ba;
    }
    void savingAsksTheHost()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, answers);
        QFETCH(int, questions);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"saved.txt"_s);
        if (before != "<none>") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        TestHost host;
        host.answers = answers;
        RichEditDoc doc;
        RichEditView view;
        if (questions >= 0)
            doc.SetHost(&host);
        doc.AddView(&view);
        view.ReplaceSel(text);
        QCOMPARE(doc.DoSave(path).IsSaved(), written != "<none>" && written != before);
        QCOMPARE(host.asked.size(), std::max(questions, 0));
        QCOMPARE(readFile(path), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), written == "<none>" ? 0 : 1);
    }

    // A write returns what it came to, with the file and the cause of a failure; the document
    // tells nothing of it, whoever asked for the save does.
    void writeComesBackAsAValue_data()
    {
        QTest::addColumn<QString>("name");  // under the test's folder; empty: Save As
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("answer");  // to the question about unencodable text
        QTest::addColumn<SaveOutcome::Status>("status");
        QTest::addColumn<FileError>("cause");
        using S = SaveOutcome::Status;
        QTest::newRow("saved") << u"saved.txt"_s << u"a"_s << 0 << S::Saved << FileError::None;
        QTest::newRow("folder missing") << u"none/a.txt"_s << u"a"_s << 0 << S::Failed << FileError::BadPath;
        QTest::newRow("a folder") << u"."_s << u"a"_s << 0 << S::Failed << FileError::AccessDenied;
        QTest::newRow("question declined") << u"declined.txt"_s << u"é"_s << int(MsgBox::IDNO) << S::Cancelled
                                           << FileError::None;
        QTest::newRow("no Save As name") << QString() << u"a"_s << 0 << S::Cancelled << FileError::None;
    }
    void writeComesBackAsAValue()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, answer);
        QFETCH(SaveOutcome::Status, status);
        QFETCH(FileError, cause);
        const QString path = name.isEmpty() ? QString() : QDir::cleanPath(m_dir.filePath(name));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = {answer};
        view.ReplaceSel(text);
        const SaveOutcome outcome = doc.DoSave(path);
        QCOMPARE(outcome.status(), status);
        QCOMPARE(outcome.cause(), cause);
        QCOMPARE(doc.IsModified(), status != SaveOutcome::Status::Saved);
        QVERIFY(host.told.isEmpty());
        const QString message = SaveFailureMessage(outcome);
        QCOMPARE(message, status == SaveOutcome::Status::Failed ? FileErrorMessage(cause, path) : QString());
    }

    // The save commands and the save before closing tell the host the failure's message once;
    // a cancelled save tells nothing.
    void saveCommandsTellFailures_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("saveName");  // under the test's folder; empty: cancelled
        QTest::addColumn<bool>("told");
        QTest::addColumn<int>("closes");
        QTest::newRow("Save As, folder missing") << int(ID_FILE_SAVE_AS) << u"none/b.txt"_s << true << 0;
        QTest::newRow("Save As, cancelled") << int(ID_FILE_SAVE_AS) << QString() << false << 0;
        QTest::newRow("Save, untitled, folder missing") << int(ID_FILE_SAVE) << u"none/c.txt"_s << true << 0;
        QTest::newRow("close, saved") << int(ID_FILE_CLOSE) << u"closed.txt"_s << false << 1;
        QTest::newRow("close, save failed") << int(ID_FILE_CLOSE) << u"none/d.txt"_s << true << 0;
    }
    void saveCommandsTellFailures()
    {
        QFETCH(int, command);
        QFETCH(QString, saveName);
        QFETCH(bool, told);
        QFETCH(int, closes);
        TestHost host;
        host.answers = {MsgBox::IDYES};  // to "save the changes?" before closing
        host.saveName = saveName.isEmpty() ? QString() : m_dir.filePath(saveName);
        RichEditDoc doc;
        doc.SetHost(&host);
        doc.SetTitle(u"無題1"_s);
        doc.SetModifiedFlag(true);
        QSignalSpy closing(&doc, &RichEditDoc::closeRequested);
        QVERIFY(doc.OnCmdMsg(command, nullptr));
        QCOMPARE(host.told, told ? QStringList{FileErrorMessage(FileError::BadPath, host.saveName)} : QStringList());
        QCOMPARE(closing.size(), closes);
    }

    // Send shows its wait through the host, and ends it before telling of a failure (here,
    // that there is no mail program).
    void sendWaitsThroughTheHost()
    {
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", m_dir.filePath(u"no-programs"_s).toLocal8Bit());  // no mail program
        TestHost host;
        RichEditDoc doc;
        doc.SetHost(&host);
        doc.OnFileSendMail();
        QCOMPARE(host.events, (QStringList{u"begin wait"_s, u"end wait"_s, u"tell"_s}));
        QCOMPARE(host.told.size(), 1);
    }

    // Close asks the host about a modified document, then asks its windows to close.
    void closeAsksThenSignals_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("closes");
        QTest::newRow("unmodified") << false << int(MsgBox::IDCANCEL) << 1;
        QTest::newRow("modified, not saved") << true << int(MsgBox::IDNO) << 1;
        QTest::newRow("modified, cancelled") << true << int(MsgBox::IDCANCEL) << 0;
    }
    void closeAsksThenSignals()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(int, closes);
        TestHost host;
        host.answers = {answer};
        RichEditDoc doc;
        doc.SetHost(&host);
        doc.SetTitle(u"無題1"_s);
        doc.SetModifiedFlag(modified);
        QSignalSpy closing(&doc, &RichEditDoc::closeRequested);
        QVERIFY(doc.OnCmdMsg(ID_FILE_CLOSE, nullptr));
        QCOMPARE(closing.size(), closes);
        QCOMPARE(host.asked, modified ? QStringList{u"無題1 への変更を保存しますか?"_s} : QStringList());
    }

    // The main window comes back to the front after another program changed the open file:
    // an unmodified document asks whether to read it again, a modified one whether to read it
    // again or keep its own text; a file gone is told of. Each change is asked about once.
    void outsideChangeOnActivation_data()
    {
        QTest::addColumn<bool>("modified");   // "X" typed at the start
        QTest::addColumn<QString>("outside");  // see changeOutside(); empty: nothing done
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("asked");   // %1 the path; empty: nothing
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("text");    // the document's text afterwards
        const int yes = MsgBox::IDYES, no = MsgBox::IDNO;
        QTest::newRow("unchanged") << false << QString() << yes << QString() << QString() << u"old"_s;
        QTest::newRow("unmodified, read again") << false << u"rewritten"_s << yes << kReload << QString() << u"new text"_s;
        QTest::newRow("unmodified, not read again") << false << u"rewritten"_s << no << kReload << QString() << u"old"_s;
        QTest::newRow("same size, other time") << false << u"touched"_s << yes << kReload << QString() << u"NEW"_s;
        QTest::newRow("modified, read again") << true << u"rewritten"_s << yes << kReloadModified << QString() << u"new text"_s;
        QTest::newRow("modified, keep mine") << true << u"rewritten"_s << no << kReloadModified << QString() << u"Xold"_s;
        QTest::newRow("unmodified, deleted") << false << u"deleted"_s << yes << QString() << kGone << u"old"_s;
        QTest::newRow("modified, deleted") << true << u"deleted"_s << yes << QString() << kGone << u"Xold"_s;
    }
    void outsideChangeOnActivation()
    {
        QFETCH(bool, modified);
        QFETCH(QString, outside);
        QFETCH(int, answer);
        QFETCH(QString, text);
        const QString path = m_dir.filePath(u"activation %1.txt"_s.arg(QTest::currentDataTag()));
        QVERIFY(writeFile(path, "old"_ba));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = {answer, answer};
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        if (modified)
            view.ReplaceSel(u"X"_s);
        QVERIFY(changeOutside(path, outside));
        for (int activation = 0; activation < 2; ++activation)
            doc.CheckFileOnDisk();
        QFETCH(QString, asked);
        QFETCH(QString, told);
        QCOMPARE(host.asked, asked.isEmpty() ? QStringList() : QStringList{asked.arg(path)});
        QCOMPARE(host.told, told.isEmpty() ? QStringList() : QStringList{told.arg(path)});
        QCOMPARE(view.toPlainText(), text);
        const bool readAgain = text != u"old"_s && text != u"Xold"_s;
        QCOMPARE(doc.IsModified(), modified && !readAgain);
        QCOMPARE(doc.GetPathName(), path);
        qsizetype start = -1, end = -1;
        view.GetSel(start, end);
        QCOMPARE(start, readAgain ? 0 : modified ? 1 : 0);
        // What was read again is what the next save compares with: it asks nothing.
        if (readAgain) {
            view.ReplaceSel(u"Y"_s);
            QVERIFY(doc.DoFileSave().IsSaved());
            QCOMPARE(host.asked.size(), 1);
            QCOMPARE(readFile(path), "Y" + text.toLatin1());
        }
    }

    // Reading the file again is told to a screen reader as the whole old text replaced by the
    // new, in the document's view.
    void readingAgainIsToldToAScreenReader()
    {
        const QString path = m_dir.filePath(u"read again, told.txt"_s);
        QVERIFY(writeFile(path, "old"_ba));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = {MsgBox::IDYES};
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        QVERIFY(changeOutside(path, u"rewritten"_s));
        TextEventLog log(&view);
        doc.CheckFileOnDisk();
        QCOMPARE(log.takeChanges(), QStringList{u"update 0 \"old\" \"new text\""_s});
    }

    // Every save of the document's own file asks before it overwrites another program's
    // change; declined, nothing is written and the save comes back cancelled. A save after an
    // outside change kept at activation asks as well; auto-save asks once per change.
    void saveAfterOutsideChange_data()
    {
        QTest::addColumn<QString>("road");     // "write", "save", "close", "auto", "keep mine, write"
        QTest::addColumn<QString>("outside");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");   // about the file on disk
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<bool>("saved");
        const int yes = MsgBox::IDYES, no = MsgBox::IDNO;
        QTest::newRow("unchanged, no question") << u"write"_s << QString() << QList<int>{} << 0 << "Xold"_ba << true;
        QTest::newRow("write, overwrite") << u"write"_s << u"rewritten"_s << QList<int>{yes} << 1 << "Xold"_ba << true;
        QTest::newRow("write, cancelled") << u"write"_s << u"rewritten"_s << QList<int>{no} << 1 << "new text"_ba << false;
        QTest::newRow("same size, cancelled") << u"write"_s << u"touched"_s << QList<int>{no} << 1 << "NEW"_ba << false;
        QTest::newRow("Save, overwrite") << u"save"_s << u"rewritten"_s << QList<int>{yes} << 1 << "Xold"_ba << true;
        QTest::newRow("Save, cancelled") << u"save"_s << u"rewritten"_s << QList<int>{no} << 1 << "new text"_ba << false;
        QTest::newRow("close, overwrite") << u"close"_s << u"rewritten"_s << QList<int>{yes, yes} << 1 << "Xold"_ba << true;
        QTest::newRow("close, cancelled") << u"close"_s << u"rewritten"_s << QList<int>{yes, no} << 1 << "new text"_ba << false;
        QTest::newRow("auto-save, overwrite") << u"auto"_s << u"rewritten"_s << QList<int>{yes} << 1 << "Xold"_ba << true;
        QTest::newRow("auto-save, kept, asked once") << u"auto"_s << u"rewritten"_s << QList<int>{no, yes} << 1 << "new text"_ba << false;
        QTest::newRow("auto-save, deleted, not made again") << u"auto"_s << u"deleted"_s << QList<int>{yes} << 0 << "<none>"_ba << false;
        QTest::newRow("kept at activation, save asks") << u"keep mine, write"_s << u"rewritten"_s << QList<int>{no, yes} << 2 << "Xold"_ba << true;
        QTest::newRow("kept at activation, save cancelled") << u"keep mine, write"_s << u"rewritten"_s << QList<int>{no, no} << 2 << "new text"_ba << false;
    }
    void saveAfterOutsideChange()
    {
        QFETCH(QString, road);
        QFETCH(QString, outside);
        QFETCH(QList<int>, answers);
        QFETCH(bool, saved);
        const QString path = m_dir.filePath(u"save %1.txt"_s.arg(QTest::currentDataTag()));
        QVERIFY(writeFile(path, "old"_ba));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = answers;
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path, false);
        view.ReplaceSel(u"X"_s);
        QVERIFY(changeOutside(path, outside));
        QSignalSpy closing(&doc, &RichEditDoc::closeRequested);
        if (road == u"write"_s || road.startsWith(u"keep mine"_s)) {
            if (road.startsWith(u"keep mine"_s))
                doc.CheckFileOnDisk();
            QCOMPARE(doc.DoFileSave().status(), saved ? SaveOutcome::Status::Saved : SaveOutcome::Status::Cancelled);
        } else if (road == u"auto"_s) {
            for (int interval = 0; interval < 3; ++interval)
                if (doc.NeedsAutoSave())
                    doc.DoAutoSave();
        } else {
            QVERIFY(doc.OnCmdMsg(road == u"save"_s ? ID_FILE_SAVE : ID_FILE_CLOSE, nullptr));
            QCOMPARE(closing.size(), road == u"close"_s && saved ? 1 : 0);
        }
        const QStringList onDisk = host.asked.filter(u"ほかのプログラム"_s);
        QTEST(int(onDisk.size()), "questions");
        if (!onDisk.isEmpty())
            QCOMPARE(onDisk.last(), kOverwrite.arg(path));
        QTEST(readFile(path), "onDisk");
        QCOMPARE(doc.IsModified(), !saved);
        QCOMPARE(host.told, outside == u"deleted"_s ? QStringList{kGone.arg(path)} : QStringList());
        // Once written, the file is the document's again: the next save asks nothing.
        if (saved) {
            view.ReplaceSel(u"Z"_s);
            const qsizetype asked = host.asked.size();
            QVERIFY(doc.DoFileSave().IsSaved());
            QCOMPARE(host.asked.size(), asked);
        }
    }

    // A document opened through a symbolic link watches the file the link leads to: a change
    // to it is asked about, and its own saves, which replace that file, are not.
    void outsideChangeThroughALink()
    {
        const QString target = m_dir.filePath(u"link target.txt"_s), link = m_dir.filePath(u"link.txt"_s);
        QVERIFY(writeFile(target, "old"_ba) && QFile::link(target, link));
        Hosted hosted;
        auto &[host, doc, view] = hosted;
        host.answers = {MsgBox::IDNO};
        QVERIFY(doc.OnOpenDocument(link));
        doc.SetPathName(link, false);
        view.ReplaceSel(u"X"_s);
        QVERIFY(doc.DoFileSave().IsSaved());
        QVERIFY(host.asked.isEmpty());
        QVERIFY(changeOutside(target, u"touched"_s));
        view.ReplaceSel(u"Y"_s);
        QCOMPARE(doc.DoFileSave().status(), SaveOutcome::Status::Cancelled);
        QCOMPARE(host.asked, QStringList{kOverwrite.arg(link)});
        QVERIFY(readFile(target) == "NEW" && QFileInfo(link).isSymLink());
    }


    // The template gives its host to each document, finds each document's windows, and lets
    // a document go as its last window closes.
    void templateFindsFramesAndHandsHost()
    {
        QMdiArea area;
        TestHost host;
        MultiDocTemplate::Factories factories;
        factories.document = [] { return new RichEditDoc; };
        factories.frame = [] { return new MDIChildWnd; };
        factories.view = [] { return new RichEditView; };
        MultiDocTemplate docTemplate(u"\nText\n"_s, factories);
        docTemplate.SetMdiArea(&area);
        docTemplate.SetDocumentHost(&host);
        QSignalSpy added(&docTemplate, &MultiDocTemplate::documentAdded);
        RichEditDoc *doc = docTemplate.OpenDocumentFile(QString());
        QVERIFY(doc);
        QCOMPARE(added.size(), 1);
        QCOMPARE(doc->GetHost(), &host);
        QCOMPARE(doc->GetTitle(), u"Text1"_s);
        MDIChildWnd *second = docTemplate.CreateNewFrame(doc);
        QVERIFY(second);
        const QList<MDIChildWnd *> frames = docTemplate.GetFrames(doc);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(1), second);
        QCOMPARE(frames.at(0)->GetActiveDocument(), doc);
        QVERIFY(doc->OnCmdMsg(ID_FILE_CLOSE, nullptr));  // unmodified: no question
        QVERIFY(host.asked.isEmpty());
        QVERIFY(docTemplate.GetDocuments().isEmpty());
        QCOMPARE(docTemplate.FindDocument(QString()), nullptr);
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
