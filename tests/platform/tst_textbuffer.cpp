// The text buffer against a plain model: random files, edits, undo and redo, checked after
// every step (text, line index, break kinds, byte forms, history, signals and the bytes
// written); then the undo grouping rules. The kinds typed breaks are written with are
// tabled, through the keys that type them, in tst_richedit.
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>
#include <map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Break = TextBuffer::Break;

QString show(const QString &s) { return QString::fromLatin1(s.toUtf8().toPercentEncoding(" ")); }

// Everything a buffer holds, kept the plainest way: breaks as '\n', the kind of each line's
// break (the last line's Typed), and position -> byte form.
struct Snapshot {
    QString text;
    QList<quint8> kinds;
    std::map<qsizetype, quint16> forms;
    bool operator==(const Snapshot &o) const { return text == o.text && kinds == o.kinds && forms == o.forms; }
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
        const bool crLf = c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n';
        if (crLf)
            at[size_t(++i)] = s.text.size();
        s.text += u'\n';
        s.kinds.append(quint8(crLf ? Break::CrLf : c == u'\n' ? Break::Lf : Break::Cr));
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
        if (pos < from || pos >= to)
            forms[pos < from ? pos : pos - (to - from) + added.size()] = code;
    }
    s.forms = forms;
}

// The kind a break is written with: its own, else the nearest before with one, else the
// first after with one, else CR LF.
Break writtenKind(const QList<quint8> &kinds, qsizetype line)
{
    const auto typed = [](quint8 kind) { return kind == quint8(Break::Typed); };
    if (const auto before = std::find_if_not(kinds.rend() - line - 1, kinds.rend(), typed); before != kinds.rend())
        return Break(*before);
    const auto after = std::find_if_not(kinds.begin() + line + 1, kinds.end() - 1, typed);
    return after != kinds.end() - 1 ? Break(*after) : Break::CrLf;
}

// The bytes of a snapshot, with the text positions of what CP932 cannot hold and of places
// that would read back as other text. A break to be written as CR right before one to be
// written as LF would read back as one: typed, it is written as CR LF; the file's own, it is
// such a place.
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
            Break kind = writtenKind(s.kinds, line);
            if (kind == Break::Cr && s.text.mid(pos + 1, 1) == u"\n"_s && writtenKind(s.kinds, line + 1) == Break::Lf) {
                if (s.kinds[line] == quint8(Break::Typed))
                    kind = Break::CrLf;
                else
                    changed->append(pos);
            }
            ++line;
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
    std::sort(changed->begin(), changed->end());
    return bytes;
}

// A step of history and the snapshot after it. typingEnd: where its last insertion ended
// (-1 after a removal); undoCaret: the end of what its first edit removed; redoCaret: the
// end of what its last edit inserted.
struct Step {
    Snapshot s;
    bool typing = false;
    qsizetype typingEnd = -1, undoCaret = 0, redoCaret = 0;
};

// A buffer's history as a list of steps, steps[done] the state now.
struct Model {
    std::vector<Step> steps;
    qsizetype done = 0, clean = 0;
    int depth = 0;
    bool groupHasStep = false;

    explicit Model(const QByteArray &bytes) { load(bytes); }
    const Snapshot &now() const { return steps[size_t(done)].s; }
    bool canUndo() const { return done > 0; }
    bool canRedo() const { return done + 1 < qsizetype(steps.size()); }
    bool isModified() const { return done != clean; }
    void reset(Snapshot kept, qsizetype c)
    {
        steps = {Step{std::move(kept)}};
        done = 0;
        clean = c;
        groupHasStep = false;
    }
    void load(const QByteArray &bytes) { reset(snapshotOf(bytes), 0); }
    void replace(qsizetype from, qsizetype to, const QString &text, bool typing)
    {
        from = std::clamp<qsizetype>(from, 0, now().text.size());
        to = std::clamp<qsizetype>(to, from, now().text.size());
        const QString s = withNewlines(text);
        Snapshot next = now();
        editSnapshot(next, from, to, s);
        if (next == now())
            return;  // nothing changed, nothing recorded
        const qsizetype end = from + s.size();
        Step &last = steps[size_t(done)];
        if ((typing && depth == 0 && from == to && !s.isEmpty() && !canRedo() && done > 0 && clean != done &&
             last.typing && last.typingEnd == from) || (depth > 0 && groupHasStep && clean != done)) {
            last.s = next;
            last.typingEnd = last.redoCaret = end;
            return;
        }
        steps.resize(size_t(done) + 1);
        if (clean > done)
            clean = -1;
        steps.push_back(Step{next, typing && depth == 0, s.isEmpty() ? -1 : end, to, end});
        ++done;
        groupHasStep = depth > 0;
    }
    void beginGroup() { if (depth++ == 0) groupHasStep = false; }
    void endGroup() { if (depth > 0 && --depth == 0) groupHasStep = false; }
    qsizetype undo() { return canUndo() ? (groupHasStep = false, steps[size_t(done--)].undoCaret) : -1; }
    qsizetype redo() { return canRedo() ? (groupHasStep = false, steps[size_t(++done)].redoCaret) : -1; }
    void clearUndo() { reset(now(), isModified() ? -1 : 0); }
    void setModified(bool modified) { clean = modified ? -1 : done; }
};

