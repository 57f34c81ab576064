// Opening, editing, saving and closing documents through the running application.
#include "app_helper.h"

#include "app/commandline.h"
#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/base/filename.h"
#include "platform/base/fileio.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/recentfilelist.h"
#include "platform/dialogs/saveasdialog.h"
#include "res/resource.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QScopeGuard>
#include <QAction>
#include <QComboBox>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace AppHelper;

// "日本語テキスト" and a half-width katakana line, CR LF line ends.
static const QByteArray kJapanese = QByteArray::fromHex("93fa967b8cea8365834c83588367") + "\r\n" + QByteArray::fromHex("b6c5") + "\r\n";
// While it lives, and after its first five seconds, gives a FIFO a writer that goes away every
// 50 ms, so that an open or read that waits on the FIFO ends (setting *waited) instead of
// holding the test for ever.
class FifoUnblocker {
public:
    FifoUnblocker(const QString &fifo, bool *waited)
        : m_thread([this, path = QFile::encodeName(fifo), waited] { run(path, waited); }) {}
    ~FifoUnblocker()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void run(const QByteArray &path, bool *waited)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (auto wait = std::chrono::milliseconds(5000); !m_wake.wait_for(lock, wait, [this] { return m_done; });
             wait = std::chrono::milliseconds(50)) {
            ::close(::open(path.constData(), O_RDWR | O_NONBLOCK));
            *waited = true;
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;  // last: it uses the members above
};

// The files in path's folder, to see that a save left no temporary file beside it.
// 日本語.txt in Shift-JIS bytes, which are not UTF-8.
static const QByteArray kShiftJisName = QByteArray::fromHex("93fa967b8cea") + ".txt";

// The content of the file named by these bytes, read with no QString on the way.
static QByteArray rawRead(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    QByteArray out(4096, Qt::Uninitialized);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, out.data(), size_t(out.size()));
    if (fd >= 0)
        ::close(fd);
    return n < 0 ? QByteArray("<no file>") : out.left(n);
}

static bool rawWrite(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && ok;
}

static int filesBeside(const QString &path) { return QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(); }

