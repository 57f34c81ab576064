// The CP932 codec, checked against glibc's iconv "CP932" (a table of its own, not the python
// codec the codec's tables are generated from) for every byte, pair and BMP character.
#include "platform/codepage.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <cerrno>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define HAVE_ICONV 1
#endif

using CodePage::Variant;

namespace CodePage {
char *toString(const Variant &v)
{
    return QTest::toString(QStringLiteral("{%1, %2}").arg(v.pos).arg(v.code, 4, 16, QLatin1Char('0')));
}
} // namespace CodePage

namespace {

const QList<int> &leadBytes()
{
    static const QList<int> leads = [] {
        QList<int> l;
        for (int b = 0x81; b <= 0xFC; ++b) {
            if (b <= 0x9F || b >= 0xE0)
                l.append(b);
        }
        return l;
    }();
    return leads;
}

bool isLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(int b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
QChar esc(int byte) { return QChar(char16_t(0xEF00 + byte)); }

// The byte forms Windows reads but never writes, as Debian's WINDOWS-31J charmap marks them.
QSet<quint16> duplicateForms()
{
    const int ranges[][2] = {{0x8790, 0x8792}, {0x8795, 0x8797}, {0x879A, 0x879C},
                             {0xED40, 0xED7E}, {0xED80, 0xEDFC}, {0xEE40, 0xEE7E},
                             {0xEE80, 0xEEEC}, {0xEEEF, 0xEEFC}, {0xFA4A, 0xFA54},
                             {0xFA58, 0xFA5B}};
    QSet<quint16> forms;
    for (const auto &r : ranges) {
        for (int c = r[0]; c <= r[1]; ++c)
            forms.insert(quint16(c));
    }
    return forms;
}

QByteArray pairBytes(int code)
{
    const char bytes[2] = {char(code >> 8), char(code & 0xFF)};
    return QByteArray(bytes, 2);
}

#ifdef HAVE_ICONV
// One direction of glibc's converter; convert() returns false when iconv rejects any input.
class Iconv
{
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool valid() const { return m_cd != iconv_t(-1); }

    bool convert(QByteArrayView in, QByteArray *out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out->resize(in.size() * 4 + 16);
        char *ip = const_cast<char *>(in.data());
        size_t il = size_t(in.size());
        char *op = out->data();
        size_t ol = size_t(out->size());
        const size_t r = iconv(m_cd, &ip, &il, &op, &ol);
        out->resize(op - out->data());
        return r != size_t(-1) && il == 0;
    }

private:
    iconv_t m_cd;
};
#endif

} // namespace

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void singleBytes();
    void everyPairAgreesWithIconv();
    void everyBmpCharacterEncodesLikeIconv();
    void longMixedTextAgreesWithIconv();
    void duplicateFormsRoundTripThroughVariants();
    void variantsThatNoLongerFitAreIgnored();
    void randomBytesRoundTrip();
    void badInputIsEscapedAndResynchronised_data();
    void badInputIsEscapedAndResynchronised();
    void unencodableCharactersAreReported();
    void readBackChangesFindsJoinedBytes_data();
    void readBackChangesFindsJoinedBytes();

private:
#ifdef HAVE_ICONV
    QString iconvDecode(QByteArrayView bytes, bool *ok);
    QByteArray iconvEncode(QStringView text, bool *ok);
    std::unique_ptr<Iconv> m_toUtf16;
    std::unique_ptr<Iconv> m_fromUtf16;
#endif
};

void TestCodePage::initTestCase()
{
#ifdef HAVE_ICONV
    m_toUtf16 = std::make_unique<Iconv>("UTF-16LE", "CP932");
    m_fromUtf16 = std::make_unique<Iconv>("CP932", "UTF-16LE");
    QVERIFY2(m_toUtf16->valid() && m_fromUtf16->valid(), "glibc iconv lacks CP932");
#endif
}

#ifdef HAVE_ICONV
QString TestCodePage::iconvDecode(QByteArrayView bytes, bool *ok)
{
    QByteArray out;
    *ok = m_toUtf16->convert(bytes, &out);
    return QString(reinterpret_cast<const QChar *>(out.constData()), out.size() / 2);
}