// What a buffer's signals said: the text rebuilt from the changes alone and the last state
// reported, plus the first change that did not fit the text it applied to.
// An edit, undone or redone, tells the text it removed; a load does not.
struct SignalLog {
    QString text, error;
    bool canUndo = false, modified = false, loading = false;

    explicit SignalLog(TextBuffer &buffer)
    {
        QObject::connect(&buffer, &TextBuffer::aboutToLoad, [this] { loading = true; });
        QObject::connect(&buffer, &TextBuffer::changed, [this, &buffer](const TextBuffer::Change &c) {
            const auto breaks = [](QStringView s) { return s.count(u'\n'); };
            const QString added = buffer.text(c.pos, c.pos + c.added);
            if (error.isEmpty() && (c.pos + c.removed > text.size() || c.linesAdded != breaks(added) ||
                                    c.firstLine != breaks(QStringView(text).left(c.pos)) ||
                                    c.linesRemoved != breaks(QStringView(text).mid(c.pos, c.removed))))
                error = u"change {%1,%2,%3,%4,%5,%6} does not fit"_s.arg(c.pos).arg(c.removed).arg(c.added)
                            .arg(c.firstLine).arg(c.linesRemoved).arg(c.linesAdded);
            if (error.isEmpty() && !loading && c.removedText != QStringView(text).mid(c.pos, c.removed))
                error = u"removed \"%1\" told as \"%2\""_s.arg(show(text.mid(c.pos, c.removed)), show(c.removedText));
            loading = false;
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
            if (pos < s.text.size() && buffer.at(pos) != s.text[pos])
                return u"character at %1"_s.arg(pos);
        }
        start = end + 1;
    }
    // The storage read in place: at most two pieces, either side of the edit gap, that make up
    // the text.
    QString pieces;
    int pieceCount = 0;
    for (qsizetype pos = 0; pos < buffer.length() && pieceCount <= 2; ++pieceCount) {
        const QStringView piece = buffer.chunkAt(pos);
        if (piece.isEmpty())
            return u"no piece at %1"_s.arg(pos);
        pieces += piece;
        pos += piece.size();
    }
    if (pieces != s.text || pieceCount > 2 || !buffer.chunkAt(buffer.length()).isEmpty())
        return u"%1 pieces \"%2\""_s.arg(pieceCount).arg(show(pieces));
    QList<CodePage::Variant> forms;
    for (const auto &[pos, code] : s.forms)
        forms.append(CodePage::Variant{pos, code});
    if (buffer.variants() != forms)
        return u"%1 byte forms, expected %2"_s.arg(buffer.variants().size()).arg(forms.size());
    const auto state = [](bool undo, bool redo, bool modified) {
        return u"undo %1 redo %2 modified %3"_s.arg(undo).arg(redo).arg(modified);
    };
    const QString expected = state(model.canUndo(), model.canRedo(), model.isModified());
    if (const QString got = state(buffer.canUndo(), buffer.canRedo(), buffer.isModified()); got != expected)
        return got + u", expected "_s + expected;
    if (const QString got = state(log.canUndo, model.canRedo(), log.modified);
        !log.error.isEmpty() || log.text != s.text || got != expected)
        return u"signals: %1 text \"%2\", %3"_s.arg(log.error, show(log.text), got);
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

// Breaks of every kind, NUL, double-byte characters in their own and in duplicate forms,
// unassigned pairs and bytes that do not decode (escapes).
QByteArray randomFile(QRandomGenerator &random)
{
    static const QByteArray pieces[] = {"a"_ba, "bc"_ba, "\r\n"_ba, "\r"_ba, "\n"_ba, "\r\n"_ba, "\x82\xa0"_ba,
                                        "\xED\x40"_ba, "\x87\x90"_ba, "\xFA\x4A"_ba, "\xEE\xEF"_ba, "\x85\x40"_ba,
                                        "\x81"_ba, "\x80"_ba, "\xFD"_ba, "\0"_ba, "\xB1"_ba};
    QByteArray bytes;
    for (int count = int(random.bounded(40)); count > 0; --count)
        bytes += pieces[random.bounded(int(std::size(pieces)))];
    return bytes;
}

// Breaks of every kind as typed or pasted, characters CP932 cannot hold, escapes, and '@',
// which is a trail byte after an escaped lead.
QString randomText(QRandomGenerator &random, int maxPieces)
{
    static const QString pieces[] = {u"x"_s, u"yz"_s, u"\r\n"_s, u"\r"_s, u"\n"_s, u"\u2029"_s, u"\r\r\n"_s,
                                     u"\U0001F600"_s, u"\u3042"_s, u"\u2170"_s, u"\uD55C"_s, u"@"_s};
    QString text;
    for (int count = int(random.bounded(maxPieces + 1)); count > 0; --count)
        text += random.bounded(8) == 0 ? QString(QChar(char16_t(CodePage::kEscapeFirst + random.bounded(0x80))))
                                       : pieces[random.bounded(int(std::size(pieces)))];
    return text;
}

// Runs one random sequence of steps; the first difference, with the step it came at.
QString runSequence(quint32 seed, int steps, Coverage &seen)
{
    QRandomGenerator random(seed);
    const QByteArray file = randomFile(random);
    TextBuffer buffer;
    const SignalLog log(buffer);
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
            // now and then the text over itself, which changes something only where it had a
            // byte form or a break kind of its own
            const QString text = !atCaret && random.bounded(6) == 0 ? model.now().text.mid(from, to - from)
                                                                   : randomText(random, atCaret ? 1 : 3);
            const bool typing = atCaret || random.bounded(3) == 0;
            buffer.replace(from, to, text, typing ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
            model.replace(from, to, text, typing);
            caret = from + withNewlines(text).size();
            what = u"%1 \"%2\" over %3-%4"_s.arg(typing ? u"type"_s : u"replace"_s, show(text)).arg(from).arg(to);
        } else if (op < 84) {
            const bool undo = op < 75;
            what = undo ? u"undo"_s : u"redo"_s;
            const qsizetype got = undo ? buffer.undo() : buffer.redo(), expected = undo ? model.undo() : model.redo();
            if (got != expected)
                return u"step %1: %2 returned %3, expected %4"_s.arg(step).arg(what).arg(got).arg(expected);
            caret = std::max<qsizetype>(got, 0);
        } else if (op < 89) {
            const bool begin = model.depth < 2 && random.bounded(2) == 0;
            begin ? buffer.beginGroup() : buffer.endGroup();
            begin ? model.beginGroup() : model.endGroup();
            what = begin ? u"begin group"_s : u"end group"_s;
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
            const qsizetype needed = snapshotOf(next).text.size(), limit = needed - qsizetype(random.bounded(2));
            if (TextBytes::read(buffer, next, limit) != (needed <= limit))
                return u"step %1: read %2 with limit %3"_s.arg(step).arg(needed).arg(limit);
            if (needed <= limit)
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
    void breaksReadBackApart_data();
    void breaksReadBackApart();
    void chunkedWriteMatchesWhole_data();
    void chunkedWriteMatchesWhole();
    void roomStaysNearUse_data();
    void roomStaysNearUse();
    void historyKeepsInsertedTextWhileUndone_data();
    void historyKeepsInsertedTextWhileUndone();
};

// Thousands of random sequences; NYO_TEXTBUFFER_SEED picks other ones.
void TestTextBuffer::matchesPlainModel()
{
    const quint32 base = quint32(qEnvironmentVariableIsSet("NYO_TEXTBUFFER_SEED")
                                     ? qEnvironmentVariableIntValue("NYO_TEXTBUFFER_SEED") : 1);
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
    row("the same text over itself is no step", "abc", "s1-2:b t0-3:abc u", "abc", "", -1);
    row("typing over itself does not end typing", "ab", "t2:c t1-2:b t3:d u", "ab", "r", 2);
    row("the same break over a break of its own kind is a step", "a\r\nb", "s1-2:\n", "a\nb", "um", -1);
    row("unmodified inside a group ends its step", "", "( s0:a c s1:b", "ab", "um", -1);
    row("undo back to unmodified inside a group", "", "( s0:a c s1:b s2:c ) u", "a", "ur", 1);
}

void TestTextBuffer::undoSteps()
{
    QFETCH(QString, initial);
    QFETCH(QString, script);
    TextBuffer buffer;
    buffer.load(initial, {});
    qsizetype returned = -1;
    for (const QString &token : script.split(u' ', Qt::SkipEmptyParts)) {
        const QChar op = token[0];
        const QStringList range = token.section(u':', 0, 0).mid(1).split(u'-');
        if (op == u't' || op == u's')
            buffer.replace(range[0].toLongLong(), range.last().toLongLong(), token.section(u':', 1),
                           op == u't' ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
        else if (op == u'(' || op == u')')
            op == u'(' ? buffer.beginGroup() : buffer.endGroup();
        else if (op == u'u' || op == u'r')
            returned = op == u'u' ? buffer.undo() : buffer.redo();
        else if (op == u'c' || op == u'm')
            buffer.setModified(op == u'm');
        else if (op == u'x')
            buffer.clearUndo();
        else
            QFAIL(qPrintable(token));
    }
    QTEST(buffer.text(), "text");
    QTEST(QString(buffer.canUndo() ? "u" : "") + (buffer.canRedo() ? "r" : "") + (buffer.isModified() ? "m" : ""),
          "state");
    QTEST(returned, "caret");
}

// A lone CR right before a lone LF would read back as one CR LF break. A typed break is
// written so that it joins neither neighbour; two breaks of the file's own cannot be kept
// apart and are reported as a changed place, at the CR. Other neighbours stay as they are.
void TestTextBuffer::breaksReadBackApart_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("edits");  // "from-to:text" in turn, breaks in text typed
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QList<qsizetype>>("changed");
    const auto row = [](const char *name, const QByteArray &file, const QStringList &edits, const QByteArray &written,
                        const QList<qsizetype> &changed) {
        QTest::newRow(name) << file << edits << written << changed;
    };
    row("the file's CR before its LF", "a\rb\n"_ba, {u"2-3:"_s}, "a\r\n"_ba, {1});
    row("two such places and a joined byte", "\x81\r\n@\rb\nc\rd\n"_ba, {u"8-9:"_s, u"4-5:"_s, u"1-2:"_s},
        "\x81@\r\nc\r\n"_ba, {0, 2, 5});
    row("typed between a CR and an LF", "a\rb\nc"_ba, {u"2-3:\n"_s}, "a\r\r\n\nc"_ba, {});
    row("typed twice between a CR and an LF", "a\rb\nc"_ba, {u"2-3:\n\n"_s}, "a\r\r\r\n\nc"_ba, {});
    row("typed after a CR, text before the LF", "a\rb\nc"_ba, {u"2-2:\n"_s}, "a\r\rb\nc"_ba, {});
    row("LF before CR", "a\nb\r"_ba, {u"2-3:"_s}, "a\n\r"_ba, {});
    row("CR LF before LF", "a\r\nb\n"_ba, {u"2-3:"_s}, "a\r\n\n"_ba, {});
    row("CR before CR LF", "a\rb\r\n"_ba, {u"2-3:"_s}, "a\r\r\n"_ba, {});
}

void TestTextBuffer::breaksReadBackApart()
{
    QFETCH(QByteArray, file); QFETCH(QStringList, edits);
    TextBuffer buffer;
    QVERIFY(TextBytes::read(buffer, file, 1 << 20));
    for (const QString &edit : edits) {
        const QStringList range = edit.section(u':', 0, 0).split(u'-');
        buffer.replace(range[0].toLongLong(), range[1].toLongLong(), edit.section(u':', 1));
    }
    QList<qsizetype> changed;
    QTEST(TextBytes::write(buffer, nullptr, &changed), "written");
    QTEST(changed, "changed");
}

// A save encodes the text a chunk at a time, each ended at a break: cut after every break
// and every few, it writes the bytes, unencodable characters and read-back places the whole
// text in one chunk does, and the file as read where nothing was edited.
void TestTextBuffer::chunkedWriteMatchesWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QStringList>("edits");  // "from-to:text" in turn
    const auto row = [](const char *name, const QByteArray &file, Encoding encoding, const QStringList &edits = {}) {
        QTest::newRow(name) << file << int(encoding) << edits;
    };
    const QString escape(QChar(char16_t(0xEF41)));  // the byte 0x41 as an escape
    row("CP932 escapes as read", "a\x81\r\n\x80@\r\n\x82\n\x81\r\x81"_ba, Encoding::Cp932);
    row("CP932 escapes joined by edits", "a\x81\r\nb\r\n\x82\nc\x81\r\x81\n@"_ba, Encoding::Cp932,
        {u"11-12:"_s, u"6-7:"_s, u"2-3:"_s});
    row("CP932 break kinds mixed, typed ones among them", "a\rb\nc\r\nd\r\n\n\r\re"_ba, Encoding::Cp932,
        {u"1-2:\n"_s, u"4-4:\r\n\n"_s, u"0-0:\n"_s});
    row("CP932 a CR before an LF, both the file's", "a\rb\n\r\nc\rd\n"_ba, Encoding::Cp932, {u"2-3:"_s, u"6-7:"_s});
    row("CP932 byte forms after CR LF breaks", "\xED\x40\r\nx\xED\x40\r\n\r\n\xFA\x4A\n\xED\x40"_ba, Encoding::Cp932);
    row("CP932 characters it cannot hold", "a\r\nb\r\nc"_ba, Encoding::Cp932,
        {u"1-1:\uD55C"_s, u"3-3:\U0001F600\n\u3042"_s});
    row("UTF-8 BOM escapes and a cut sequence", "\xEF\xBB\xBF" "a\xE3\x81\r\n\xC3\nb\r\xE3"_ba, Encoding::Utf8Bom);
    row("UTF-8 escapes joined by edits", "a\nb\xE3\x81\r\n\x81\nb\r\xC3\n\xA9"_ba, Encoding::Utf8, {u"10-11:"_s, u"5-6:"_s});
    row("UTF-8 lone surrogate typed", "a\nb\nc"_ba, Encoding::Utf8, {u"2-2:"_s + QChar(char16_t(0xD800)) + u"\n"_s});
    row("UTF-16LE odd escapes out of step", "a\0\r\0\n\0b\0\n\0c\0\n\0d"_ba, Encoding::Utf16Le,
        {u"2-2:"_s + escape, u"6-6:"_s + escape + u"\n"_s + escape});
    row("UTF-16BE BOM, escapes in pairs and alone", "\xFE\xFF\0a\0\r\0\n\0b\0\n\xEF"_ba, Encoding::Utf16Be,
        {u"3-3:"_s + escape + escape + u"\n"_s});
    row("EUC-JP escapes and byte forms", "\xA4\xA2\r\n\x8F\r\n\xA4\n\x8E\r\xFC\xF1"_ba, Encoding::EucJp);
    row("EUC-JP escapes joined by edits", "\xA4\xA2\r\n\x8F\r\n\xA4\n\xA4\xA2\x8E\r\xB1"_ba, Encoding::EucJp,
        {u"8-9:"_s, u"5-6:"_s});
}

void TestTextBuffer::chunkedWriteMatchesWhole()
{
    QFETCH(QByteArray, file); QFETCH(int, encoding); QFETCH(QStringList, edits);
    QList<CodePage::Variant> variants;
    bool bom = false;
    TextBuffer buffer;
    buffer.load(Encodings::decode(Encoding(encoding), file, &variants, &bom), variants);
    for (const QString &edit : edits) {
        const QStringList range = edit.section(u':', 0, 0).split(u'-');
        buffer.replace(range[0].toLongLong(), range[1].toLongLong(), edit.section(u':', 1));
    }
    const TextBytes::Format format{Encoding(encoding), bom};
    QList<qsizetype> unencodable, changed;
    const QByteArray whole =
        TextBytes::write(buffer, &unencodable, &changed, format, std::numeric_limits<qsizetype>::max());
    if (edits.isEmpty())
        QCOMPARE(whole, file);
    for (const qsizetype chunkChars : {1, 2, 3, 5, 8}) {
        QList<qsizetype> chunkUnencodable, chunkChanged;
        QCOMPARE(TextBytes::write(buffer, &chunkUnencodable, &chunkChanged, format, chunkChars), whole);
        QCOMPARE(chunkUnencodable, unencodable);
        QCOMPARE(chunkChanged, changed);
    }
}

// The storage grows by a sixth of what it holds, never by doubling: a loaded or typed text
// holds little more room than its characters, line starts and break kinds take.
void TestTextBuffer::roomStaysNearUse_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("typed");  // typed line by line at the end, else loaded
    QTest::addRow("loaded") << 40000 << false;
    QTest::addRow("typed") << 40000 << true;
}

void TestTextBuffer::roomStaysNearUse()
{
    QFETCH(int, lines); QFETCH(bool, typed);
    TextBuffer buffer;
    if (typed) {
        for (int i = 0; i < lines; ++i)
            buffer.replace(buffer.length(), buffer.length(), u"ab\n"_s, TextBuffer::Undo::Typing);
    } else {
        buffer.load(u"ab\r\n"_s.repeated(lines), {});
    }
    const auto nearUse = [](qsizetype held, qsizetype used) { return held <= used + used / 6 + 64; };
    const TextBuffer::MemoryUse use = buffer.memoryUse();
    const qsizetype starts = buffer.lineCount() + 1;  // the total too
    QVERIFY2(nearUse(use.lines, starts * qsizetype(sizeof(qsizetype))), qPrintable(QString::number(use.lines)));
    QVERIFY2(nearUse(use.breaks, buffer.lineCount()), qPrintable(QString::number(use.breaks)));
    QVERIFY2(nearUse(use.text, 2 * (buffer.length() + (typed ? 0 : lines))), qPrintable(QString::number(use.text)));
}

// What an edit put in is in the buffer: the history keeps it only once the edit is undone,
// for a redo. What it took out the history keeps all along.
void TestTextBuffer::historyKeepsInsertedTextWhileUndone_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");
    QTest::addColumn<bool>("typing");
    QTest::addRow("typed") << QString() << qsizetype(0) << qsizetype(0) << true;
    QTest::addRow("pasted") << u"ab\ncd"_s << qsizetype(2) << qsizetype(2) << false;
    QTest::addRow("over a selection") << u"ab\ncd"_s.repeated(2000) << qsizetype(1) << qsizetype(9000) << false;
}

