// The text buffer against a plain model: random files, edits, undo and redo, checked after
// every step (text, line index, break kinds, byte forms, history, signals and the bytes
// written); then the undo grouping rules. The kinds typed breaks are written with are
// tabled, through the keys that type them, in tst_richedit.
#include "platform/textbuffer.h"
#include "platform/textbytes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Break = TextBuffer::Break;

template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

QString show(const QString &s)
{
    QString out;
    for (QChar c : s)
        out += c.unicode() >= 0x20 && c.unicode() < 0x7F ? QString(c) : u"\\x%1"_s.arg(c.unicode(), 0, 16);
    return out;
}

// --- the model ---------------------------------------------------------------------------

// Everything a buffer holds, kept the plainest way.
struct Snapshot {
    QString text;                        // breaks as '\n'
    QList<quint8> kinds;                 // the kind of each line's break; the last line's Typed
    std::map<qsizetype, quint16> forms;  // position -> byte form
};

QString withNewlines(QString s)
{
    return s.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(QChar(QChar::ParagraphSeparator), u'\n');
}

Snapshot snapshotOf(const QByteArray &bytes)
{
    QList<CodePage::Variant> variants;
    const QString decoded = CodePage::decode(bytes, &variants);
    Snapshot s;
    std::vector<qsizetype> at(size_t(decoded.size()) + 1);  // decoded index -> text index
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        at[size_t(i)] = s.text.size();
        const QChar c = decoded[i];
        if (c != u'\r' && c != u'\n') {
            s.text += c;
            continue;
        }
        Break kind = c == u'\n' ? Break::Lf : Break::Cr;
        if (c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n') {
            kind = Break::CrLf;
            at[size_t(++i)] = s.text.size();
        }
        s.text += u'\n';
        s.kinds.append(quint8(kind));
    }
    s.kinds.append(quint8(Break::Typed));
    for (const CodePage::Variant &v : variants)
        s.forms[at[size_t(v.pos)]] = v.code;
    return s;
}

void editSnapshot(Snapshot &s, qsizetype from, qsizetype to, const QString &added)
{
    const qsizetype line = s.text.left(from).count(u'\n');
    s.kinds.remove(line, s.text.mid(from, to - from).count(u'\n'));
    s.text.replace(from, to - from, added);
    s.kinds.insert(line, added.count(u'\n'), quint8(Break::Typed));
    std::map<qsizetype, quint16> forms;
    for (const auto &[pos, code] : s.forms) {
        if (pos < from)
            forms[pos] = code;
        else if (pos >= to)
            forms[pos - (to - from) + added.size()] = code;
    }
    s.forms = forms;
}

// The kind a break is written with: its own, else the nearest before with one, else the
// first after with one, else CR LF.
Break writtenKind(const QList<quint8> &kinds, qsizetype line)
{
    for (qsizetype j = line; j >= 0; --j) {
        if (kinds[j] != quint8(Break::Typed))
            return Break(kinds[j]);
    }
    for (qsizetype j = line + 1; j + 1 < kinds.size(); ++j) {
        if (kinds[j] != quint8(Break::Typed))
            return Break(kinds[j]);
    }
    return Break::CrLf;
}

// The bytes of a snapshot, with the text positions of what CP932 cannot hold and of places
// that would read back as other text.
QByteArray bytesOf(const Snapshot &s, QList<qsizetype> *unencodable, QList<qsizetype> *changed)
{
    QString out;
    QList<qsizetype> textPos;  // of each character of out
    QList<CodePage::Variant> forms;
    for (qsizetype pos = 0, line = 0; pos < s.text.size(); ++pos) {
        if (const auto form = s.forms.find(pos); form != s.forms.end())
            forms.append(CodePage::Variant{out.size(), form->second});
        QString c(s.text[pos]);
        if (c == u"\n"_s) {
            const Break kind = writtenKind(s.kinds, line++);
            c = kind == Break::CrLf ? u"\r\n"_s : kind == Break::Lf ? u"\n"_s : u"\r"_s;
        }
        out += c;
        textPos.append(QList<qsizetype>(c.size(), pos));
    }
    QList<qsizetype> outPos;
    const QByteArray bytes = CodePage::encode(out, forms, &outPos);
    for (qsizetype p : outPos)
        unencodable->append(textPos[p]);
    for (qsizetype p : CodePage::readBackChanges(bytes, out))
        changed->append(textPos[p]);
    return bytes;
}

