// Conversions between the stored character format and the font dialog's description and
// size, and the dialog run on a format.
#include "editor/fontexchange.h"
#include "editor/nyoview.h"
#include "platform/fontdialog.h"

#include <QLineEdit>
#include <QtTest>

namespace {

CharFormat format(int32_t twips, uint32_t effects, const QString &face)
{
    CharFormat cf;
    cf.cbSize = CharFormat::kSize;
    cf.dwMask = 0;
    cf.dwEffects = effects;
    cf.yHeight = twips;
    cf.yOffset = 0;
    cf.crTextColor = 0;
    cf.bCharSet = 128;
    cf.bPitchAndFamily = 0x31;
    cf.szFaceName = face;
    return cf;
}

LogFont chosenFont(int32_t weight, bool italic, bool underline, bool strike)
{
    LogFont lf;
    lf.lfHeight = -16;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strike;
    lf.lfCharSet = 128;
    lf.lfPitchAndFamily = 0x32;
    lf.lfFaceName = QStringLiteral("IPAPGothic");
    return lf;
}

} // namespace

class TestFontExchange : public QObject {
    Q_OBJECT
private slots:
    void logFontHeight_data();
    void logFontHeight();
    void logFontFields();
    void dialogResult();
    void dialogBoldThreshold_data();
    void dialogBoldThreshold();
    void dialogEffectsBuiltOnStart();
    void dialogFaceCut();
    void dialogAcceptedUnchanged_data();
    void dialogAcceptedUnchanged();
};

void TestFontExchange::logFontHeight_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("height");
    QTest::newRow("10pt") << 200 << 13;
    QTest::newRow("9pt") << 180 << 12;
    QTest::newRow("10.5pt") << 210 << 14;
    QTest::newRow("12pt") << 240 << 16;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("below one pixel") << 14 << 0;
    // Truncation toward zero, not flooring.
    QTest::newRow("negative") << -200 << -13;
    QTest::newRow("largest") << int(INT32_MAX) << 143165576;
    QTest::newRow("smallest") << int(INT32_MIN) << -143165576;
}

void TestFontExchange::logFontHeight()
{
    QFETCH(int, twips);
    QFETCH(int, height);
    QCOMPARE(FontExchange::toLogFont(format(twips, 0, QStringLiteral("x"))).lfHeight, height);
}

