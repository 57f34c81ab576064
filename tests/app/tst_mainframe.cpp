// The running program as a user meets it: start-up, menus and their states, accelerators, word
// wrap, the right-button menu, File-Open, dropped files, fonts and colours, start-up settings.
#include "app_helper.h"
#include "../texteventlog.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/framework/commandrouter.h"
#include "platform/base/profile.h"
#include "platform/framework/recentfilelist.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QAccessibleInterface>
#include <QColorDialog>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

using namespace AppHelper;

namespace {
// Right-clicks the view and chooses the item with text; counts the items and the greyed ones.
void rightClickChoose(CNYOView *view, const QString &text, int *items = nullptr, int *grey = nullptr)
{
    onPopup([=](QWidget *popup) {
        auto *menu = qobject_cast<QMenu *>(popup);
        for (QAction *a : menu->actions()) {
            if (items) { ++*items; *grey += !a->isEnabled(); }
            if (a->text() == text)
                menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
}
void cancelNextDialog() { onModal([](QWidget *modal) { QMetaObject::invokeMethod(modal, "reject"); }); }
} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    bool run(int id) { return execute(m_app.get(), id); }

private slots:
    void init() { useFreshEnvironment(); }
    void cleanup() { stopApp(m_app); }

    // One untitled maximised document, its name in brackets in the main title while maximised;
    // without a document the menus shrink to the application's and its commands stay available:
    // Printer Setup keeps the printer.
    void startsWithOneUntitledMaximisedDocument()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        const QList<QMdiSubWindow *> windows = frame->MDIClient()->subWindowList();
        QVERIFY(windows.size() == 1 && windows.first()->isMaximized());
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("NYO - [無題1]"));
        windows.first()->showNormal();
        QTRY_COMPARE(frame->windowTitle(), QStringLiteral("NYO - 無題1"));
        QVERIFY(frame->isVisible() && !frame->isMaximized());
        QVERIFY(run(ID_FILE_NEW));
        QCOMPARE(activeDoc(m_app.get())->GetTitle(), QStringLiteral("無題2"));
        const qsizetype menus = frame->menuBar()->actions().size();
        QVERIFY(run(ID_FILE_CLOSE) && run(ID_FILE_CLOSE));
        QCoreApplication::processEvents();
        QVERIFY(frame->menuBar()->actions().size() < menus);
        QCOMPARE(frame->windowTitle(), QStringLiteral("NYO"));
        for (int id : {ID_VIEW_TOPMOST, ID_FILE_SAVE, ID_FILE_OPEN, ID_APP_ABOUT})
            QVERIFY2(enabled(m_app.get(), id) == (id == ID_FILE_OPEN || id == ID_APP_ABOUT), qPrintable(QString::number(id)));
        QPrinter *printer = m_app->GetPrinter();
        bool shown = false;
        onModal([&shown](QWidget *modal) { shown = QMetaObject::invokeMethod(modal, "reject"); });
        QVERIFY(run(ID_FILE_PRINT_SETUP) && shown && m_app->GetPrinter() == printer);
    }

