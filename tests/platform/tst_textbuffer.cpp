// The text buffer: random edits, undo and redo checked step by step against a plain model
// (text, line index, break kinds, byte forms, history, signals and the bytes written), the
// undo grouping rules, the line index class on its own, and file bytes in and out.
#include "platform/partitioning.h"
#include "platform/textbuffer.h"
#include "platform/textbytes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <map>
#include <vector>

namespace {

using Break = TextBuffer::Break;

template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
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
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    return s;
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
        s.text += QLatin1Char('\n');
        s.kinds.append(quint8(kind));
    }
    s.kinds.append(quint8(Break::Typed));
    for (const CodePage::Variant &v : variants)
        s.forms[at[size_t(v.pos)]] = v.code;
    return s;
}

void editSnapshot(Snapshot &s, qsizetype from, qsizetype to, const QString &added)
{
    const qsizetype line = s.text.left(from).count(QLatin1Char('\n'));
    s.kinds.remove(line, s.text.mid(from, to - from).count(QLatin1Char('\n')));
    s.text.replace(from, to - from, added);
    for (qsizetype i = 0; i < added.count(QLatin1Char('\n')); ++i)
        s.kinds.insert(line, quint8(Break::Typed));
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

QByteArray bytesOf(const Snapshot &s, QList<qsizetype> *unencodable, QList<qsizetype> *changed)
{
    QString out;
    QList<qsizetype> textPos;  // for each character of out
    out.reserve(s.text.size() * 2);
    textPos.reserve(s.text.size() * 2);
    QList<CodePage::Variant> forms;
    const QStringList lines = s.text.split(QLatin1Char('\n'));
    qsizetype pos = 0;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        for (QChar c : lines[line]) {
            if (const auto form = s.forms.find(pos); form != s.forms.end())
                forms.append(CodePage::Variant{out.size(), form->second});
            out += c;
            textPos.append(pos++);
        }
        if (line + 1 == lines.size())
            break;
        const Break kind = writtenKind(s.kinds, line);
        const QString brk = kind == Break::CrLf ? QStringLiteral("\r\n") : kind == Break::Lf ? QStringLiteral("\n")
                                                                                             : QStringLiteral("\r");
        for (QChar c : brk) {
            out += c;
            textPos.append(pos);
        }
        ++pos;
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

    void load(const QByteArray &bytes)
    {
        m_states = {snapshotOf(bytes)};
        m_steps = {StepInfo{}};
        m_done = m_clean = 0;
        m_groupHasStep = false;
    }

    void replace(qsizetype from, qsizetype to, const QString &text, bool typing)
    {
        const qsizetype length = now().text.size();
        from = std::clamp<qsizetype>(from, 0, length);
        to = std::clamp<qsizetype>(to, from, length);
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
            m_steps[size_t(m_done)].typingEnd = end;
            m_steps[size_t(m_done)].redoCaret = end;
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
    int depth() const { return m_depth; }

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
    void clearUndo()
    {
        const Snapshot kept = now();
        m_clean = isModified() ? -1 : 0;
        m_states = {kept};
        m_steps = {StepInfo{}};
        m_done = 0;
        m_groupHasStep = false;
    }
    void setModified(bool modified) { m_clean = modified ? -1 : m_done; }

private:
    struct StepInfo {
        bool typing = false;
        qsizetype typingEnd = -1;  // where its last insertion ended; -1 after a removal
        qsizetype undoCaret = 0;   // the end of what its first edit removed
        qsizetype redoCaret = 0;   // the end of what its last edit inserted
    };
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
    bool canUndo = false, canRedo = false, modified = false;
    QString error;

    void watch(TextBuffer &buffer)
    {
        QObject::connect(&buffer, &TextBuffer::changed, [this, &buffer](const TextBuffer::Change &c) {
            const auto breaks = [](QStringView s) { return s.count(QLatin1Char('\n')); };
            const QString added = buffer.text(c.pos, c.pos + c.added);
            if (error.isEmpty() && (c.pos + c.removed > text.size() ||
                                    c.firstLine != breaks(QStringView(text).left(c.pos)) ||
                                    c.linesRemoved != breaks(QStringView(text).mid(c.pos, c.removed)) ||
                                    c.linesAdded != breaks(added)))
                error = QStringLiteral("change {%1,%2,%3,%4,%5,%6} does not fit")
                            .arg(c.pos).arg(c.removed).arg(c.added).arg(c.firstLine).arg(c.linesRemoved)
                            .arg(c.linesAdded);
            text.replace(c.pos, c.removed, added);
        });
        QObject::connect(&buffer, &TextBuffer::undoAvailable, [this](bool on) { canUndo = on; });
        QObject::connect(&buffer, &TextBuffer::redoAvailable, [this](bool on) { canRedo = on; });
        QObject::connect(&buffer, &TextBuffer::modificationChanged, [this](bool on) { modified = on; });
    }
};

QString show(const QString &s)
{
    QString out;
    for (QChar c : s)
        out += c.unicode() >= 0x20 && c.unicode() < 0x7F ? QString(c) : QStringLiteral("\\x%1").arg(c.unicode(), 0, 16);
    return out;
}

// The first way the buffer differs from the model, empty when it does not.
QString difference(const TextBuffer &buffer, const Model &model, const SignalLog &log)
{
    const Snapshot &s = model.now();
    if (buffer.text() != s.text)
        return QStringLiteral("text \"%1\", expected \"%2\"").arg(show(buffer.text()), show(s.text));
    if (buffer.length() != s.text.size() || buffer.lineCount() != s.kinds.size())
        return QStringLiteral("length %1 or line count %2").arg(buffer.length()).arg(buffer.lineCount());
    QString scratch;
    qsizetype start = 0;
    for (qsizetype line = 0; line < s.kinds.size(); ++line) {
        qsizetype end = s.text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = s.text.size();
        if (buffer.lineStart(line) != start || buffer.lineEnd(line) != end)
            return QStringLiteral("line %1 at %2-%3, expected %4-%5")
                .arg(line).arg(buffer.lineStart(line)).arg(buffer.lineEnd(line)).arg(start).arg(end);
        if (buffer.breakAfter(line) != Break(s.kinds[line]))
            return QStringLiteral("break after line %1 is %2").arg(line).arg(int(buffer.breakAfter(line)));
        if (buffer.lineView(line, scratch) != QStringView(s.text).mid(start, end - start))
            return QStringLiteral("view of line %1").arg(line);
        for (qsizetype pos = start; pos <= end; ++pos) {
            if (buffer.lineOf(pos) != line)
                return QStringLiteral("line of %1 is %2, expected %3").arg(pos).arg(buffer.lineOf(pos)).arg(line);
        }
        start = end + 1;
    }
    QList<CodePage::Variant> forms;
    for (const auto &[pos, code] : s.forms)
        forms.append(CodePage::Variant{pos, code});
    if (buffer.variants() != forms)
        return QStringLiteral("%1 variants, expected %2").arg(buffer.variants().size()).arg(forms.size());
    for (qsizetype pos = 0; pos < s.text.size(); ++pos) {
        const auto form = s.forms.find(pos);
        if (buffer.variantAt(pos) != (form == s.forms.end() ? 0 : form->second))
            return QStringLiteral("variant at %1").arg(pos);
        if (buffer.at(pos) != s.text[pos])
            return QStringLiteral("character at %1").arg(pos);
    }
    if (buffer.canUndo() != model.canUndo() || buffer.canRedo() != model.canRedo() ||
        buffer.isModified() != model.isModified())
        return QStringLiteral("undo %1 redo %2 modified %3")
            .arg(buffer.canUndo()).arg(buffer.canRedo()).arg(buffer.isModified());
    if (!log.error.isEmpty())
        return log.error;
    if (log.text != s.text || log.canUndo != model.canUndo() || log.canRedo != model.canRedo() ||
        log.modified != model.isModified())
        return QStringLiteral("signals: text \"%1\", undo %2 redo %3 modified %4")
            .arg(show(log.text)).arg(log.canUndo).arg(log.canRedo).arg(log.modified);
    QList<qsizetype> unencodable, changed, expectedUnencodable, expectedChanged;
    const QByteArray bytes = TextBytes::write(buffer, &unencodable, &changed);
    if (bytes != bytesOf(s, &expectedUnencodable, &expectedChanged))
        return QStringLiteral("bytes %1").arg(QString::fromLatin1(bytes.toHex()));
    if (unencodable != expectedUnencodable || changed != expectedChanged)
        return QStringLiteral("unencodable or changed positions");
    return {};
}

// --- random input ------------------------------------------------------------------------

QByteArray randomFile(QRandomGenerator &random)
{
    static const QByteArray pieces[] = {
        raw("a"), raw("bc"), raw("\r\n"), raw("\r"), raw("\n"), raw("\r\n"), raw("\x82\xa0"),
        raw("\xED\x40"), raw("\x87\x90"), raw("\xFA\x4A"), raw("\xEE\xEF"),  // duplicate forms
        raw("\x81"), raw("\x80"), raw("\xFD"), raw("\0"), raw("\xB1"),
    };
    QByteArray bytes;
    const int count = int(random.bounded(40));
    for (int i = 0; i < count; ++i)
        bytes += pieces[random.bounded(int(std::size(pieces)))];
    return bytes;
}

QString randomText(QRandomGenerator &random, int maxPieces)
{
    static const QString pieces[] = {
        QStringLiteral("x"), QStringLiteral("yz"), QStringLiteral("\r\n"), QStringLiteral("\r"),
        QStringLiteral("\n"), QString(QChar(QChar::ParagraphSeparator)), QStringLiteral("\r\r\n"),
        QString::fromUtf16(u"\U0001F600"), QString::fromUtf16(u"\u3042"), QString::fromUtf16(u"\u2170"),
        QString::fromUtf16(u"\uD55C"), QStringLiteral("@"),
    };
    QString text;
    const int count = int(random.bounded(maxPieces + 1));
    for (int i = 0; i < count; ++i) {
        if (random.bounded(8) == 0)
            text += QChar(char16_t(CodePage::kEscapeFirst + random.bounded(0x80)));
        else
            text += pieces[random.bounded(int(std::size(pieces)))];
    }
    return text;
}

// Runs one random sequence of edits; the first difference, with the step it came at.
QString runSequence(quint32 seed, int steps)
{
    QRandomGenerator random(seed);
    const QByteArray file = randomFile(random);
    TextBuffer buffer;
    SignalLog log;
    log.watch(buffer);
    Model model(file);
    if (!TextBytes::read(buffer, file, 1 << 20) || TextBytes::write(buffer) != file)
        return QStringLiteral("file %1 does not come back").arg(QString::fromLatin1(file.toHex()));
    qsizetype caret = 0;
    for (int step = 0; step < steps; ++step) {
        const qsizetype length = model.now().text.size();
        const int op = int(random.bounded(100));
        QString what;
        if (op < 30) {  // typing at the caret, now and then over a selection
            const qsizetype from = std::min(caret, length);
            const qsizetype to = random.bounded(4) == 0 ? std::min(length, from + random.bounded(3)) : from;
            const QString text = randomText(random, 1);
            buffer.replace(from, to, text, TextBuffer::Undo::Typing);
            model.replace(from, to, text, true);
            caret = from + withNewlines(text).size();
            what = QStringLiteral("type \"%1\" over %2-%3").arg(show(text)).arg(from).arg(to);
        } else if (op < 60) {
            qsizetype from = random.bounded(length + 1);
            qsizetype to = std::min(length, from + random.bounded(random.bounded(3) == 0 ? 20 : 4));
            if (random.bounded(16) == 0) {  // out of range: clamped to the text
                from = length - 1 + random.bounded(4);
                to = from - 2 + random.bounded(4);
            }
            const QString text = randomText(random, 3);
            const bool typing = random.bounded(3) == 0;
            buffer.replace(from, to, text, typing ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
            model.replace(from, to, text, typing);
            caret = from + withNewlines(text).size();
            what = QStringLiteral("replace %1-%2 by \"%3\"").arg(from).arg(to).arg(show(text));
        } else if (op < 75) {
            const qsizetype got = buffer.undo();
            const qsizetype expected = model.undo();
            if (got != expected)
                return QStringLiteral("step %1: undo returned %2, expected %3").arg(step).arg(got).arg(expected);
            caret = std::max<qsizetype>(got, 0);
            what = QStringLiteral("undo");
        } else if (op < 84) {
            const qsizetype got = buffer.redo();
            const qsizetype expected = model.redo();
            if (got != expected)
                return QStringLiteral("step %1: redo returned %2, expected %3").arg(step).arg(got).arg(expected);
            caret = std::max<qsizetype>(got, 0);
            what = QStringLiteral("redo");
        } else if (op < 89) {
            if (model.depth() < 2 && random.bounded(2) == 0) {
                buffer.beginGroup();
                model.beginGroup();
                what = QStringLiteral("begin group");
            } else {
                buffer.endGroup();
                model.endGroup();
                what = QStringLiteral("end group");
            }
        } else if (op < 94) {
            const bool modified = random.bounded(4) == 0;
            buffer.setModified(modified);
            model.setModified(modified);
            what = QStringLiteral("set modified %1").arg(modified);
        } else if (op < 97) {
            buffer.clearUndo();
            model.clearUndo();
            what = QStringLiteral("clear undo");
        } else {
            const QByteArray next = randomFile(random);
            const qsizetype needed = snapshotOf(next).text.size();
            const qsizetype limit = needed - qsizetype(random.bounded(2));
            const bool read = TextBytes::read(buffer, next, limit);
            if (read != (needed <= limit))
                return QStringLiteral("step %1: read %2 with limit %3 gave %4").arg(step).arg(needed).arg(limit).arg(read);
            if (read)
                model.load(next);
            caret = 0;
            what = QStringLiteral("read %1").arg(QString::fromLatin1(next.toHex()));
        }
        if (const QString diff = difference(buffer, model, log); !diff.isEmpty())
            return QStringLiteral("step %1 (%2): %3").arg(step).arg(what, diff);
    }
    return {};
}

} // namespace

namespace CodePage {
char *toString(const Variant &v)
{
    return QTest::toString(QStringLiteral("{%1, %2}").arg(v.pos).arg(v.code, 4, 16, QLatin1Char('0')));
}
} // namespace CodePage

class TestTextBuffer : public QObject {
    Q_OBJECT

private slots:
    void matchesPlainModel();
    void undoSteps_data();
    void undoSteps();

    void roundTrip_data();
    void roundTrip();
    void readRefusesTextOverLimit();
    void editedBytes_data();
    void editedBytes();
    void unencodableAndChangedPositions_data();
    void unencodableAndChangedPositions();
};

// Thousands of random sequences; NYO_TEXTBUFFER_SEED picks other ones.
void TestTextBuffer::matchesPlainModel()
{
    const quint32 base = qEnvironmentVariableIsSet("NYO_TEXTBUFFER_SEED")
                             ? quint32(qEnvironmentVariableIntValue("NYO_TEXTBUFFER_SEED"))
                             : 1;
    constexpr int kSequences = 1500;
    for (quint32 seed = base; seed < base + kSequences; ++seed) {
        const QString failure = runSequence(seed, 24);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("seed %1, %2").arg(seed).arg(failure)));
    }
}

