// Jumps with the remembered line, the jump dialog, auto-indent after Enter and its dialog.
#include "app_helper.h"
#include "../texteventlog.h"

#include "app/nyoapp.h"
#include "editor/jumpcommands.h"
#include "editor/nyoview.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QTest>

using namespace AppHelper;

namespace {
// The view of a new document holding text, caret at pos.
CNYOView *viewWith(CNYOApp *app, const QString &text, qsizetype pos)
{
    execute(app, ID_FILE_NEW);
    CNYOView *view = activeView(app);
    view->ReplaceSel(text);
    view->SetSel(pos, pos);
    return view;
}

// "Indent Indent2" into the store; nothing for "".
void storeIndent(const QString &values)
{
    if (values.isEmpty())
        return;
    Keys::Indent.write(values.section(u' ', 0, 0).toInt());
    Keys::Indent2.write(values.section(u' ', 1, 1).toInt());
}

qsizetype caret(CNYOView *view)
{
    qsizetype start = 0, end = 0;
    view->GetSel(start, end);
    return end;
}
} // namespace

class TestEditingAids : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void init()
    {
        useFreshEnvironment();
        m_app = startApp();
        QVERIFY(m_app);
    }
    void cleanup() { stopApp(m_app); }

    // Each jump remembers the start of the line it leaves; going back swaps the two.
    void jumpsRememberWhereTheyLeft()
    {
        // lines start at 0, 3, 13, 16
        CNYOView *view = viewWith(m_app.get(), QStringLiteral("l1\nline2 abc\nl3\nl4"), 8);
        view->SetWordWrap(false);
        const struct {
            qsizetype from;  // -1: where the last step left the caret
            const char *keys;
            qsizetype caret, mark;
        } steps[] = {
            {8, "Ctrl+M", 8, 3},      // remember: the line's start
            {14, "Ctrl+Q", 3, 13},    // back, and swap
            {-1, "Ctrl+Q", 13, 3},
            {-1, "End", 16, 13},      // the start of the last line, not its end
            {-1, "Home", 0, 16},
        };
        for (const auto &step : steps) {
            if (step.from >= 0)
                view->SetSel(step.from, step.from);
            QTest::keySequence(view, QKeySequence(QString::fromLatin1(step.keys)));
            QCOMPARE(caret(view), step.caret);
            QCOMPARE(view->Jumps()->MarkPos(), step.mark);
        }
        // With a final line break the last line is the empty one after it.
        view->SetSel(view->GetTextLength(), view->GetTextLength());
        view->ReplaceSel(QStringLiteral("\n"));
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(caret(view), view->GetTextLength());
        // With wrap on, lines are displayed rows.
        view->SetSel(0, view->GetTextLength());
        view->ReplaceSel(QString(400, u'あ'));
        view->SetWordWrap(true);
        QVERIFY(view->GetLineCount() > 2);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(caret(view), view->LineIndex(view->GetLineCount() - 1));
        QVERIFY(caret(view) > 0 && caret(view) < 400);
    }

    void jumpCommandsNeedText()
    {
        CNYOView *view = viewWith(m_app.get(), QString(), 0);
        for (const bool text : {false, true}) {
            QTest::keyClicks(view, text ? "ab" : "");
            for (int id : {ID_JUMP_TOP, ID_JUMP_END, ID_JUMP_BACK, ID_JUMP_GOTO, ID_JUMP_MARK, ID_VIEW_REDRAW})
                QVERIFY2(enabled(m_app.get(), id) == text, qPrintable(QString::number(id)));
        }
    }

    void jumpDialog_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("caret");  // -1: no jump, the remembered line unchanged too
        QTest::addColumn<QStringList>("events");
        const QStringList silent{QStringLiteral("still open at 1002")};
        const QStringList refused{QStringLiteral("整数を入力してください。"), silent.first()};
        // 20 lines of "ab": line n starts at 3 (n - 1), the text ends at 60.
        QTest::newRow("line 3") << "click 1000|type 1002 3|OK" << 6 << QStringList();
        QTest::newRow("line: blanks and sign") << "click 1000|type 1002  \t+12 |OK" << 33 << QStringList();
        QTest::newRow("line: only 31 characters read") << "click 1000|type 1002 7" + QString(30, u' ') + "x|OK" << 18 << QStringList();
        QTest::newRow("line past the end") << "click 1000|type 1002 99|OK" << 60 << QStringList();
        QTest::newRow("line beyond 32 bits") << "click 1000|type 1002 99999999999|OK" << 60 << QStringList();
        QTest::newRow("character 2") << "click 1001|type 1002 2|OK" << 1 << QStringList();
        QTest::newRow("character past the end") << "click 1001|type 1002 2147483647|OK" << 60 << QStringList();
        // Numbers below 1 keep the dialog open silently; anything else but a number says so.
        QTest::newRow("zero") << "type 1002  0|OK" << -1 << silent;
        QTest::newRow("negative") << "type 1002 -3|OK" << -1 << silent;
        QTest::newRow("below 32 bits") << "type 1002 -99999999999|OK" << -1 << silent;
        QTest::newRow("zero with a sign") << "type 1002 -0|OK" << -1 << refused;
        QTest::newRow("empty") << "type 1002 |OK" << -1 << refused;
        QTest::newRow("letters after") << "type 1002 12a|OK" << -1 << refused;
        QTest::newRow("cancelled") << "type 1002 3|Cancel" << -1 << QStringList();
    }
    void jumpDialog()
    {
        QFETCH(QString, steps);
        QFETCH(int, caret);
        CNYOView *view = viewWith(m_app.get(), QStringLiteral("ab\n").repeated(20), 7);
        view->SetWordWrap(false);
        const qsizetype mark = view->Jumps()->MarkPos();
        const QString end = runDialog(m_app.get(), ID_JUMP_GOTO, steps.split(u'|'));
        QTEST(boxes().texts + (end.isEmpty() ? QStringList() : QStringList{end}), "events");
        QCOMPARE(::caret(view), caret < 0 ? 7 : caret);
        QCOMPARE(view->Jumps()->MarkPos(), caret < 0 ? mark : 6);
    }

    void enterIndents_data()
    {
        QTest::addColumn<QString>("stored");  // "Indent Indent2"
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("selected");  // characters selected leftwards from the caret with Shift+Left
        QTest::addColumn<QString>("result");
        const auto row = [](const char *tag, int indent, int indent2, const QString &text, int caret,
                            const QString &result, Qt::KeyboardModifiers modifiers = {}, int selected = 0) {
            QTest::newRow(tag) << QStringLiteral("%1 %2").arg(indent).arg(indent2) << text << caret << int(modifiers)
                               << selected << result;
        };
        row("mid-line, copied", 2, 4, "\t\tabc", 4, "\t\tab\n\t\tc");
        row("as TABs", 2, 1, "  \t x", 5, "  \t x\n\t");
        row("as spaces", 2, 2, "\tx", 2, "\tx\n        ");
        row("whitespace-only line", 2, 4, " \t ", 3, " \t \n \t ");
        row("Shift+Enter", 2, 4, "\tx", 2, "\tx\n", Qt::ShiftModifier);
        row("kind 3", 2, 3, "\tx", 2, "\tx\n");
        row("Indent 5", 5, 4, "\tx", 2, "\tx\n");
        row("off", 1, 4, "\tx", 2, "\tx\n");
        // A TAB counts 8 and a space 1 wherever they stand; only 31 blanks are read.
        row("TABs among spaces, as spaces", 2, 2, "  \t\t   a", 7, "  \t\t   \n" + QString(21, u' ') + u'a');
        row("only 31 blanks copied", 2, 4, QString(40, u' '), 40, QString(40, u' ') + u'\n' + QString(31, u' '));
        row("only 31 blanks, as TABs", 2, 1, QString(40, u' '), 40, QString(40, u' ') + "\n\t\t\t");
        row("a full-width space is no indent", 2, 4, "\u3000a", 2, "\u3000a\n");
        // Enter over a selection: the break replaces it and the new line is indented all the same,
        // also where the text keeps its length.
        row("over one character", 2, 4, "\t abc", 5, "\t ab\n\t ", {}, 1);
        row("over two characters", 2, 4, "\t abc", 5, "\t a\n\t ", {}, 2);
    }
    void enterIndents()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, modifiers);
        QFETCH(int, selected);
        QFETCH(QString, result);
        storeIndent(stored);
        CNYOView *view = viewWith(m_app.get(), text, caret);
        for (int i = 0; i < selected; ++i)
            QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(view->toPlainText(), result);
        QCOMPARE(::caret(view), caret + result.size() - text.size());
        // One undo takes back the break with its indent.
        view->undo();
        QCOMPARE(view->toPlainText(), text);
    }

    // A screen reader hears the break where Enter was pressed and then the indent after it.
    void enterIndentIsToldToAScreenReader()
    {
        storeIndent(QStringLiteral("2 4"));
        CNYOView *view = viewWith(m_app.get(), QStringLiteral("\t\tabc"), 4);
        TextEventLog log(view);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(log.takeChanges(),
                 (QStringList{QStringLiteral("insert 4 \"\n\""), QStringLiteral("insert 5 \"\t\t\"")}));
    }

    // As a user does it: Enter over the selected last letter of an indented line, a letter typed
    // on the new line, and the file saved holds the indent before it.
    void enterOverASelectionIndentsTheSavedFile()
    {
        storeIndent(QStringLiteral("2 4"));
        const QString path = writeFile(QStringLiteral("indent.txt"), "\t abc");
        QVERIFY(m_app->OpenDocumentFile(path));
        CNYOView *view = activeView(m_app.get());
        view->SetSel(5, 5);
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClicks(view, QStringLiteral("x"));
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(readFile(path), QByteArray("\t ab\r\n\t x"));
    }

    void indentDialog_data()
    {
        QTest::addColumn<QString>("stored");  // "Indent Indent2"
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("close");   // "OK" or "Cancel"
        QTest::addColumn<QString>("shown");   // as it opens
        QTest::addColumn<QString>("chosen");  // after the clicks
        QTest::addColumn<QString>("after");
        // Off, the kinds are grey; on, the state and the kind both show.
        const QString off = "checked 1014; grey 1013 1016 1017";
        QTest::newRow("on with spaces, nothing stored") << "" << "click 1015|click 1017" << "OK" << off << "checked 1015 1017" << "2 2";
        QTest::newRow("on with TABs") << "1 2" << "click 1015|click 1016" << "OK" << off << "checked 1015 1016" << "2 1";
        QTest::newRow("a stored 3 is TAB + spaces, stored as 4") << "2 3" << "" << "OK" << "checked 1013 1015" << "checked 1013 1015" << "2 4";
        QTest::newRow("off keeps the kind") << "2 1" << "click 1014" << "OK" << "checked 1015 1016" << "checked 1014 1016; grey 1013 1016 1017" << "1 1";
        QTest::newRow("cancelled") << "1 2" << "click 1015|click 1016" << "Cancel" << off << "checked 1015 1016" << "1 2";
    }
    void indentDialog()
    {
        QFETCH(QString, stored);
        QFETCH(QString, clicks);
        QFETCH(QString, close);
        storeIndent(stored);
        viewWith(m_app.get(), QStringLiteral("x"), 0);
        QString opened, clicked;
        const auto seen = [&](QWidget *dialog) {
            opened = dialogState(dialog);
            playDialog(dialog, clicks.split(u'|', Qt::SkipEmptyParts));
            clicked = dialogState(dialog);
        };
        QCOMPARE(runDialog(m_app.get(), ID_SETTINGS_INDENT, {close}, seen), QString());
        QTEST(opened, "shown");
        QTEST(clicked, "chosen");
        QTEST(QStringLiteral("%1 %2").arg(Keys::Indent.read()).arg(Keys::Indent2.read()), "after");
    }
};

QTEST_MAIN(TestEditingAids)
#include "tst_editingaids.moc"