// A buffer's history as a list of snapshots: states[i] follows step i.
class Model {
public:
    explicit Model(const QByteArray &bytes) { load(bytes); }

    const Snapshot &now() const { return m_states[size_t(m_done)]; }
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done + 1 < qsizetype(m_states.size()); }
    bool isModified() const { return m_done != m_clean; }
    int depth() const { return m_depth; }

    void load(const QByteArray &bytes) { reset(snapshotOf(bytes), 0); }

    void replace(qsizetype from, qsizetype to, const QString &text, bool typing)
    {
        from = std::clamp<qsizetype>(from, 0, now().text.size());
        to = std::clamp<qsizetype>(to, from, now().text.size());
        const QString s = withNewlines(text);
        if (from == to && s.isEmpty())
            return;
        Snapshot next = now();
        editSnapshot(next, from, to, s);
        const qsizetype end = from + s.size();
        const StepInfo &last = m_steps[size_t(m_done)];
        const bool top = m_done + 1 == qsizetype(m_states.size());
        const bool joinsTyping = typing && m_depth == 0 && from == to && !s.isEmpty() && top && m_done > 0 &&
                                 m_clean != m_done && last.typing && last.typingEnd == from;
        if (joinsTyping || (m_depth > 0 && m_groupHasStep)) {
            m_states[size_t(m_done)] = next;
            m_steps[size_t(m_done)].typingEnd = m_steps[size_t(m_done)].redoCaret = end;
            return;
        }
        m_states.resize(size_t(m_done) + 1);
        m_steps.resize(size_t(m_done) + 1);
        if (m_clean > m_done)
            m_clean = -1;
        m_states.push_back(next);
        m_steps.push_back(StepInfo{typing && m_depth == 0, s.isEmpty() ? -1 : end, to, end});
        ++m_done;
        m_groupHasStep = m_depth > 0;
    }

    void beginGroup()
    {
        if (m_depth++ == 0)
            m_groupHasStep = false;
    }
    void endGroup()
    {
        if (m_depth > 0 && --m_depth == 0)
            m_groupHasStep = false;
    }
    qsizetype undo()
    {
        if (!canUndo())
            return -1;
        m_groupHasStep = false;
        return m_steps[size_t(m_done--)].undoCaret;
    }
    qsizetype redo()
    {
        if (!canRedo())
            return -1;
        m_groupHasStep = false;
        return m_steps[size_t(++m_done)].redoCaret;
    }
    void clearUndo() { reset(now(), isModified() ? -1 : 0); }
    void setModified(bool modified) { m_clean = modified ? -1 : m_done; }

private:
    struct StepInfo {
        bool typing = false;
        qsizetype typingEnd = -1;  // where its last insertion ended; -1 after a removal
        qsizetype undoCaret = 0;   // the end of what its first edit removed
        qsizetype redoCaret = 0;   // the end of what its last edit inserted
    };
    void reset(Snapshot kept, qsizetype clean)
    {
        m_states = {std::move(kept)};
        m_steps = {StepInfo{}};
        m_done = 0;
        m_clean = clean;
        m_groupHasStep = false;
    }
    std::vector<Snapshot> m_states;
    std::vector<StepInfo> m_steps;
    qsizetype m_done = 0;
    qsizetype m_clean = 0;
    int m_depth = 0;
    bool m_groupHasStep = false;
};

