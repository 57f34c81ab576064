#include "platform/findreplacedialog.h"
#include "platform/msgbox.h"
#include "platform/richedit.h"
#include "platform/textfinder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using Dir = TextFinder::Direction;

namespace {

constexpr int kFileProperty = QTextFormat::UserProperty + 1;  // a format the text keeps

TextFinder::Options opts(bool matchCase, bool wholeWord)
{
    TextFinder::Options o;
    o.matchCase = matchCase;
    o.wholeWord = wholeWord;
    return o;
}

QPair<int, int> selectionOf(const QPlainTextEdit &edit)
{
    const QTextCursor c = edit.textCursor();
    return {c.selectionStart(), c.selectionEnd()};
}

void select(QPlainTextEdit &edit, int start, int end)
{
    QTextCursor c = edit.textCursor();
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
}

// Gives [start, end) a format with the property value.
void markChars(QTextDocument *doc, int start, int end, int value)
{
    QTextCursor c(doc);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setProperty(kFileProperty, value);
    c.setCharFormat(f);
}

int propertyAt(QTextDocument *doc, int pos)
{
    QTextCursor c(doc);
    c.setPosition(pos + 1);  // the format of the character before the cursor
    return c.charFormat().intProperty(kFileProperty);
}

// Replace all as the plain loop of one edit per match, for comparison.
void replaceEachMatch(QPlainTextEdit &edit, const QString &what, const QString &with,
                      TextFinder::Options o)
{
    const QString text = edit.document()->toRawText();
    QList<qsizetype> starts;
    for (qsizetype at = TextFinder::Search(text, what, 0, o, Dir::Down); at >= 0;
         at = TextFinder::Search(text, what, at + what.size(), o, Dir::Down))
        starts.append(at);
    QTextCursor c(edit.document());
    for (auto it = starts.crbegin(); it != starts.crend(); ++it) {
        c.setPosition(int(*it));
        c.setPosition(int(*it + what.size()), QTextCursor::KeepAnchor);
        c.insertText(with, QTextCharFormat());
    }
}

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void search_data();
    void search();

    void findWalksDownAndUpWithoutWrapping();
    void findAcrossLineBreak();

    void replaceNextReplacesOnlyAMatchingSelection();
    void replaceAllCountsAndIsOneUndoStep();
    void replaceAllMatchesOneEditPerMatch();
    void replaceRefusedOverLimitOrReadOnly();
    void replaceAllKeepsTheFileBytesOfTheRest();

    void dialogModes();
    void dialogLayoutFitsItsTexts();
    void dialogTakesOneLineSelection();
    void dialogFindNextAndNotFound();
    void dialogReplaceAndReplaceAll();
    void dialogKeepsTheControlsTextLimit();
    void repeatOpensDialogThenRepeatsLastSearch();
    void dialogClosesWithItsEditor();
    void dialogMovesOffTheSelection();

private:
    QStringList m_shown;  // texts of message boxes
    QTemporaryDir m_config;
};

void TestFindReplace::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    MsgBox::setResponder([this](const QString &text, const QString &, MsgBox::Buttons, MsgBox::Icon) {
        m_shown << text;
        return int(MsgBox::IDOK);
    });
}

void TestFindReplace::cleanup()
{
    m_shown.clear();
}

// --- the search --------------------------------------------------------------------------