    // The view's commands that need no text are there in an empty document; copy, undo and word
    // wrap follow the selection and the text.
    void commandStates()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        for (int id : {ID_SETTINGS_AUTOSAVE, ID_FILE_SAVE, ID_FILE_SEND_MAIL, ID_FORMAT_FONT, ID_FORMAT_BACKCOLOR, ID_FORMAT_PRINTFONT, ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
            QVERIFY2(enabled(m_app.get(), id), qPrintable(QString::number(id)));
        QVERIFY(!enabled(m_app.get(), ID_EDIT_COPY) && !enabled(m_app.get(), ID_EDIT_UNDO) && !enabled(m_app.get(), ID_VIEW_WORDWRAP));
        QTest::keyClicks(view, QStringLiteral("abc"));
        QVERIFY(enabled(m_app.get(), ID_EDIT_UNDO) && enabled(m_app.get(), ID_VIEW_WORDWRAP));
        view->selectAll();
        QVERIFY(enabled(m_app.get(), ID_EDIT_COPY));
        QVERIFY(run(ID_EDIT_CUT));
        QCOMPARE(view->toPlainText(), QString());
        QVERIFY(run(ID_EDIT_PASTE));
        QCOMPARE(view->toPlainText(), QStringLiteral("abc"));
        QVERIFY(run(ID_EDIT_UNDO));
        QCOMPARE(view->toPlainText(), QString());
    }

    // The toggle is stored; windows opened later start from the stored setting, open ones keep theirs.
    void wordWrapToggleIsStored()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QVERIFY(view->IsWordWrap() && view->WordWrap());
        QTest::keyClicks(view, QStringLiteral("x"));
        QVERIFY(run(ID_VIEW_WORDWRAP));
        QVERIFY(!view->IsWordWrap() && !view->WordWrap());
        QCOMPARE(Keys::WordWrap.read(), 0);
        QVERIFY(!m_app->MainFrame()->Router()->QueryState(ID_VIEW_WORDWRAP).checked());
        QVERIFY(run(ID_FILE_NEW));
        QVERIFY(!activeView(m_app.get())->IsWordWrap());
        Profile::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("wordwrap"), 7);
        QVERIFY(run(ID_FILE_NEW));
        QVERIFY(activeView(m_app.get())->IsWordWrap() && !view->IsWordWrap());
    }

    // The right-button menu has all its items available with text. Files copied in a file manager
    // are not opened by Paste, from the key, the menu or the right-button menu: the clipboard's
    // text goes in, and nothing when it has none.
    void rightButtonMenuAndPaste()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QTest::keyClicks(view, QStringLiteral("abc"));
        int items = 0, grey = 0;
        rightClickChoose(view, QStringLiteral("すべて選択(&A)"), &items, &grey);
        QVERIFY(items == 10 && grey == 0);
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
            QCOMPARE(run(ID_EDIT_PASTE), withText);
            rightClickChoose(view, QStringLiteral("貼り付け(&P)"));
            QCOMPARE(view->toPlainText(), QStringLiteral("namenamename"));
        }
        QCOMPARE(documentCount(m_app.get()), 1);
    }

    // Ctrl+S saves; Home runs its command (start of the file) while Shift+Home, no command's key,
    // reaches the text and selects to the start of the line; Ctrl+D clears the selection.
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
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->position(), 0);
        view->setPosition(12);
        QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
        QVERIFY(view->anchor() == 12 && view->position() == 9);
        view->selectAll();
        QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(view->toPlainText(), QString());
    }

    // The dialog selects files, its first filter without patterns; Cancel opens nothing. Every
    // selected file opens in order; one that fails does not stop the rest.
    void fileOpenOpensEverySelectedFile()
    {
        m_app = startApp();
        const std::unique_ptr<QFileDialog> dialog = CNYOApp::CreateFileOpenDialog(m_app->MainFrame());
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
        QCOMPARE(dialog->selectedNameFilter(), dialog->nameFilters().first().section(QStringLiteral(" ("), 0, 0));
        QCOMPARE(dialog->nameFilters().last(), QStringLiteral("すべてのファイル(*.*) (*)"));
        cancelNextDialog();
        QVERIFY(run(ID_FILE_OPEN));
        QCOMPARE(documentCount(m_app.get()), 1);
        const QString a = writeFile(QStringLiteral("a.txt"), "A"), b = writeFile(QStringLiteral("b.ini"), "B");
        const QString gone = QFileInfo(a).absolutePath() + QStringLiteral("/gone.txt");
        m_app->OpenDocumentFiles({a, gone, b});
        QCOMPARE(boxes().texts, QStringList{gone + QStringLiteral(" が見つかりませんでした。")});
        QCOMPARE(documentCount(m_app.get()), 3);
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), b);
        QCOMPARE(m_app->GetRecentFileList()->paths(), (QStringList{b, a}));
    }

    // The status bar shows the active document's encoding, as it was found when the file was
    // read; SJIS for a new document; nothing without a document.
    void encodingPaneFollowsTheActiveDocument()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QLabel *pane = frame->findChild<QLabel *>(QStringLiteral("indicator%1").arg(ID_INDICATOR_ENCODING));
        QVERIFY(pane);
        QTRY_COMPARE(pane->text(), QStringLiteral("SJIS"));
        const QString utf8 = writeFile(QStringLiteral("utf8.txt"), QStringLiteral("日本語").toUtf8());
        const QString utf16 = writeFile(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE\x42\x30", 4));
        m_app->OpenDocumentFiles({utf8, utf16});
        QTRY_COMPARE(pane->text(), QStringLiteral("UTF-16LE"));
        for (int i = 0; i < 3 && activeDoc(m_app.get())->GetPathName() != utf8; ++i)
            QVERIFY(run(ID_WINDOW_NEXT));
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), utf8);
        QTRY_COMPARE(pane->text(), QStringLiteral("UTF-8"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(run(ID_FILE_CLOSE));
        QTRY_COMPARE(pane->text(), QString());
    }

    // A screen reader reads the main window's title, the status bar's message and the text of
    // each of its panes, and is told when the title or a pane changes.
    void titleAndStatusBarAreReadable()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(frame);
        QTRY_COMPARE(window->text(QAccessible::Name), QStringLiteral("NYO - [無題1]"));
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(frame->statusBar());
        QVERIFY(window->indexOfChild(bar) >= 0);
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("ﾚﾃﾞｨ"));
        QLabel *pane = frame->findChild<QLabel *>(QStringLiteral("indicator%1").arg(ID_INDICATOR_ENCODING));
        QAccessibleInterface *paneFace = QAccessible::queryAccessibleInterface(pane);
        QVERIFY(bar->indexOfChild(paneFace) >= 0);
        QTRY_COMPARE(paneFace->text(QAccessible::Name), QStringLiteral("SJIS"));
        {
            TextEventLog paneLog(pane);
            m_app->OpenDocumentFiles({writeFile(QStringLiteral("utf8.txt"), QStringLiteral("日本語").toUtf8())});
            QTRY_COMPARE(paneFace->text(QAccessible::Name), QStringLiteral("UTF-8"));
            QCOMPARE(paneLog.take().last(), QStringLiteral("name \"UTF-8\""));
        }
        TextEventLog titleLog(frame);
        QVERIFY(run(ID_FILE_NEW));
        QTRY_COMPARE(window->text(QAccessible::Name), QStringLiteral("NYO - [無題2]"));
        QVERIFY(titleLog.take().contains(QStringLiteral("name \"NYO - [無題2]\"")));
    }

    // Dropped on the window or on the text, files open instead of their names going in. Opened,
    // not moved: the answer is a copy whatever the drag proposes, so that the file manager that
    // started the drag leaves the files where they are.
    void droppedFilesOpen_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");  // Shift makes a move the proposal
        QTest::addColumn<Qt::DropAction>("proposed");
        QTest::newRow("copy proposed") << Qt::KeyboardModifiers() << Qt::CopyAction;
        QTest::newRow("move proposed") << Qt::KeyboardModifiers(Qt::ShiftModifier) << Qt::MoveAction;
    }

    void droppedFilesOpen()
    {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(Qt::DropAction, proposed);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        m_app = startApp();
        const QString a = writeFile(QStringLiteral("drop1.txt"), "1"), b = writeFile(QStringLiteral("drop2.txt"), "2");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        // Qt delivers drags only from a real drag; hand the events to the window directly.
        QObject *frame = m_app->MainFrame();
        QDragEnterEvent enterFrame(QPoint(20, 20), offered, &data, Qt::LeftButton, keys);
        QDragMoveEvent overFrame(QPoint(20, 20), offered, &data, Qt::LeftButton, keys);
        QDropEvent drop(QPointF(20, 20), offered, &data, Qt::LeftButton, keys);
        for (QDropEvent *event : {static_cast<QDropEvent *>(&enterFrame), static_cast<QDropEvent *>(&overFrame), &drop}) {
            QCOMPARE(event->proposedAction(), proposed);
            frame->event(event);
            QVERIFY(event->isAccepted() && event->dropAction() == Qt::CopyAction);
        }
        QCOMPARE(documentCount(m_app.get()), 3);
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), b);
        CNYOView *view = activeView(m_app.get());
        QMimeData one;
        one.setUrls({QUrl::fromLocalFile(a)});
        one.setText(a);
        // A drop reaches the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(5, 5), offered, &one, Qt::LeftButton, keys);
        QDragMoveEvent over(QPoint(5, 5), offered, &one, Qt::LeftButton, keys);
        QDropEvent onText(QPointF(5, 5), offered, &one, Qt::LeftButton, keys);
        for (QDropEvent *event : {static_cast<QDropEvent *>(&enter), static_cast<QDropEvent *>(&over), &onText}) {
            QCOMPARE(event->proposedAction(), proposed);
            QCoreApplication::sendEvent(view->viewport(), event);
            QVERIFY(event->isAccepted() && event->dropAction() == Qt::CopyAction);
        }
        QCOMPARE(view->toPlainText(), QStringLiteral("2"));
        QCOMPARE(activeDoc(m_app.get())->GetPathName(), a);
    }

    // The stored font and background are used at start; F5 puts the stored font back, keeping the selection.
    void displayFontAndBackgroundColour()
    {
        CharFormat font;
        font.dwMask = 0xF800000F, font.dwEffects = CharFormat::CFE_BOLD, font.yHeight = 240, font.crTextColor = 0x0000FF;
        font.szFaceName = QStringLiteral("IPAGothic");
        WriteFontRecord(QStringLiteral("FONT"), font);
        Keys::BackColor.write(0x00FF0000);  // blue
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QVERIFY(view->font().pointSizeF() == 12.0 && view->font().bold());
        QVERIFY(view->palette().color(QPalette::Base) == QColor(0, 0, 255) && view->palette().color(QPalette::Text) == QColor(255, 0, 0));
        QTest::keyClicks(view, QStringLiteral("abcdef"));
        view->setSelection(1, 4);
        view->setFont(QFont(view->font().family(), 20));
        QVERIFY(run(ID_VIEW_REDRAW));
        QCOMPARE(view->font().pointSizeF(), 12.0);
        QVERIFY(view->anchor() == 1 && view->position() == 4);
    }

    void fontAndColourCommands()
    {
        m_app = startApp();
        CNYOView *view = activeView(m_app.get());
        QTest::keyClicks(view, QStringLiteral("abc"));
        view->SetSel(1, 2);
        // Cancel changes nothing, in the window or in the store.
        cancelNextDialog();
        QVERIFY(run(ID_FORMAT_FONT));
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
        QVERIFY(run(ID_FORMAT_FONT));
        const CharFormat stored = ReadFontRecord(QStringLiteral("FONT"));
        QVERIFY(stored.yHeight == 240 && stored.crTextColor == 255u && (stored.dwEffects & CharFormat::CFE_BOLD) && stored.cbSize == 60u);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("FONT"), QStringLiteral("dwMask"), QString()), QStringLiteral("-134217713"));
        QVERIFY(view->font().pointSizeF() == 12.0 && view->font().bold());
        QCOMPARE(view->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(view->anchor() == 1 && view->position() == 2);
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
            QVERIFY(run(ID_FORMAT_BACKCOLOR));
            QVERIFY(initial == QColor(Qt::white) && owner == m_app->MainFrame());
            QCOMPARE(view->palette().color(QPalette::Base), QColor(0, 128, 255));
            QCOMPARE(Keys::BackColor.read(), 0xFF8000);
        }
        QCOMPARE(custom, QColor(1, 2, 3));
    }

    // Remembered at exit and offered in the File menu at the next start; choosing an entry opens
    // the file, and one that is gone leaves the list.
    void recentFilesAreRememberedAtExit()
    {
        const QString a = writeFile(QStringLiteral("r1.txt"), "1"), b = writeFile(QStringLiteral("r2.txt"), "2");
        m_app = startApp({a});
        QVERIFY(m_app->OpenDocumentFile(b));
        stopApp(m_app);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1"), QString()), b);
        QCOMPARE(Profile::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File2"), QString()), a);
        m_app = startApp();
        QMenu *file = m_app->MainFrame()->Menus(IDR_NYOTYPE).first();
        emit file->aboutToShow();
        QStringList texts;
        for (QAction *action : file->actions())
            if (action->isVisible() && action->data().toInt() >= ID_FILE_MRU_FIRST && action->data().toInt() <= ID_FILE_MRU_LAST)
                texts.append(action->text());
        QVERIFY(texts.size() == 2 && texts.first().startsWith(QStringLiteral("&1 ")) && texts.first().endsWith(QStringLiteral("r2.txt")));
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
            QVERIFY(tune != 1 || !enabled(m_app.get(), ID_FILE_MRU_FIRST));
            stopApp(m_app);
        }
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