void TestFontExchange::logFontFields()
{
    // The mask is not consulted: an empty mask still carries every field.
    CharFormat cf = format(240, CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE, QStringLiteral("ＭＳ ゴシック"));
    cf.yOffset = 40;
    cf.crTextColor = 0x123456;
    LogFont lf = FontExchange::toLogFont(cf);
    QCOMPARE(lf.lfWeight, 700);
    QCOMPARE(int(lf.lfItalic), 0);
    QCOMPARE(int(lf.lfUnderline), 1);
    QCOMPARE(int(lf.lfStrikeOut), 0);
    QCOMPARE(int(lf.lfCharSet), 128);
    QCOMPARE(int(lf.lfPitchAndFamily), 0x31);
    QCOMPARE(lf.lfFaceName, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(lf.lfWidth, 0);
    QCOMPARE(lf.lfEscapement, 0);
    QCOMPARE(lf.lfOrientation, 0);
    QCOMPARE(int(lf.lfOutPrecision), 0);
    QCOMPARE(int(lf.lfClipPrecision), 0);
    QCOMPARE(int(lf.lfQuality), 0);

    lf = FontExchange::toLogFont(format(200, CharFormat::CFE_ITALIC | CharFormat::CFE_STRIKEOUT, {}));
    QCOMPARE(lf.lfWeight, 400);
    QCOMPARE(int(lf.lfItalic), 1);
    QCOMPARE(int(lf.lfUnderline), 0);
    QCOMPARE(int(lf.lfStrikeOut), 1);
}

void TestFontExchange::dialogResult()
{
    // 12-point bold in pure red.
    CharFormat start = format(200, CharFormat::CFE_AUTOCOLOR, QStringLiteral("Old"));
    start.dwMask = CharFormat::CFM_FACE;
    start.yOffset = -30;
    start.cbSize = 60;
    const CharFormat cf = FontExchange::fromDialog(start, chosenFont(700, false, false, false),
                                                   0x0000FF, 120);
    QCOMPARE(cf.yHeight, 240);
    QCOMPARE(cf.crTextColor, 255u);
    QCOMPARE(cf.dwEffects & CharFormat::CFE_BOLD, CharFormat::CFE_BOLD);
    QCOMPARE(cf.dwEffects & CharFormat::CFE_AUTOCOLOR, 0u);
    QCOMPARE(cf.dwMask, 0xF800000Fu);
    QCOMPARE(cf.szFaceName, QStringLiteral("IPAPGothic"));
    QCOMPARE(int(cf.bCharSet), 128);
    QCOMPARE(int(cf.bPitchAndFamily), 0x32);
    QCOMPARE(cf.yOffset, -30);
    QCOMPARE(cf.cbSize, 60u);

    // Half points: 10.5 points are 210 twips.
    QCOMPARE(FontExchange::fromDialog(start, chosenFont(400, false, false, false), 0, 105).yHeight, 210);
    // A size far out of range does not wrap around.
    QCOMPARE(FontExchange::fromDialog(start, chosenFont(400, false, false, false), 0, INT32_MAX).yHeight,
             INT32_MAX);
}

void TestFontExchange::dialogBoldThreshold_data()
{
    QTest::addColumn<int>("weight");
    QTest::addColumn<uint>("startEffects");
    QTest::addColumn<bool>("bold");
    QTest::newRow("500 is bold") << 500 << 0u << true;
    QTest::newRow("401 is bold") << 401 << 0u << true;
    QTest::newRow("400 clears a bold start") << 400 << uint(CharFormat::CFE_BOLD) << false;
    QTest::newRow("300 is not bold") << 300 << 0u << false;
    QTest::newRow("0 is not bold") << 0 << uint(CharFormat::CFE_BOLD) << false;
}

void TestFontExchange::dialogBoldThreshold()
{
    QFETCH(int, weight);
    QFETCH(uint, startEffects);
    QFETCH(bool, bold);
    const CharFormat cf = FontExchange::fromDialog(format(200, startEffects, {}),
                                                   chosenFont(weight, false, false, false), 0, 100);
    QCOMPARE(bool(cf.dwEffects & CharFormat::CFE_BOLD), bold);
}

void TestFontExchange::dialogEffectsBuiltOnStart()
{
    // Bits the dialog knows nothing about (protected 0x10, link 0x20, a high bit) stay; the
    // automatic colour goes; the four effects follow the choice in both directions.
    const uint32_t other = 0x10 | 0x20 | 0x01000000;
    const uint32_t start = other | CharFormat::CFE_AUTOCOLOR | CharFormat::CFE_UNDERLINE |
                           CharFormat::CFE_ITALIC;
    CharFormat cf = FontExchange::fromDialog(format(200, start, {}), chosenFont(400, false, false, true),
                                             0, 100);
    QCOMPARE(cf.dwEffects, other | CharFormat::CFE_STRIKEOUT);

    cf = FontExchange::fromDialog(format(200, CharFormat::CFE_STRIKEOUT, {}),
                                  chosenFont(700, true, true, false), 0, 100);
    QCOMPARE(cf.dwEffects, CharFormat::CFE_BOLD | CharFormat::CFE_ITALIC | CharFormat::CFE_UNDERLINE);
}

void TestFontExchange::dialogFaceCut()
{
    LogFont lf = chosenFont(400, false, false, false);
    lf.lfFaceName = QString(40, u'F');
    QCOMPARE(FontExchange::fromDialog(format(200, 0, {}), lf, 0, 100).szFaceName, QString(31, u'F'));
    lf.lfFaceName = QString(31, u'F');
    QCOMPARE(FontExchange::fromDialog(format(200, 0, {}), lf, 0, 100).szFaceName, QString(31, u'F'));
    // A character outside the basic plane is not split at the cut.
    lf.lfFaceName = QString(30, u'F') + QStringLiteral("\U0001F600") + QStringLiteral("tail");
    const QString cut = FontExchange::fromDialog(format(200, 0, {}), lf, 0, 100).szFaceName;
    QCOMPARE(cut, QString(30, u'F'));
    // The description the dialog starts from is cut the same way.
    QCOMPARE(FontExchange::toLogFont(format(200, 0, QString(35, u'G'))).lfFaceName, QString(31, u'G'));
}

void TestFontExchange::dialogAcceptedUnchanged_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<QString>("shown");
    // 10.5 and 11 points share a pixel height, and so do 9.5 and 9, 12.5 and 12.
    QTest::newRow("9.5pt") << 190 << QStringLiteral("9.5");
    QTest::newRow("10pt") << 200 << QStringLiteral("10");
    QTest::newRow("10.5pt") << 210 << QStringLiteral("10.5");
    QTest::newRow("11pt") << 220 << QStringLiteral("11");
    QTest::newRow("12.5pt") << 250 << QStringLiteral("12.5");
}

// The real dialog opens on the format's size and, confirmed unchanged, gives the format back
// (with the dialog's mask and without the automatic colour).
void TestFontExchange::dialogAcceptedUnchanged()
{
    QFETCH(int, twips);
    QFETCH(QString, shown);
    CharFormat start = format(twips, CharFormat::CFE_BOLD | CharFormat::CFE_ITALIC, QStringLiteral("IPAGothic"));
    start.crTextColor = 0x00FF00;
    start.dwMask = 0xF800000F;
    QString sizeShown;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&sizeShown, &poll] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<FontDialog *>(window);
            if (dialog && dialog->isVisible()) {
                poll.stop();
                sizeShown = dialog->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->text();
                dialog->accept();
            }
        }
    });
    poll.start(10);
    const std::optional<CharFormat> chosen = CNYOView::RunFontDialog(start, nullptr);
    QCOMPARE(sizeShown, shown);
    QVERIFY(chosen);
    QCOMPARE(*chosen, start);
}

QTEST_MAIN(TestFontExchange)
#include "tst_fontexchange.moc"