void TestFindReplace::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("expected");

    const QString kichi = QString::fromUcs4(U"\U00020BB7");  // outside the BMP: two units
    // direction and start
    QTest::newRow("down from start") << "abc abc" << "abc" << 0 << false << false << true << 0;
    QTest::newRow("down after first") << "abc abc" << "abc" << 1 << false << false << true << 4;
    QTest::newRow("down past last") << "abc abc" << "abc" << 5 << false << false << true << -1;
    QTest::newRow("down negative start") << "abc" << "abc" << -3 << false << false << true << 0;
    QTest::newRow("up from end") << "abc abc" << "abc" << 7 << false << false << false << 4;
    QTest::newRow("up ends at or before") << "abc abc" << "abc" << 6 << false << false << false << 0;
    QTest::newRow("up before first") << "abc abc" << "abc" << 2 << false << false << false << -1;
    QTest::newRow("up beyond end") << "abc" << "abc" << 99 << false << false << false << 0;
    QTest::newRow("longer than text") << "ab" << "abc" << 0 << false << false << true << -1;
    // case
    QTest::newRow("case on") << "Abc abc" << "abc" << 0 << true << false << true << 4;
    QTest::newRow("case off") << "Abc abc" << "abc" << 0 << false << false << true << 0;
    QTest::newRow("case off up") << "abc ABC" << "Abc" << 7 << false << false << false << 4;
    QTest::newRow("full-width case off") << u"ＡＢＣ"_qs << u"ａｂｃ"_qs << 0 << false << false << true << 0;
    QTest::newRow("full-width case on") << u"ＡＢＣ"_qs << u"ａｂｃ"_qs << 0 << true << false << true << -1;
    // whole words, ASCII
    QTest::newRow("word inside") << "concat cat" << "cat" << 0 << false << false << true << 3;
    QTest::newRow("word whole") << "concat cat" << "cat" << 0 << false << true << true << 7;
    QTest::newRow("word underscore") << "cat_ cat" << "cat" << 0 << false << true << true << 5;
    QTest::newRow("word digit") << "cat1 cat" << "cat" << 0 << false << true << true << 5;
    QTest::newRow("word punctuation") << "(cat)" << "cat" << 0 << false << true << true << 1;
    QTest::newRow("word up") << "cat cats" << "cat" << 8 << false << true << false << 0;
    QTest::newRow("word pattern edge") << "a-b" << "-b" << 0 << false << true << true << 1;
    // whole words, Japanese: a run of letters is one word
    QTest::newRow("ja run") << u"日本語と日本"_qs << u"日本"_qs << 0 << false << true << true << -1;
    QTest::newRow("ja comma") << u"日本語、日本。"_qs << u"日本"_qs << 0 << false << true << true << 4;
    QTest::newRow("ja brackets") << u"「日本」"_qs << u"日本"_qs << 0 << false << true << true << 1;
    QTest::newRow("ja long vowel") << u"データベース"_qs << u"データ"_qs << 0 << false << true << true << -1;
    QTest::newRow("ja full-width space") << u"データ　ベース"_qs << u"データ"_qs << 0 << false << true << true << 0;
    QTest::newRow("ja combining mark") << u"か\u3099"_qs << u"か"_qs << 0 << false << true << true << -1;
    // surrogate pairs
    QTest::newRow("pair found") << u"a"_qs + kichi + u"b"_qs + kichi << kichi << 2 << false << false << true << 4;
    QTest::newRow("pair up") << u"a"_qs + kichi + u"b"_qs + kichi << kichi << 4 << false << false << false << 1;
    QTest::newRow("high half") << kichi + kichi << QString(kichi[0]) << 0 << false << false << true << -1;
    QTest::newRow("low half") << kichi + kichi << QString(kichi[1]) << 0 << false << false << true << -1;
    QTest::newRow("low half up") << kichi + kichi << QString(kichi[1]) << 4 << false << false << false << -1;
    QTest::newRow("pair is a letter") << kichi + u"野 野"_qs << u"野"_qs << 0 << false << true << true << 4;
    QTest::newRow("letter before pair") << u"野"_qs + kichi + u" "_qs + kichi << kichi << 0 << false << true << true << 4;
}

void TestFindReplace::search()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(int, from);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(bool, down);
    QFETCH(int, expected);
    QCOMPARE(TextFinder::Search(text, what, from, opts(matchCase, wholeWord), down ? Dir::Down : Dir::Up),
             qsizetype(expected));
}

