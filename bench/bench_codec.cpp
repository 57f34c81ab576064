// Throughput of the CP932 codec against glibc iconv "CP932" on the same 16 MiB of text.
//
// Both sides produce a new buffer each run (our QString / QByteArray, a fresh buffer for
// iconv), so the page faults of the output count on both. iconv decodes to UTF-16LE and
// encodes from UTF-16LE, the form a QString holds. MB/s is 10^6 bytes of CP932 per second in
// both directions; each figure is the best of several runs.
#include "platform/base/codepage.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define HAVE_ICONV 1
#endif

namespace {

constexpr qsizetype kFileSize = 16 * 1024 * 1024;
constexpr int kRuns = 7;

// Appends a random pair from firstCode..lastCode, a range in which every code with a valid
// trail byte is assigned.
void appendPair(QByteArray &out, QRandomGenerator &rng, int firstCode, int lastCode)
{
    for (;;) {
        const int code = firstCode + int(rng.bounded(lastCode - firstCode + 1));
        const int trail = code & 0xFF;
        if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
            out += char(code >> 8);
            out += char(trail);
            return;
        }
    }
}

// A Japanese text file as an editor meets it: lines of hiragana, kanji and katakana with
// punctuation, some ASCII words and numbers, now and then a line of half-width kana; CR LF.
QByteArray makeText(qsizetype size)
{
    QRandomGenerator rng(932);
    static const char *const words[] = {"NYO", "Ver.1.23", "2024", "OK", "http://example.jp/",
                                        "(C)", "100%", "Shift_JIS", "README.TXT", "#include"};
    static const int punctuation[] = {0x8141, 0x8142, 0x8175, 0x8176, 0x8145, 0x8148, 0x8149, 0x815B};
    QByteArray out;
    out.reserve(size + 256);
    while (out.size() < size) {
        const int length = 20 + int(rng.bounded(40));
        if (rng.bounded(10) == 0) {
            for (int i = 0; i < length; ++i)
                out += char(0xA1 + rng.bounded(0xDF - 0xA1 + 1));   // half-width kana
        } else {
            for (int i = 0; i < length; ++i) {
                const int kind = int(rng.bounded(100));
                if (kind < 50)
                    appendPair(out, rng, 0x829F, 0x82F1);            // hiragana
                else if (kind < 78)
                    appendPair(out, rng, 0x889F, 0x9872);            // JIS level 1 kanji
                else if (kind < 88)
                    appendPair(out, rng, 0x8340, 0x8396);            // katakana
                else if (kind < 95) {
                    const int p = punctuation[rng.bounded(int(std::size(punctuation)))];
                    out += char(p >> 8);
                    out += char(p & 0xFF);
                } else {
                    out += ' ';
                    out += words[rng.bounded(int(std::size(words)))];
                    out += ' ';
                }
            }
        }
        out += "\r\n";
    }
    out.truncate(size - 2);
    while (!out.isEmpty() && quint8(out.back()) >= 0x80)   // do not split the last pair
        out.chop(1);
    out += "\r\n";
    return out;
}

// Best time of kRuns, in seconds.
double bestOf(const std::function<void()> &run)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

double mbPerSecond(qsizetype bytes, double seconds) { return bytes / seconds / 1e6; }

#ifdef HAVE_ICONV
// Converts with a fresh output buffer of outSize bytes; empty on failure.
QByteArray iconvConvert(iconv_t cd, QByteArrayView in, qsizetype outSize)
{
    QByteArray out(outSize, Qt::Uninitialized);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *ip = const_cast<char *>(in.data());
    size_t il = size_t(in.size());
    char *op = out.data();
    size_t ol = size_t(out.size());
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1))
        return QByteArray();
    out.truncate(op - out.data());
    return out;
}
#endif

} // namespace

int main()
{
    const QByteArray bytes = makeText(kFileSize);
    std::printf("input: %lld bytes of CP932 text with CR LF\n", static_cast<long long>(bytes.size()));

    QString text;
    const double decodeSeconds = bestOf([&] { text = CodePage::decode(bytes); });
    QByteArray encoded;
    const double encodeSeconds = bestOf([&] { encoded = CodePage::encode(text); });
    if (encoded != bytes) {
        std::printf("FAILED: encode(decode(bytes)) differs from the input\n");
        return 1;
    }
    const double ourDecode = mbPerSecond(bytes.size(), decodeSeconds);
    const double ourEncode = mbPerSecond(bytes.size(), encodeSeconds);
    std::printf("CodePage::decode  %8.1f MB/s\n", ourDecode);
    std::printf("CodePage::encode  %8.1f MB/s\n", ourEncode);

#ifdef HAVE_ICONV
    iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
    iconv_t fromUtf16 = iconv_open("CP932", "UTF-16LE");
    if (toUtf16 == iconv_t(-1) || fromUtf16 == iconv_t(-1)) {
        std::printf("iconv has no CP932: no comparison\n");
        return 0;
    }
    QByteArray utf16;
    const double iconvDecodeSeconds = bestOf([&] { utf16 = iconvConvert(toUtf16, bytes, 2 * bytes.size()); });
    const QByteArrayView textBytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QByteArray iconvEncoded;
    const double iconvEncodeSeconds = bestOf([&] { iconvEncoded = iconvConvert(fromUtf16, textBytes, 2 * text.size()); });
    iconv_close(toUtf16);
    iconv_close(fromUtf16);
    if (utf16 != textBytes || iconvEncoded != bytes) {
        std::printf("FAILED: iconv does not agree with CodePage on this text\n");
        return 1;
    }
    const double iconvDecode = mbPerSecond(bytes.size(), iconvDecodeSeconds);
    const double iconvEncode = mbPerSecond(bytes.size(), iconvEncodeSeconds);
    std::printf("iconv CP932 -> UTF-16LE  %8.1f MB/s   CodePage::decode is %.2fx\n", iconvDecode, ourDecode / iconvDecode);
    std::printf("iconv UTF-16LE -> CP932  %8.1f MB/s   CodePage::encode is %.2fx\n", iconvEncode, ourEncode / iconvEncode);
#else
    std::printf("no iconv on this platform: no comparison\n");
#endif
    return 0;
}
