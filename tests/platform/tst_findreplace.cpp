// Find and replace: the search's rules, finding and replacing in an editor (replace all
// against one edit per match on random texts), and the find and replace dialog.
#include "platform/codepage.h"
#include "platform/findreplacedialog.h"
#include "platform/msgbox.h"
#include "platform/richedit.h"
#include "platform/textbuffer.h"
#include "platform/textfinder.h"
#include "platform/textview.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using Dir = TextFinder::Direction;

namespace {

TextFinder::Options opts(bool matchCase, bool wholeWord)
{
    TextFinder::Options o;
    o.matchCase = matchCase;
    o.wholeWord = wholeWord;
    return o;
}

QPair<int, int> selectionOf(const TextView &edit)
{
    return {int(edit.selectionStart()), int(edit.selectionEnd())};
}

// A new text with no undo history and the caret at its start; CR LF, CR and LF are each
// one line break.
void setText(TextView &edit, const QString &text)
{
    edit.buffer()->load(text, {});
    edit.setPosition(0);
}

QString textOf(const TextView &edit)
{
    return edit.buffer()->text();
}

// The kind of every line break of the text, in order.
QList<TextBuffer::Break> breaksOf(const TextBuffer &buffer)
{
    QList<TextBuffer::Break> kinds;
    for (qsizetype line = 0; line + 1 < buffer.lineCount(); ++line)
        kinds.append(buffer.breakAfter(line));
    return kinds;
}

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
    TextView *edit = new TextView(&window);
    FindReplaceDialog *dialog = FindReplaceDialog::ForWindow(&window);

