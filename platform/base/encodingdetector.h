#pragma once
// Which encoding a file's bytes are in, decided from all of them:
// 1. a UTF-8 or UTF-16 byte-order mark decides;
// 2. ASCII only is CP932 (the bytes read the same);
// 3. well-formed UTF-8 that holds multi-byte sequences is UTF-8, except bytes that read as
//    CP932 half-width katakana and ASCII only (every byte above 0x7F in 0xA1-0xDF, as UTF-8
//    two-byte sequences only): those are CP932. A last sequence cut short by the end of the
//    file (a file cut off) is allowed after three-byte sequences, and kept as escapes;
// 4. well-formed EUC-JP (a last sequence cut short allowed) that reads as more plausible
//    Japanese than the same bytes read as CP932 is EUC-JP;
// 5. anything else is CP932.
#include "platform/base/encoding.h"

#include <QByteArrayView>

namespace EncodingDetector {

Encoding detect(QByteArrayView bytes);

// The bytes decoded in the encoding detect() decides, as Encodings::decode() gives them.
struct DetectedText {
    Encoding encoding = Encoding::Cp932;
    QString text;
    QList<CodePage::Variant> variants;
    bool bom = false;
};
DetectedText decodeDetected(QByteArrayView bytes);

// How plausible a text is as Japanese: higher for hiragana, katakana and common kanji, lower
// for rare kanji, user-defined and control characters, half-width punctuation and escapes.
// Only comparisons between readings of the same bytes mean anything. Escapes count against a
// text unless countEscapes is false (JIS X 0212 in EUC-JP is valid but read as escapes).
qint64 plausibility(QStringView text, bool countEscapes = true);

} // namespace EncodingDetector