// A script of edits: "t<from>[-<to>]:<text>" typed, "s..." a step of its own, "(" and ")"
// a group, "u" undo, "r" redo, "c" mark unmodified, "m" mark modified, "x" clear undo.
void TestTextBuffer::undoSteps_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("canUndo");
    QTest::addColumn<bool>("canRedo");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<qsizetype>("caret");  // from the last undo or redo

    const QString none;
    QTest::newRow("typing is one step") << none << "t0:a t1:b t2:c u" << "" << false << true << false << qsizetype(0);
    QTest::newRow("typing elsewhere starts a step") << none << "t0:a t1:b t0:x u" << "ab" << true << true << true
                                                    << qsizetype(0);
    QTest::newRow("typing after a step starts a step") << none << "s0:a t1:b u" << "a" << true << true << true
                                                       << qsizetype(1);
    QTest::newRow("a step never joins typing") << none << "t0:a s1:b u" << "a" << true << true << true << qsizetype(1);
    QTest::newRow("typing over a selection starts a step typing joins")
        << "abc" << "t0:x t1:y t0-2:z t1:w u" << "xyabc" << true << true << true << qsizetype(2);
    QTest::newRow("a removal ends typing") << "abc" << "t3:d t3-4: t3:e u" << "abc" << true << true << true
                                           << qsizetype(3);
    QTest::newRow("a group is one step") << none << "( s0:a t1:b s0-1:c ) u" << "" << false << true << false
                                         << qsizetype(0);
    QTest::newRow("groups nest") << none << "( s0:a ( s1:b ) s2:c ) u" << "" << false << true << false
                                 << qsizetype(0);
    QTest::newRow("typing does not join a group") << none << "( t0:a ) t1:b u" << "a" << true << true << true
                                                  << qsizetype(1);
    QTest::newRow("an empty group is no step") << none << "s0:a ( ) u" << "" << false << true << false
                                               << qsizetype(0);
    QTest::newRow("redo brings the step back") << "hello" << "s1-4:X u r" << "hXo" << true << false << true
                                               << qsizetype(2);
    QTest::newRow("undo puts the caret after the restored text") << "hello" << "s1-4:X u" << "hello" << false
                                                                 << true << false << qsizetype(4);
    QTest::newRow("a new edit clears redo") << none << "s0:a s1:b u s1:c" << "ac" << true << false << true
                                            << qsizetype(1);
    QTest::newRow("undo back to unmodified") << none << "s0:a c s1:b u" << "a" << true << true << false
                                             << qsizetype(1);
    QTest::newRow("undo away from unmodified") << none << "s0:a c u" << "" << false << true << true
                                               << qsizetype(0);
    QTest::newRow("typing does not join across unmodified") << none << "t0:a c t1:b u" << "a" << true << true
                                                            << false << qsizetype(1);
    QTest::newRow("unmodified state replaced by a new edit")
        << none << "s0:a s1:b c u u s0:x u" << "" << false << true << true << qsizetype(0);
    QTest::newRow("marked modified has no way back") << none << "s0:a u m r u" << "" << false << true << true
                                                     << qsizetype(0);
    QTest::newRow("clearing undo keeps modified text modified") << none << "s0:a x" << "a" << false << false
                                                                << true << qsizetype(-1);
    QTest::newRow("clearing undo of unmodified text") << none << "s0:a c x" << "a" << false << false << false
                                                      << qsizetype(-1);
    QTest::newRow("an edit that changes nothing is no step") << "ab" << "s1: u" << "ab" << false << false
                                                             << false << qsizetype(-1);
}