    explicit DialogFixture(const QString &text)
    {
        window.resize(500, 400);
        edit->resize(500, 400);
        setText(*edit, text);
        window.show();
    }
    QLineEdit *findEdit() { return child<QLineEdit>(dialog, "findEdit"); }
    QLineEdit *replaceEdit() { return child<QLineEdit>(dialog, "replaceEdit"); }
    QPushButton *button(const char *name) { return child<QPushButton>(dialog, name); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
};

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
    void replaceAllMatchesOneEditPerMatch();
    void replaceRefusedOverLimitOrReadOnly();

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
    QTest::newRow("letter before pair") << u"野"_qs + kichi + u" "_qs + kichi << kichi << 0 << false << true << true
                                        << 4;
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

// --- finding and replacing in an editor -------------------------------------------------

void TestFindReplace::findWalksDownAndUpWithoutWrapping()
{
    TextView edit;
    setText(edit, QStringLiteral("abc x abc\nabc"));
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
    edit.setPosition(5);
    QVERIFY(finder.FindText(QStringLiteral("abc"), {}, Dir::Up));
    QCOMPARE(selectionOf(edit), Sel(0, 3));
    edit.setPosition(5);
    QVERIFY(finder.FindText(QStringLiteral("abc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), Sel(6, 9));

    // Nothing to find: the selection stays.
    QVERIFY(!finder.FindText(QString(), {}, Dir::Down));
    QVERIFY(!finder.FindText(QStringLiteral("abcd"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), Sel(6, 9));
    QCOMPARE(finder.ReplaceAll(QString(), QStringLiteral("x"), {}), qsizetype(0));
}

// A line break in the search text, CR LF or LF, finds one line break of the text.
void TestFindReplace::findAcrossLineBreak()
{
    TextView edit;
    setText(edit, QStringLiteral("ab\ncd\r\nab\ncd"));  // four lines: CR LF is one break
    TextFinder finder(&edit);
    QVERIFY(finder.FindText(QStringLiteral("b\r\nc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), qMakePair(1, 4));
    QVERIFY(finder.FindText(QStringLiteral("b\nc"), {}, Dir::Down));
    QCOMPARE(selectionOf(edit), qMakePair(7, 10));
}

void TestFindReplace::replaceNextReplacesOnlyAMatchingSelection()
{
    TextView edit;
    setText(edit, QStringLiteral("cat concat cat"));
    TextFinder finder(&edit);
    const auto word = opts(false, true);

    // A selection that is not a match is only moved to the next match.
    edit.setSelection(0, 2);
    auto r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(!r.replaced && r.found && !r.refused);
    QCOMPARE(textOf(edit), QStringLiteral("cat concat cat"));
    QCOMPARE(selectionOf(edit), qMakePair(11, 14));

    // "cat" inside "concat" is not a whole word: selected, it is not replaced either.
    edit.setSelection(7, 10);
    r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(!r.replaced && r.found);
    QCOMPARE(selectionOf(edit), qMakePair(11, 14));

    r = finder.ReplaceNext(QStringLiteral("cat"), QStringLiteral("dog"), word);
    QVERIFY(r.replaced && !r.found);
    QCOMPARE(textOf(edit), QStringLiteral("cat concat dog"));
    QCOMPARE(selectionOf(edit), qMakePair(14, 14));  // caret after the replacement

    edit.setSelection(0, 3);
    r = finder.ReplaceNext(QStringLiteral("CAT"), QStringLiteral("a\nb"), word);
    QVERIFY(r.replaced && !r.found);
    QCOMPARE(textOf(edit), QStringLiteral("a\nb concat dog"));
    edit.undo();  // each replacement is one step
    QCOMPARE(textOf(edit), QStringLiteral("cat concat dog"));
}

// Replace all gives the same count, text, carets (of the editor and of another window of the
// same text) and file form of what it leaves (byte forms of characters, kinds of line breaks)
// as the plain loop of one edit per match on the matches of the text as it was, whatever the
// text, the matches and the carets; it is one undo step, and redo puts it back.
void TestFindReplace::replaceAllMatchesOneEditPerMatch()
{
    // Characters in a byte form other than their default one: 纊 from ED 40, ∵ from 87 9A
    // and from FA 5B.
    const QList<std::pair<QString, quint16>> forms{{u"纊"_qs, 0xED40}, {u"∵"_qs, 0x879A}, {u"∵"_qs, 0xFA5B}};
    const QStringList breakForms{u"\n"_qs, u"\r\n"_qs, u"\r"_qs};
    const QString kichi = QString::fromUcs4(U"\U00020BB7");
    const QStringList pieces{u"a"_qs, u"b"_qs, u"A"_qs, u" "_qs, u"\n"_qs, u"日"_qs, kichi, u"ab"_qs, u"纊"_qs, u"∵"_qs};
    const QStringList patterns{u"a"_qs, u"aa"_qs, u"ab"_qs, u"a b"_qs, u"b\na"_qs,
                               u"b\r\na"_qs, u"日"_qs, kichi, u"∵"_qs};
    const QStringList replacements{QString(), u"x"_qs, u"xyz"_qs, u"a"_qs, u"aa"_qs, u"\n"_qs, u"-\r\n-"_qs, u"∵"_qs};
    QRandomGenerator random(20240611);
    int variantsBetween = 0;  // rounds with a byte form between two matches of one line
    for (int round = 0; round < 400; ++round) {
        // The text as a file has it: line breaks of each kind, characters in each byte form.
        QString fileText;
        QList<CodePage::Variant> fileVariants;
        for (int n = int(random.bounded(40)); n > 0; --n) {
            const QString piece = pieces[int(random.bounded(pieces.size()))];
            if (piece == u"\n"_qs) {
                const QString form = breakForms[int(random.bounded(breakForms.size()))];
                // after a CR, an LF would join it: the CR stays a break of its own
                fileText += form == u"\n"_qs && fileText.endsWith(u'\r') ? u"\r\n"_qs : form;
                continue;
            }
            QList<quint16> codes{0};  // 0: the default form
            for (const auto &[ch, code] : forms) {
                if (ch == piece)
                    codes.append(code);
            }
            if (const quint16 code = codes[int(random.bounded(codes.size()))])
                fileVariants.append({fileText.size(), code});
            fileText += piece;
        }
        const QString what = patterns[int(random.bounded(patterns.size()))];
        const QString with = replacements[int(random.bounded(replacements.size()))];
        const auto o = opts(random.bounded(2) == 1, random.bounded(2) == 1);

        // Each text with a second window of it; each window with a selection of its own.
        TextView edit, reference, editsOther, referencesOther;
        editsOther.setBuffer(edit.buffer());
        referencesOther.setBuffer(reference.buffer());
        for (TextView *e : {&edit, &reference})
            e->buffer()->load(fileText, fileVariants);
        const QString text = textOf(edit);
        const QList<CodePage::Variant> loadedVariants = edit.buffer()->variants();
        const QList<TextBuffer::Break> loadedBreaks = breaksOf(*edit.buffer());
        for (TextView *e : {&edit, &editsOther}) {
            const int anchor = int(random.bounded(text.size() + 1));
            const int position = int(random.bounded(text.size() + 1));
            e->setSelection(anchor, position);
            (e == &edit ? reference : referencesOther).setSelection(anchor, position);
        }

        const qsizetype count = TextFinder(&edit).ReplaceAll(what, with, o);
        const QString form = TextFinder::SearchForm(what);
        QList<qsizetype> starts;
        for (qsizetype at = TextFinder::Search(text, form, 0, o, Dir::Down); at >= 0;
             at = TextFinder::Search(text, form, at + form.size(), o, Dir::Down))
            starts.append(at);
        for (auto it = starts.crbegin(); it != starts.crend(); ++it)
            reference.buffer()->replace(*it, *it + form.size(), with);
        const auto same = [&] {
            return textOf(edit) == textOf(reference) && edit.anchor() == reference.anchor() &&
                   edit.position() == reference.position() && editsOther.anchor() == referencesOther.anchor() &&
                   editsOther.position() == referencesOther.position() &&
                   edit.buffer()->variants() == reference.buffer()->variants() &&
                   breaksOf(*edit.buffer()) == breaksOf(*reference.buffer());
        };
        const QByteArray context = QStringLiteral("round %1: %2 -> %3 in %4").arg(round).arg(what, with, text).toUtf8();
        QVERIFY2(count == starts.size() && same(), context);
        QVERIFY2(edit.buffer()->canUndo() == (count > 0), context);
        for (qsizetype k = 1; k < starts.size(); ++k) {
            const qsizetype gap = starts[k - 1] + form.size();
            if (std::any_of(loadedVariants.cbegin(), loadedVariants.cend(),
                            [&](const CodePage::Variant &v) { return v.pos >= gap && v.pos < starts[k]; }) &&
                !QStringView(text).mid(gap, starts[k] - gap).contains(u'\n')) {
                ++variantsBetween;
                break;
            }
        }
        edit.undo();
        QVERIFY2(textOf(edit) == text && edit.buffer()->variants() == loadedVariants &&
                     breaksOf(*edit.buffer()) == loadedBreaks && !edit.buffer()->canUndo(),
                 context);
        edit.redo();
        QVERIFY2(textOf(edit) == textOf(reference) && edit.buffer()->variants() == reference.buffer()->variants(),
                 context);
    }
    QVERIFY(variantsBetween > 20);  // the rounds did try what they are for
}

void TestFindReplace::replaceRefusedOverLimitOrReadOnly()
{
    TextView edit;
    setText(edit, QStringLiteral("ab ab"));  // 5 characters
    TextFinder finder(&edit);
    finder.SetTextLimit(6);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("ab"), QStringLiteral("abc"), {}), qsizetype(-1));
    QCOMPARE(textOf(edit), QStringLiteral("ab ab"));
    QVERIFY(!edit.buffer()->canUndo());

    edit.setSelection(0, 2);
    auto r = finder.ReplaceNext(QStringLiteral("ab"), QStringLiteral("abcd"), {});
    QVERIFY(r.refused && !r.replaced);
    QCOMPARE(textOf(edit), QStringLiteral("ab ab"));
    r = finder.ReplaceNext(QStringLiteral("ab"), QStringLiteral("abc"), {});  // exactly at the limit
    QVERIFY(r.replaced && r.found);
    QCOMPARE(textOf(edit), QStringLiteral("abc ab"));

    // Shrinking is allowed even over the limit.
    finder.SetTextLimit(2);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("b"), QString(), {}), qsizetype(2));
    QCOMPARE(textOf(edit), QStringLiteral("ac a"));

    edit.setReadOnly(true);
    finder.SetTextLimit(TextFinder::kNoLimit);
    QCOMPARE(finder.ReplaceAll(QStringLiteral("a"), QStringLiteral("z"), {}), qsizetype(-1));
    edit.setSelection(0, 1);
    QVERIFY(finder.ReplaceNext(QStringLiteral("a"), QStringLiteral("z"), {}).refused);
    QCOMPARE(textOf(edit), QStringLiteral("ac a"));
}

// --- the dialog ----------------------------------------------------------------------------

// One modeless dialog per window, in find or replace mode: the replace-only controls show in
// replace mode, the direction in find mode; Enter means find next, and without a search text
// only Cancel works.
void TestFindReplace::dialogModes()
{
    DialogFixture f(QStringLiteral("text"));
    QCOMPARE(FindReplaceDialog::ForWindow(&f.window), f.dialog);
    for (QLabel *label : f.dialog->findChildren<QLabel *>())
        QVERIFY(qobject_cast<QLineEdit *>(label->buddy()));
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
    f.edit->setSelection(6, 10);
    f.dialog->OnEditFindReplace(f.edit, true);
    QCOMPARE(f.findEdit()->text(), QStringLiteral("beta"));
    QCOMPARE(f.findEdit()->selectedText(), QStringLiteral("beta"));
    f.click("findNextButton");  // searching makes it the last search
    f.dialog->hide();

    // Over a line break the selection is no search text: the last one comes back.
    f.edit->setSelection(0, 13);
    f.dialog->OnEditFindReplace(f.edit, true);
    QCOMPARE(f.findEdit()->text(), QStringLiteral("beta"));
    f.dialog->hide();
    f.edit->setPosition(3);
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
    QCOMPARE(textOf(*f.edit), QStringLiteral("one two one two one"));
    QCOMPARE(selectionOf(*f.edit), qMakePair(0, 3));
    f.click("replaceButton");
    QCOMPARE(textOf(*f.edit), QStringLiteral("1 two one two one"));
    QCOMPARE(selectionOf(*f.edit), qMakePair(6, 9));
    QVERIFY(m_shown.isEmpty());

    f.replaceEdit()->setText(QStringLiteral("一"));
    f.click("replaceAllButton");
    QCOMPARE(textOf(*f.edit), QStringLiteral("1 two 一 two 一"));
    QVERIFY(m_shown.isEmpty());
    f.edit->undo();
    QCOMPARE(textOf(*f.edit), QStringLiteral("1 two one two one"));

    f.findEdit()->setText(QStringLiteral("three"));
    f.click("replaceAllButton");
    QCOMPARE(m_shown, QStringList{QStringLiteral("「three」が見つかりません。")});
    QCOMPARE(textOf(*f.edit), QStringLiteral("1 two one two one"));
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
    auto *other = new TextView(&f.window);
    setText(*other, QStringLiteral("xx ab"));
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

    const QRect caret = f.edit->cursorRect(2);
    const QRect line(f.edit->viewport()->mapToGlobal(caret.topLeft()), caret.size());
    f.dialog->move(line.topLeft() - QPoint(0, 10));
    QVERIFY(f.dialog->frameGeometry().intersects(line));
    f.click("findNextButton");
    QCOMPARE(selectionOf(*f.edit), qMakePair(2, 8));
    QTRY_VERIFY(!f.dialog->frameGeometry().intersects(line));
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
