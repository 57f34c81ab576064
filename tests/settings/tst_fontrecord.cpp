// The font record: nine values per section, their stored texts, defaults and odd contents.
#include "platform/base/profile.h"
#include "settings/fontrecord.h"
#include "store_helper.h"

#include <QtTest>

namespace {

const QString kFont = QStringLiteral("FONT");
const QString kPrintFont = QStringLiteral("PFONT");

QString stored(const QString &section, const char *key)
{
    return Profile::GetProfileString(section, QLatin1String(key), QStringLiteral("(missing)"));
}

CharFormat chosenFont()
{
    CharFormat f;
    f.cbSize = CharFormat::kSize;
    f.dwMask = CharFormat::CFM_BOLD | CharFormat::CFM_ITALIC | CharFormat::CFM_UNDERLINE |
               CharFormat::CFM_STRIKEOUT | CharFormat::CFM_SIZE | CharFormat::CFM_COLOR |
               CharFormat::CFM_FACE | CharFormat::CFM_OFFSET | CharFormat::CFM_CHARSET;
    f.dwEffects = CharFormat::CFE_BOLD | CharFormat::CFE_ITALIC | 0x80000000u;
    f.yHeight = 240;
    f.yOffset = -20;
    f.crTextColor = 0x00FF0000;
    f.bCharSet = 128;
    f.bPitchAndFamily = 0xFF;
    f.szFaceName = QStringLiteral("ＭＳ ゴシック");
    return f;
}

} // namespace

class TestFontRecord : public QObject
{
    Q_OBJECT

private slots:
    void init() { StoreHelper::useFreshStore(); }

    void neverWritten();
    void roundTripAndStoredTexts();
    void printFontFirstUse();
    void storedTexts_data();
    void storedTexts();
    void longFaceName();
};

void TestFontRecord::neverWritten()
{
    CharFormat expected;
    expected.szFaceName = QStringLiteral("System");
    QCOMPARE(ReadFontRecord(kFont), expected);
    QCOMPARE(ReadFontRecord(kPrintFont), expected);
}

void TestFontRecord::roundTripAndStoredTexts()
{
    const CharFormat font = chosenFont();
    WriteFontRecord(kFont, font);
    QCOMPARE(ReadFontRecord(kFont), font);

    QCOMPARE(stored(kFont, "cbSize"), QStringLiteral("60"));
    QCOMPARE(stored(kFont, "dwMask"), QStringLiteral("-134217713"));
    QCOMPARE(stored(kFont, "dwEffects"), QStringLiteral("-2147483645"));
    QCOMPARE(stored(kFont, "yHeight"), QStringLiteral("240"));
    QCOMPARE(stored(kFont, "yOffset"), QStringLiteral("-20"));
    QCOMPARE(stored(kFont, "crTextColor"), QStringLiteral("16711680"));
    QCOMPARE(stored(kFont, "bCharSet"), QStringLiteral("128"));
    QCOMPARE(stored(kFont, "bPitchAndFamily"), QStringLiteral("255"));
    QCOMPARE(stored(kFont, "szFaceName"), QStringLiteral("ＭＳ ゴシック"));

    QStringList keys = Profile::ProfileKeys(kFont);
    keys.sort();
    QCOMPARE(keys, (QStringList{"bCharSet", "bPitchAndFamily", "cbSize", "crTextColor", "dwEffects",
                                "dwMask", "szFaceName", "yHeight", "yOffset"}));
    QVERIFY(Profile::ProfileKeys(kPrintFont).isEmpty());
}

void TestFontRecord::printFontFirstUse()
{
    // The print-font command writes back what it read, size 0 included.
    WriteFontRecord(kPrintFont, ReadFontRecord(kPrintFont));
    QCOMPARE(stored(kPrintFont, "cbSize"), QStringLiteral("0"));
    QCOMPARE(stored(kPrintFont, "dwMask"), QStringLiteral("0"));
    QCOMPARE(stored(kPrintFont, "szFaceName"), QStringLiteral("System"));
}

void TestFontRecord::storedTexts_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");   // the field after reading

    QTest::newRow("charset low bits") << "bCharSet" << "300" << qint64(44);
    QTest::newRow("charset negative") << "bCharSet" << "-1" << qint64(255);
    QTest::newRow("pitch junk") << "bPitchAndFamily" << "abc" << qint64(0);
    QTest::newRow("height atol") << "yHeight" << " 12pt" << qint64(12);
    QTest::newRow("offset negative") << "yOffset" << "-40" << qint64(-40);
    QTest::newRow("mask unsigned text") << "dwMask" << "4160749583" << qint64(0xF800000F);
    QTest::newRow("mask signed text") << "dwMask" << "-134217713" << qint64(0xF800000F);
    QTest::newRow("color empty") << "crTextColor" << "" << qint64(0);
}

void TestFontRecord::storedTexts()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QVERIFY(Profile::WriteProfileString(kFont, key, text));
    const CharFormat f = ReadFontRecord(kFont);
    const QHash<QString, qint64> fields = {
        {"cbSize", f.cbSize}, {"dwMask", f.dwMask}, {"dwEffects", f.dwEffects},
        {"yHeight", f.yHeight}, {"yOffset", f.yOffset}, {"crTextColor", f.crTextColor},
        {"bCharSet", f.bCharSet}, {"bPitchAndFamily", f.bPitchAndFamily},
    };
    for (auto it = fields.begin(); it != fields.end(); ++it)
        QCOMPARE(it.value(), it.key() == key ? value : 0);
    QCOMPARE(f.szFaceName, QStringLiteral("System"));
}

void TestFontRecord::longFaceName()
{
    const QString face40 = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
    CharFormat f;
    f.szFaceName = face40;
    WriteFontRecord(kFont, f);
    QCOMPARE(stored(kFont, "szFaceName"), face40.left(31));

    QVERIFY(Profile::WriteProfileString(kFont, QStringLiteral("szFaceName"), face40));
    QCOMPARE(ReadFontRecord(kFont).szFaceName, face40.left(31));

    // A character outside the basic plane is never cut in half.
    const QString withPair = face40.left(30) + QStringLiteral("😀");
    QVERIFY(Profile::WriteProfileString(kFont, QStringLiteral("szFaceName"), withPair));
    QCOMPARE(ReadFontRecord(kFont).szFaceName, face40.left(30));

    QVERIFY(Profile::WriteProfileString(kFont, QStringLiteral("szFaceName"), QString()));
    QCOMPARE(ReadFontRecord(kFont).szFaceName, QString());
}

QTEST_MAIN(TestFontRecord)
#include "tst_fontrecord.moc"