class TestDocuments : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void init()
    {
        useFreshEnvironment();
        QVERIFY((m_app = startApp()));
    }
    void cleanup() { FileIO::InjectWriteFailure(0); stopApp(m_app); }

    void saveWritesEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("typed");  // at the end; none: saving rewrites the file all the same
        QTest::addColumn<QByteArray>("written");
        const QByteArray added = kJapanese + QByteArray::fromHex("92c789c1");
        QTest::newRow("Japanese, edited") << kJapanese << QStringLiteral("追加") << added;
        for (const auto &[tag, bytes] : {std::pair{"empty", QByteArray()}, {"no final break", QByteArray("abc\r\ndef")},
                                         {"lone LF and CR", QByteArray("a\nb\rc\r\n\n\r")},
                                         {"NUL bytes", QByteArray("a\0b\0\r\n", 7)},
                                         {"invalid bytes", QByteArray::fromHex("8120ff80a0fdfe81")},
                                         {"duplicate forms", QByteArray::fromHex("8790ed40eeeffa4a878a")},
                                         {"byte-order mark", QByteArray::fromHex("efbbbf41")},
                                         {"rtf header", QByteArray("{\\rtf1\\ansi hello}")}})
            QTest::newRow(tag) << bytes << QString() << bytes;
    }
    void saveWritesEveryByte()
    {
        QFETCH(QByteArray, bytes); QFETCH(QString, typed);
        const QString path = writeFile(QStringLiteral("日本語.txt"), bytes);
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QFile::setPermissions(path, permissions);
        QVERIFY(m_app->OpenDocumentFile(path));
        CNYOView *view = activeView(m_app.get());
        CNYODoc *doc = view->GetDocument();
        QCOMPARE(doc->GetTitle(), QStringLiteral("日本語.txt"));
        if (bytes == kJapanese)
            QCOMPARE(view->toPlainText(), QStringLiteral("日本語テキスト\nｶﾅ\n"));
        view->setPosition(view->GetTextLength());
        view->ReplaceSel(typed);
        QCOMPARE(doc->IsModified(), !typed.isEmpty());
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QVERIFY(!doc->IsModified() && boxes().texts.isEmpty());
        QTEST(readFile(path), "written");
        // The file keeps its permissions, and no temporary file is left beside it.
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), permissions);
        QCOMPARE(filesBeside(path), 1);
    }

    // Cancel ends the save quietly, a name in a missing folder is refused; either way the
    // document stays untitled and modified. A good name is then used and remembered.
    void untitledSaveAsksForAName()
    {
        CNYODoc *doc = activeDoc(m_app.get());
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("abc"));
        const QString dir = scratchDir(), missing = dir + QStringLiteral("/no/such/folder.txt");
        saveAs().names = {QString(), missing, dir + QStringLiteral("/新しい.txt")};
        for (const int command : {ID_FILE_SAVE, ID_FILE_SAVE_AS}) {
            QVERIFY(execute(m_app.get(), command));
            QVERIFY(doc->GetPathName().isEmpty() && doc->IsModified());
            QCOMPARE(doc->GetTitle(), QStringLiteral("無題1"));
        }
        QCOMPARE(saveAs().proposed, QStringList(2, QStringLiteral("無題1")));
        QCOMPARE(boxes().texts, QStringList{missing + QStringLiteral(" には無効なﾊﾟｽが含まれています。")});
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(readFile(dir + QStringLiteral("/新しい.txt")), QByteArray("abc"));
        QCOMPARE(doc->GetPathName(), dir + QStringLiteral("/新しい.txt"));
        QVERIFY(doc->GetTitle() == QStringLiteral("新しい.txt") && !doc->IsModified());
        QCOMPARE(m_app->GetRecentFileList()->paths().value(0), doc->GetPathName());
    }

    // In the Save As dialog itself, a name in a folder that does not exist is refused with a
    // message; the dialog stays open with the name, and a good name then saves.
    void saveAsDialogRefusesAMissingFolder()
    {
        RichEditDoc::SetSaveAsPrompt({});
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("abc"));
        const QString dir = scratchDir(), missing = dir + QStringLiteral("/no/such/folder.txt"), good = dir + QStringLiteral("/良い.txt");
        bool stayedOpen = false;
        QString kept;
        onModal([&](QWidget *dialog) {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            for (const QString &typed : {missing, good}) {
                name->setText(typed);
                QTest::keyClick(name, Qt::Key_Return);
                if (typed == missing)
                    std::tie(stayedOpen, kept) = std::pair(dialog->isVisible(), name->text());
            }
        });
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE_AS));
        QVERIFY(stayedOpen);
        QCOMPARE(kept, missing);
        QCOMPARE(boxes().texts, QStringList{SaveAsDialog::PathNotFoundMessage(missing)});
        QVERIFY(readFile(good) == "abc" && activeDoc(m_app.get())->GetPathName() == good);
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/no")));
    }

    void readOnlyOrVanishedFileGoesToSaveAs()
    {
        const QString path = writeFile(QStringLiteral("gone.txt"), "old");
        QVERIFY(m_app->OpenDocumentFile(path));
        QFile::remove(path);
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(saveAs().proposed, QStringList{path});
        QVERIFY(!QFile::exists(path));  // cancelled: nothing written
        if (::geteuid() == 0)
            return;  // every file is writable for root
        const QString ro = writeFile(QStringLiteral("ro.txt"), "old");
        QFile::setPermissions(ro, QFile::ReadOwner);
        QVERIFY(m_app->OpenDocumentFile(ro));
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QVERIFY(saveAs().proposed.size() == 2 && readFile(ro) == "old");
    }

    // Coming back to the program after another program changed open files asks about each
    // document once, however many windows it has; Yes reads the file again, No keeps the
    // document's text. Coming back again asks nothing more.
    void activationAsksAboutOutsideChanges()
    {
        const QString first = writeFile(QStringLiteral("first.txt"), "old"), second = writeFile(QStringLiteral("second.txt"), "old");
        QVERIFY(m_app->OpenDocumentFile(first));
        QVERIFY(execute(m_app.get(), ID_WINDOW_NEW));  // a second window on the first file
        QVERIFY(m_app->OpenDocumentFile(second));
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("X"));
        CMainFrame *frame = mainFrame(m_app.get());
        QWidget other;
        other.show();
        const auto comeBack = [&] {
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            frame->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(frame));
        };
        comeBack();
        QCoreApplication::processEvents();
        QVERIFY(boxes().texts.isEmpty());  // nothing changed yet
        writeFile(QStringLiteral("first.txt"), "new text");
        writeFile(QStringLiteral("second.txt"), "new text");
        boxes().answers = {MsgBox::IDYES, MsgBox::IDNO};
        comeBack();
        QTRY_COMPARE(boxes().texts.size(), 2);
        QVERIFY(boxes().texts.at(0).startsWith(first + QStringLiteral(" は、ほかのプログラムによって変更されました。\n\n読み込み直しますか?")));
        QVERIFY(boxes().texts.at(1).startsWith(second + QStringLiteral(" は、ほかのプログラムによって変更されました。この文書にも保存していない変更があります。")));
        QCOMPARE(m_app->OpenDocumentFile(first)->GetView()->toPlainText(), QStringLiteral("new text"));
        RichEditDoc *kept = m_app->OpenDocumentFile(second);
        QVERIFY(kept->GetView()->toPlainText() == QStringLiteral("Xold") && kept->IsModified());
        comeBack();
        QCoreApplication::processEvents();
        QCOMPARE(boxes().texts.size(), 2);
        // The kept text is saved only over the question.
        boxes().answers = {MsgBox::IDNO};
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QVERIFY(boxes().texts.size() == 3 && boxes().texts.last().contains(QStringLiteral("上書き保存しますか?")));
        QCOMPARE(readFile(second), QByteArray("new text"));
    }

    void openFailuresNameTheirCause()
    {
        const int before = documentCount(m_app.get());
        const QString dir = scratchDir();
        const QStringList names{dir + "/missing.txt", dir, dir + "/nofolder/x.txt", writeFile(QStringLiteral("plain"), "x") + "/x.txt"};
        for (const QString &name : names)
            QVERIFY(!m_app->OpenDocumentFile(name));
        QCOMPARE(boxes().texts, (QStringList{names[0] + " が見つかりませんでした。", names[1] + " へのｱｸｾｽは拒否されました。",
                                             names[2] + " には無効なﾊﾟｽが含まれています。", names[3] + " には無効なﾊﾟｽが含まれています。"}));
        // Each failed open took its window away again.
        QVERIFY(documentCount(m_app.get()) == before && m_app->MainFrame()->MDIClient()->subWindowList().size() == before);
        QVERIFY(m_app->GetRecentFileList()->paths().isEmpty());
    }

    void saveFailureKeepsOldFile_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<qint64>("after");
        QTest::addColumn<QString>("message");
        QTest::newRow("disk full at once") << ENOSPC << qint64(0) << QStringLiteral(" へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
        QTest::newRow("disk full midway") << ENOSPC << qint64(3) << QStringLiteral(" へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
        QTest::newRow("hardware") << EIO << qint64(1) << QStringLiteral(" へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。");
        QTest::newRow("denied") << EACCES << qint64(0) << QStringLiteral(" へのｱｸｾｽは拒否されました。");
    }
    void saveFailureKeepsOldFile()
    {
        QFETCH(int, error); QFETCH(qint64, after); QFETCH(QString, message);
        const QString path = writeFile(QStringLiteral("keep.txt"), "original content\r\n");
        QVERIFY(m_app->OpenDocumentFile(path));
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("new "));
        FileIO::InjectWriteFailure(error, after);
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        FileIO::InjectWriteFailure(0);
        QCOMPARE(boxes().texts, QStringList{path + message});
        QCOMPARE(readFile(path), QByteArray("original content\r\n"));
        QVERIFY(activeDoc(m_app.get())->IsModified() && activeDoc(m_app.get())->GetPathName() == path);
        QCOMPARE(filesBeside(path), 1);
    }

    // Cancel keeps the document, No closes it unsaved, Yes saves it first.
    void closeAsksAboutChanges()
    {
        const QString path = writeFile(QStringLiteral("close.txt"), "a");
        QVERIFY(m_app->OpenDocumentFile(path));
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("b"));
        const int open = documentCount(m_app.get());
        boxes().answers = {MsgBox::IDCANCEL};
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QCOMPARE(boxes().texts.last(), QStringLiteral("close.txt への変更を保存しますか?"));
        QCOMPARE(documentCount(m_app.get()), open);
        boxes().answers = {MsgBox::IDNO};
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QVERIFY(documentCount(m_app.get()) == open - 1 && readFile(path) == "a");
        QVERIFY(m_app->OpenDocumentFile(path));
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("c"));
        boxes().answers = {MsgBox::IDYES};
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QVERIFY(documentCount(m_app.get()) == open - 1 && readFile(path) == "ca");
        // An untitled document is named by its title; Yes with a cancelled Save As keeps it open.
        QTest::keyClicks(activeView(m_app.get()), QStringLiteral("z"));
        boxes().answers = {MsgBox::IDYES};
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QCOMPARE(boxes().texts.last(), QStringLiteral("無題1 への変更を保存しますか?"));
        QCOMPARE(documentCount(m_app.get()), open - 1);
    }

    // Characters the code page cannot hold, bytes that would read back as other text (0x81
    // then 0x42 reads as one character) and a lone CR break right before a lone LF one (read back
    // as one break) are saved only when the user says so, as "?" and as they are; the question
    // names them.
    void neverSavedSilently_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed");  // empty: Delete
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("unencodable characters") << QByteArray("a") << 1 << QStringLiteral("\U0001F600한") << QStringList{"「\U0001F600」(U+1F600)", "「한」(U+D55C)"} << QByteArray("a??");
        QTest::newRow("line break deleted after a lone lead byte") << QByteArray("x\r\nA\x81\r\nB") << 4 << QString() << QStringList{"2 行 2 桁"} << QByteArray("x\r\nA\x81" "B");
        QTest::newRow("typed after a lead byte at the end") << QByteArray("A\x81") << 2 << QStringLiteral("A") << QStringList{"1 行 2 桁"} << QByteArray("A\x81" "A");
        QTest::newRow("lone CR then lone LF, a line lost") << QByteArray("a\rb\n") << 2 << QString() << QStringList{"1 行の行末", "行が 1 つ減ります"} << QByteArray("a\r\n");
    }
    void neverSavedSilently()
    {
        QFETCH(QByteArray, file); QFETCH(int, caret); QFETCH(QString, typed); QFETCH(QStringList, named);
        const QString path = writeFile(QStringLiteral("joined.txt"), file);
        QVERIFY(m_app->OpenDocumentFile(path));
        CNYOView *view = activeView(m_app.get());
        view->SetSel(caret, caret);
        if (typed.isEmpty())
            QTest::keyClick(view, Qt::Key_Delete);
        else
            view->ReplaceSel(typed);
        boxes().answers = {MsgBox::IDNO};
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(boxes().texts.size(), 1);
        for (const QString &part : named)
            QVERIFY2(boxes().texts.first().contains(part), qPrintable(boxes().texts.first()));
        QVERIFY(readFile(path) == file && activeDoc(m_app.get())->IsModified());
        boxes().answers = {MsgBox::IDYES};
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QTEST(readFile(path), "written");
        QVERIFY(!activeDoc(m_app.get())->IsModified());
    }

    void reopeningActivatesTheOpenDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("again");  // relative to the file's folder
        QTest::newRow("another spelling, quoted") << QStringLiteral("a.txt") << QStringLiteral("\"./a.txt\"");
        QTest::newRow("quotes in the name") << QStringLiteral("say \"hi\".txt") << QStringLiteral("say \"hi\".txt");
    }
    // A double quote is part of a name; a quoted name that does not exist is taken without them.
    void reopeningActivatesTheOpenDocument()
    {
        QFETCH(QString, name); QFETCH(QString, again);
        const QString path = writeFile(name, "text");
        RichEditDoc *doc = m_app->OpenDocumentFile(path);
        QVERIFY(doc && doc->GetPathName() == path && doc->GetTitle() == name);
        QCOMPARE(activeView(m_app.get())->toPlainText(), QStringLiteral("text"));
        QVERIFY(m_app->OpenDocumentFile(writeFile(QStringLiteral("other.txt"), "other")));
        const int open = documentCount(m_app.get());
        QDir::setCurrent(QFileInfo(path).absolutePath());
        QCOMPARE(m_app->OpenDocumentFile(again), doc);
        QVERIFY(documentCount(m_app.get()) == open && activeDoc(m_app.get()) == doc);
        QTRY_COMPARE(m_app->MainFrame()->windowTitle(), QStringLiteral("NYO - [%1]").arg(name));
        QVERIFY(boxes().texts.isEmpty());
    }

    // A file still coming in is the open document for a second open of it, and a command
    // (here the jump to the end) waits for the whole text before it runs.
    void aLoadingFileIsOneDocument()
    {
        QByteArray bytes;
        while (bytes.size() < 6 * 1024 * 1024)
            bytes += "a line of a large file\r\n";
        const QString path = writeFile(QStringLiteral("large.txt"), bytes + "end");
        RichEditDoc *doc = m_app->OpenDocumentFile(path);
        QVERIFY(doc && doc->IsLoading());
        const int open = documentCount(m_app.get());
        QCOMPARE(m_app->OpenDocumentFile(path), doc);
        QCOMPARE(documentCount(m_app.get()), open);
        QVERIFY(execute(m_app.get(), ID_JUMP_END));
        QVERIFY(!doc->IsLoading());
        RichEditView *view = activeView(m_app.get());
        QCOMPARE(view->GetTextLength(), bytes.size() / 24 * 23 + 3);
        QCOMPARE(view->selectionStart(), view->GetTextLength() - 3);  // the last line's start
    }

    // A symbolic link and a launcher of type Link open the file they name, as a shortcut does;
    // a launcher's URL counts only as an absolute local file URL without a host, its escapes
    // undone, and with no escaped separator or NUL. Other launchers, and links that lead
    // nowhere, are files like any other. A launcher whose target is missing is reported with
    // both names.
    void linksOpenWhatTheyStandFor_data()
    {
        QTest::addColumn<QString>("link");         // file name of the link
        QTest::addColumn<QByteArray>("launcher");  // its content, @ for the folder; empty: a symbolic link
        QTest::addColumn<QString>("opened");       // the file name the document gets; empty: none
        QTest::addColumn<QString>("message");      // @ for the folder
        const QByteArray link = "[Desktop Entry]\nName=t\nType=Link\n";
        const auto row = [&link](const char *tag, const char *name, const QByteArray &url, const char *opened) {
            QTest::newRow(tag) << QString(name) << QByteArray(link + "URL=" + url + "\n") << QString(opened) << QString();
        };
        QTest::newRow("symbolic link") << "link.txt" << QByteArray() << "target.txt" << QString();
        row("launcher of type Link", "a.desktop", "file://@/target.txt", "target.txt");
        row("URL with one slash", "a.desktop", "file:@/target.txt", "target.txt");
        row("escaped space", "a.desktop", "file://@/my\\snotes.txt", "my notes.txt");
        row("percent-encoded space", "a.desktop", "file://@/my%20notes.txt", "my notes.txt");
        row("relative URL", "r.desktop", "file:target.txt", "r.desktop");
        row("URL with a host", "h.desktop", "file://server@/target.txt", "h.desktop");
        row("URL with localhost", "h.desktop", "file://localhost@/target.txt", "h.desktop");
        row("encoded separators", "s.desktop", "file://@/sub%2F..%2Ftarget.txt", "s.desktop");
        row("encoded NUL", "n.desktop", "file://@/target.txt%00.bak", "n.desktop");
        row("link to a web page", "c.desktop", "https://example.org/", "c.desktop");
        QTest::newRow("application launcher") << "b.desktop" << QByteArray("[Desktop Entry]\nType=Application\nExec=x\nURL=file://@/target.txt\n") << "b.desktop" << QString();
        QTest::newRow("link in another group") << "d.desktop" << QByteArray("[Other]\nType=Link\nURL=file://@/target.txt\n") << "d.desktop" << QString();
        QTest::newRow("link without a URL") << "u.desktop" << link << "u.desktop" << QString();
        QTest::newRow("target missing") << "m.desktop" << QByteArray(link + "URL=file://@/missing.txt\n") << QString()
                                        << "@/m.desktop が指すﾌｧｲﾙ @/missing.txt が見つかりませんでした。";
    }
    void linksOpenWhatTheyStandFor()
    {
        QFETCH(QString, link); QFETCH(QByteArray, launcher); QFETCH(QString, opened); QFETCH(QString, message);
        const QString target = writeFile(QStringLiteral("target.txt"), "target");
        writeFile(QStringLiteral("my notes.txt"), "notes");
        const QDir folder = QFileInfo(target).absoluteDir();
        // A relative name must not be taken against the folder the program runs in.
        QDir::setCurrent(folder.path());
        const QString path = folder.filePath(link);
        if (launcher.isEmpty())
            QVERIFY(QFile::link(target, path));
        else
            writeFile(link, launcher.replace('@', QFile::encodeName(folder.path())));
        const int before = documentCount(m_app.get());
        RichEditDoc *doc = m_app->OpenDocumentFile(path);
        QCOMPARE(doc ? doc->GetPathName() : QString(), opened.isEmpty() ? QString() : folder.filePath(opened));
        QCOMPARE(boxes().texts, message.isEmpty() ? QStringList() : QStringList{message.replace('@', folder.path())});
        QCOMPARE(documentCount(m_app.get()), before + !opened.isEmpty());
        // The target already open: the link activates its window rather than opening it again.
        if (doc)
            QCOMPARE(m_app->OpenDocumentFile(path), doc);
    }

    // A name in Shift-JIS bytes opens by every road a name comes by, is shown as 日本語.txt,
    // and Save writes what was typed to the very same bytes.
    void namesThatAreNotUtf8OpenByEveryRoad_data()
    {
        QTest::addColumn<QString>("road");
        for (const char *road : {"open", "command line", "drop on the window", "drop on the text",
                                 "recent files after a restart", "launcher", "symbolic link"})
            QTest::newRow(road) << QString::fromLatin1(road);
    }
    void namesThatAreNotUtf8OpenByEveryRoad()
    {
        QFETCH(QString, road);
        const QByteArray folder = QFile::encodeName(scratchDir()) + '/';
        const QByteArray name = folder + kShiftJisName;
        QVERIFY(rawWrite(name, "abc"));
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto removeName = qScopeGuard([name] { ::unlink(name.constData()); });
        QDir::setCurrent(QFile::decodeName(folder));
        const QUrl url = QUrl::fromEncoded("file://" + name.toPercentEncoding("/"));
        QMimeData data;
        data.setUrls({url});
        const Qt::DropActions offered = Qt::CopyAction;
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent over(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        if (road == "open") {
            QVERIFY(m_app->OpenDocumentFile(FileName::FromNative(name)));
        } else if (road == "command line") {
            stopApp(m_app);
            QByteArray relative = kShiftJisName;
            const char *argv[] = {"NYO", relative.constData()};
            QVERIFY((m_app = startApp(CommandLine::arguments(2, argv).mid(1))));
        } else if (road.startsWith("drop")) {
            QObject *target = road.endsWith("window") ? static_cast<QObject *>(m_app->MainFrame())
                                                      : activeView(m_app.get())->viewport();
            for (QDropEvent *event : {static_cast<QDropEvent *>(&enter), static_cast<QDropEvent *>(&over), &drop})
                QCoreApplication::sendEvent(target, event);
        } else if (road == "recent files after a restart") {
            QVERIFY(m_app->OpenDocumentFile(FileName::FromNative(name)));
            stopApp(m_app);
            QVERIFY((m_app = startApp()));
            m_app->MainFrame()->Router()->Actions(ID_FILE_MRU_FIRST).constFirst()->trigger();
        } else if (road == "launcher") {
            writeFile(QStringLiteral("j.desktop"), "[Desktop Entry]\nType=Link\nURL=" + url.toEncoded() + "\n");
            QVERIFY(m_app->OpenDocumentFile(QStringLiteral("j.desktop")));
        } else {
            QVERIFY(::symlink(name.constData(), (folder + "link.txt").constData()) == 0);
            QVERIFY(m_app->OpenDocumentFile(QStringLiteral("link.txt")));
        }
        CNYODoc *doc = activeDoc(m_app.get());
        QVERIFY(doc);
        QCOMPARE(FileName::ToNative(doc->GetPathName()), name);
        QCOMPARE(doc->GetTitle(), QStringLiteral("日本語.txt"));
        QTRY_COMPARE(m_app->MainFrame()->windowTitle(), QStringLiteral("NYO - [日本語.txt]"));
        CNYOView *view = activeView(m_app.get());
        QCOMPARE(view->toPlainText(), QStringLiteral("abc"));
        view->setPosition(view->GetTextLength());
        view->ReplaceSel(QStringLiteral("Zあ"));
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(rawRead(name), QByteArray("abcZ\x82\xa0"));
        QVERIFY(boxes().texts.isEmpty());
    }

    // Save As offers a Shift-JIS name as it reads; kept as offered, it saves to the same bytes.
    void saveAsOffersANameThatIsNotUtf8Readably()
    {
        const QByteArray folder = QFile::encodeName(scratchDir()) + '/';
        const QByteArray name = folder + kShiftJisName;
        QVERIFY(rawWrite(name, "abc"));
        const auto removeName = qScopeGuard([name] { ::unlink(name.constData()); });
        RichEditDoc *doc = m_app->OpenDocumentFile(FileName::FromNative(name));
        QVERIFY(doc);
        QString offered;
        onModal([&offered](QWidget *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            offered = edit->text();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const QString chosen = m_app->AskSaveName(doc, doc->GetPathName());
        QCOMPARE(offered, QStringLiteral("日本語.txt"));
        QCOMPARE(FileName::ToNative(chosen), name);
    }

    // The File menu's reopen command picks the encoding in a list of their shown names,
    // starting at the document's, and reads the file again in it.
    void reopenInAnEncodingFromTheMenu()
    {
        const QString path = QDir(scratchDir()).filePath(QStringLiteral("reopen.txt"));
        QVERIFY(rawWrite(QFile::encodeName(path), QStringLiteral("日本語").toUtf8()));
        RichEditDoc *doc = m_app->OpenDocumentFile(path);
        QVERIFY(doc);
        QStringList offered;
        QString current;
        onModal([&offered, &current](QWidget *dialog) {
            auto *list = dialog->findChild<QComboBox *>();
            for (int i = 0; i < list->count(); ++i)
                offered.append(list->itemText(i));
            current = list->currentText();
            list->setCurrentIndex(list->findText(QStringLiteral("SJIS")));
            QTest::keyClick(list, Qt::Key_Return);
        });
        QVERIFY(execute(m_app.get(), ID_FILE_REOPEN_ENCODING));
        QCOMPARE(offered, (QStringList{QStringLiteral("SJIS"), QStringLiteral("UTF-8"), QStringLiteral("UTF-8 BOM"),
                                       QStringLiteral("UTF-16LE"), QStringLiteral("UTF-16BE"), QStringLiteral("EUC-JP")}));
        QCOMPARE(current, QStringLiteral("UTF-8"));
        QCOMPARE(doc->GetEncoding(), Encoding::Cp932);
        QCOMPARE(activeView(m_app.get())->toPlainText(), QStringLiteral("譌･譛ｬ隱\uEF9E"));
        QVERIFY(!doc->IsModified());
        QVERIFY(boxes().texts.isEmpty());
    }

    // The Save As dialog has a row for the encoding, starting at the document's; the one
    // chosen there comes back with the name.
    void saveAsDialogOffersTheEncoding()
    {
        const QString path = QDir(scratchDir()).filePath(QStringLiteral("saveas-utf8.txt"));
        QVERIFY(rawWrite(QFile::encodeName(path), QStringLiteral("日本語").toUtf8()));
        RichEditDoc *doc = m_app->OpenDocumentFile(path);
        QVERIFY(doc);
        QString current;
        const QString saveAs = QDir(scratchDir()).filePath(QStringLiteral("saveas-eucjp.txt"));
        onModal([&current, saveAs](QWidget *dialog) {
            auto *encoding = dialog->findChild<QComboBox *>(QStringLiteral("encoding"));
            current = encoding->currentText();
            encoding->setCurrentIndex(encoding->findText(QStringLiteral("EUC-JP")));
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(saveAs);  // a new name: no question about replacing
            QTest::keyClick(name, Qt::Key_Return);
        });
        Encoding chosen = doc->GetEncoding();
        QCOMPARE(m_app->AskSaveName(doc, doc->GetPathName(), &chosen), saveAs);
        QCOMPARE(current, QStringLiteral("UTF-8"));
        QCOMPARE(chosen, Encoding::EucJp);
    }

    // A name that is not UTF-8 is told in a message as it reads in CP932.
    void missingNameThatIsNotUtf8IsToldReadably()
    {
        const QString folder = scratchDir();
        QVERIFY(!m_app->OpenDocumentFile(FileName::FromNative(QFile::encodeName(folder) + '/' + kShiftJisName)));
        QVERIFY(m_app->GetRecentFileList()->paths().isEmpty());
        QCOMPARE(boxes().texts, QStringList{folder + QStringLiteral("/日本語.txt が見つかりませんでした。")});
    }

    // A FIFO, whichever way it is named, is refused at once with the reason, and no window
    // stays for it.
    void specialFilesAreRefusedPromptly_data()
    {
        QTest::addColumn<QString>("name");        // what is opened
        QTest::addColumn<QByteArray>("launcher");  // written as name, @ for the FIFO; empty: name is the FIFO
        QTest::newRow("FIFO") << "fifo" << QByteArray();
        QTest::newRow("FIFO named like a launcher") << "fifo.desktop" << QByteArray();
        QTest::newRow("launcher to a FIFO") << "a.desktop" << QByteArray("[Desktop Entry]\nType=Link\nURL=file://@\n");
    }
    void specialFilesAreRefusedPromptly()
    {
        QFETCH(QString, name); QFETCH(QByteArray, launcher);
        const QString dir = scratchDir(), fifo = dir + (launcher.isEmpty() ? "/" + name : QStringLiteral("/fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        if (!launcher.isEmpty())
            writeFile(name, launcher.replace('@', QFile::encodeName(fifo)));
        const int before = documentCount(m_app.get());
        bool waited = false;
        {
            const FifoUnblocker unblocker(fifo, &waited);
            QVERIFY(!m_app->OpenDocumentFile(dir + "/" + name));
        }
        QVERIFY2(!waited, "the open waited on the FIFO");
        QCOMPARE(boxes().texts, QStringList{fifo + QStringLiteral(" は通常のﾌｧｲﾙではない (FIFO、ﾃﾞﾊﾞｲｽなど) ため、ｱｸｾｽできません。")});
        QCOMPARE(documentCount(m_app.get()), before);
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