void TestTextBuffer::undoSteps()
{
    QFETCH(QString, initial);
    QFETCH(QString, script);
    QFETCH(QString, text);
    QFETCH(bool, canUndo);
    QFETCH(bool, canRedo);
    QFETCH(bool, modified);
    QFETCH(qsizetype, caret);
    TextBuffer buffer;
    buffer.load(initial, {});
    qsizetype returned = -1;
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar op = token[0];
        if (op == u't' || op == u's') {
            const qsizetype colon = token.indexOf(QLatin1Char(':'));
            const QStringList range = token.mid(1, colon - 1).split(QLatin1Char('-'));
            const qsizetype from = range[0].toLongLong();
            const qsizetype to = range.size() > 1 ? range[1].toLongLong() : from;
            buffer.replace(from, to, token.mid(colon + 1), op == u't' ? TextBuffer::Undo::Typing : TextBuffer::Undo::Step);
        } else if (op == u'(') {
            buffer.beginGroup();
        } else if (op == u')') {
            buffer.endGroup();
        } else if (op == u'u') {
            returned = buffer.undo();
        } else if (op == u'r') {
            returned = buffer.redo();
        } else if (op == u'c' || op == u'm') {
            buffer.setModified(op == u'm');
        } else {
            QCOMPARE(op, QLatin1Char('x'));
            buffer.clearUndo();
        }
    }
    QCOMPARE(buffer.text(), text);
    QCOMPARE(buffer.canUndo(), canUndo);
    QCOMPARE(buffer.canRedo(), canRedo);
    QCOMPARE(buffer.isModified(), modified);
    QCOMPARE(returned, caret);
}