QByteArray TestCodePage::iconvEncode(QStringView text, bool *ok)
{
    QByteArray out;
    *ok = m_fromUtf16->convert(QByteArrayView(reinterpret_cast<const char *>(text.utf16()),
                                              text.size() * 2), &out);
    return out;
}
#define NEED_ICONV()
#else
#define NEED_ICONV() QSKIP("no iconv on this platform")
#endif

void TestCodePage::singleBytes()
{
    NEED_ICONV();
#ifdef HAVE_ICONV
    // Bytes iconv rejects but Windows reads.
    const QHash<int, char16_t> windowsOnly{
        {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
    for (int b = 0; b < 0x100; ++b) {
        const QByteArray bytes(1, char(b));
        QList<Variant> variants;
        const QString ours = CodePage::decode(bytes, &variants);
        QVERIFY(variants.isEmpty());
        bool ok = false;
        const QString theirs = iconvDecode(bytes, &ok);
        if (isLead(b)) {
            // A lead byte at the end of the input, even where the memory after it holds a
            // byte that would complete a pair.
            QCOMPARE(ours, QString(esc(b)));
            const QByteArray withTrail = bytes + "\x81";
            QCOMPARE(CodePage::decode(QByteArrayView(withTrail).first(1)), QString(esc(b)));
        } else if (windowsOnly.contains(b)) {
            QVERIFY(!ok);
            QCOMPARE(ours, QString(QChar(windowsOnly.value(b))));
        } else {
            QVERIFY2(ok, qPrintable(QString::number(b, 16)));
            QCOMPARE(ours, theirs);
        }
        QCOMPARE(CodePage::encode(ours), bytes);
    }
#endif
}

void TestCodePage::everyPairAgreesWithIconv()
{
    NEED_ICONV();
#ifdef HAVE_ICONV
    const QSet<quint16> duplicates = duplicateForms();
    int assigned = 0;
    for (int lead : leadBytes()) {
        for (int trail = 0; trail < 0x100; ++trail) {
            const QByteArray bytes = pairBytes(lead << 8 | trail);
            const QString ours = CodePage::decode(bytes);
            bool ok = false;
            const QString theirs = iconvDecode(bytes, &ok);
            const QString where = QString::number(lead << 8 | trail, 16);
            if (ok) {
                QVERIFY2(isTrail(trail), qPrintable(where));
                QVERIFY2(ours == theirs && ours.size() == 1, qPrintable(where));
                ++assigned;
            } else if (trail < 0x80) {
                // The ASCII byte after a bad lead is read again as itself.
                QVERIFY2(ours == QString(esc(lead)) + QChar(trail), qPrintable(where));
            } else {
                QVERIFY2(ours == QString(esc(lead)) + esc(trail), qPrintable(where));
            }
            QVERIFY2(CodePage::encode(ours, {}) == bytes || duplicates.contains(quint16(lead << 8 | trail)),
                     qPrintable(where));
        }
    }
    QCOMPARE(assigned, 9604);
#endif
}

void TestCodePage::everyBmpCharacterEncodesLikeIconv()
{
    NEED_ICONV();
#ifdef HAVE_ICONV
    // iconv maps these one way only (best fit); Windows and this codec do not write them.
    const QSet<char16_t> iconvBestFit{0x00A2, 0x00A3, 0x00A5, 0x00AC, 0x2014,
                                      0x2016, 0x203E, 0x2212, 0x301C};
    int encodable = 0;
    for (int u = 0; u < 0x10000; ++u) {
        const char16_t c = char16_t(u);
        const QStringView text(&c, 1);
        QList<qsizetype> unencodable;
        const QByteArray ours = CodePage::encode(text, {}, &unencodable);
        const bool ourOk = unencodable.isEmpty();
        QCOMPARE(CodePage::canEncode(c), ourOk);
        const QString where = QString::number(u, 16);
        if (u >= 0xEF80 && u <= 0xEFFF) {
            // An escape is written as the byte it stands for.
            QVERIFY2(ourOk && ours == QByteArray(1, char(u & 0xFF)), qPrintable(where));
            ++encodable;
            continue;
        }
        if (u == 0x80 || (u >= 0xF8F0 && u <= 0xF8F3)) {
            // Windows' single-byte additions, which iconv lacks.
            QVERIFY2(ourOk && ours.size() == 1, qPrintable(where));
            QCOMPARE(CodePage::decode(ours), text.toString());
            ++encodable;
            continue;
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            QVERIFY2(!ourOk && ours == "?", qPrintable(where));
            continue;
        }
        bool ok = false;
        const QByteArray theirs = iconvEncode(text, &ok);
        if (iconvBestFit.contains(c)) {
            QVERIFY2(ok && !ourOk && ours == "?", qPrintable(where));
        } else if (ok) {
            QVERIFY2(ourOk && ours == theirs, qPrintable(where));
            ++encodable;
        } else {
            QVERIFY2(!ourOk && ours == "?" && unencodable == QList<qsizetype>{0}, qPrintable(where));
        }
    }
    // 9,206 double-byte characters, 128 ASCII, 63 half-width kana, 5 Windows additions, 128 escapes.
    QCOMPARE(encodable, 9206 + 128 + 63 + 5 + 128);
#endif
}

void TestCodePage::longMixedTextAgreesWithIconv()
{
    NEED_ICONV();
#ifdef HAVE_ICONV
    // Every assigned pair and kana byte once, shuffled between ASCII runs of every length,
    // so that block copies of ASCII start and stop at every offset.
    QList<QByteArray> pieces;
    for (int lead : leadBytes()) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            bool ok = false;
            iconvDecode(pairBytes(lead << 8 | trail), &ok);
            if (ok)
                pieces.append(pairBytes(lead << 8 | trail));
        }
    }
    for (int b = 0xA1; b <= 0xDF; ++b)
        pieces.append(QByteArray(1, char(b)));
    QRandomGenerator rng(932);
    std::shuffle(pieces.begin(), pieces.end(), rng);
    QByteArray bytes;
    for (const QByteArray &piece : pieces) {
        bytes += piece;
        const int run = rng.bounded(100) < 70 ? 0 : rng.bounded(40);
        for (int i = 0; i < run; ++i)
            bytes += char(i % 7 == 6 ? '\n' : 0x20 + rng.bounded(0x5F));
    }
    bool ok = false;
    const QString expected = iconvDecode(bytes, &ok);
    QVERIFY(ok);
    QList<Variant> variants;
    const QString ours = CodePage::decode(bytes, &variants);
    QCOMPARE(ours, expected);
    QCOMPARE(variants.size(), 398);
    QCOMPARE(CodePage::encode(ours, variants), bytes);
    // Without the variants the text is written as Windows (and iconv) would write it.
    QCOMPARE(CodePage::encode(ours), iconvEncode(ours, &ok));
    QVERIFY(ok);
#endif
}

