#include "platform/base/encodingdetector.h"

#include "platform/base/eucjpcodec.h"
#include "platform/base/utf8codec.h"

#include <cstring>
#include <optional>

namespace {

// Offset of the first byte above 0x7F, or the size when there is none.
qsizetype firstNonAscii(QByteArrayView bytes)
{
    const uchar *const begin = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *p = begin;
    const uchar *const end = p + bytes.size();
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull)
            break;
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p - begin;
}

bool onlyHalfWidthKana(QByteArrayView bytes)
{
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b >= 0x80 && (b < 0xA1 || b > 0xDF))
            return false;
    }
    return true;
}

// The JIS X 0208 row a Shift-JIS pair stands in (from 1), 0 when it is none (user-defined
// area, IBM extensions at 0xFA-0xFC).
int jisRow(int lead, int trail)
{
    if (lead >= 0xF0)
        return 0;
    const int base = lead <= 0x9F ? (lead - 0x81) * 2 + 1 : (lead - 0xE0) * 2 + 63;
    return trail >= 0x9F ? base + 1 : base;
}

int rowScore(int row)
{
    if (row == 4)
        return 6;   // hiragana
    if (row == 5)
        return 4;   // katakana
    if (row == 1)
        return 2;   // punctuation: 、。「」ー and the like
    if (row == 3)
        return 1;   // full-width digits and letters
    if (row >= 16 && row <= 47)
        return 4;   // JIS level 1 kanji
    if (row >= 48 && row <= 84)
        return 1;   // level 2 kanji
    if (row >= 89 && row <= 92)
        return -2;  // NEC-selected IBM extensions
    return 0;       // other symbols, Greek, Cyrillic, box drawing, NEC's row 13
}

// Score of each UTF-16 unit as a Japanese text uses it, from its CP932 form.
struct ScoreTable {
    qint8 score[0x10000];

    ScoreTable()
    {
        std::memset(score, -4, sizeof score);  // what CP932 does not hold
        for (int c = 0; c < 0x80; ++c)
            score[c] = 0;
        for (int c = 0xFF61; c <= 0xFF65; ++c)
            score[c] = -1;  // half-width 。「」、・: rare, but what EUC-JP's lead bytes read as
        for (int c = 0xFF66; c <= 0xFF9F; ++c)
            score[c] = 3;   // half-width katakana: one byte each, as much as hiragana's two
        for (int lead = 0xFC; lead >= 0x81; --lead) {  // the lowest form counts
            if (lead >= 0xA0 && lead <= 0xDF)
                continue;
            for (int trail = 0xFC; trail >= 0x40; --trail) {
                const char bytes[2] = {char(lead), char(trail)};
                const QString ch = CodePage::decode(QByteArrayView(bytes, 2));
                if (ch.size() == 1 && !CodePage::isEscape(ch[0]))
                    score[ch[0].unicode()] = qint8(lead >= 0xF0 && lead <= 0xF9 ? -4 : lead >= 0xFA ? -2
                                                                                 : rowScore(jisRow(lead, trail)));
            }
        }
        for (int c = 0; c < 0x20; ++c) {
            if (c != '\t' && c != '\n' && c != '\r')
                score[c] = -4;  // control codes
        }
        score[0x80] = -4;
        for (int c = 0xEF00; c <= 0xEFFF; ++c)
            score[c] = -8;  // escapes: bytes that did not decode
    }
};

std::optional<Encoding> byteOrderMarkOf(QByteArrayView bytes)
{
    for (const Encoding withBom : {Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be}) {
        if (bytes.startsWith(Encodings::byteOrderMark(withBom)))
            return withBom;
    }
    return std::nullopt;
}

// Half-width katakana alone, in CP932, can also be well-formed UTF-8 (two-byte sequences only);
// UTF-8 Japanese has three-byte sequences. So has a UTF-8 file cut short in its last character:
// a CP932 one ending in a kanji can look like that too, but not after whole sequences. rest is
// what follows the ASCII at the start.
bool isUtf8(const Utf8Codec::Scan &scan, QByteArrayView rest)
{
    if (!scan.valid)
        return false;
    return scan.longest > 2 || (!scan.cutAtEnd && !onlyHalfWidthKana(rest));
}

// A file cut off in its last character is still read as EUC-JP, except half-width katakana
// alone: those bytes are as often CP932 of any length.
Encoding eucJpOrCp932(QByteArrayView rest)
{
    if (EucJpCodec::isValid(rest, !onlyHalfWidthKana(rest)) &&
        EncodingDetector::plausibility(EucJpCodec::decode(rest), false) > EncodingDetector::plausibility(CodePage::decode(rest)))
        return Encoding::EucJp;
    return Encoding::Cp932;
}

} // namespace

namespace EncodingDetector {

qint64 plausibility(QStringView text, bool countEscapes)
{
    static const ScoreTable table;
    qint64 total = 0;
    for (const QChar c : text) {
        if (countEscapes || !CodePage::isEscape(c))
            total += table.score[c.unicode()];
    }
    return total;
}

Encoding detect(QByteArrayView bytes)
{
    if (const auto withBom = byteOrderMarkOf(bytes))
        return *withBom;
    const qsizetype start = firstNonAscii(bytes);
    if (start == bytes.size())
        return Encoding::Cp932;
    // Everything before start is ASCII, which every encoding here reads alike.
    const QByteArrayView rest = bytes.sliced(start);
    if (isUtf8(Utf8Codec::scan(rest), rest))
        return Encoding::Utf8;
    return eucJpOrCp932(rest);
}

DetectedText decodeDetected(QByteArrayView bytes)
{
    DetectedText result;
    const auto decodeAs = [&](Encoding e) {
        result.encoding = e;
        result.text = Encodings::decode(e, bytes, &result.variants, &result.bom);
        return result;
    };
    if (const auto withBom = byteOrderMarkOf(bytes))
        return decodeAs(*withBom);
    const qsizetype start = firstNonAscii(bytes);
    if (start == bytes.size())
        return decodeAs(Encoding::Cp932);
    // UTF-8 is decided and decoded in one pass, which gives up at the first byte that is
    // not well-formed (in other encodings' files, one of the first few).
    const QByteArrayView rest = bytes.sliced(start);
    Utf8Codec::Scan scan;
    QString text = Utf8Codec::decodeUntil(bytes, true, &scan);
    if (isUtf8(scan, rest)) {
        result.encoding = Encoding::Utf8;
        result.text = std::move(text);
        return result;
    }
    return decodeAs(eucJpOrCp932(rest));
}

} // namespace EncodingDetector