void TestTextBuffer::historyKeepsInsertedTextWhileUndone()
{
    QFETCH(QString, initial); QFETCH(qsizetype, from); QFETCH(qsizetype, to); QFETCH(bool, typing);
    constexpr qsizetype kInserted = 20000;
    TextBuffer buffer;
    buffer.load(initial, {});
    if (typing) {
        for (qsizetype i = 0; i < kInserted; ++i)
            buffer.replace(from + i, from + i, u"x"_s, TextBuffer::Undo::Typing);
    } else {
        buffer.replace(from, to, u"x\ny"_s.repeated(kInserted / 3 + 1).left(kInserted));
    }
    const qsizetype removedBytes = 2 * (to - from);
    const qsizetype insertedBytes = 2 * kInserted;
    const auto held = [&buffer] { return buffer.memoryUse().history; };
    QVERIFY2(held() >= removedBytes && held() < removedBytes + insertedBytes / 2, qPrintable(QString::number(held())));
    buffer.undo();
    QVERIFY2(held() >= removedBytes + insertedBytes, qPrintable(QString::number(held())));
    buffer.redo();
    QVERIFY2(held() >= removedBytes && held() < removedBytes + insertedBytes / 2, qPrintable(QString::number(held())));
    buffer.undo();
    QCOMPARE(buffer.text(), initial);
}

QTEST_GUILESS_MAIN(TestTextBuffer)
#include "tst_textbuffer.moc"