// --- finding in an editor --------------------------------------------------------------------

void TestFindReplace::findWalksDownAndUpWithoutWrapping()
{
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("abc x abc\nabc"));
    TextFinder finder(&edit);
    using Sel = QPair<int, int>;
    QList<Sel> seen;
    while (finder.FindText(QStringLiteral("ABC"), {}, Dir::Down))
        seen << selectionOf(edit);
    QCOMPARE(seen, (QList<Sel>{{0, 3}, {6, 9}, {10, 13}}));
    QCOMPARE(selectionOf(edit), Sel(10, 13));  // no wrap: the last match stays selected

    seen.clear();
    while (finder.FindText(QStringLiteral("abc"), {}, Dir::Up))
        seen << selectionOf(edit);
    QCOMPARE(seen, (QList<Sel>{{6, 9}, {0, 3}}));
    QCOMPARE(selectionOf(edit), Sel(0, 3));

    // From a caret in the middle, each direction sees only its side.
    select(edit, 5, 5);
    QVERIFY(finder.FindText(QStringLiteral("abc"), {}, Dir::Up));
    QCOMPARE(selectionOf(edit), Sel(0, 3));
    select(edit, 5, 5);
    QVERIFY(finder.FindText(QStringLiteral("abc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), Sel(6, 9));

    // Nothing to find: the selection stays.
    QVERIFY(!finder.FindText(QString(), {}, Dir::Down));
    QVERIFY(!finder.FindText(QStringLiteral("abcd"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), Sel(6, 9));
    QCOMPARE(finder.ReplaceAll(QString(), QStringLiteral("x"), {}), qsizetype(0));
}

void TestFindReplace::findAcrossLineBreak()
{
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("ab\ncd\r\nab\ncd"));  // four lines: CR LF is one break
    TextFinder finder(&edit);
    QVERIFY(finder.FindText(QStringLiteral("b\r\nc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), qMakePair(1, 4));
    QVERIFY(finder.FindText(QStringLiteral("b\nc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), qMakePair(7, 10));

    QCOMPARE(finder.ReplaceAll(QStringLiteral("b\nc"), QStringLiteral("-\r\n-"), {}), qsizetype(2));
    QCOMPARE(edit.toPlainText(), QStringLiteral("a-\n-d\na-\n-d"));
    QCOMPARE(edit.document()->blockCount(), 4);
}

// --- replacing ---------------------------------------------------------------------------

void TestFindReplace::replaceNextReplacesOnlyAMatchingSelection()
{
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("cat concat cat"));
    TextFinder finder(&edit);
    const auto word = opts(false, true);

    // A selection that is not a match is only moved to the next match.
    select(edit, 0, 2);
    auto r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(!r.replaced && r.found && !r.refused);
    QCOMPARE(edit.toPlainText(), QStringLiteral("cat concat cat"));
    QCOMPARE(selectionOf(edit), qMakePair(11, 14));

    // "cat" inside "concat" is not a whole word: selected, it is not replaced either.
    select(edit, 7, 10);
    r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(!r.replaced && r.found);
    QCOMPARE(selectionOf(edit), qMakePair(11, 14));

    r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(r.replaced && !r.found);
    QCOMPARE(edit.toPlainText(), QStringLiteral("cat concat dog"));
    QCOMPARE(selectionOf(edit), qMakePair(14, 14));  // caret after the replacement

    select(edit, 0, 3);
    r = finder.ReplaceNext(QStringLiteral("CAT"), QStringLiteral("a\nb"), word);
    QVERIFY(r.replaced && !r.found);
    QCOMPARE(edit.toPlainText(), QStringLiteral("a\nb concat dog"));
    edit.undo();  // each replacement is one step
    QCOMPARE(edit.toPlainText(), QStringLiteral("cat concat dog"));
}

void TestFindReplace::replaceAllCountsAndIsOneUndoStep()
{
    QPlainTextEdit edit;
    const QString original = QStringLiteral("a aa\naaa b\n\nA");
    edit.setPlainText(original);
    QTextDocument *doc = edit.document();
    TextFinder finder(&edit);

    // The replacement holds the search text: matches are those of the text as it was.
    QCOMPARE(finder.ReplaceAll(QStringLiteral("a"), QStringLiteral("aa"), {}), qsizetype(7));
    QCOMPARE(edit.toPlainText(), QStringLiteral("aa aaaa\naaaaaa b\n\naa"));
    doc->undo();  // one step takes back every replacement
    QCOMPARE(edit.toPlainText(), original);
    QVERIFY(!doc->isUndoAvailable());
    doc->redo();
    QCOMPARE(edit.toPlainText(), QStringLiteral("aa aaaa\naaaaaa b\n\naa"));
    doc->undo();

    QCOMPARE(finder.ReplaceAll(QStringLiteral("a"), QString(), opts(true, true)), qsizetype(1));
    QCOMPARE(edit.toPlainText(), QStringLiteral(" aa\naaa b\n\nA"));
    doc->undo();

    // Nothing found: no edit, no undo step.
    QVERIFY(!doc->isUndoAvailable());
    QCOMPARE(finder.ReplaceAll(QStringLiteral("z"), QStringLiteral("y"), {}), qsizetype(0));
    QVERIFY(!doc->isUndoAvailable());
    QVERIFY(!doc->isModified());

    // The caret stays where it was among the unchanged text.
    edit.setPlainText(QStringLiteral("foo bar foo"));
    select(edit, 5, 5);  // between "b" and "ar"
    QCOMPARE(finder.ReplaceAll(QStringLiteral("foo"), QStringLiteral("q"), {}), qsizetype(2));
    QCOMPARE(edit.toPlainText(), QStringLiteral("q bar q"));
    QCOMPARE(selectionOf(edit), qMakePair(3, 3));
}

// Replace all gives the same text and the same caret as the plain loop of one edit per
// match, whatever the text, the matches and the caret.
void TestFindReplace::replaceAllMatchesOneEditPerMatch()
{
    const QString kichi = QString::fromUcs4(U"\U00020BB7");
    const QStringList pieces{u"a"_qs, u"b"_qs, u"A"_qs, u" "_qs, u"\n"_qs, u"日"_qs, kichi, u"ab"_qs};
    const QStringList patterns{u"a"_qs, u"ab"_qs, u"a b"_qs, u"b\na"_qs, u"日"_qs, kichi};
    const QStringList replacements{QString(), u"x"_qs, u"xyz"_qs, u"a"_qs, u"\n"_qs};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 400; ++round) {
        QString text;
        for (int n = int(random.bounded(40)); n > 0; --n)
            text += pieces[int(random.bounded(pieces.size()))];
        const QString what = patterns[int(random.bounded(patterns.size()))];
        const QString with = replacements[int(random.bounded(replacements.size()))];
        const auto o = opts(random.bounded(2) == 1, random.bounded(2) == 1);

        QPlainTextEdit edit, reference;
        edit.setPlainText(text);
        reference.setPlainText(text);
        const int length = edit.document()->characterCount() - 1;
        // Some characters with a format of their own, which must stay on them.
        const int markFrom = int(random.bounded(length + 1));
        const int markTo = int(random.bounded(markFrom, length + 1));
        for (QPlainTextEdit *e : {&edit, &reference}) {
            markChars(e->document(), markFrom, markTo, 1);
            e->document()->clearUndoRedoStacks();
        }
        const int anchor = int(random.bounded(length + 1));
        const int position = int(random.bounded(length + 1));
        for (QPlainTextEdit *e : {&edit, &reference}) {
            QTextCursor c = e->textCursor();
            c.setPosition(anchor);
            c.setPosition(position, QTextCursor::KeepAnchor);
            e->setTextCursor(c);
        }

        const qsizetype count = TextFinder(&edit).ReplaceAll(what, with, o);
        replaceEachMatch(reference, TextFinder::SearchForm(what), with, o);
        const QByteArray context = QStringLiteral("round %1: %2 -> %3 in %4").arg(round).arg(what, with, text).toUtf8();
        QVERIFY2(edit.toPlainText() == reference.toPlainText(), context);
        QVERIFY2(edit.textCursor().anchor() == reference.textCursor().anchor(), context);
        QVERIFY2(edit.textCursor().position() == reference.textCursor().position(), context);
        for (int pos = 0; pos < edit.document()->characterCount() - 1; ++pos)
            QVERIFY2(propertyAt(edit.document(), pos) == propertyAt(reference.document(), pos), context);
        QVERIFY2(edit.document()->isUndoAvailable() == (count > 0), context);
        edit.undo();
        QVERIFY2(edit.toPlainText() == text, context);
        QVERIFY2(!edit.document()->isUndoAvailable(), context);
    }
}

void TestFindReplace::replaceRefusedOverLimitOrReadOnly()
{
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("ab ab"));  // 5 characters
    TextFinder finder(&edit);
    finder.SetTextLimit(6);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("ab"), QStringLiteral("abc"), {}), qsizetype(-1));
    QCOMPARE(edit.toPlainText(), QStringLiteral("ab ab"));
    QVERIFY(!edit.document()->isUndoAvailable());

    select(edit, 0, 2);
    auto r = finder.ReplaceNext(QStringLiteral("ab"), QStringLiteral("abcd"), {});
    QVERIFY(r.refused && !r.replaced);
    QCOMPARE(edit.toPlainText(), QStringLiteral("ab ab"));
    r = finder.ReplaceNext(QStringLiteral("ab"), QStringLiteral("abc"), {});  // exactly at the limit
    QVERIFY(r.replaced && r.found);
    QCOMPARE(edit.toPlainText(), QStringLiteral("abc ab"));

    // Shrinking is allowed even over the limit.
    finder.SetTextLimit(2);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("b"), QString(), {}), qsizetype(2));
    QCOMPARE(edit.toPlainText(), QStringLiteral("ac a"));

    edit.setReadOnly(true);
    finder.SetTextLimit(TextFinder::kNoLimit);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("a"), QStringLiteral("z"), {}), qsizetype(-1));
    select(edit, 0, 1);
    QVERIFY(finder.ReplaceNext(QStringLiteral("a"), QStringLiteral("z"), {}).refused);
    QCOMPARE(edit.toPlainText(), QStringLiteral("ac a"));
}