// What a buffer's signals said: the text rebuilt from the changes alone and the last state
// reported, plus the first change that did not fit the text it applied to.
struct SignalLog {
    QString text;
    bool canUndo = false, modified = false;
    QString error;

    void watch(TextBuffer &buffer)
    {
        QObject::connect(&buffer, &TextBuffer::changed, [this, &buffer](const TextBuffer::Change &c) {
            const auto breaks = [](QStringView s) { return s.count(u'\n'); };
            const QString added = buffer.text(c.pos, c.pos + c.added);
            if (error.isEmpty() && (c.pos + c.removed > text.size() ||
                                    c.firstLine != breaks(QStringView(text).left(c.pos)) ||
                                    c.linesRemoved != breaks(QStringView(text).mid(c.pos, c.removed)) ||
                                    c.linesAdded != breaks(added)))
                error = u"change {%1,%2,%3,%4,%5,%6} does not fit"_s.arg(c.pos).arg(c.removed).arg(c.added)
                            .arg(c.firstLine).arg(c.linesRemoved).arg(c.linesAdded);
            text.replace(c.pos, c.removed, added);
        });
        QObject::connect(&buffer, &TextBuffer::undoAvailable, [this](bool on) { canUndo = on; });
        QObject::connect(&buffer, &TextBuffer::modificationChanged, [this](bool on) { modified = on; });
    }
};

// How often the sequences met what they are there to try.
struct Coverage {
    int forms = 0, unencodable = 0, changed = 0;
};

// The first way the buffer differs from the model, empty when it does not.
QString difference(const TextBuffer &buffer, const Model &model, const SignalLog &log, Coverage &seen)
{
    const Snapshot &s = model.now();
    if (buffer.text() != s.text || buffer.length() != s.text.size() || buffer.lineCount() != s.kinds.size())
        return u"text \"%1\", expected \"%2\""_s.arg(show(buffer.text()), show(s.text));
    QString scratch;
    for (qsizetype line = 0, start = 0; line < s.kinds.size(); ++line) {
        const qsizetype end = line + 1 < s.kinds.size() ? s.text.indexOf(u'\n', start) : s.text.size();
        if (buffer.lineStart(line) != start || buffer.lineEnd(line) != end ||
            buffer.breakAfter(line) != Break(s.kinds[line]) ||
            buffer.lineView(line, scratch) != QStringView(s.text).mid(start, end - start))
            return u"line %1: %2-%3 kind %4"_s.arg(line).arg(buffer.lineStart(line)).arg(buffer.lineEnd(line))
                .arg(int(buffer.breakAfter(line)));
        for (qsizetype pos = start; pos <= end; ++pos) {
            if (buffer.lineOf(pos) != line)
                return u"line of %1 is %2, expected %3"_s.arg(pos).arg(buffer.lineOf(pos)).arg(line);
        }
        start = end + 1;
    }
    QList<CodePage::Variant> forms;
    for (const auto &[pos, code] : s.forms)
        forms.append(CodePage::Variant{pos, code});
    if (buffer.variants() != forms)
        return u"%1 byte forms, expected %2"_s.arg(buffer.variants().size()).arg(forms.size());
    for (qsizetype pos = 0; pos < s.text.size(); ++pos) {
        if (buffer.at(pos) != s.text[pos])
            return u"character at %1"_s.arg(pos);
    }
    const auto state = [](bool undo, bool redo, bool modified) {
        return u"undo %1 redo %2 modified %3"_s.arg(undo).arg(redo).arg(modified);
    };
    const QString expected = state(model.canUndo(), model.canRedo(), model.isModified());
    if (const QString got = state(buffer.canUndo(), buffer.canRedo(), buffer.isModified()); got != expected)
        return got + u", expected "_s + expected;
    if (!log.error.isEmpty())
        return log.error;
    if (log.text != s.text || state(log.canUndo, model.canRedo(), log.modified) != expected)
        return u"signals: text \"%1\", %2"_s.arg(show(log.text), state(log.canUndo, model.canRedo(), log.modified));
    QList<qsizetype> unencodable, changed, expectedUnencodable, expectedChanged;
    const QByteArray bytes = TextBytes::write(buffer, &unencodable, &changed);
    if (bytes != bytesOf(s, &expectedUnencodable, &expectedChanged))
        return u"bytes %1"_s.arg(QString::fromLatin1(bytes.toHex()));
    if (unencodable != expectedUnencodable || changed != expectedChanged)
        return u"unencodable or changed positions"_s;
    seen.forms += !s.forms.empty();
    seen.unencodable += !unencodable.isEmpty();
    seen.changed += !changed.isEmpty();
    return {};
}

