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

using namespace Qt::StringLiterals;
using Dir = TextFinder::Direction;
using Sel = QPair<int, int>;

namespace {

Sel selectionOf(const TextView &edit)
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
    return w ? w : (qFatal("no control %s", name), nullptr);
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
    void check(const char *name) { child<QAbstractButton>(dialog, name)->setChecked(true); }
};

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT

    QStringList m_shown;  // texts of message boxes
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QApplication::setFont(QFont(u"IPAPGothic"_s, 9));
        MsgBox::setResponder([this](const QString &text, const QString &, MsgBox::Buttons, MsgBox::Icon) {
            m_shown << text;
            return int(MsgBox::IDOK);
        });
    }

    void cleanup() { m_shown.clear(); }

    // Options: 'c' case matters, 'w' whole words, 'u' upwards.
    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("expected");
        const auto row = [](const char *name, const QString &text, const QString &what, int from,
                            const QString &options, int expected) {
            QTest::newRow(name) << text << what << from << options << expected;
        };
        const QString kichi = u"\U00020BB7"_s;  // outside the BMP: two units
        row("down from start", "abc abc", "abc", 0, "", 0);
        row("down after first", "abc abc", "abc", 1, "", 4);
        row("down past last", "abc abc", "abc", 5, "", -1);
        row("down negative start", "abc", "abc", -3, "", 0);
        row("up from end", "abc abc", "abc", 7, "u", 4);
        row("up ends at or before", "abc abc", "abc", 6, "u", 0);
        row("up before first", "abc abc", "abc", 2, "u", -1);
        row("up beyond end", "abc", "abc", 99, "u", 0);
        row("longer than text", "ab", "abc", 0, "", -1);
        row("case on", "Abc abc", "abc", 0, "c", 4);
        row("case off", "Abc abc", "abc", 0, "", 0);
        row("case off up", "abc ABC", "Abc", 7, "u", 4);
        row("full-width case off", u"ＡＢＣ"_s, u"ａｂｃ"_s, 0, "", 0);
        row("full-width case on", u"ＡＢＣ"_s, u"ａｂｃ"_s, 0, "c", -1);
        row("word inside", "concat cat", "cat", 0, "", 3);
        row("word whole", "concat cat", "cat", 0, "w", 7);
        row("word underscore", "cat_ cat", "cat", 0, "w", 5);
        row("word digit", "cat1 cat", "cat", 0, "w", 5);
        row("word punctuation", "(cat)", "cat", 0, "w", 1);
        row("word up", "cat cats", "cat", 8, "wu", 0);
        row("word pattern edge", "a-b", "-b", 0, "w", 1);
        // whole words, Japanese: a run of letters is one word
        row("ja run", u"日本語と日本"_s, u"日本"_s, 0, "w", -1);
        row("ja comma", u"日本語、日本。"_s, u"日本"_s, 0, "w", 4);
        row("ja brackets", u"「日本」"_s, u"日本"_s, 0, "w", 1);
        row("ja long vowel", u"データベース"_s, u"データ"_s, 0, "w", -1);
        row("ja full-width space", u"データ　ベース"_s, u"データ"_s, 0, "w", 0);
        row("ja combining mark", u"か\u3099"_s, u"か"_s, 0, "w", -1);
        row("pair found", "a" + kichi + "b" + kichi, kichi, 2, "", 4);
        row("pair up", "a" + kichi + "b" + kichi, kichi, 4, "u", 1);
        row("high half", kichi + kichi, kichi.left(1), 0, "", -1);
        row("low half", kichi + kichi, kichi.mid(1), 0, "", -1);
        row("low half up", kichi + kichi, kichi.mid(1), 4, "u", -1);
        row("pair is a letter", kichi + u"野 野"_s, u"野"_s, 0, "w", 4);
        row("letter before pair", u"野"_s + kichi + u" "_s + kichi, kichi, 0, "w", 4);
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, what);
        QFETCH(int, from);
        QFETCH(QString, options);
        const TextFinder::Options o{options.contains(u'c'), options.contains(u'w')};
        QTEST(int(TextFinder::Search(text, what, from, o, options.contains(u'u') ? Dir::Up : Dir::Down)), "expected");
    }

    // Down and up without wrapping round; a line break in the search text, CR LF or LF, finds
    // one line break of the text.
    void findWalksDownAndUpWithoutWrapping()
    {
        TextView edit;
        setText(edit, u"abc x abc\nabc"_s);
        TextFinder finder(&edit);
        QList<Sel> seen;
        while (finder.FindText(u"ABC"_s, {}, Dir::Down))
            seen << selectionOf(edit);
        QCOMPARE(seen, (QList<Sel>{{0, 3}, {6, 9}, {10, 13}}));
        QCOMPARE(selectionOf(edit), Sel(10, 13));  // no wrap: the last match stays selected
        seen.clear();
        while (finder.FindText(u"abc"_s, {}, Dir::Up))
            seen << selectionOf(edit);
        QCOMPARE(seen, (QList<Sel>{{6, 9}, {0, 3}}));
        QCOMPARE(selectionOf(edit), Sel(0, 3));

        // From a caret in the middle, each direction sees only its side.
        for (const auto &[dir, sel] : {std::pair{Dir::Up, Sel(0, 3)}, {Dir::Down, Sel(6, 9)}}) {
            edit.setPosition(5);
            QVERIFY(finder.FindText(u"abc"_s, {}, dir));
            QCOMPARE(selectionOf(edit), sel);
        }

        // Nothing to find: the selection stays.
        QVERIFY(!finder.FindText(QString(), {}, Dir::Down));
        QVERIFY(!finder.FindText(u"abcd"_s, {}, Dir::Down));
        QCOMPARE(selectionOf(edit), Sel(6, 9));
        QCOMPARE(finder.ReplaceAll(QString(), u"x"_s, {}), qsizetype(0));

        setText(edit, u"ab\ncd\r\nab\ncd"_s);  // four lines: CR LF is one break
        QVERIFY(finder.FindText(u"b\r\nc"_s, {}, Dir::Down));
        QCOMPARE(selectionOf(edit), Sel(1, 4));
        QVERIFY(finder.FindText(u"b\nc"_s, {}, Dir::Down));
        QCOMPARE(selectionOf(edit), Sel(7, 10));
    }

    void replaceNextReplacesOnlyAMatchingSelection()
    {
        TextView edit;
        setText(edit, u"cat concat cat"_s);
        TextFinder finder(&edit);
        const TextFinder::Options word{false, true};

        // "cat" inside "concat" is not a whole word: selected, it is only moved to the next match
        // (a selection that is no match at all: dialogReplaceAndReplaceAll).
        edit.setSelection(7, 10);
        auto r = finder.ReplaceNext(u"cat"_s, u"dog"_s, word);
        QVERIFY(!r.replaced && r.found && !r.refused);
        QCOMPARE(textOf(edit), u"cat concat cat"_s);
        QCOMPARE(selectionOf(edit), Sel(11, 14));

        r = finder.ReplaceNext(u"cat"_s, u"dog"_s, word);
        QVERIFY(r.replaced && !r.found);
        QCOMPARE(textOf(edit), u"cat concat dog"_s);
        QCOMPARE(selectionOf(edit), Sel(14, 14));  // caret after the replacement

        edit.setSelection(0, 3);
        r = finder.ReplaceNext(u"CAT"_s, u"a\nb"_s, word);
        QVERIFY(r.replaced && !r.found);
        QCOMPARE(textOf(edit), u"a\nb concat dog"_s);
        edit.undo();  // each replacement is one step
        QCOMPARE(textOf(edit), u"cat concat dog"_s);
    }

    // Replace all gives the same count, text, carets (of the editor and of another window of the
    // same text) and file form of what it leaves (byte forms of characters, kinds of line breaks)
    // as the plain loop of one edit per match on the matches of the text as it was, whatever the
    // text, the matches and the carets; it is one undo step, and redo puts it back.
    void replaceAllMatchesOneEditPerMatch()
    {
        // Characters in a byte form other than their default one: 纊 from ED 40, ∵ from 87 9A
        // and from FA 5B.
        const QList<std::pair<QString, quint16>> forms{{u"纊"_s, 0xED40}, {u"∵"_s, 0x879A}, {u"∵"_s, 0xFA5B}};
        const QString kichi = u"\U00020BB7"_s;
        const QStringList breakForms{u"\n"_s, u"\r\n"_s, u"\r"_s};
        const QStringList pieces{u"a"_s, u"b"_s, u"A"_s, u" "_s, u"\n"_s, u"日"_s, kichi, u"ab"_s, u"纊"_s, u"∵"_s};
        const QStringList patterns{u"a"_s, u"aa"_s, u"ab"_s, u"a b"_s, u"b\na"_s, u"b\r\na"_s, u"日"_s, kichi, u"∵"_s};
        const QStringList replacements{QString(), u"x"_s, u"xyz"_s, u"a"_s, u"aa"_s, u"\n"_s, u"-\r\n-"_s, u"∵"_s};
        QRandomGenerator random(20240611);
        const auto pick = [&random](const auto &list) { return list[int(random.bounded(int(list.size())))]; };
        int variantsBetween = 0;  // rounds with a byte form between two matches of one line
        for (int round = 0; round < 400; ++round) {
            // The text as a file has it: line breaks of each kind, characters in each byte form.
            QString fileText;
            QList<CodePage::Variant> fileVariants;
            for (int n = int(random.bounded(40)); n > 0; --n) {
                const QString piece = pick(pieces);
                if (piece == u"\n"_s) {
                    const QString form = pick(breakForms);
                    // after a CR, an LF would join it: the CR stays a break of its own
                    fileText += form == u"\n"_s && fileText.endsWith(u'\r') ? u"\r\n"_s : form;
                    continue;
                }
                QList<quint16> codes{0};  // 0: the default form
                for (const auto &[ch, code] : forms) {
                    if (ch == piece)
                        codes.append(code);
                }
                if (const quint16 code = pick(codes))
                    fileVariants.append({fileText.size(), code});
                fileText += piece;
            }
            const QString what = pick(patterns), with = pick(replacements);
            const TextFinder::Options o{random.bounded(2) == 1, random.bounded(2) == 1};

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
            const auto sameFile = [&] {
                return textOf(edit) == textOf(reference) && breaksOf(*edit.buffer()) == breaksOf(*reference.buffer()) &&
                       edit.buffer()->variants() == reference.buffer()->variants();
            };
            const QByteArray context = u"round %1: %2 -> %3 in %4"_s.arg(round).arg(what, with, text).toUtf8();
            QVERIFY2(count == starts.size() && sameFile() && edit.anchor() == reference.anchor() &&
                         edit.position() == reference.position() && editsOther.anchor() == referencesOther.anchor() &&
                         editsOther.position() == referencesOther.position(),
                     context);
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
            QVERIFY2(sameFile(), context);
        }
        QVERIFY(variantsBetween > 20);  // the rounds did try what they are for
    }

    void replaceRefusedOverLimitOrReadOnly()
    {
        TextView edit;
        setText(edit, u"ab ab"_s);  // 5 characters
        TextFinder finder(&edit);
        finder.SetTextLimit(6);
        QCOMPARE(finder.ReplaceAll(u"ab"_s, u"abc"_s, {}), qsizetype(-1));
        QCOMPARE(textOf(edit), u"ab ab"_s);
        QVERIFY(!edit.buffer()->canUndo());

        edit.setSelection(0, 2);
        auto r = finder.ReplaceNext(u"ab"_s, u"abcd"_s, {});
        QVERIFY(r.refused && !r.replaced);
        QCOMPARE(textOf(edit), u"ab ab"_s);
        r = finder.ReplaceNext(u"ab"_s, u"abc"_s, {});  // exactly at the limit
        QVERIFY(r.replaced && r.found);
        QCOMPARE(textOf(edit), u"abc ab"_s);

        finder.SetTextLimit(2);  // shrinking is allowed even over the limit
        QCOMPARE(finder.ReplaceAll(u"b"_s, QString(), {}), qsizetype(2));
        QCOMPARE(textOf(edit), u"ac a"_s);

        edit.setReadOnly(true);
        finder.SetTextLimit(TextFinder::kNoLimit);
        QCOMPARE(finder.ReplaceAll(u"a"_s, u"z"_s, {}), qsizetype(-1));
        edit.setSelection(0, 1);
        QVERIFY(finder.ReplaceNext(u"a"_s, u"z"_s, {}).refused);
        QCOMPARE(textOf(edit), u"ac a"_s);
    }

    // One modeless dialog per window, in find or replace mode: the replace-only controls show in
    // replace mode, the direction in find mode; Enter means find next, and without a search text
    // only Cancel works. Every control fits its text, inside the dialog.
    void dialogModesAndLayout()
    {
        DialogFixture f(u"text"_s);
        QCOMPARE(FindReplaceDialog::ForWindow(&f.window), f.dialog);
        QVERIFY(QFontInfo(f.dialog->font()).family().contains(u"IPA"_s));
        for (QLabel *label : f.dialog->findChildren<QLabel *>())
            QVERIFY(qobject_cast<QLineEdit *>(label->buddy()));
        for (bool findOnly : {true, false}) {
            f.dialog->OnEditFindReplace(f.edit, findOnly);
            QVERIFY(QTest::qWaitForWindowExposed(f.dialog));
            QVERIFY(f.dialog->isVisible() && !f.dialog->isModal());
            for (const char *name : {"replaceEdit", "replaceButton", "replaceAllButton"})
                QCOMPARE(child<QWidget>(f.dialog, name)->isVisible(), !findOnly);
            QCOMPARE(child<QGroupBox>(f.dialog, "directionGroup")->isVisible(), findOnly);
            QVERIFY(child<QRadioButton>(f.dialog, "downRadio")->isChecked());
            QVERIFY(f.button("findNextButton")->isDefault());
            for (QWidget *w : f.dialog->findChildren<QWidget *>()) {
                if (!w->isVisible() ||
                    !(qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QGroupBox *>(w)))
                    continue;
                const QByteArray what = w->objectName().toUtf8() + ' ' + w->metaObject()->className();
                const QSize needed = w->sizeHint().expandedTo(w->minimumSizeHint());
                QVERIFY2(w->width() >= needed.width() && w->height() >= needed.height(), what);
                QVERIFY2(f.dialog->rect().contains(QRect(w->mapTo(f.dialog, QPoint()), w->size())), what);
            }
        }
        f.findEdit()->clear();
        for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
            QVERIFY2(!f.button(name)->isEnabled(), name);
        QTest::keyClicks(f.findEdit(), u"b"_s);
        for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
            QVERIFY2(f.button(name)->isEnabled(), name);
        f.click("cancelButton");
        QVERIFY(!f.dialog->isVisible());
    }

    void dialogTakesOneLineSelection()
    {
        DialogFixture f(u"alpha beta\ngamma"_s);
        f.edit->setSelection(6, 10);
        f.dialog->OnEditFindReplace(f.edit, true);
        QCOMPARE(f.findEdit()->text(), u"beta"_s);
        QCOMPARE(f.findEdit()->selectedText(), u"beta"_s);
        f.click("findNextButton");  // searching makes it the last search
        f.dialog->hide();

        // Over a line break the selection is no search text: the last one comes back.
        f.edit->setSelection(0, 13);
        f.dialog->OnEditFindReplace(f.edit, true);
        QCOMPARE(f.findEdit()->text(), u"beta"_s);
        f.dialog->hide();
        f.edit->setPosition(3);
        f.dialog->OnEditFindReplace(f.edit, false);
        QCOMPARE(f.findEdit()->text(), u"beta"_s);
    }

    void dialogFindNextAndNotFound()
    {
        DialogFixture f(u"cat concat Cat"_s);
        f.dialog->OnEditFindReplace(f.edit, true);
        f.findEdit()->setText(u"cat"_s);
        f.check("wholeWordCheck");
        f.click("findNextButton");
        QCOMPARE(selectionOf(*f.edit), Sel(0, 3));
        QTest::keyClick(f.findEdit(), Qt::Key_Return);  // Enter means find next
        QCOMPARE(selectionOf(*f.edit), Sel(11, 14));
        QVERIFY(m_shown.isEmpty());
        f.click("findNextButton");
        QCOMPARE(m_shown, QStringList{u"「cat」が見つかりません。"_s});
        QCOMPARE(selectionOf(*f.edit), Sel(11, 14));
        f.check("matchCaseCheck");
        f.check("upRadio");
        f.click("findNextButton");
        QCOMPARE(selectionOf(*f.edit), Sel(0, 3));
    }

    void dialogReplaceAndReplaceAll()
    {
        DialogFixture f(u"one two one two one"_s);
        f.dialog->OnEditFindReplace(f.edit, false);
        f.findEdit()->setText(u"one"_s);
        f.replaceEdit()->setText(u"1"_s);
        f.click("replaceButton");  // the caret is no match: only finds
        QCOMPARE(textOf(*f.edit), u"one two one two one"_s);
        QCOMPARE(selectionOf(*f.edit), Sel(0, 3));
        f.click("replaceButton");
        QCOMPARE(textOf(*f.edit), u"1 two one two one"_s);
        QCOMPARE(selectionOf(*f.edit), Sel(6, 9));
        f.replaceEdit()->setText(u"一"_s);
        f.click("replaceAllButton");
        QCOMPARE(textOf(*f.edit), u"1 two 一 two 一"_s);
        QVERIFY(m_shown.isEmpty());
        f.edit->undo();
        QCOMPARE(textOf(*f.edit), u"1 two one two one"_s);
        f.findEdit()->setText(u"three"_s);
        f.click("replaceAllButton");
        QCOMPARE(m_shown, QStringList{u"「three」が見つかりません。"_s});
        QCOMPARE(textOf(*f.edit), u"1 two one two one"_s);
    }

    void dialogKeepsTheControlsTextLimit()
    {
        DialogFixture f{QString()};
        auto *control = new RichEdit(&f.window);
        QVERIFY(control->StreamIn("ab ab"));
        control->LimitText(7);
        f.dialog->OnEditFindReplace(control, false);
        f.findEdit()->setText(u"ab"_s);
        f.replaceEdit()->setText(u"abcd"_s);
        f.click("replaceAllButton");  // 9 characters: refused
        QCOMPARE(control->StreamOut(), "ab ab"_ba);
        QVERIFY(m_shown.isEmpty());
        f.replaceEdit()->setText(u"abc"_s);
        f.click("replaceAllButton");
        QCOMPARE(control->StreamOut(), "abc abc"_ba);
    }

    void repeatOpensDialogThenRepeatsLastSearch()
    {
        DialogFixture f(u"ab AB ab"_s);
        f.dialog->OnEditRepeat(f.edit);  // nothing searched yet: the find dialog opens
        QVERIFY(f.dialog->isVisible() && !f.replaceEdit()->isVisible());
        QCOMPARE(selectionOf(*f.edit), Sel(0, 0));
        f.findEdit()->setText(u"ab"_s);
        f.check("matchCaseCheck");
        f.click("findNextButton");
        QCOMPARE(selectionOf(*f.edit), Sel(0, 2));
        f.dialog->hide();
        f.dialog->OnEditRepeat(f.edit);  // the last settings: case matters
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(selectionOf(*f.edit), Sel(6, 8));
        f.dialog->OnEditRepeat(f.edit);
        QCOMPARE(m_shown, QStringList{u"「ab」が見つかりません。"_s});

        // The settings are those of the window's dialog, for every editor of it.
        auto *other = new TextView(&f.window);
        setText(*other, u"xx ab"_s);
        f.dialog->OnEditRepeat(other);
        QCOMPARE(selectionOf(*other), Sel(3, 5));
        QCOMPARE(f.dialog->GetTarget(), other);
    }

    void dialogClosesWithItsEditor()
    {
        DialogFixture f(u"abc"_s);
        f.dialog->OnEditFindReplace(f.edit, false);
        f.findEdit()->setText(u"b"_s);
        delete f.edit;
        QVERIFY(!f.dialog->isVisible() && !f.dialog->GetTarget());
        // Nothing to search in any more: the buttons do nothing.
        for (const char *name : {"findNextButton", "replaceButton", "replaceAllButton"})
            f.button(name)->click();
        f.dialog->OnEditRepeat(nullptr);
        f.dialog->OnEditFindReplace(nullptr, true);
        QVERIFY(m_shown.isEmpty() && !f.dialog->isVisible());
    }

    void dialogMovesOffTheSelection()
    {
        DialogFixture f(u"\n\nneedle"_s);
        f.window.move(0, 0);
        f.dialog->OnEditFindReplace(f.edit, true);
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog));
        f.findEdit()->setText(u"needle"_s);
        const QRect caret = f.edit->cursorRect(2);
        const QRect line(f.edit->viewport()->mapToGlobal(caret.topLeft()), caret.size());
        f.dialog->move(line.topLeft() - QPoint(0, 10));
        QVERIFY(f.dialog->frameGeometry().intersects(line));
        f.click("findNextButton");
        QCOMPARE(selectionOf(*f.edit), Sel(2, 8));
        QTRY_VERIFY(!f.dialog->frameGeometry().intersects(line));
    }
};

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
