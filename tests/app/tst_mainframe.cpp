// The running program as a user meets it: start-up, menus and their states, accelerators,
// word wrap, the right-button menu, File-Open, dropped files, fonts and colours, and the
// settings read at start-up.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/commandrouter.h"
#include "platform/profile.h"
#include "platform/recentfilelist.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QColorDialog>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

using namespace AppHelper;

namespace {
// Chooses the item with text in the next popup menu, recording its items and whether all are enabled.
void choose(const QString &text, QStringList *seen = nullptr, bool *allEnabled = nullptr)
{
    onPopup([=](QWidget *popup) {
        auto *menu = qobject_cast<QMenu *>(popup);
        for (QAction *a : menu->actions()) {
            if (seen)
                seen->append(a->isSeparator() ? QStringLiteral("-") : a->text());
            if (allEnabled)
                *allEnabled = *allEnabled && a->isEnabled();
            if (a->text() == text)
                menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
}
} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void init()
    {
        useFreshEnvironment();
    }
    void cleanup() { stopApp(m_app); }

    // One untitled maximised document, its name in brackets in the main title while maximised;
    // without a document the menus shrink to the application's and its commands stay available.
    void startsWithOneUntitledMaximisedDocument()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        const QList<QMdiSubWindow *> windows = frame->MDIClient()->subWindowList();
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows.first()->isMaximized());
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("NYO - [無題1]"));
        windows.first()->showNormal();
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("NYO - 無題1"));
        QVERIFY(frame->isVisible() && !frame->isMaximized());
        QVERIFY(execute(m_app.get(), ID_FILE_NEW));
        QCOMPARE(activeDoc(m_app.get())->GetTitle(), QStringLiteral("無題2"));
        const qsizetype menus = frame->menuBar()->actions().size();
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE) && execute(m_app.get(), ID_FILE_CLOSE));
        QCoreApplication::processEvents();
        QVERIFY(frame->menuBar()->actions().size() < menus);
        QCOMPARE(frame->windowTitle(), QStringLiteral("NYO"));
        for (int id : {ID_VIEW_TOPMOST, ID_FILE_SAVE, ID_FILE_OPEN, ID_APP_ABOUT})
            QVERIFY2(enabled(m_app.get(), id) == (id == ID_FILE_OPEN || id == ID_APP_ABOUT), qPrintable(QString::number(id)));
    }

    // The view's commands that need no text are there in an empty document; copy and undo follow
    // the selection and the text.
    void commandStates()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        for (int id : {ID_SETTINGS_AUTOSAVE, ID_FILE_SAVE, ID_FILE_SEND_MAIL, ID_FORMAT_FONT, ID_FORMAT_BACKCOLOR, ID_FORMAT_PRINTFONT, ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
            QVERIFY2(enabled(m_app.get(), id), qPrintable(QString::number(id)));
        QVERIFY(!enabled(m_app.get(), ID_EDIT_COPY) && !enabled(m_app.get(), ID_EDIT_UNDO));
        QTest::keyClicks(view, QStringLiteral("abc"));
        QVERIFY(enabled(m_app.get(), ID_EDIT_UNDO));
        view->selectAll();
        QVERIFY(enabled(m_app.get(), ID_EDIT_COPY));
        QVERIFY(execute(m_app.get(), ID_EDIT_CUT));
        QCOMPARE(view->toPlainText(), QString());
        QVERIFY(execute(m_app.get(), ID_EDIT_PASTE));
        QCOMPARE(view->toPlainText(), QStringLiteral("abc"));
        QVERIFY(execute(m_app.get(), ID_EDIT_UNDO));
        QCOMPARE(view->toPlainText(), QString());
    }

    void wordWrapToggleIsStored()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QVERIFY(view->IsWordWrap());
        QVERIFY(view->WordWrap());
        QVERIFY(!enabled(m_app.get(), ID_VIEW_WORDWRAP));  // empty text
        QTest::keyClicks(view, QStringLiteral("x"));
        QVERIFY(execute(m_app.get(), ID_VIEW_WORDWRAP));
        QVERIFY(!view->IsWordWrap());
        QVERIFY(!view->WordWrap());
        QCOMPARE(Keys::WordWrap.read(), 0);
        QVERIFY(!m_app->MainFrame()->Router()->QueryState(ID_VIEW_WORDWRAP).checked());
        // Windows opened later start from the stored setting; open ones keep theirs.
        QVERIFY(execute(m_app.get(), ID_FILE_NEW));
        QVERIFY(!activeView(m_app.get())->IsWordWrap());
        Profile::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("wordwrap"), 7);
        QVERIFY(execute(m_app.get(), ID_FILE_NEW));
        QVERIFY(activeView(m_app.get())->IsWordWrap());
        QVERIFY(!view->IsWordWrap());
    }


    // The right-button menu has all its items available with text. Files copied in a file manager
    // are not opened by Paste, from the key, the menu or the right-button menu: the clipboard's
    // text goes in, and nothing when it has none.
    void rightButtonMenuAndPaste()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QTest::keyClicks(view, QStringLiteral("abc"));
        QStringList seen;
        bool allEnabled = true;
        choose(QStringLiteral("すべて選択(&A)"), &seen, &allEnabled);
        QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(seen.size(), 10);
        QVERIFY(allEnabled);
        QCOMPARE(view->selectedText(), QStringLiteral("abc"));
        QTest::keyClick(view, Qt::Key_Delete);
        const QString file = writeFile(QStringLiteral("copied.txt"), "copied");
        for (const bool withText : {true, false}) {
            auto *data = new QMimeData;
            data->setUrls({QUrl::fromLocalFile(file)});
            if (withText)
                data->setText(QStringLiteral("name"));
            QApplication::clipboard()->setMimeData(data);
            QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(execute(m_app.get(), ID_EDIT_PASTE), withText);
            choose(QStringLiteral("貼り付け(&P)"));
            QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
            QCOMPARE(view->toPlainText(), QStringLiteral("namenamename"));
        }
        QCOMPARE(documentCount(m_app.get()), 1);
    }

    void acceleratorsWinOnlyWhenEnabled()
    {
        const QString path = writeFile(QStringLiteral("keys.txt"), "line one\r\n");
        m_app = startApp({path});
        CNYOView *view = activeView(m_app.get());
        view->setFocus();
        view->setPosition(view->GetTextLength());
        QTest::keyClicks(view, QStringLiteral("two"));
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readFile(path), QByteArray("line one\r\ntwo"));
        QVERIFY(!activeDoc(m_app.get())->IsModified());
        // Home runs its command, the start of the file; Shift+Home is no command's key and reaches
        // the text, selecting to the start of the line.
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->position(), 0);
        view->setPosition(12);
        QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(view->anchor(), 12);
        QCOMPARE(view->position(), 9);
        // Ctrl+D clears the selection through its command.
        view->selectAll();
        QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(view->toPlainText(), QString());
    }

    void fileOpenOffersTheFilterListAndOpensEverySelectedFile()
    {
        m_app = startApp();
        const std::unique_ptr<QFileDialog> dialog = CNYOApp::CreateFileOpenDialog(m_app->MainFrame());
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
        const QStringList filters = dialog->nameFilters();
        QCOMPARE(filters.size(), 7);
        QCOMPARE(dialog->selectedNameFilter(), filters.first().section(QStringLiteral(" ("), 0, 0));  // without patterns
        QCOMPARE(filters.last(), QStringLiteral("すべてのファイル(*.*) (*)"));
        // The command runs that dialog; Cancel opens nothing.
        onModal([](QWidget *modal) { QMetaObject::invokeMethod(modal, "reject"); });
        QVERIFY(execute(m_app.get(), ID_FILE_OPEN));
        QCOMPARE(documentCount(m_app.get()), 1);
        // Every selected file opens in order; one that fails does not stop the rest.
        const QString a = writeFile(QStringLiteral("a.txt"), "A"), b = writeFile(QStringLiteral("b.ini"), "B");
        const QString gone = QFileInfo(a).absolutePath() + QStringLiteral("/gone.txt");
        m_app->OpenDocumentFiles({a, gone, b});
        QCOMPARE(boxes().texts, QStringList{gone + QStringLiteral(" が見つかりませんでした。")});
        QCOMPARE(documentCount(m_app.get()), 3);
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), b);
        QCOMPARE(m_app->GetRecentFileList()->paths(), (QStringList{b, a}));
    }

    void droppedFilesOpen()
    {
        m_app = startApp();
        const QString a = writeFile(QStringLiteral("drop1.txt"), "1"), b = writeFile(QStringLiteral("drop2.txt"), "2");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Qt delivers drops only from a real drag; hand the event to the window directly.
        static_cast<QObject *>(m_app->MainFrame())->event(&drop);
        QCOMPARE(documentCount(m_app.get()), 3);
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), b);
        // Dropped on the text, files open too instead of their names going in.
        CNYOView *view = activeView(m_app.get());
        QMimeData one;
        one.setUrls({QUrl::fromLocalFile(a)});
        one.setText(a);
        // A drop reaches the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent onText(QPointF(5, 5), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &onText);
        QCOMPARE(view->toPlainText(), QStringLiteral("2"));
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), a);
    }

    void displayFontAndBackgroundColour()
    {
        CharFormat font;
        font.dwMask = 0xF800000F;
        font.dwEffects = CharFormat::CFE_BOLD;
        font.yHeight = 240;
        font.crTextColor = 0x0000FF;
        font.szFaceName = QStringLiteral("IPAGothic");
        WriteFontRecord(QStringLiteral("FONT"), font);
        Keys::BackColor.write(0x00FF0000);  // blue
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QCOMPARE(view->font().pointSizeF(), 12.0);
        QVERIFY(view->font().bold());
        QCOMPARE(view->palette().color(QPalette::Base), QColor(0, 0, 255));
        QCOMPARE(view->palette().color(QPalette::Text), QColor(255, 0, 0));
        // F5 puts the stored font back, keeping the selection.
        QTest::keyClicks(view, QStringLiteral("abcdef"));
        view->setSelection(1, 4);
        QFont other = view->font();
        other.setPointSize(20);
        view->setFont(other);
        QVERIFY(execute(m_app.get(), ID_VIEW_REDRAW));
        QCOMPARE(view->font().pointSizeF(), 12.0);
        QCOMPARE(view->anchor(), 1);
        QCOMPARE(view->position(), 4);
    }

    void fontAndColourCommands()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QTest::keyClicks(view, QStringLiteral("abc"));
        view->SetSel(1, 2);
        // Cancel changes nothing, in the window or in the store.
        onModal([](QWidget *modal) { QMetaObject::invokeMethod(modal, "reject"); });
        QVERIFY(execute(m_app.get(), ID_FORMAT_FONT));
        QVERIFY(Profile::ProfileKeys(QStringLiteral("FONT")).isEmpty());
        // 12 point bold in red: the whole text takes it, the record holds it, the selection stays.
        onModal([](QWidget *modal) {
            modal->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->setText(QStringLiteral("12"));
            auto *styles = modal->findChild<QListWidget *>(QStringLiteral("styleList"));
            styles->setCurrentItem(styles->findItems(QStringLiteral("太字"), Qt::MatchExactly).value(0));
            auto *colors = modal->findChild<QComboBox *>(QStringLiteral("color"));
            colors->setCurrentIndex(colors->findText(QStringLiteral("赤")));
            QMetaObject::invokeMethod(modal, "accept");
        });
        QVERIFY(execute(m_app.get(), ID_FORMAT_FONT));
        const CharFormat stored = ReadFontRecord(QStringLiteral("FONT"));
        QCOMPARE(stored.yHeight, 240);
        QCOMPARE(stored.crTextColor, 255u);
        QCOMPARE(stored.dwEffects & CharFormat::CFE_BOLD, CharFormat::CFE_BOLD);
        QCOMPARE(stored.cbSize, 60u);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("FONT"), QStringLiteral("dwMask"), QString()), QStringLiteral("-134217713"));
        QCOMPARE(view->font().pointSizeF(), 12.0);
        QVERIFY(view->font().bold());
        QCOMPARE(view->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(view->anchor(), 1);
        QCOMPARE(view->position(), 2);
        // The colour dialog opens on white whatever the background is, in front of the main
        // window that owns it; OK stores the choice. A custom colour added stays for the next one.
        QColor initial, custom;
        QWidget *owner = nullptr;
        for (const bool accept : {true, false}) {
            onModal([&, accept](QWidget *modal) {
                auto *dialog = qobject_cast<QColorDialog *>(modal);
                initial = dialog->currentColor();
                owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
                custom = QColorDialog::customColor(3);
                QColorDialog::setCustomColor(3, QColor(1, 2, 3));
                dialog->setCurrentColor(accept ? QColor(0, 128, 255) : QColor(9, 9, 9));
                QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
            });
            QVERIFY(execute(m_app.get(), ID_FORMAT_BACKCOLOR));
            QCOMPARE(initial, QColor(Qt::white));
            QCOMPARE(owner, m_app->MainFrame());
            QCOMPARE(view->palette().color(QPalette::Base), QColor(0, 128, 255));
            QCOMPARE(Keys::BackColor.read(), 0xFF8000);
        }
        QCOMPARE(custom, QColor(1, 2, 3));
    }

    void recentFilesAreRememberedAtExit()
    {
        const QString a = writeFile(QStringLiteral("r1.txt"), "1"), b = writeFile(QStringLiteral("r2.txt"), "2");
        m_app = startApp({a});
        QVERIFY(m_app->OpenDocumentFile(b));
        stopApp(m_app);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1"), QString()), b);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File2"), QString()), a);
        // The next start offers them in the File menu.
        m_app = startApp();
        QMenu *file = m_app->MainFrame()->Menus(IDR_NYOTYPE).first();
        emit file->aboutToShow();
        QStringList texts;
        for (QAction *action : file->actions())
            if (action->isVisible() && action->data().toInt() >= ID_FILE_MRU_FIRST && action->data().toInt() <= ID_FILE_MRU_LAST)
                texts.append(action->text());
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts.first().startsWith(QStringLiteral("&1 ")) && texts.first().endsWith(QStringLiteral("r2.txt")));
        // Choosing an entry is a command: it opens the file, and one that is gone leaves the list.
        QFile::remove(a);
        emit file->aboutToShow();
        m_app->MainFrame()->Router()->Actions(ID_FILE_MRU_FIRST + 1).constFirst()->trigger();
        QCOMPARE(m_app->GetRecentFileList()->paths(), QStringList{b});
        m_app->MainFrame()->Router()->Actions(ID_FILE_MRU_FIRST).constFirst()->trigger();
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), b);
    }

    // Only "TUNE" 1 starts the window on top (the command takes any value but 0 as on); "LSPS" 0
    // keeps no recent files.
    void startUpSettings()
    {
        for (const int tune : {1, 2}) {
            Keys::TUNE.write(tune);
            Keys::LSPS.write(tune == 1 ? 0 : 4);
            m_app = startApp();
            QCOMPARE(m_app->MainFrame()->windowFlags().testFlag(Qt::WindowStaysOnTopHint), tune == 1);
            QCOMPARE(m_app->GetRecentFileList() != nullptr, tune != 1);
            if (tune == 1)
                QVERIFY(!enabled(m_app.get(), ID_FILE_MRU_FIRST));
            stopApp(m_app);
        }
    }

    void printerSetupKeepsThePrinter()
    {
        m_app = startApp();
        QPrinter *printer = m_app->GetPrinter();
        bool shown = false;
        onModal([&shown](QWidget *modal) {
            shown = true;
            QMetaObject::invokeMethod(modal, "reject");
        });
        QVERIFY(execute(m_app.get(), ID_FILE_PRINT_SETUP));
        QVERIFY(shown);
        QCOMPARE(m_app->GetPrinter(), printer);
        // Also without a document window.
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QVERIFY(enabled(m_app.get(), ID_FILE_PRINT_SETUP));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