void TestCodePage::duplicateFormsRoundTripThroughVariants()
{
    const QSet<quint16> expected = duplicateForms();
    QCOMPARE(expected.size(), 398);
    QSet<quint16> reported;
    for (int lead : leadBytes()) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const quint16 code = quint16(lead << 8 | trail);
            QList<Variant> variants;
            const QString text = CodePage::decode(pairBytes(code), &variants);
            if (variants.isEmpty())
                continue;
            reported.insert(code);
            QCOMPARE(variants, (QList<Variant>{{0, code}}));
            QCOMPARE(text.size(), 1);
            const QByteArray normal = CodePage::encode(text);
            QVERIFY(normal != pairBytes(code));
            QVERIFY(!(normal.size() == 2 && quint8(normal[0]) >= 0xED && quint8(normal[0]) <= 0xEE));
            QCOMPARE(CodePage::decode(normal), text);
            QCOMPARE(CodePage::encode(text, variants), pairBytes(code));
        }
    }
    QCOMPARE(reported, expected);

    // Windows' choice among several forms.
    const struct { char16_t ch; quint16 code; } preferred[] = {
        {0x2170, 0xFA40}, {0x7E8A, 0xFA5C}, {0xFFE2, 0x81CA}, {0x2235, 0x81E6}, {0x2160, 0x8754}};
    for (const auto &p : preferred)
        QCOMPARE(CodePage::encode(QString(QChar(p.ch))), pairBytes(p.code));

    // Several variants in one text keep their positions.
    const QByteArray bytes = "a" + pairBytes(0xEEEF) + "\r\n" + pairBytes(0x81CA) + pairBytes(0xEEF9)
                             + pairBytes(0xFA54) + "\x85";
    QList<Variant> variants;
    const QString text = CodePage::decode(bytes, &variants);
    QCOMPARE(text, u"a\u2170\r\n\uFFE2\uFFE2\uFFE2"_qs + esc(0x85));
    QCOMPARE(variants, (QList<Variant>{{1, 0xEEEF}, {5, 0xEEF9}, {6, 0xFA54}}));
    QCOMPARE(CodePage::encode(text, variants), bytes);
    // The caller's order does not matter.
    QCOMPARE(CodePage::encode(text, {variants[2], variants[0], variants[1]}), bytes);
}

