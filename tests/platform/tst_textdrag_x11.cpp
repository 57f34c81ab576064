// Dragging selected text with the mouse, on a private X server (Xvfb, started here) where a drag
// is a real one: within a view, to another window of the same text, to a window of another
// text. The text moves once, in one undo step, or, dropped onto itself, stays.
#include "platform/engine/textbuffer.h"
#include "platform/engine/textview.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using namespace Qt::StringLiterals;

class TestTextDrag : public QObject {
    Q_OBJECT

private slots:
    // "one two three" with "two" (4-7) selected in the source, dropped at a position of the
    // target, which is the source itself, another view of its text or a view of another text
    // ("xy"). Afterwards both texts, then each after one undo.
    void dragMovesTextOnce_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("other");
        const QString same = u"one two three"_s;
        const auto row = [](const char *name, const char *target, int at, const QString &source,
                            const QString &other = u"xy"_s) { QTest::newRow(name) << QString::fromLatin1(target) << at << source << other; };
        row("this view, before", "this", 0, u"twoone  three"_s);
        row("this view, after", "this", 13, u"one  threetwo"_s);
        row("this view, inside", "this", 5, same);
        row("this view, at its end", "this", 7, same);
        row("another window, before", "window", 1, u"otwone  three"_s);
        row("another window, just before", "window", 3, u"onetwo  three"_s);
        row("another window, after", "window", 9, u"one  ttwohree"_s);
        row("another window, inside", "window", 5, same);
        row("another window, at its start", "window", 4, same);
        row("another window, at its end", "window", 7, same);
        row("another text", "text", 1, u"one  three"_s, u"xtwoy"_s);
    }

    void dragMovesTextOnce()
    {
        QFETCH(QString, target);
        QFETCH(int, at);
        TextBuffer text, otherText;
        text.load(u"one two three"_s, {});
        otherText.load(u"xy"_s, {});
        TextView source, window, other;
        int x = 0;
        for (TextView *view : {&source, &window, &other}) {
            view->setFont(QFont(u"IPAGothic"_s, 12));
            view->setBuffer(view == &other ? &otherText : &text);
            view->setGeometry(x, 0, 300, 120);
            view->show();
            x += 340;
        }
        for (TextView *view : {&source, &window, &other})
            QVERIFY(QTest::qWaitForWindowExposed(view));
        TextView *to = target == u"this" ? &source : target == u"window" ? &window : &other;
        source.setSelection(4, 7);
        source.activateWindow();

        // The drag runs its own event loop from the first move: the rest of the gesture is queued.
        const QPoint press = source.cursorRect(5).center();
        const QPoint drop = to->cursorRect(at).center();
        bool released = false;
        QTimer::singleShot(50, to, [&] {
            QTest::mouseMove(to->viewport(), drop + QPoint(0, 1));
            QTest::mouseMove(to->viewport(), drop);
            QTimer::singleShot(50, to, [&] {
                QTest::mouseRelease(to->viewport(), Qt::LeftButton, Qt::NoModifier, drop);
                released = true;
            });
        });
        QTest::mousePress(source.viewport(), Qt::LeftButton, Qt::NoModifier, press);
        QTest::mouseMove(source.viewport(), press + QPoint(QApplication::startDragDistance() + 5, 0));
        QTRY_VERIFY(released);

        QTEST(text.text(), "source");
        QTEST(otherText.text(), "other");
        // One undo step in each text that changed takes it all back.
        for (TextBuffer *buffer : {&text, &otherText})
            buffer->undo();
        QCOMPARE(text.text(), u"one two three"_s);
        QCOMPARE(otherText.text(), u"xy"_s);
        QVERIFY(!text.canUndo() && !otherText.canUndo());
    }
};

// A private X server for the whole test, ended after the application.
int main(int argc, char **argv)
{
    QProcess server;
    server.start(u"Xvfb"_s, u"-displayfd 1 -screen 0 1024x768x24 -nolisten tcp"_s.split(u' '));
    QByteArray number;
    while (!number.endsWith('\n') && server.waitForReadyRead(20000))
        number += server.readAllStandardOutput();
    if (number.trimmed().isEmpty())
        return std::fprintf(stderr, "Xvfb did not start\n"), 1;
    qputenv("DISPLAY", ':' + number.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int failed = 0;
    {
        QApplication application(argc, argv);
        TestTextDrag test;
        failed = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished();
    return failed;
}

#include "tst_textdrag_x11.moc"
