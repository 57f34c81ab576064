// Jumps with the remembered line, the jump dialog, auto-indent after Enter and its dialog.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "editor/autoindent.h"
#include "editor/indentdlg.h"
#include "editor/jumpdlg.h"
#include "editor/nyoview.h"
#include "platform/msgbox.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <climits>

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

qsizetype caret(CNYOView *view)
{
    qsizetype start = 0, end = 0;
    view->GetSel(start, end);
    return end;
}

// Answers the next jump dialog: mode, text, and whether to press OK.
void answerJump(int mode, const QString &text, bool ok = true)
{
    onModal([=](QWidget *modal) {
        auto *dialog = qobject_cast<CJumpDlg *>(modal);
        QVERIFY(dialog);
        dialog->findChild<QRadioButton *>(mode == 0 ? QStringLiteral("1000") : QStringLiteral("1001"))->click();
        dialog->findChild<QLineEdit *>(QStringLiteral("1002"))->setText(text);
        if (ok)
            dialog->accept();
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

class TestEditingAids : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void jumpsRememberWhereTheyLeft();
    void jumpCommandsNeedText();
    void jumpDialogReadsNumbers_data();
    void jumpDialogReadsNumbers();
    void jumpDialog();
    void indentText_data();
    void indentText();
    void enterIndents_data();
    void enterIndents();
    void indentDialog();

private:
    std::unique_ptr<CNYOApp> m_app;
};

void TestEditingAids::init()
{
    useFreshEnvironment();
    recordBoxes();
    m_app = startApp();
    QVERIFY(m_app);
}

void TestEditingAids::cleanup()
{
    stopApp(m_app);
}

void TestEditingAids::jumpsRememberWhereTheyLeft()
{
    // lines start at 0, 3, 13, 16
    CNYOView *view = viewWith(m_app.get(), QStringLiteral("l1\nline2 abc\nl3\nl4"), 8);
    view->SetWordWrap(false);
    QTest::keyClick(view, Qt::Key_M, Qt::ControlModifier);  // remember: the line's start
    QCOMPARE(view->MarkPos(), 3);
    QCOMPARE(caret(view), 8);
    view->SetSel(14, 14);
    QTest::keyClick(view, Qt::Key_Q, Qt::ControlModifier);  // back, and swap
    QCOMPARE(caret(view), 3);
    QCOMPARE(view->MarkPos(), 13);
    QTest::keyClick(view, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(caret(view), 13);
    QCOMPARE(view->MarkPos(), 3);
    QTest::keyClick(view, Qt::Key_End);  // the start of the last line, not its end
    QCOMPARE(caret(view), 16);
    QCOMPARE(view->MarkPos(), 13);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(caret(view), 0);
    QCOMPARE(view->MarkPos(), 16);
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

void TestEditingAids::jumpCommandsNeedText()
{
    CNYOView *view = viewWith(m_app.get(), QString(), 0);
    const int ids[] = {ID_JUMP_TOP, ID_JUMP_END, ID_JUMP_BACK, ID_JUMP_GOTO, ID_JUMP_MARK, ID_VIEW_REDRAW};
    for (int id : ids)
        QVERIFY2(!enabled(m_app.get(), id), qPrintable(QString::number(id)));
    QTest::keyClicks(view, QStringLiteral("ab"));
    for (int id : ids)
        QVERIFY2(enabled(m_app.get(), id), qPrintable(QString::number(id)));
}

void TestEditingAids::jumpDialogReadsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("value");
    QTest::newRow("blanks and sign") << QStringLiteral(" \t+12 ") << true << 12;
    QTest::newRow("negative") << QStringLiteral("-3") << true << -3;
    QTest::newRow("zero written as 0") << QStringLiteral(" 0") << true << 0;
    QTest::newRow("zero with a sign") << QStringLiteral("-0") << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("letters after") << QStringLiteral("12a") << false << 0;
    QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << true << INT_MAX;
    QTest::newRow("below 32 bits") << QStringLiteral("-99999999999") << true << INT_MIN;
    QTest::newRow("only 31 characters read") << QStringLiteral("7") + QString(30, u' ') + QStringLiteral("x") << true << 7;
}

void TestEditingAids::jumpDialogReadsNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(int, value);
    const std::optional<int32_t> parsed = CJumpDlg::ParseValue(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*parsed, value);
}

void TestEditingAids::jumpDialog()
{
    CNYOView *view = viewWith(m_app.get(), QStringLiteral("one\ntwo\nthree"), 5);
    view->SetWordWrap(false);
    answerJump(0, QStringLiteral("3"));
    QVERIFY(execute(m_app.get(), ID_JUMP_GOTO));
    QCOMPARE(caret(view), 8);
    QCOMPARE(view->MarkPos(), 4);
    answerJump(1, QStringLiteral("2"));
    QVERIFY(execute(m_app.get(), ID_JUMP_GOTO));
    QCOMPARE(caret(view), 1);
    // Past the end, by line or by character: the end.
    answerJump(0, QStringLiteral("99"));
    QVERIFY(execute(m_app.get(), ID_JUMP_GOTO));
    QCOMPARE(caret(view), view->GetTextLength());
    answerJump(1, QStringLiteral("2147483647"));
    QVERIFY(execute(m_app.get(), ID_JUMP_GOTO));
    QCOMPARE(caret(view), view->GetTextLength());
    // Not a number: one message, the dialog stays; 0 and negatives stay silently; Cancel
    // leaves the remembered line as it was.
    view->SetSel(5, 5);
    const qsizetype mark = view->MarkPos();
    boxes().texts.clear();
    bool stayedOpen = false;
    onModal([&stayedOpen](QWidget *modal) {
        auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("1002"));
        for (const QString &text : {QStringLiteral("abc"), QStringLiteral("0"), QStringLiteral("-4")}) {
            edit->setText(text);
            static_cast<QDialog *>(modal)->accept();
        }
        stayedOpen = modal->isVisible();
        static_cast<QDialog *>(modal)->reject();
    });
    QVERIFY(execute(m_app.get(), ID_JUMP_GOTO));
    QVERIFY(stayedOpen);
    QCOMPARE(boxes().texts, QStringList{QStringLiteral("整数を入力してください。")});
    QCOMPARE(caret(view), 5);
    QCOMPARE(view->MarkPos(), mark);
}

// The width rule: a TAB counts 8 and a space 1 wherever they stand; only 31 characters.
void TestEditingAids::indentText_data()
{
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("tabs");
    QTest::addColumn<QString>("spaces");
    QTest::addColumn<QString>("copy");
    QTest::newRow("none") << QStringLiteral("abc") << QString() << QString() << QString();
    QTest::newRow("4 spaces") << QStringLiteral("    a") << QString() << QString(4, u' ') << QString(4, u' ');
    QTest::newRow("TAB") << QStringLiteral("\ta") << QStringLiteral("\t") << QString(8, u' ') << QStringLiteral("\t");
    QTest::newRow("2 spaces, TAB") << QStringLiteral("  \ta") << QStringLiteral("\t") << QString(10, u' ')
                                   << QStringLiteral("  \t");
    QTest::newRow("TAB, TAB, 3 spaces") << QStringLiteral("\t\t   a") << QStringLiteral("\t\t") << QString(19, u' ')
                                        << QStringLiteral("\t\t   ");
    QTest::newRow("more than 31 blanks") << QString(40, u' ') << QStringLiteral("\t\t\t") << QString(31, u' ')
                                         << QString(31, u' ');
    QTest::newRow("full-width space") << QStringLiteral("\u3000a") << QString() << QString() << QString();
}

void TestEditingAids::indentText()
{
    QFETCH(QString, previous);
    QFETCH(QString, tabs);
    QFETCH(QString, spaces);
    QFETCH(QString, copy);
    QCOMPARE(AutoIndent::IndentFor(previous, AutoIndent::Tabs), tabs);
    QCOMPARE(AutoIndent::IndentFor(previous, AutoIndent::Spaces), spaces);
    QCOMPARE(AutoIndent::IndentFor(previous, AutoIndent::Copy), copy);
    QCOMPARE(AutoIndent::IndentFor(previous, 3), QString());
}

void TestEditingAids::enterIndents_data()
{
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("indent2");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("result");
    const int none = Qt::NoModifier;
    QTest::newRow("mid-line, copied") << 2 << 4 << QStringLiteral("\t\tabc") << 4 << none
                                      << QStringLiteral("\t\tab\n\t\tc");
    QTest::newRow("as TABs") << 2 << 1 << QStringLiteral("  \t x") << 5 << none << QStringLiteral("  \t x\n\t");
    QTest::newRow("as spaces") << 2 << 2 << QStringLiteral("\tx") << 2 << none << QStringLiteral("\tx\n        ");
    QTest::newRow("whitespace-only line") << 2 << 4 << QStringLiteral(" \t ") << 3 << none
                                          << QStringLiteral(" \t \n \t ");
    QTest::newRow("Shift+Enter") << 2 << 4 << QStringLiteral("\tx") << 2 << int(Qt::ShiftModifier)
                                 << QStringLiteral("\tx\n");
    QTest::newRow("kind 3") << 2 << 3 << QStringLiteral("\tx") << 2 << none << QStringLiteral("\tx\n");
    QTest::newRow("Indent 5") << 5 << 4 << QStringLiteral("\tx") << 2 << none << QStringLiteral("\tx\n");
    QTest::newRow("off") << 1 << 4 << QStringLiteral("\tx") << 2 << none << QStringLiteral("\tx\n");
}

void TestEditingAids::enterIndents()
{
    QFETCH(int, indent);
    QFETCH(int, indent2);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, modifiers);
    QFETCH(QString, result);
    Keys::Indent.write(indent);
    Keys::Indent2.write(indent2);
    CNYOView *view = viewWith(m_app.get(), text, caret);
    QTest::keyClick(view, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(view->toPlainText(), result);
    QCOMPARE(::caret(view), caret + result.size() - text.size());
    // One undo takes back the break with its indent.
    view->undo();
    QCOMPARE(view->toPlainText(), text);
}

void TestEditingAids::indentDialog()
{
    const auto run = [this](const std::function<void(CIndentDlg *)> &act) {
        onModal([act](QWidget *modal) {
            auto *dialog = qobject_cast<CIndentDlg *>(modal);
            QVERIFY(dialog);
            act(dialog);
        });
        QVERIFY(execute(m_app.get(), ID_SETTINGS_INDENT));
    };
    const auto button = [](CIndentDlg *d, const char *id) {
        return d->findChild<QRadioButton *>(QLatin1String(id));
    };
    viewWith(m_app.get(), QStringLiteral("x"), 0);
    // Off: the kinds are grey; choosing indent with a kind writes both.
    run([&](CIndentDlg *d) {
        QVERIFY(button(d, "1014")->isChecked());
        QVERIFY(!button(d, "1016")->isEnabled());
        button(d, "1015")->click();
        QVERIFY(button(d, "1016")->isEnabled());
        button(d, "1017")->click();
        d->accept();
    });
    QCOMPARE(Keys::Indent.read(), 2);
    QCOMPARE(Keys::Indent2.read(), 2);
    // On: two buttons show; a stored 3 shows as TAB + spaces and is stored back as 4.
    Keys::Indent2.write(3);
    run([&](CIndentDlg *d) {
        QVERIFY(button(d, "1015")->isChecked());
        QVERIFY(button(d, "1013")->isChecked());
        d->accept();
    });
    QCOMPARE(Keys::Indent2.read(), 4);
    // Off writes only "Indent"; Cancel writes nothing.
    run([&](CIndentDlg *d) {
        button(d, "1014")->click();
        d->accept();
    });
    QCOMPARE(Keys::Indent.read(), 1);
    QCOMPARE(Keys::Indent2.read(), 4);
    run([&](CIndentDlg *d) {
        button(d, "1015")->click();
        d->reject();
    });
    QCOMPARE(Keys::Indent.read(), 1);
}

QTEST_MAIN(TestEditingAids)
#include "tst_editingaids.moc"
