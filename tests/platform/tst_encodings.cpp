// The encodings besides CP932 and the detector: each decoder keeps every byte (decode then
// encode gives the input back), each encoder's output reads back as its text or says where
// not, and the detector decides a generated corpus of Japanese texts.
#include "platform/base/encoding.h"
#include "platform/base/encodingdetector.h"

#include <QRandomGenerator>
#include <QtTest>

using CodePage::Variant;

Q_DECLARE_METATYPE(Encoding)

namespace QTest {
template <>
char *toString(const Encoding &e)
{
    return qstrdup(Encodings::name(e).toUtf8().constData());
}
} // namespace QTest

namespace {

QChar esc(int byte) { return QChar(char16_t(0xEF00 + byte)); }
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

// The characters the corpus is made of: JIS X 0208 and half-width katakana only, so that
// every text can be written in every encoding.
const QString kKanji = QStringLiteral(
    "日本語文字漢東京都会社員学校生活時間今年月火水木金土曜朝昼夜電話番号住所氏名確認作業"
    "資料報告書計画予定結果考察実験方法問題解決意見発表連絡事項注意変更保存開始終了選択"
    "鬱蔽饗鑑麒麟薔薇檸檬葡萄");   // the last are JIS level 2
const QString kHiragana = QStringLiteral(
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    "がぎぐげござじずぜぞだでどばびぶべぼぱぴぷぺぽゃゅょっ");
const QString kKatakana = QStringLiteral(
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンー"
    "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポャュョッ");
const QString kHalfWidth = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｰﾞﾟｯｬｭｮ｡｢｣､･");
const QString kPunctuation = QStringLiteral("、。「」・！？（）～…①②");
const char *const kAsciiWords[] = {"NYO", "Ver.2", "2024", "OK", "http://example.jp/", "README.TXT", "100%", "#include"};

QString pick(QRandomGenerator &rng, const QString &pool, int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += pool[rng.bounded(int(pool.size()))];
    return s;
}

// Prose: runs of kanji, hiragana and katakana with punctuation, some ASCII words, now and then
// half-width katakana; lines end in CR LF.
QString prose(QRandomGenerator &rng, int runs)
{
    QString s;
    for (int i = 0; i < runs; ++i) {
        const int kind = rng.bounded(100);
        if (kind < 35)
            s += pick(rng, kKanji, rng.bounded(1, 4));
        else if (kind < 70)
            s += pick(rng, kHiragana, rng.bounded(1, 5));
        else if (kind < 80)
            s += pick(rng, kKatakana, rng.bounded(2, 6));
        else if (kind < 88)
            s += pick(rng, kPunctuation, 1);
        else if (kind < 93)
            s += pick(rng, kHalfWidth, rng.bounded(2, 8));
        else if (kind < 97)
            s += QLatin1Char(' ') + QLatin1String(kAsciiWords[rng.bounded(int(std::size(kAsciiWords)))]) + QLatin1Char(' ');
        else
            s += QStringLiteral("\r\n");
    }
    return s;
}

struct Sample {
    QString kind;
    QString text;
};

// The corpus, the same on every run: prose long and short, and short files of one script.
QList<Sample> corpus()
{
    QRandomGenerator rng(18);
    QList<Sample> samples;
    for (int i = 0; i < 60; ++i)
        samples.append({QStringLiteral("prose"), prose(rng, rng.bounded(20, 400))});
    for (int i = 0; i < 60; ++i)
        samples.append({QStringLiteral("short prose"), prose(rng, rng.bounded(1, 4))});
    const QList<std::pair<QString, QString>> pools{{QStringLiteral("kanji"), kKanji},
                                                   {QStringLiteral("hiragana"), kHiragana},
                                                   {QStringLiteral("katakana"), kKatakana},
                                                   {QStringLiteral("half-width katakana"), kHalfWidth}};
    for (const auto &[kind, pool] : pools) {
        for (int length = 1; length <= 40; ++length)
            samples.append({kind, pick(rng, pool, length % 8 + 1 + (length > 32 ? 40 : 0))});
        for (int i = 0; i < 20; ++i)  // a short text with an ASCII word around it
            samples.append({kind + QStringLiteral(" in ASCII"),
                            QStringLiteral("File: ") + pick(rng, pool, rng.bounded(1, 6)) + QStringLiteral(".txt\n")});
    }
    return samples;
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

class TestEncodings : public QObject
{
    Q_OBJECT

private slots:
    void names()
    {
        QStringList shown;
        for (Encoding e : Encodings::all())
            shown << Encodings::name(e);
        QCOMPARE(shown, QStringList({"SJIS", "UTF-8", "UTF-8 BOM", "UTF-16LE", "UTF-16BE", "EUC-JP"}));
    }

    void decodes_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bom");
        const auto row = [](const char *name, Encoding e, const char *bytes, const QString &text, bool bom = false) {
            QTest::newRow(name) << e << hex(bytes) << text << bom;
        };
        const QString e3 = QString(esc(0xE3));
        row("utf8 hiragana", Encoding::Utf8, "5ae38182", QStringLiteral("Zあ"));
        row("utf8 four bytes", Encoding::Utf8, "f09f9880", QStringLiteral("😀"));
        row("utf8 bom in plain utf8 is text", Encoding::Utf8, "efbbbf41", QStringLiteral("\uFEFFA"));
        row("utf8 bom taken off", Encoding::Utf8Bom, "efbbbf41", QStringLiteral("A"), true);
        row("utf8 bom missing", Encoding::Utf8Bom, "41", QStringLiteral("A"));
        row("utf8 cut short", Encoding::Utf8, "41e381", QStringLiteral("A") + esc(0xE3) + esc(0x81));
        row("utf8 ascii after bad lead read again", Encoding::Utf8, "e30a", e3 + QStringLiteral("\n"));
        row("utf8 overlong", Encoding::Utf8, "c080", QString(esc(0xC0)) + esc(0x80));
        row("utf8 surrogate", Encoding::Utf8, "eda080", QString(esc(0xED)) + esc(0xA0) + esc(0x80));
        row("utf8 beyond U+10FFFF", Encoding::Utf8, "f4908080", QString(esc(0xF4)) + esc(0x90) + esc(0x80) + esc(0x80));
        row("utf8 escape range of its own", Encoding::Utf8, "eebe80", QString(esc(0xEE)) + esc(0xBE) + esc(0x80));
        row("utf8 below escape range", Encoding::Utf8, "eebdbf", QString(QChar(0xEF7F)));
        row("utf16le bom", Encoding::Utf16Le, "fffe4230", QStringLiteral("あ"), true);
        row("utf16le without bom", Encoding::Utf16Le, "4230", QStringLiteral("あ"));
        row("utf16be bom", Encoding::Utf16Be, "feff3042", QStringLiteral("あ"), true);
        row("utf16le pair", Encoding::Utf16Le, "3dd800de", QStringLiteral("😀"));
        row("utf16le lone surrogate kept", Encoding::Utf16Le, "00d84100", QString(QChar(0xD800)) + QLatin1Char('A'));
        row("utf16le odd last byte", Encoding::Utf16Le, "410041", QStringLiteral("A") + esc(0x41));
        row("utf16le escape range of its own", Encoding::Utf16Le, "80ef", QString(esc(0x80)) + esc(0xEF));
        row("utf16be escape range of its own", Encoding::Utf16Be, "ef41", QString(esc(0xEF)) + esc(0x41));
        row("eucjp hiragana", Encoding::EucJp, "a4a2", QStringLiteral("あ"));
        row("eucjp half-width kana", Encoding::EucJp, "8eb1", QStringLiteral("ｱ"));
        row("eucjp row 13", Encoding::EucJp, "ada1", QStringLiteral("①"));
        row("eucjp ibm row", Encoding::EucJp, "f9a1", QStringLiteral("纊"));
        row("eucjp jis x 0212 kept", Encoding::EucJp, "8fb0a141", QString(esc(0x8F)) + esc(0xB0) + esc(0xA1) + QLatin1Char('A'));
        row("eucjp bad kana", Encoding::EucJp, "8ee3", QString(esc(0x8E)) + esc(0xE3));
        row("eucjp lead then ascii", Encoding::EucJp, "a441", QString(esc(0xA4)) + QLatin1Char('A'));
        row("eucjp unassigned pair", Encoding::EucJp, "a9a1", QString(esc(0xA9)) + esc(0xA1));
        row("eucjp lead at end", Encoding::EucJp, "41a4", QStringLiteral("A") + esc(0xA4));
        row("eucjp shift-jis lead", Encoding::EucJp, "82a0", QString(esc(0x82)) + esc(0xA0));
    }

    void decodes()
    {
        QFETCH(Encoding, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, bom);
        bool found = !bom;
        QTEST(Encodings::decode(encoding, bytes, nullptr, &found), "text");
        QCOMPARE(found, bom);
    }

    // The characters with two forms in EUC-JP come back in the form they were read in;
    // typed, they take the lowest form outside IBM's rows.
    void eucJpVariants_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("typed");
        QTest::newRow("not sign in ibm row") << hex("41fcfb") << QStringLiteral("A\uFFE2") << hex("41a2cc");
        QTest::newRow("union in nec row") << hex("adfc") << QStringLiteral("∪") << hex("a2c0");
        QTest::newRow("roman numeral in ibm row") << hex("fcf1") << QStringLiteral("ⅰ") << hex("fcf1");
    }