// --- file bytes --------------------------------------------------------------------------

void TestTextBuffer::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("length");  // a CR LF counts one

    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("no final line break") << raw("abc\r\ndef") << qsizetype(7);
    QTest::newRow("mixed breaks") << raw("a\r\nb\nc\rd\n\r\r\n\r") << qsizetype(11);
    QTest::newRow("CR before CR LF") << raw("a\r\r\nb") << qsizetype(4);
    QTest::newRow("NUL bytes") << raw("\0a\0\r\n\0") << qsizetype(5);
    QTest::newRow("lead byte before CR LF") << raw("\x82\r\n\x82\n") << qsizetype(4);
    QTest::newRow("unassigned pair") << raw("\x85\x40\xEB\x40") << qsizetype(4);
    QTest::newRow("duplicates across lines") << raw("\xED\x40\n\xEE\xEF\r\xFA\x4A\x87\x90\r\n\x87\x91")
                                             << qsizetype(8);
    QTest::newRow("Japanese text") << raw("\x82\xa0\x82\xa2\x83\x41\xb1\r\n\x8a\xbf\x8e\x9a") << qsizetype(7);
}

void TestTextBuffer::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, length);
    TextBuffer buffer;
    QVERIFY(!TextBytes::read(buffer, bytes, length - 1));
    QVERIFY(TextBytes::read(buffer, bytes, length));
    QCOMPARE(buffer.length(), length);
    QVERIFY(!buffer.isModified());
    QVERIFY(!buffer.canUndo());
    QList<qsizetype> unencodable, changed;
    QCOMPARE(TextBytes::write(buffer, &unencodable, &changed), bytes);
    QVERIFY(unencodable.isEmpty());
    QVERIFY(changed.isEmpty());
}