// In the editing control, line-break kinds and byte forms read from the file stay where the
// text is not replaced, and replacement text is written in its default form.
void TestFindReplace::replaceAllKeepsTheFileBytesOfTheRest()
{
    RichEdit edit;
    // "∵" from its second byte form 87 9A; LF, CR LF and CR line breaks.
    QVERIFY(edit.StreamIn(QByteArray("\x87\x9A x\nx\r\na x\rx")));
    TextFinder finder(&edit);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("x"), QStringLiteral("yy"), {}), qsizetype(4));
    QCOMPARE(edit.StreamOut(), QByteArray("\x87\x9A yy\nyy\r\na yy\ryy"));

    QCOMPARE(finder.ReplaceAll(QStringLiteral("∵"), QStringLiteral("∵∵"), {}), qsizetype(1));
    QCOMPARE(edit.StreamOut(), QByteArray("\x81\xE6\x81\xE6 yy\nyy\r\na yy\ryy"));
    edit.undo();
    QCOMPARE(edit.StreamOut(), QByteArray("\x87\x9A yy\nyy\r\na yy\ryy"));
    edit.SetSel(0, 1);
    QVERIFY(finder.ReplaceNext(QStringLiteral("∵"), QStringLiteral("∵"), {}).replaced);
    QCOMPARE(edit.StreamOut(), QByteArray("\x81\xE6 yy\nyy\r\na yy\ryy"));
}

