// The encodings on the 16 MiB text the other benchmarks open: what deciding the encoding
// costs, UTF-8 decoding against CP932 decoding of the same text, and each encoder's speed.
// MB/s is 10^6 bytes of the encoded file per second; each figure is the best of several runs.
#include "bench/benchtext.h"
#include "bench/besttime.h"
#include "platform/base/encoding.h"
#include "platform/base/encodingdetector.h"

#include <cstdio>

namespace {

double mbPerSecond(qsizetype bytes, double ms) { return bytes / ms / 1e3; }

} // namespace

int main()
{
    const QByteArray cp932 = makeText("\r\n", false);
    const QString text = wholeCharacters(cp932);
    std::printf("input: %lld bytes of CP932 text with CR LF\n", static_cast<long long>(cp932.size()));

    int failures = 0;
    for (Encoding e : Encodings::all()) {
        const QByteArray bytes = Encodings::encode(e, text);
        Encoding decided = Encoding::Cp932;
        const double detectMs = bestMs([&] { decided = EncodingDetector::detect(bytes); });
        QString decoded;
        const double decodeMs = bestMs([&] { decoded = Encodings::decode(e, bytes); });
        QByteArray encoded;
        const double encodeMs = bestMs([&] { encoded = Encodings::encode(e, decoded); });
        const QString name = Encodings::name(e);
        std::printf("%-9s %9lld bytes  detect %6.2f ms (%s)  decode %7.1f ms %7.1f MB/s  encode %7.1f ms %7.1f MB/s\n",
                    qPrintable(name), static_cast<long long>(bytes.size()), detectMs,
                    qPrintable(Encodings::name(decided)), decodeMs, mbPerSecond(bytes.size(), decodeMs), encodeMs,
                    mbPerSecond(encoded.size(), encodeMs));
        if (decoded != text || encoded != bytes || decided != e) {
            std::printf("FAILED: %s does not come back as it went in, or is decided otherwise\n", qPrintable(name));
            ++failures;
        }
    }
    const QByteArray utf8 = Encodings::encode(Encoding::Utf8, text);
    const double cp932Ms = bestMs([&] { (void)Encodings::decode(Encoding::Cp932, cp932); });
    const double utf8Ms = bestMs([&] { (void)EncodingDetector::decodeDetected(utf8); });
    const double detectedCp932Ms = bestMs([&] { (void)EncodingDetector::decodeDetected(cp932); });
    std::printf("CP932 detected and decoded vs decoded: %.1f ms vs %.1f ms\n", detectedCp932Ms, cp932Ms);
    std::printf("UTF-8 detected and decoded vs CP932 decoded, the same text: %.1f ms vs %.1f ms (%.2fx)\n", utf8Ms,
                cp932Ms, utf8Ms / cp932Ms);
    return failures ? 1 : 0;
}