void TestCodePage::variantsThatNoLongerFitAreIgnored()
{
    // After an edit a variant may point at another character, or past the end.
    const QString text = u"\u2170x\u2170"_qs;
    const QList<Variant> moved{{0, 0xEEEF}, {1, 0xEEEF}, {2, 0x0041}, {3, 0xEEEF}, {99, 0xEEEF}};
    QCOMPARE(CodePage::encode(text, moved), pairBytes(0xEEEF) + "x" + pairBytes(0xFA40));
    // A variant at a character written as ASCII does not hide the next one.
    QCOMPARE(CodePage::encode(u"x\u2170"_qs, {{0, 0xEEEF}, {1, 0xEEEF}}), "x" + pairBytes(0xEEEF));
    // Two variants at one position: the one that fits is used.
    QCOMPARE(CodePage::encode(u"\uFFE2"_qs, {{0, 0xEEEF}, {0, 0xFA54}}), pairBytes(0xFA54));
}

void TestCodePage::randomBytesRoundTrip()
{
    // Biased towards lead bytes, so that pairs, bad pairs and leads at the end are frequent;
    // ASCII comes in runs long enough for the block copies.
    QRandomGenerator rng(20240932);
    const auto randomByte = [&rng]() -> char {
        const int kind = rng.bounded(100);
        if (kind < 40)
            return char(leadBytes()[rng.bounded(leadBytes().size())]);
        if (kind < 70)
            return char(0x40 + rng.bounded(0xBD));
        if (kind < 80)
            return "\"\\\r\n\0"[rng.bounded(5)];
        return char(rng.bounded(0x100));
    };
    for (int round = 0; round < 3000; ++round) {
        const int length = round < 100 ? round : rng.bounded(round % 10 == 0 ? 2000 : 64);
        QByteArray bytes;
        while (bytes.size() < length) {
            if (rng.bounded(8) == 0)
                bytes += QByteArray(rng.bounded(1, 40), char(0x20 + rng.bounded(0x5F)));
            else
                bytes += randomByte();
        }
        QList<Variant> variants;
        const QString text = CodePage::decode(bytes, &variants);
        QList<qsizetype> unencodable;
        const QByteArray back = CodePage::encode(text, variants, &unencodable);
        QVERIFY2(back == bytes, bytes.toHex().constData());
        QVERIFY(unencodable.isEmpty());
        QVERIFY(CodePage::readBackChanges(back, text).isEmpty());
    }
}

void TestCodePage::badInputIsEscapedAndResynchronised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString e81 = esc(0x81), e82 = esc(0x82), e85 = esc(0x85);
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("lone lead at end") << QByteArray("ab\x81") << QString(u"ab"_qs + e81);
    QTest::newRow("only a lead") << QByteArray("\xFC") << QString(esc(0xFC));
    QTest::newRow("lead before quote") << QByteArray("\x82\"x\"") << QString(e82 + u"\"x\""_qs);
    QTest::newRow("lead before backslash") << QByteArray("\x82\\n") << QString(e82 + u"\\n"_qs);
    QTest::newRow("lead before CR LF") << QByteArray("\x81\r\nx") << QString(e81 + u"\r\nx"_qs);
    QTest::newRow("lead before LF") << QByteArray("\x81\n") << QString(e81 + u"\n"_qs);
    QTest::newRow("lead before NUL") << QByteArray("\x81\0z", 3) << QString(e81 + QChar(0) + u"z"_qs);
    QTest::newRow("lead before DEL") << QByteArray("\x81\x7F") << QString(e81 + QChar(0x7F));
    QTest::newRow("unassigned row, ASCII trail") << QByteArray("\x85\x40") << QString(e85 + u"@"_qs);
    QTest::newRow("unassigned pair takes both") << QByteArray("\x85\xA1\xA1")
                                                << QString(e85 + esc(0xA1) + u"\uFF61"_qs);
    QTest::newRow("lead before FD") << QByteArray("\x81\xFD\xFD") << QString(e81 + esc(0xFD) + u"\uF8F1"_qs);
    QTest::newRow("valid pair with 5C trail") << QByteArray("\x95\x5C\\") << u"表\\"_qs;
    QTest::newRow("Windows single bytes") << QByteArray("\x80\xA0\xFD\xFE\xFF")
                                          << u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"_qs;
    QTest::newRow("control codes unchanged") << QByteArray("\x1A\x1C\x7F~\\")
                                             << u"\u001A\u001C\u007F~\\"_qs;
}