// --- the dialog ----------------------------------------------------------------------------

namespace {

template <class T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

struct DialogFixture {
    QWidget window;
    QPlainTextEdit *edit = new QPlainTextEdit(&window);
    FindReplaceDialog *dialog = FindReplaceDialog::ForWindow(&window);

    explicit DialogFixture(const QString &text)
    {
        window.resize(500, 400);
        edit->resize(500, 400);
        edit->setPlainText(text);
        window.show();
    }
    QLineEdit *findEdit() { return child<QLineEdit>(dialog, "findEdit"); }
    QLineEdit *replaceEdit() { return child<QLineEdit>(dialog, "replaceEdit"); }
    QPushButton *button(const char *name) { return child<QPushButton>(dialog, name); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
};

} // namespace

void TestFindReplace::dialogModes()
{
    DialogFixture f(QStringLiteral("text"));
    QCOMPARE(FindReplaceDialog::ForWindow(&f.window), f.dialog);  // one per window
    const QList<QPair<const char *, QString>> texts{
        {"wholeWordCheck", u"単語単位で探す(&W)"_qs}, {"matchCaseCheck", u"大文字と小文字を区別する(&C)"_qs},
        {"upRadio", u"上へ(&U)"_qs}, {"downRadio", u"下へ(&D)"_qs}, {"findNextButton", u"次を検索(&F)"_qs},
        {"replaceButton", u"置換して次に(&R)"_qs}, {"replaceAllButton", u"すべて置換(&A)"_qs},
        {"cancelButton", u"キャンセル"_qs}};
    for (const auto &[name, text] : texts)
        QCOMPARE(child<QAbstractButton>(f.dialog, name)->text(), text);
    QCOMPARE(child<QGroupBox>(f.dialog, "directionGroup")->title(), u"検索する方向"_qs);
    QStringList labels;
    for (QLabel *label : f.dialog->findChildren<QLabel *>())
        labels << label->text() + u'>' + label->buddy()->objectName();
    QCOMPARE(labels, (QStringList{u"検索する文字列(&N):>findEdit"_qs, u"置換後の文字列(&P):>replaceEdit"_qs}));

    const QStringList replaceOnly{u"replaceEdit"_qs, u"replaceButton"_qs, u"replaceAllButton"_qs};
    for (bool findOnly : {true, false}) {
        f.dialog->OnEditFindReplace(f.edit, findOnly);
        QVERIFY(f.dialog->isVisible() && !f.dialog->isModal());
        QCOMPARE(f.dialog->windowTitle(), findOnly ? u"検索"_qs : u"置換"_qs);
        for (const QString &name : replaceOnly)
            QCOMPARE(f.dialog->findChild<QWidget *>(name)->isVisible(), !findOnly);
        QCOMPARE(child<QGroupBox>(f.dialog, "directionGroup")->isVisible(), findOnly);
        QVERIFY(child<QRadioButton>(f.dialog, "downRadio")->isChecked());
        QVERIFY(f.button("findNextButton")->isDefault());
    }

    // Without a search text only Cancel works.
    f.findEdit()->clear();
    for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
        QVERIFY2(!f.button(name)->isEnabled(), name);
    QTest::keyClicks(f.findEdit(), QStringLiteral("b"));
    for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
        QVERIFY2(f.button(name)->isEnabled(), name);
    f.click("cancelButton");
    QVERIFY(!f.dialog->isVisible());
}

void TestFindReplace::dialogLayoutFitsItsTexts()
{
    DialogFixture f{QString()};
    QVERIFY(QFontInfo(f.dialog->font()).family().contains(QStringLiteral("IPA")));
    for (bool findOnly : {true, false}) {
        f.dialog->OnEditFindReplace(f.edit, findOnly);
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog));
        const QRect inside = f.dialog->rect();
        for (QWidget *w : f.dialog->findChildren<QWidget *>()) {
            if (!w->isVisible() || !(qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)
                                     || qobject_cast<QGroupBox *>(w)))
                continue;
            const QByteArray what = w->objectName().toUtf8() + ' ' + w->metaObject()->className();
            const QSize needed = w->sizeHint().expandedTo(w->minimumSizeHint());
            QVERIFY2(w->width() >= needed.width(), what);
            QVERIFY2(w->height() >= needed.height(), what);
            QVERIFY2(inside.contains(QRect(w->mapTo(f.dialog, QPoint()), w->size())), what);
        }
    }
}