// --- random input ------------------------------------------------------------------------

// Breaks of every kind, NUL, double-byte characters in their own and in duplicate forms,
// unassigned pairs and bytes that do not decode (escapes).
QByteArray randomFile(QRandomGenerator &random)
{
    static const QByteArray pieces[] = {
        raw("a"), raw("bc"), raw("\r\n"), raw("\r"), raw("\n"), raw("\r\n"), raw("\x82\xa0"),
        raw("\xED\x40"), raw("\x87\x90"), raw("\xFA\x4A"), raw("\xEE\xEF"), raw("\x85\x40"),
        raw("\x81"), raw("\x80"), raw("\xFD"), raw("\0"), raw("\xB1"),
    };
    QByteArray bytes;
    for (int count = int(random.bounded(40)); count > 0; --count)
        bytes += pieces[random.bounded(int(std::size(pieces)))];
    return bytes;
}

// Breaks of every kind as typed or pasted, characters CP932 cannot hold, escapes, and '@',
// which is a trail byte after an escaped lead.
QString randomText(QRandomGenerator &random, int maxPieces)
{
    static const QString pieces[] = {
        u"x"_s, u"yz"_s, u"\r\n"_s, u"\r"_s, u"\n"_s, QString(QChar(QChar::ParagraphSeparator)), u"\r\r\n"_s,
        u"\U0001F600"_s, u"\u3042"_s, u"\u2170"_s, u"\uD55C"_s, u"@"_s,
    };
    QString text;
    for (int count = int(random.bounded(maxPieces + 1)); count > 0; --count) {
        if (random.bounded(8) == 0)
            text += QChar(char16_t(CodePage::kEscapeFirst + random.bounded(0x80)));
        else
            text += pieces[random.bounded(int(std::size(pieces)))];
    }
    return text;
}

