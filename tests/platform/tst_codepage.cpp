// The CP932 codec, checked against glibc's iconv "CP932" (a table of its own, not the python
// codec the codec's tables are generated from) for every byte, pair and BMP character.
#include "platform/base/codepage.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

using CodePage::Variant;

namespace CodePage {
char *toString(const Variant &v)
{
    return QTest::toString(QStringLiteral("{%1, %2}").arg(v.pos).arg(v.code, 4, 16, QLatin1Char('0')));
}
} // namespace CodePage

namespace {

// The 60 lead bytes, 0x81-0x9F and 0xE0-0xFC.
int leadAt(int i) { return i < 31 ? 0x81 + i : 0xE0 + i - 31; }
bool isLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(int b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
QChar esc(int byte) { return QChar(char16_t(0xEF00 + byte)); }
QByteArray pairBytes(int code) { return QByteArray(1, char(code >> 8)) + char(code & 0xFF); }

// The byte forms Windows reads but never writes, as Debian's WINDOWS-31J charmap marks them.
QSet<quint16> duplicateForms()
{
    const int ranges[][2] = {{0x8790, 0x8792}, {0x8795, 0x8797}, {0x879A, 0x879C}, {0xED40, 0xED7E},
                             {0xED80, 0xEDFC}, {0xEE40, 0xEE7E}, {0xEE80, 0xEEEC}, {0xEEEF, 0xEEFC},
                             {0xFA4A, 0xFA54}, {0xFA58, 0xFA5B}};
    QSet<quint16> forms;
    for (const auto &r : ranges) {
        for (int c = r[0]; c <= r[1]; ++c)
            forms.insert(quint16(c));
    }
    return forms;
}

// glibc's converter in one direction; *ok is false when it rejects any input or is missing.
QByteArray runIconv(bool toUtf16, QByteArrayView in, bool *ok)
{
#if __has_include(<iconv.h>)
    static const iconv_t cds[2] = {iconv_open("CP932", "UTF-16LE"), iconv_open("UTF-16LE", "CP932")};
    const iconv_t cd = cds[toUtf16];
    QByteArray out(in.size() * 4 + 16, Qt::Uninitialized);
    char *ip = const_cast<char *>(in.data()), *op = out.data();
    size_t il = size_t(in.size()), ol = size_t(out.size());
    *ok = cd != iconv_t(-1) && iconv(cd, nullptr, nullptr, nullptr, nullptr) == 0
          && iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && il == 0;
    out.resize(op - out.data());
    return out;
#else
    Q_UNUSED(toUtf16); Q_UNUSED(in);
    *ok = false;
    return {};
#endif
}

QString iconvDecode(QByteArrayView bytes, bool *ok)
{
    const QByteArray out = runIconv(true, bytes, ok);
    return QString(reinterpret_cast<const QChar *>(out.constData()), out.size() / 2);
}

QByteArray iconvEncode(QStringView text, bool *ok)
{
    return runIconv(false, QByteArrayView(reinterpret_cast<const char *>(text.utf16()), text.size() * 2), ok);
}

bool haveIconv()
{
    bool ok = false;
    iconvDecode("a", &ok);
    return ok;
}

} // namespace

#define NEED_ICONV() if (!haveIconv()) QSKIP("no CP932 converter in iconv")

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
#if __has_include(<iconv.h>)
        QVERIFY2(haveIconv(), "glibc iconv lacks CP932");
#endif
    }

    void singleBytes()
    {
        NEED_ICONV();
        // Bytes iconv rejects but Windows reads.
        const QHash<int, char16_t> windowsOnly{{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
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
                QCOMPARE(CodePage::decode(QByteArrayView(bytes + "\x81").first(1)), QString(esc(b)));
            } else if (windowsOnly.contains(b)) {
                QVERIFY(!ok);
                QCOMPARE(ours, QString(QChar(windowsOnly.value(b))));
            } else {
                QVERIFY2(ok, qPrintable(QString::number(b, 16)));
                QCOMPARE(ours, theirs);
            }
            QCOMPARE(CodePage::encode(ours), bytes);
        }
    }

    void everyPairAgreesWithIconv()
    {
        NEED_ICONV();
        const QSet<quint16> duplicates = duplicateForms();
        int assigned = 0;
        for (int code = 0x8100; code < 0x10000; ++code) {
            const int lead = code >> 8, trail = code & 0xFF;
            if (!isLead(lead))
                continue;
            const QByteArray bytes = pairBytes(code);
            const QString ours = CodePage::decode(bytes);
            bool ok = false;
            const QString theirs = iconvDecode(bytes, &ok);
            const QByteArray where = QByteArray::number(code, 16);
            if (ok) {
                QVERIFY2(isTrail(trail) && ours == theirs && ours.size() == 1, where);
                ++assigned;
            } else {
                // The ASCII byte after a bad lead is read again as itself.
                QVERIFY2(ours == QString(esc(lead)) + (trail < 0x80 ? QChar(trail) : esc(trail)), where);
            }
            QVERIFY2(CodePage::encode(ours, {}) == bytes || duplicates.contains(quint16(code)), where);
        }
        QCOMPARE(assigned, 9604);
    }

    void everyBmpCharacterEncodesLikeIconv()
    {
        NEED_ICONV();
        // iconv maps these one way only (best fit); Windows and this codec do not write them.
        const QSet<char16_t> iconvBestFit{0x00A2, 0x00A3, 0x00A5, 0x00AC, 0x2014, 0x2016, 0x203E, 0x2212, 0x301C};
        int encodable = 0;
        for (int u = 0; u < 0x10000; ++u) {
            const char16_t c = char16_t(u);
            const QStringView text(&c, 1);
            QList<qsizetype> unencodable;
            const QByteArray ours = CodePage::encode(text, {}, &unencodable);
            const bool ourOk = unencodable.isEmpty();
            QCOMPARE(CodePage::canEncode(c), ourOk);
            const QByteArray where = QByteArray::number(u, 16);
            bool ok = false;
            if (u >= 0xEF80 && u <= 0xEFFF) {   // an escape is written as the byte it stands for
                QVERIFY2(ourOk && ours == QByteArray(1, char(u & 0xFF)), where);
            } else if (u == 0x80 || (u >= 0xF8F0 && u <= 0xF8F3)) {   // Windows' additions, which iconv lacks
                QVERIFY2(ourOk && ours.size() == 1 && CodePage::decode(ours) == text, where);
            } else if (u >= 0xD800 && u <= 0xDFFF) {
                QVERIFY2(!ourOk && ours == "?", where);
            } else if (const QByteArray theirs = iconvEncode(text, &ok); iconvBestFit.contains(c)) {
                QVERIFY2(ok && !ourOk && ours == "?", where);
            } else if (ok) {
                QVERIFY2(ourOk && ours == theirs, where);
            } else {
                QVERIFY2(!ourOk && ours == "?" && unencodable == QList<qsizetype>{0}, where);
            }
            encodable += ourOk;
        }
        // 9,206 double-byte characters, 128 ASCII, 63 half-width kana, 5 Windows additions, 128 escapes.
        QCOMPARE(encodable, 9206 + 128 + 63 + 5 + 128);
    }

    void longMixedTextAgreesWithIconv()
    {
        NEED_ICONV();
        // Every assigned pair and kana byte once, shuffled between ASCII runs of every length,
        // so that block copies of ASCII start and stop at every offset.
        QList<QByteArray> pieces;
        for (int code = 0x8100; code < 0x10000; ++code) {
            bool ok = false;
            if (isLead(code >> 8) && (iconvDecode(pairBytes(code), &ok), ok))
                pieces.append(pairBytes(code));
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
    }

    void duplicateFormsRoundTripThroughVariants()
    {
        const QSet<quint16> expected = duplicateForms();
        QCOMPARE(expected.size(), 398);
        QSet<quint16> reported;
        for (int c = 0x8140; c < 0x10000; ++c) {
            const quint16 code = quint16(c);
            QList<Variant> variants;
            const QString text = CodePage::decode(pairBytes(code), &variants);
            if (!isLead(code >> 8) || !isTrail(code & 0xFF) || variants.isEmpty())
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

    void variantsThatNoLongerFitAreIgnored()
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

    void randomBytesRoundTrip()
    {
        // Biased towards lead bytes, so that pairs, bad pairs and leads at the end are frequent;
        // ASCII comes in runs long enough for the block copies.
        QRandomGenerator rng(20240932);
        const auto randomByte = [&rng]() -> char {
            const int kind = rng.bounded(100);
            if (kind < 40)
                return char(leadAt(rng.bounded(60)));
            if (kind < 70)
                return char(0x40 + rng.bounded(0xBD));
            if (kind < 80)
                return "\"\\\r\n\0"[rng.bounded(5)];
            return char(rng.bounded(0x100));
        };
        for (int round = 0; round < 3000; ++round) {
            const int length = round < 100 ? round : rng.bounded(round % 10 == 0 ? 2000 : 64);
            QByteArray bytes;
            while (bytes.size() < length)
                bytes += rng.bounded(8) ? QByteArray(1, randomByte()) : QByteArray(rng.bounded(1, 40), char(0x20 + rng.bounded(0x5F)));
            QList<Variant> variants;
            const QString text = CodePage::decode(bytes, &variants);
            QList<qsizetype> unencodable;
            const QByteArray back = CodePage::encode(text, variants, &unencodable);
            QVERIFY2(back == bytes, bytes.toHex().constData());
            QVERIFY(unencodable.isEmpty());
            QVERIFY(CodePage::readBackChanges(back, text).isEmpty());
        }
    }

    void badInputIsEscapedAndResynchronised_data()
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
        QTest::newRow("unassigned pair takes both") << QByteArray("\x85\xA1\xA1") << QString(e85 + esc(0xA1) + u"\uFF61"_qs);
        QTest::newRow("lead before FD") << QByteArray("\x81\xFD\xFD") << QString(e81 + esc(0xFD) + u"\uF8F1"_qs);
        QTest::newRow("valid pair with 5C trail") << QByteArray("\x95\x5C\\") << u"表\\"_qs;
        QTest::newRow("Windows single bytes") << QByteArray("\x80\xA0\xFD\xFE\xFF") << u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"_qs;
        QTest::newRow("control codes unchanged") << QByteArray("\x1A\x1C\x7F~\\") << u"\u001A\u001C\u007F~\\"_qs;
    }

    void badInputIsEscapedAndResynchronised()
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

    void unencodableCharactersAreReported()
    {
        // emoji (a surrogate pair), hangul, yen sign (no best fit to 0x5C), lone surrogates
        const QString text = u"a\U0001F600b한¥c"_qs + QChar(0xD800) + u"d"_qs + QChar(0xDC00);
        QList<qsizetype> unencodable;
        const QByteArray bytes = CodePage::encode(text, {}, &unencodable);
        QCOMPARE(bytes, QByteArray("a?b??c?d?"));
        QCOMPARE(unencodable, (QList<qsizetype>{1, 4, 5, 7, 9}));
        QVERIFY(!CodePage::canEncode(U'\U0001F600'));  // the BMP is checked character by character above

        // After a long ASCII run, so that the block copy has to stop at the right unit.
        unencodable.clear();
        QCOMPARE(CodePage::encode(QString(40, u'x') + u"한"_qs + QString(20, u'y') + u"😀"_qs, {}, &unencodable),
                 QByteArray(40, 'x') + "?" + QByteArray(20, 'y') + "?");
        QCOMPARE(unencodable, (QList<qsizetype>{40, 61}));
    }

    // Escapes written as the bytes they stand for may join with what follows and read back as
    // other characters: the first character of each such place.
    void readBackChangesFindsJoinedBytes_data()
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

    void readBackChangesFindsJoinedBytes()
    {
        QFETCH(QString, text);
        QTEST(CodePage::readBackChanges(CodePage::encode(text), text), "places");
    }
};

QTEST_MAIN(TestCodePage)
#include "tst_codepage.moc"