void TestFindReplace::dialogTakesOneLineSelection()
{
    DialogFixture f(QStringLiteral("alpha beta\ngamma"));
    select(*f.edit, 6, 10);
    f.dialog->OnEditFindReplace(f.edit, true);
    QCOMPARE(f.findEdit()->text(), QStringLiteral("beta"));
    QCOMPARE(f.findEdit()->selectedText(), QStringLiteral("beta"));
    f.click("findNextButton");  // searching makes it the last search
    f.dialog->hide();

    // Over a line break the selection is no search text: the last one comes back.
    select(*f.edit, 0, 13);
    f.dialog->OnEditFindReplace(f.edit, true);
    QCOMPARE(f.findEdit()->text(), QStringLiteral("beta"));
    f.dialog->hide();
    select(*f.edit, 3, 3);
    f.dialog->OnEditFindReplace(f.edit, false);
    QCOMPARE(f.findEdit()->text(), QStringLiteral("beta"));
}

void TestFindReplace::dialogFindNextAndNotFound()
{
    DialogFixture f(QStringLiteral("cat concat Cat"));
    f.dialog->OnEditFindReplace(f.edit, true);
    f.findEdit()->setText(QStringLiteral("cat"));
    child<QCheckBox>(f.dialog, "wholeWordCheck")->setChecked(true);
    f.click("findNextButton");
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 3));
    QTest::keyClick(f.findEdit(), Qt::Key_Return);  // Enter means find next
    QCOMPARE(selectionOf(*f.edit), qMakePair(11, 14));
    QVERIFY(m_shown.isEmpty());

    f.click("findNextButton");
    QCOMPARE(m_shown, QStringList{QStringLiteral("「cat」が見つかりません。")});
    QCOMPARE(selectionOf(*f.edit), qMakePair(11, 14));

    child<QCheckBox>(f.dialog, "matchCaseCheck")->setChecked(true);
    child<QRadioButton>(f.dialog, "upRadio")->setChecked(true);
    f.click("findNextButton");
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 3));
}