// Runs one random sequence of steps; the first difference, with the step it came at.
QString runSequence(quint32 seed, int steps, Coverage &seen)
{
    QRandomGenerator random(seed);
    const QByteArray file = randomFile(random);
    TextBuffer buffer;
    SignalLog log;
    log.watch(buffer);
    Model model(file);
    if (!TextBytes::read(buffer, file, 1 << 20) || TextBytes::write(buffer) != file)
        return u"file %1 does not come back"_s.arg(QString::fromLatin1(file.toHex()));
    qsizetype caret = 0;
    for (int step = 0; step < steps; ++step) {
        const qsizetype length = model.now().text.size();
        const int op = int(random.bounded(100));
        QString what;
        if (op < 60) {
            // typing at the caret, now and then over a selection; or a replacement anywhere,
            // now and then out of range (clamped to the text)
            const bool atCaret = op < 30;
            qsizetype from = atCaret ? std::min(caret, length) : random.bounded(length + 1);
            qsizetype to = atCaret ? (random.bounded(4) == 0 ? std::min(length, from + random.bounded(3)) : from)
                                   : std::min(length, from + random.bounded(random.bounded(3) == 0 ? 20 : 4));
            if (!atCaret && random.bounded(16) == 0) {
                from = length - 1 + random.bounded(4);
                to = from - 2 + random.bounded(4);
            }
            const QString text = randomText(random, atCaret ? 1 : 3);
            const bool typing = atCaret || random.bounded(3) == 0;
            buffer.replace(from, to, text, typing ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
            model.replace(from, to, text, typing);
            caret = from + withNewlines(text).size();
            what = u"%1 \"%2\" over %3-%4"_s.arg(typing ? u"type"_s : u"replace"_s, show(text)).arg(from).arg(to);
        } else if (op < 84) {
            const bool undo = op < 75;
            what = undo ? u"undo"_s : u"redo"_s;
            const qsizetype got = undo ? buffer.undo() : buffer.redo();
            const qsizetype expected = undo ? model.undo() : model.redo();
            if (got != expected)
                return u"step %1: %2 returned %3, expected %4"_s.arg(step).arg(what).arg(got).arg(expected);
            caret = std::max<qsizetype>(got, 0);
        } else if (op < 89) {
            if (model.depth() < 2 && random.bounded(2) == 0) {
                buffer.beginGroup();
                model.beginGroup();
                what = u"begin group"_s;
            } else {
                buffer.endGroup();
                model.endGroup();
                what = u"end group"_s;
            }
        } else if (op < 94) {
            const bool modified = random.bounded(4) == 0;
            buffer.setModified(modified);
            model.setModified(modified);
            what = u"set modified %1"_s.arg(modified);
        } else if (op < 97) {
            buffer.clearUndo();
            model.clearUndo();
            what = u"clear undo"_s;
        } else {  // a new file, now and then one character over the limit: refused, nothing changes
            const QByteArray next = randomFile(random);
            const qsizetype needed = snapshotOf(next).text.size();
            const qsizetype limit = needed - qsizetype(random.bounded(2));
            const bool read = TextBytes::read(buffer, next, limit);
            if (read != (needed <= limit))
                return u"step %1: read %2 with limit %3 gave %4"_s.arg(step).arg(needed).arg(limit).arg(read);
            if (read)
                model.load(next);
            caret = 0;
            what = u"read %1"_s.arg(QString::fromLatin1(next.toHex()));
        }
        if (const QString diff = difference(buffer, model, log, seen); !diff.isEmpty())
            return u"step %1 (%2): %3"_s.arg(step).arg(what, diff);
    }
    return {};
}

} // namespace

class TestTextBuffer : public QObject {
    Q_OBJECT

private slots:
    void matchesPlainModel();
    void undoSteps_data();
    void undoSteps();
};

// Thousands of random sequences; NYO_TEXTBUFFER_SEED picks other ones.
void TestTextBuffer::matchesPlainModel()
{
    const quint32 base = qEnvironmentVariableIsSet("NYO_TEXTBUFFER_SEED")
                             ? quint32(qEnvironmentVariableIntValue("NYO_TEXTBUFFER_SEED"))
                             : 1;
    Coverage seen;
    for (quint32 seed = base; seed < base + 1500; ++seed) {
        const QString failure = runSequence(seed, 24, seen);
        QVERIFY2(failure.isEmpty(), qPrintable(u"seed %1, %2"_s.arg(seed).arg(failure)));
    }
    QVERIFY2(seen.forms > 10000 && seen.unencodable > 5000 && seen.changed > 2000,
             qPrintable(u"%1 %2 %3"_s.arg(seen.forms).arg(seen.unencodable).arg(seen.changed)));
}