void TestTextBuffer::readRefusesTextOverLimit()
{
    TextBuffer buffer;
    QVERIFY(TextBytes::read(buffer, raw("ab\rc"), 4));
    buffer.replace(0, 0, QStringLiteral("x"));
    QVERIFY(!TextBytes::read(buffer, raw("a\r\nb\r\nc"), 4));
    QCOMPARE(buffer.text(), QStringLiteral("xab\nc"));
    QVERIFY(buffer.canUndo());
    QVERIFY(buffer.isModified());
    QVERIFY(TextBytes::read(buffer, raw("a\r\nb\r\nc"), 5));
    QCOMPARE(buffer.text(), QStringLiteral("a\nb\nc"));
}

// One edit, the bytes it gives, and undo and redo back and forth.
void TestTextBuffer::editedBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    const QString enter = QStringLiteral("\n");
    QTest::newRow("break in an empty text") << QByteArray() << qsizetype(0) << qsizetype(0) << enter << raw("\r\n");
    QTest::newRow("break at the end of an LF file") << raw("a\nb\n") << qsizetype(4) << qsizetype(4) << enter
                                                    << raw("a\nb\n\n");
    QTest::newRow("break in the first line takes the next kind") << raw("ab\rcd") << qsizetype(0) << qsizetype(0)
                                                                 << enter << raw("\rab\rcd");
    QTest::newRow("break after an LF among CR LF") << raw("a\r\nb\nc\r\nd") << qsizetype(5) << qsizetype(5)
                                                   << enter << raw("a\r\nb\nc\n\r\nd");
    QTest::newRow("pasted breaks of every kind") << raw("a\nb") << qsizetype(3) << qsizetype(3)
                                                 << QString::fromUtf16(u"x\r\ny\rz\u2029") << raw("a\nbx\ny\nz\n");
    QTest::newRow("joining lines keeps the later break") << raw("aa\r\nbb\ncc\rdd") << qsizetype(5)
                                                         << qsizetype(6) << QString() << raw("aa\r\nbbcc\rdd");
    QTest::newRow("empty line joined forward") << raw("aa\r\n\ncc") << qsizetype(3) << qsizetype(4) << QString()
                                               << raw("aa\r\ncc");
    QTest::newRow("deleting a character drops its form") << raw("x\xEE\xEFy") << qsizetype(1) << qsizetype(2)
                                                         << QString(QChar(0x2170)) << raw("x\xFA\x40y");
    QTest::newRow("a character typed after a form has its default")
        << raw("x\xEE\xEFy") << qsizetype(2) << qsizetype(2) << QString(QChar(0x2170)) << raw("x\xEE\xEF\xFA\x40y");
    QTest::newRow("forms after an edit move with it") << raw("a\r\n\xED\x40\n\xED\x40") << qsizetype(0)
                                                      << qsizetype(1) << QStringLiteral("bc\r")
                                                      << raw("bc\r\n\r\n\xED\x40\n\xED\x40");
}