void TestFindReplace::dialogReplaceAndReplaceAll()
{
    DialogFixture f(QStringLiteral("one two one two one"));
    f.dialog->OnEditFindReplace(f.edit, false);
    f.findEdit()->setText(QStringLiteral("one"));
    f.replaceEdit()->setText(QStringLiteral("1"));
    f.click("replaceButton");  // the caret is no match: only finds
    QCOMPARE(f.edit->toPlainText(), QStringLiteral("one two one two one"));
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 3));
    f.click("replaceButton");
    QCOMPARE(f.edit->toPlainText(), QStringLiteral("1 two one two one"));
    QCOMPARE(selectionOf(*f.edit), qMakePair(6, 9));
    QVERIFY(m_shown.isEmpty());

    f.replaceEdit()->setText(QStringLiteral("一"));
    f.click("replaceAllButton");
    QCOMPARE(f.edit->toPlainText(), QStringLiteral("1 two 一 two 一"));
    QVERIFY(m_shown.isEmpty());
    f.edit->undo();
    QCOMPARE(f.edit->toPlainText(), QStringLiteral("1 two one two one"));

    f.findEdit()->setText(QStringLiteral("three"));
    f.click("replaceAllButton");
    QCOMPARE(m_shown, QStringList{QStringLiteral("「three」が見つかりません。")});
    QCOMPARE(f.edit->toPlainText(), QStringLiteral("1 two one two one"));
}

