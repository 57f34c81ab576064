// Find and replace: the search's rules, finding and replacing in an editor (replace all
// against one edit per match on random texts), and the find and replace dialog.
#include "platform/base/codepage.h"
#include "platform/dialogs/findreplacedialog.h"
#include "platform/dialogs/msgbox.h"
#include "platform/engine/richedit.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textfinder.h"
#include "platform/engine/textview.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStatusBar>
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
    QMainWindow window;
    RichEdit *edit = new RichEdit(&window);
    FindReplaceDialog *dialog = FindReplaceDialog::ForWindow(&window);

    explicit DialogFixture(const QString &text)
    {
        window.resize(500, 400);
        edit->resize(500, 400);
        window.statusBar();
        setText(*edit, text);
        window.show();
    }
    QString said() { return window.statusBar()->currentMessage(); }
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
        // case off, with search texts that have no case of their own or only seem to
        row("caseless case off", u"猫１匹 猫1匹"_s, u"猫1匹"_s, 0, "", 4);
        row("caseless case off up", u"猫 猫"_s, u"猫"_s, 3, "u", 2);
        row("sharp s is the folding of capital sharp s", u"xẞ"_s, u"ß"_s, 0, "", 1);
        row("k is the folding of the Kelvin sign", u"x\u212A"_s, u"k"_s, 0, "", 1);
        row("circled letters have case", u"xⒶ"_s, u"ⓐ"_s, 0, "", 1);
        row("kana beside a letter with case", u"ﾃﾞｰﾀＡ"_s, u"ｰﾀａ"_s, 0, "", 2);
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

    // The buffer's text is searched where it lies, in two pieces either side of the point of
    // the last edit: wherever that point is, from wherever the search starts, up and down, it
    // finds what the search of the whole text as one string finds, matches across the point
    // and the context of whole words and surrogate pairs around it included.
    void searchInPlaceAcrossTheGap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("options");
        const QString kichi = u"\U00020BB7"_s;
        QTest::newRow("plain") << u"abcabc abc"_s << u"abc"_s << QString();
        QTest::newRow("one character") << u"abab"_s << u"b"_s << QString();
        QTest::newRow("overlapping") << u"aaaaaaaa"_s << u"aaaaa"_s << QString();
        QTest::newRow("case off") << u"xABcAbCabc"_s << u"abc"_s << QString();
        QTest::newRow("case on") << u"xABcAbCabc"_s << u"abc"_s << u"c"_s;
        QTest::newRow("full-width case off") << u"ＡＢＣａｂｃ"_s << u"ａｂｃ"_s << QString();
        QTest::newRow("whole word") << u"cat concat cat_ cat"_s << u"cat"_s << u"w"_s;
        QTest::newRow("whole word ja") << u"日本語、日本。日本"_s << u"日本"_s << u"w"_s;
        QTest::newRow("line breaks") << u"ab\ncd\nab\ncd"_s << u"b\nc"_s << QString();
        QTest::newRow("pairs") << u"a"_s + kichi + u"b"_s + kichi + kichi << kichi << QString();
        QTest::newRow("low half") << kichi + kichi + u"x"_s << kichi.mid(1) << QString();
        QTest::newRow("high half") << kichi + kichi + u"x"_s << kichi.left(1) << QString();
        QTest::newRow("pair whole word") << u"野"_s + kichi + u" "_s + kichi << kichi << u"w"_s;
    }

    void searchInPlaceAcrossTheGap()
    {
        QFETCH(QString, text);
        QFETCH(QString, what);
        QFETCH(QString, options);
        const TextFinder::Options o{options.contains(u'c'), options.contains(u'w')};
        const qsizetype size = text.size();
        for (qsizetype gap = 0; gap <= size; ++gap) {
            TextBuffer buffer;
            buffer.load(text, {});
            buffer.replace(gap, gap, u"-"_s);  // an edit leaves the gap where it ended
            buffer.replace(gap, gap + 1, QString());
            QCOMPARE(buffer.text(), text);
            QCOMPARE(buffer.chunkAt(0).size(), gap == 0 ? size : gap);
            for (qsizetype from = -1; from <= size + 1; ++from) {
                for (const Dir dir : {Dir::Down, Dir::Up}) {
                    const qsizetype expected = TextFinder::Search(text, what, from, o, dir);
                    QVERIFY2(TextFinder::Search(buffer, what, from, o, dir) == expected,
                             qPrintable(u"gap %1, from %2 %3"_s.arg(gap).arg(from).arg(dir == Dir::Up ? "up" : "down")));
                }
            }
        }
    }

    // Down or up from the caret to the end of the text, then once from the other end up to where
    // the run began: every match once, the last one found stays selected; with nothing to find
    // the selection stays. A line break in the search text, CR LF or LF, finds one line break of
    // the text.
    void findGoesRoundOnce_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QList<Sel>>("found");
        const QString abc = u"abc x abc\nabc"_s, lines = u"ab\ncd\r\nab\ncd"_s;
        QTest::newRow("down") << abc << u"ABC"_s << 0 << false << QList<Sel>{{0, 3}, {6, 9}, {10, 13}};
        QTest::newRow("up") << abc << u"abc"_s << 13 << true << QList<Sel>{{10, 13}, {6, 9}, {0, 3}};
        QTest::newRow("down from the middle") << abc << u"abc"_s << 5 << false << QList<Sel>{{6, 9}, {10, 13}, {0, 3}};
        QTest::newRow("up from the middle") << abc << u"abc"_s << 5 << true << QList<Sel>{{0, 3}, {10, 13}, {6, 9}};
        // A match the run began inside is found last, going round.
        QTest::newRow("down from inside a match") << abc << u"abc"_s << 7 << false << QList<Sel>{{10, 13}, {0, 3}, {6, 9}};
        QTest::newRow("up from inside a match") << abc << u"abc"_s << 7 << true << QList<Sel>{{0, 3}, {10, 13}, {6, 9}};
        QTest::newRow("no match") << abc << u"abcd"_s << 5 << false << QList<Sel>{};
        QTest::newRow("empty") << abc << QString() << 5 << false << QList<Sel>{};
        QTest::newRow("CR LF") << lines << u"b\r\nc"_s << 0 << false << QList<Sel>{{1, 4}, {7, 10}};
        QTest::newRow("LF") << lines << u"b\nc"_s << 0 << false << QList<Sel>{{1, 4}, {7, 10}};
    }

    void findGoesRoundOnce()
    {
        QFETCH(QString, what);
        QFETCH(QList<Sel>, found);
        QFETCH(QString, text);
        TextView edit;
        setText(edit, text);
        QFETCH(int, caret);
        QFETCH(bool, up);
        edit.setPosition(caret);
        TextFinder finder(&edit);
        TextFinder::Run run;
        QList<Sel> seen;
        while (finder.FindText(what, {}, up ? Dir::Up : Dir::Down, run))
            seen << selectionOf(edit);
        QCOMPARE(run.origin, -1);  // ended
        QCOMPARE(seen, found);
        QCOMPARE(selectionOf(edit), found.isEmpty() ? Sel(caret, caret) : found.last());
        if (what.isEmpty())
            QCOMPARE(finder.ReplaceAll(what, u"x"_s, {}), qsizetype(0));
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
            const auto loadedBreaks = breaksOf(*edit.buffer());
            for (TextView *e : {&edit, &editsOther}) {
                const int anchor = int(random.bounded(text.size() + 1)), position = int(random.bounded(text.size() + 1));
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
            // a replacement that leaves the file as it was is no step
            QVERIFY2(edit.buffer()->canUndo() == (textOf(edit) != text || edit.buffer()->variants() != loadedVariants ||
                                                  breaksOf(*edit.buffer()) != loadedBreaks),
                     context);
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

    // One modeless dialog per window, in find or replace mode: the replace-only controls show in
    // replace mode, the direction in find mode; Enter means find next, and without a search text
    // only Cancel works. Every control fits its text, inside the dialog.
    void dialogModesAndLayout()
    {
        DialogFixture f(u"text"_s);
        QCOMPARE(FindReplaceDialog::ForWindow(&f.window), f.dialog);
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

    // Scripted dialog use, steps split by ';', each an action or a "?" check: find/replace
    // (open the dialog), repeat, hide, undo, enter (in the search text), what/with (the texts),
    // check/click (a control), select, limit, other (a second editor of the window), close
    // (the editor goes). "said?" is what the status bar says of a search that found nothing
    // (nothing once something is found again); no message box ever comes up.
    void dialogScript_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("script");
        // a one-line selection is the search text; over a line break the last search comes back
        QTest::newRow("takes selection") << u"alpha beta\ngamma"_s << u"select 6,10;find;what? beta;click findNextButton;hide;select 0,13;find;what? beta;hide;select 3,3;replace;what? beta"_s;
        QTest::newRow("find next") << u"cat concat Cat"_s << u"find;what cat;check wholeWordCheck;click findNextButton;sel? 0,3;enter;sel? 11,14;said?;click findNextButton;said? cat;sel? 11,14;check matchCaseCheck;check upRadio;click findNextButton;sel? 0,3"_s;
        // a selection that is no match is only moved to the next match; replace all is one undo step
        QTest::newRow("replace") << u"one two one two one"_s << u"replace;what one;with 1;click replaceButton;text? one two one two one;sel? 0,3;click replaceButton;text? 1 two one two one;sel? 6,9;with 一;click replaceAllButton;text? 1 two 一 two 一;said?;undo;text? 1 two one two one;what three;click replaceAllButton;said? three;text? 1 two one two one"_s;
        // "cat" in "concat" is no whole word: selected, it is only moved off; after the last replacement
        // the search goes on from the start
        QTest::newRow("replace next") << u"cat concat cat"_s << u"replace;what cat;check wholeWordCheck;with dog;select 7,10;click replaceButton;text? cat concat cat;sel? 11,14;click replaceButton;text? cat concat dog;sel? 0,3;what CAT;with a\nb;click replaceButton;text? a\nb concat dog;undo;text? cat concat dog"_s;
        // over the control's limit or read-only nothing is replaced; exactly at the limit, or shrinking, is allowed
        // a replacement equal to the match leaves an unchanged text unmodified, with nothing to undo
        QTest::newRow("replace by itself") << u"ab ab"_s << u"replace;what ab;with ab;check matchCaseCheck;click replaceAllButton;text? ab ab;undo? 0;modified? 0;select 0,2;click replaceButton;undo? 0;modified? 0;with AB;click replaceAllButton;text? AB AB;modified? 1"_s;
        QTest::newRow("refused") << u"ab ab"_s << u"limit 6;replace;what ab;with abc;click replaceAllButton;text? ab ab;undo? 0;said?;select 0,2;with abcd;click replaceButton;text? ab ab;with abc;click replaceButton;text? abc ab;limit 2;what b;with ;click replaceAllButton;text? ac a;readonly;limit 0;what a;with z;click replaceAllButton;select 0,1;click replaceButton;text? ac a"_s;
        // nothing searched yet: repeat opens the find dialog; then it repeats the window's last search in any editor
        QTest::newRow("repeat") << u"ab AB ab"_s << u"repeat;shows? find;sel? 0,0;what ab;check matchCaseCheck;click findNextButton;sel? 0,2;hide;repeat;shows? none;sel? 6,8;repeat;said? ab;other xx ab;repeat;sel? 3,5;shows? none"_s;
        // going round: on from the other end up to where the search began, then not found, said in
        // the status bar; the next search is a new round
        QTest::newRow("round, down") << u"ab x ab x ab"_s << u"select 5,5;find;what ab;click findNextButton;sel? 5,7;click findNextButton;sel? 10,12;click findNextButton;sel? 0,2;said?;click findNextButton;sel? 0,2;said? ab;click findNextButton;sel? 5,7;said?"_s;
        QTest::newRow("round, up") << u"ab x ab x ab"_s << u"select 5,5;find;what ab;check upRadio;click findNextButton;sel? 0,2;click findNextButton;sel? 10,12;click findNextButton;sel? 5,7;click findNextButton;said? ab;sel? 5,7"_s;
        QTest::newRow("round, F3") << u"ab x ab"_s << u"select 3,3;find;what ab;click findNextButton;sel? 5,7;hide;repeat;sel? 0,2;repeat;said? ab;sel? 0,2"_s;
        // moving the selection begins a new round there
        QTest::newRow("round begins anew") << u"ab x ab x ab"_s << u"select 5,5;find;what ab;click findNextButton;sel? 5,7;select 11,11;click findNextButton;sel? 0,2;click findNextButton;sel? 5,7;click findNextButton;sel? 10,12;click findNextButton;said? ab"_s;
        // Replace at the last match goes on from the start, up to where the replacing began
        QTest::newRow("replace goes round") << u"one two one two one"_s << u"select 8,8;replace;what one;with 1;click replaceButton;sel? 8,11;click replaceButton;text? one two 1 two one;sel? 14,17;click replaceButton;text? one two 1 two 1;sel? 0,3;click replaceButton;text? 1 two 1 two 1;said? one;sel? 1,1"_s;
        QTest::newRow("closes with its editor") << u"abc"_s << u"replace;what b;close;shows? none;click findNextButton;click replaceButton;click replaceAllButton;repeat;find;shows? none;said?"_s;
    }

    void dialogScript()
    {
        QFETCH(QString, text);
        QFETCH(QString, script);
        DialogFixture f(text);
        for (const QString &step : script.split(u';')) {
            const QString op = step.section(u' ', 0, 0), arg = step.section(u' ', 1);
            const QByteArray at = step.toUtf8(), name = arg.toLatin1();
            const Sel range(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
            if (op == u"find" || op == u"replace") f.dialog->OnEditFindReplace(f.edit, op == u"find");
            else if (op == u"repeat") f.dialog->OnEditRepeat(f.edit);
            else if (op == u"hide") f.dialog->hide();
            else if (op == u"undo") f.edit->undo();
            else if (op == u"enter") QTest::keyClick(f.findEdit(), Qt::Key_Return);
            else if (op == u"what" || op == u"with") (op == u"what" ? f.findEdit() : f.replaceEdit())->setText(arg);
            else if (op == u"check") f.check(name);
            else if (op == u"click") f.button(name)->click();
            else if (op == u"select") f.edit->setSelection(range.first, range.second);
            else if (op == u"limit") f.edit->LimitText(arg.toInt());
            else if (op == u"readonly") f.edit->setReadOnly(true);
            else if (op == u"undo?") QVERIFY2(f.edit->buffer()->canUndo() == (arg == u"1"), at);
            else if (op == u"modified?") QVERIFY2(f.edit->GetModify() == (arg == u"1"), at);
            else if (op == u"close") delete std::exchange(f.edit, nullptr);
            else if (op == u"other") setText(*(f.edit = new RichEdit(&f.window)), arg);
            else if (op == u"sel?") QVERIFY2(selectionOf(*f.edit) == range, at);
            else if (op == u"text?") QVERIFY2(textOf(*f.edit) == arg, at);
            else if (op == u"what?")  // selected, to be typed over
                QVERIFY2(f.findEdit()->text() == arg && f.findEdit()->selectedText() == arg, at);
            else if (op == u"said?")
                QVERIFY2(m_shown.isEmpty() && f.said() == (arg.isEmpty() ? QString() : u"「%1」が見つかりません。"_s.arg(arg)), at);
            else if (op == u"shows?")
                QVERIFY2(f.dialog->isVisible() == (arg != u"none") && f.dialog->GetTarget() == f.edit &&
                             (arg != u"find" || !f.replaceEdit()->isVisible()), at);
            else QFAIL(at);
        }
        QVERIFY(m_shown.isEmpty());
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