void TestCodePage::badInputIsEscapedAndResynchronised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QList<Variant> variants;
    QCOMPARE(CodePage::decode(bytes, &variants), text);
    QVERIFY(variants.isEmpty());
    QList<qsizetype> unencodable;
    QCOMPARE(CodePage::encode(text, {}, &unencodable), bytes);
    QVERIFY(unencodable.isEmpty());
    QVERIFY(CodePage::readBackChanges(bytes, text).isEmpty());
}

void TestCodePage::unencodableCharactersAreReported()
{
    // emoji (a surrogate pair), hangul, yen sign (no best fit to 0x5C), lone surrogates
    const QString text = u"a\U0001F600b한¥c"_qs + QChar(0xD800) + u"d"_qs + QChar(0xDC00);
    QList<qsizetype> unencodable;
    const QByteArray bytes = CodePage::encode(text, {}, &unencodable);
    QCOMPARE(bytes, QByteArray("a?b??c?d?"));
    QCOMPARE(unencodable, (QList<qsizetype>{1, 4, 5, 7, 9}));
    QVERIFY(!CodePage::canEncode(U'\U0001F600'));  // the BMP is checked character by character above

    // After a long ASCII run, so that the block copy has to stop at the right unit.
    const QString longer = QString(40, u'x') + u"한"_qs + QString(20, u'y') + u"😀"_qs;
    unencodable.clear();
    QCOMPARE(CodePage::encode(longer, {}, &unencodable),
             QByteArray(40, 'x') + "?" + QByteArray(20, 'y') + "?");
    QCOMPARE(unencodable, (QList<qsizetype>{40, 61}));
}

// Escapes written as the bytes they stand for may join with what follows and read back as
// other characters: the first character of each such place.
void TestCodePage::readBackChangesFindsJoinedBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("places");
    using P = QList<qsizetype>;
    QTest::newRow("no escapes") << u"日本語\r\nｶﾅ"_qs << P{};
    QTest::newRow("lead joins ASCII: 0x82 0x61 reads as 'Ｂ'") << esc(0x82) + u"a"_qs << P{0};
    QTest::newRow("two leads form a pair") << QString(esc(0x81)) + esc(0x81) << P{0};
    QTest::newRow("trail alone reads as kana") << u"x"_qs + esc(0xA1) << P{1};
    // The lead takes the first byte of 'あ'; the bytes fall back in step at the second 'あ'.
    QTest::newRow("realigns after a join") << esc(0x81) + u"ああb"_qs << P{0};
    QTest::newRow("two places") << esc(0x82) + u"axyz"_qs + esc(0x82) + u"b"_qs << P{0, 5};
    QTest::newRow("unencodable counts as '?'") << u"\U0001F600"_qs + esc(0x82) + u"a"_qs << P{2};
    QTest::newRow("escapes that cannot join") << esc(0x82) + u"\r\n"_qs + esc(0x85) + esc(0xA1) + esc(0x81) << P{};
}

void TestCodePage::readBackChangesFindsJoinedBytes()
{
    QFETCH(QString, text);
    QTEST(CodePage::readBackChanges(CodePage::encode(text), text), "places");
}

QTEST_MAIN(TestCodePage)
#include "tst_codepage.moc"