void TestTextBuffer::editedBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, to);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    TextBuffer buffer;
    QVERIFY(TextBytes::read(buffer, bytes, 1000));
    buffer.replace(from, to, text);
    QCOMPARE(TextBytes::write(buffer), expected);
    buffer.undo();
    QCOMPARE(TextBytes::write(buffer), bytes);
    buffer.redo();
    QCOMPARE(TextBytes::write(buffer), expected);
}

void TestTextBuffer::unencodableAndChangedPositions_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("at");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QList<qsizetype>>("unencodable");
    QTest::addColumn<QList<qsizetype>>("changed");

    QTest::newRow("after CR LF lines") << raw("a\r\nb\r\n") << qsizetype(4) << QString::fromUtf16(u"\U0001F600\uD55C")
                                       << raw("a\r\nb\r\n??") << QList<qsizetype>{4, 6} << QList<qsizetype>{};
    QTest::newRow("escaped lead joined with a trail") << raw("x\r\n\x81\r\n") << qsizetype(3) << QStringLiteral("@")
                                                      << raw("x\r\n\x81@\r\n") << QList<qsizetype>{}
                                                      << QList<qsizetype>{2};
}

void TestTextBuffer::unencodableAndChangedPositions()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, at);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QFETCH(QList<qsizetype>, unencodable);
    QFETCH(QList<qsizetype>, changed);
    TextBuffer buffer;
    QVERIFY(TextBytes::read(buffer, bytes, 1000));
    buffer.replace(at, at, text);
    QList<qsizetype> gotUnencodable, gotChanged;
    QCOMPARE(TextBytes::write(buffer, &gotUnencodable, &gotChanged), expected);
    QCOMPARE(gotUnencodable, unencodable);
    QCOMPARE(gotChanged, changed);
}

QTEST_GUILESS_MAIN(TestTextBuffer)
#include "tst_textbuffer.moc"