void TestFindReplace::dialogKeepsTheControlsTextLimit()
{
    DialogFixture f{QString()};
    auto *control = new RichEdit(&f.window);
    QVERIFY(control->StreamIn("ab ab"));
    control->LimitText(7);
    f.dialog->OnEditFindReplace(control, false);
    f.findEdit()->setText(QStringLiteral("ab"));
    f.replaceEdit()->setText(QStringLiteral("abcd"));
    f.click("replaceAllButton");  // 9 characters: refused
    QCOMPARE(control->StreamOut(), QByteArray("ab ab"));
    QVERIFY(m_shown.isEmpty());
    f.replaceEdit()->setText(QStringLiteral("abc"));
    f.click("replaceAllButton");
    QCOMPARE(control->StreamOut(), QByteArray("abc abc"));
}

void TestFindReplace::repeatOpensDialogThenRepeatsLastSearch()
{
    DialogFixture f(QStringLiteral("ab AB ab"));
    QVERIFY(f.dialog->GetLastFindText().isEmpty());
    f.dialog->OnEditRepeat(f.edit);  // nothing searched yet: the find dialog opens
    QVERIFY(f.dialog->isVisible() && f.dialog->IsFindOnly());
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 0));

    f.findEdit()->setText(QStringLiteral("ab"));
    child<QCheckBox>(f.dialog, "matchCaseCheck")->setChecked(true);
    f.click("findNextButton");
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 2));
    f.dialog->hide();

    f.dialog->OnEditRepeat(f.edit);  // the last settings: case matters
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(selectionOf(*f.edit), qMakePair(6, 8));
    f.dialog->OnEditRepeat(f.edit);
    QCOMPARE(m_shown, QStringList{QStringLiteral("「ab」が見つかりません。")});

    // The settings are those of the window's dialog, for every editor of it.
    auto *other = new QPlainTextEdit(&f.window);
    other->setPlainText(QStringLiteral("xx ab"));
    f.dialog->OnEditRepeat(other);
    QCOMPARE(selectionOf(*other), qMakePair(3, 5));
    QCOMPARE(f.dialog->GetTarget(), other);
}

void TestFindReplace::dialogClosesWithItsEditor()
{
    DialogFixture f(QStringLiteral("abc"));
    f.dialog->OnEditFindReplace(f.edit, false);
    f.findEdit()->setText(QStringLiteral("b"));
    delete f.edit;
    QVERIFY(!f.dialog->isVisible());
    QVERIFY(!f.dialog->GetTarget());
    // Nothing to search in any more: the buttons do nothing.
    for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
        f.button(name)->click();
    f.dialog->OnEditRepeat(nullptr);
    f.dialog->OnEditFindReplace(nullptr, true);
    QVERIFY(m_shown.isEmpty());
    QVERIFY(!f.dialog->isVisible());
}

void TestFindReplace::dialogMovesOffTheSelection()
{
    DialogFixture f(QStringLiteral("\n\nneedle"));
    f.window.move(0, 0);
    f.dialog->OnEditFindReplace(f.edit, true);
    QVERIFY(QTest::qWaitForWindowExposed(f.dialog));
    f.findEdit()->setText(QStringLiteral("needle"));

    QTextCursor c(f.edit->document());
    c.setPosition(2);
    const QRect line(f.edit->viewport()->mapToGlobal(f.edit->cursorRect(c).topLeft()),
                     f.edit->cursorRect(c).size());
    f.dialog->move(line.topLeft() - QPoint(0, 10));
    QVERIFY(f.dialog->frameGeometry().intersects(line));
    f.click("findNextButton");
    QCOMPARE(selectionOf(*f.edit), qMakePair(2, 8));
    QTRY_VERIFY(!f.dialog->frameGeometry().intersects(line));
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