    void eucJpVariants()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QList<Variant> variants;
        QCOMPARE(Encodings::decode(Encoding::EucJp, bytes, &variants), text);
        QCOMPARE(Encodings::encode(Encoding::EucJp, text, variants), bytes);
        QTEST(Encodings::encode(Encoding::EucJp, text), "typed");
    }

    void unencodableCharactersAreReported_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qsizetype>>("unencodable");
        QTest::newRow("utf8 lone surrogate") << Encoding::Utf8 << QStringLiteral("a") + QChar(0xDC00) + QStringLiteral("😀")
                                             << hex("613ff09f9880") << QList<qsizetype>{1};
        QTest::newRow("utf16 holds everything") << Encoding::Utf16Be << QString(QChar(0xDC00)) << hex("feffdc00")
                                                << QList<qsizetype>{};
        QTest::newRow("eucjp hangul and emoji") << Encoding::EucJp << QStringLiteral("한あ😀") << hex("3fa4a23f")
                                                << QList<qsizetype>{0, 2};
        QTest::newRow("eucjp user-defined area") << Encoding::EucJp << QString(QChar(0xE000)) << hex("3f")
                                                 << QList<qsizetype>{0};
    }

    void unencodableCharactersAreReported()
    {
        QFETCH(Encoding, encoding);
        QFETCH(QString, text);
        QList<qsizetype> unencodable;
        QTEST(Encodings::encode(encoding, text, {}, &unencodable), "bytes");
        QTEST(unencodable, "unencodable");
    }

    // A character typed into a UTF-8 document and the escape of a byte the file held.
    void readBackChangesFindsPlaces_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("places");
        QTest::newRow("utf8 clean") << Encoding::Utf8 << QStringLiteral("Zあ") + esc(0xFF) << QList<qsizetype>{};
        QTest::newRow("utf8 escapes joining") << Encoding::Utf8 << QStringLiteral("a") + esc(0xE3) + esc(0x81) + esc(0x82)
                                              << QList<qsizetype>{1};
        QTest::newRow("utf16 odd escape shifts the rest") << Encoding::Utf16Le << QStringLiteral("a") + esc(0x41) + QStringLiteral("bc")
                                                          << QList<qsizetype>{1};
        QTest::newRow("eucjp escapes joining") << Encoding::EucJp << QStringLiteral("x") + esc(0xA4) + esc(0xA2)
                                               << QList<qsizetype>{1};
    }

    void readBackChangesFindsPlaces()
    {
        QFETCH(Encoding, encoding);
        QFETCH(QString, text);
        QTEST(Encodings::readBackChanges(encoding, Encodings::encode(encoding, text), text), "places");
    }

    void detectsByRule_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Encoding>("encoding");
        const QByteArray longJapanese = QStringLiteral("日本語の文章です。").repeated(200).toUtf8();
        QTest::newRow("empty") << QByteArray() << Encoding::Cp932;
        QTest::newRow("ascii") << QByteArray("plain text\r\n") << Encoding::Cp932;
        QTest::newRow("utf8 bom") << hex("efbbbf41") << Encoding::Utf8Bom;
        QTest::newRow("utf8 bom alone") << hex("efbbbf") << Encoding::Utf8Bom;
        QTest::newRow("utf16le bom") << hex("fffe41004200") << Encoding::Utf16Le;
        QTest::newRow("utf16be bom") << hex("feff00410042") << Encoding::Utf16Be;
        QTest::newRow("utf8") << QStringLiteral("UTF-8 の日本語テキスト ①髙﨑").toUtf8() << Encoding::Utf8;
        QTest::newRow("utf8 escape range of its own") << hex("41eebe80") << Encoding::Utf8;
        QTest::newRow("utf8 cyrillic") << QStringLiteral("Привет").toUtf8() << Encoding::Utf8;
        QTest::newRow("utf8 with one bad byte at the end") << longJapanese + "\xFF" << Encoding::Cp932;
        QTest::newRow("utf8 cut short in its last character") << longJapanese + "\xE6\x97" << Encoding::Utf8;
        QTest::newRow("utf8 cut short in a four-byte character") << longJapanese + "\xF0\x9F\x98" << Encoding::Utf8;
        QTest::newRow("shift-jis kanji at the end that begins a utf8 sequence") << hex("41e381") << Encoding::Cp932;
        QTest::newRow("shift-jis half-width pair valid as utf8") << hex("c3bd") << Encoding::Cp932;
        QTest::newRow("shift-jis half-width valid as utf8 and euc") << hex("b6c5c3bd") << Encoding::Cp932;
        QTest::newRow("shift-jis") << QByteArray("\x93\xfa\x96\x7b\x8c\xea") << Encoding::Cp932;
        QTest::newRow("euc-jp") << Encodings::encode(Encoding::EucJp, QStringLiteral("日本語のテキスト")) << Encoding::EucJp;
        QTest::newRow("euc-jp with jis x 0212") << hex("a4a2a4a48fb0a1a4a6") << Encoding::EucJp;
        QTest::newRow("euc-jp with one bad pair at the end")
            << Encodings::encode(Encoding::EucJp, QStringLiteral("日本語のテキスト").repeated(100)) + "\xA9\xA1" << Encoding::Cp932;
        QTest::newRow("euc-jp cut short in its last character")
            << Encodings::encode(Encoding::EucJp, QStringLiteral("日本語のテキスト").repeated(100)) + "\xA4" << Encoding::EucJp;
    }

    void detectsByRule()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Encoding, encoding);
        QCOMPARE(EncodingDetector::detect(bytes), encoding);
        // Deciding while decoding comes to the same, and to the text decode() gives.
        const EncodingDetector::DetectedText detected = EncodingDetector::decodeDetected(bytes);
        QCOMPARE(detected.encoding, encoding);
        QList<Variant> variants;
        bool bom = false;
        QCOMPARE(detected.text, Encodings::decode(encoding, bytes, &variants, &bom));
        QCOMPARE(detected.variants, variants);
        QCOMPARE(detected.bom, bom);
        QCOMPARE(Encodings::encode(encoding, detected.text, detected.variants, nullptr, detected.bom), bytes);
    }

    // The corpus in each encoding: every CP932 text that is not plain ASCII must be decided
    // CP932; each other encoding is reported and must stay at its measured rate.
    void detectsCorpus_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<int>("minimumPercent");
        QTest::addColumn<int>("minimumCutPercent");  // of the texts cut off in their last character
        QTest::newRow("SJIS") << Encoding::Cp932 << 100 << 100;
        QTest::newRow("UTF-8") << Encoding::Utf8 << 100 << 90;
        QTest::newRow("UTF-8 BOM") << Encoding::Utf8Bom << 100 << 100;
        QTest::newRow("UTF-16LE") << Encoding::Utf16Le << 100 << 100;
        QTest::newRow("UTF-16BE") << Encoding::Utf16Be << 100 << 100;
        QTest::newRow("EUC-JP") << Encoding::EucJp << 75 << 65;
    }

    void detectsCorpus()
    {
        QFETCH(Encoding, encoding);
        QFETCH(int, minimumPercent);
        QFETCH(int, minimumCutPercent);
        // Each text as written, and cut off in its last character as a broken copy would be.
        QList<std::pair<QString, QByteArray>> files[2];
        for (const Sample &sample : corpus()) {
            QList<qsizetype> unencodable;
            const QByteArray bytes = Encodings::encode(encoding, sample.text, {}, &unencodable);
            QVERIFY(unencodable.isEmpty());
            files[0].append({sample.kind, bytes});
            if (!bytes.isEmpty() && uchar(bytes.back()) >= 0x80)
                files[1].append({sample.kind + QStringLiteral(", cut off"), bytes.chopped(1)});
        }
        const int minimum[2] = {minimumPercent, minimumCutPercent};
        for (int cut = 0; cut < 2; ++cut) {
            QMap<QString, std::pair<int, int>> byKind;  // right, all
            int right = 0;
            QStringList wrong;
            for (const auto &[kind, bytes] : files[cut]) {
                const Encoding decided = EncodingDetector::detect(bytes);
                QCOMPARE(EncodingDetector::decodeDetected(bytes).encoding, decided);
                // ASCII is the same bytes in every encoding without a byte-order mark.
                const bool ok = decided == encoding || (isAscii(bytes) && decided == Encoding::Cp932);
                right += ok;
                byKind[kind].first += ok;
                ++byKind[kind].second;
                if (!ok)
                    wrong << kind + QStringLiteral(": ") + QString::fromLatin1(bytes.left(20).toHex());
            }
            for (auto it = byKind.cbegin(); it != byKind.cend(); ++it)
                qInfo("%s %s: %d of %d", qPrintable(Encodings::name(encoding)), qPrintable(it.key()), it->first, it->second);
            qInfo("%s%s: %d of %d decided right", qPrintable(Encodings::name(encoding)), cut ? ", cut off" : "", right,
                  int(files[cut].size()));
            QVERIFY2(right * 100 >= minimum[cut] * files[cut].size(), qPrintable(wrong.join(QLatin1Char('\n'))));
        }
    }
};

QTEST_MAIN(TestEncodings)
#include "tst_encodings.moc"