// A script of edits: "t<from>[-<to>]:<text>" typed, "s..." a step of its own, "(" and ")"
// a group, "u" undo, "r" redo, "c" mark unmodified, "m" mark modified, "x" clear undo. The
// state afterwards holds 'u' when there is something to undo, 'r' to redo, 'm' when modified;
// the caret is what the last undo or redo returned.
void TestTextBuffer::undoSteps_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("state");
    QTest::addColumn<qsizetype>("caret");
    const auto row = [](const char *name, const QString &initial, const QString &script, const QString &text,
                        const QString &state, qsizetype caret) {
        QTest::newRow(name) << initial << script << text << state << caret;
    };
    row("typing is one step", "", "t0:a t1:b t2:c u", "", "r", 0);
    row("typing elsewhere starts a step", "", "t0:a t1:b t0:x u", "ab", "urm", 0);
    row("typing after a step starts a step", "", "s0:a t1:b u", "a", "urm", 1);
    row("a step never joins typing", "", "t0:a s1:b u", "a", "urm", 1);
    row("typing over a selection starts a step typing joins", "abc", "t0:x t1:y t0-2:z t1:w u", "xyabc", "urm", 2);
    row("a removal ends typing", "abc", "t3:d t3-4: t3:e u", "abc", "urm", 3);
    row("a group is one step", "", "( s0:a t1:b s0-1:c ) u", "", "r", 0);
    row("groups nest", "", "( s0:a ( s1:b ) s2:c ) u", "", "r", 0);
    row("typing does not join a group", "", "( t0:a ) t1:b u", "a", "urm", 1);
    row("an empty group is no step", "", "s0:a ( ) u", "", "r", 0);
    row("redo brings the step back", "hello", "s1-4:X u r", "hXo", "um", 2);
    row("undo puts the caret after the restored text", "hello", "s1-4:X u", "hello", "r", 4);
    row("a new edit clears redo", "", "s0:a s1:b u s1:c", "ac", "um", 1);
    row("undo back to unmodified", "", "s0:a c s1:b u", "a", "ur", 1);
    row("undo away from unmodified", "", "s0:a c u", "", "rm", 0);
    row("typing does not join across unmodified", "", "t0:a c t1:b u", "a", "ur", 1);
    row("unmodified state replaced by a new edit", "", "s0:a s1:b c u u s0:x u", "", "rm", 0);
    row("marked modified has no way back", "", "s0:a u m r u", "", "rm", 0);
    row("clearing undo keeps modified text modified", "", "s0:a x", "a", "m", -1);
    row("clearing undo of unmodified text", "", "s0:a c x", "a", "", -1);
    row("an edit that changes nothing is no step", "ab", "s1: u", "ab", "", -1);
}

void TestTextBuffer::undoSteps()
{
    QFETCH(QString, initial);
    QFETCH(QString, script);
    QFETCH(QString, text);
    QFETCH(QString, state);
    QFETCH(qsizetype, caret);
    TextBuffer buffer;
    buffer.load(initial, {});
    qsizetype returned = -1;
    for (const QString &token : script.split(u' ', Qt::SkipEmptyParts)) {
        const QChar op = token[0];
        if (op == u't' || op == u's') {
            const qsizetype colon = token.indexOf(u':');
            const QStringList range = token.mid(1, colon - 1).split(u'-');
            const qsizetype from = range[0].toLongLong();
            buffer.replace(from, range.size() > 1 ? range[1].toLongLong() : from, token.mid(colon + 1),
                           op == u't' ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
        } else if (op == u'(' || op == u')') {
            op == u'(' ? buffer.beginGroup() : buffer.endGroup();
        } else if (op == u'u' || op == u'r') {
            returned = op == u'u' ? buffer.undo() : buffer.redo();
        } else if (op == u'c' || op == u'm') {
            buffer.setModified(op == u'm');
        } else {
            QCOMPARE(op, QChar(u'x'));
            buffer.clearUndo();
        }
    }
    QCOMPARE(buffer.text(), text);
    QString got;
    if (buffer.canUndo())
        got += u'u';
    if (buffer.canRedo())
        got += u'r';
    if (buffer.isModified())
        got += u'm';
    QCOMPARE(got, state);
    QCOMPARE(returned, caret);
}

QTEST_GUILESS_MAIN(TestTextBuffer)
#include "tst_textbuffer.moc"
