// Conversions between the stored character format and the font dialog's description and
// size, and the dialog run on a format.
#include "editor/fontcommands.h"
#include "editor/fontexchange.h"
#include "platform/dialogs/fontdialog.h"

#include <QLineEdit>
#include <QtTest>

namespace {
CharFormat format(int32_t twips, uint32_t effects = 0, const QString &face = {})
{
    return {CharFormat::kSize, 0, effects, twips, 0, 0, 128, 0x31, face};
}
LogFont chosenFont(int32_t weight, bool italic = false, bool underline = false, bool strike = false)
{
    return {-16, 0, 0, 0, weight, italic, underline, strike, 128, 0, 0, 0, 0x32, QStringLiteral("IPAPGothic")};
}
} // namespace

class TestFontExchange : public QObject {
    Q_OBJECT
private slots:
    // Truncated toward zero, not floored, and computed without overflow.
    void logFontHeight_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("height");
        QTest::newRow("10pt") << 200 << 13;
        QTest::newRow("9pt") << 180 << 12;
        QTest::newRow("10.5pt") << 210 << 14;
        QTest::newRow("12pt") << 240 << 16;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("below one pixel") << 14 << 0;
        QTest::newRow("negative") << -200 << -13;
        QTest::newRow("largest") << int(INT32_MAX) << 143165576;
        QTest::newRow("smallest") << int(INT32_MIN) << -143165576;
    }
    void logFontHeight()
    {
        QFETCH(int, twips);
        QTEST(FontExchange::toLogFont(format(twips)).lfHeight, "height");
    }

    // The mask is not consulted: an empty mask still carries every field; offset and colour
    // have no place in the description.
    void logFontFields()
    {
        CharFormat cf = format(240, CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE, QStringLiteral("ＭＳ ゴシック"));
        cf.yOffset = 40;
        cf.crTextColor = 0x123456;
        QCOMPARE(FontExchange::toLogFont(cf), (LogFont{16, 0, 0, 0, 700, 0, 1, 0, 128, 0, 0, 0, 0x31, cf.szFaceName}));
        QCOMPARE(FontExchange::toLogFont(format(200, CharFormat::CFE_ITALIC | CharFormat::CFE_STRIKEOUT)),
                 (LogFont{13, 0, 0, 0, 400, 1, 0, 1, 128, 0, 0, 0, 0x31, QString()}));
    }

    // 12-point bold in pure red, over a start whose size, offset and record size differ.
    void dialogResult()
    {
        CharFormat start = format(200, CharFormat::CFE_AUTOCOLOR, QStringLiteral("Old"));
        start.dwMask = CharFormat::CFM_FACE;
        start.yOffset = -30;
        start.cbSize = 70;
        QCOMPARE(FontExchange::fromDialog(start, chosenFont(700), 0x0000FF, 120),
                 (CharFormat{70, 0xF800000F, CharFormat::CFE_BOLD, 240, -30, 255, 128, 0x32, QStringLiteral("IPAPGothic")}));
        // Half points: 10.5 points are 210 twips; a size far out of range does not wrap around.
        QCOMPARE(FontExchange::fromDialog(start, chosenFont(400), 0, 105).yHeight, 210);
        QCOMPARE(FontExchange::fromDialog(start, chosenFont(400), 0, INT32_MAX).yHeight, INT32_MAX);
    }

    // The four effects follow the choice in both directions (bold above 400); the automatic
    // colour goes; bits the dialog knows nothing about (protected, link, a high bit) stay.
    void dialogEffectsBuiltOnStart_data()
    {
        QTest::addColumn<int>("weight");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<bool>("strike");
        QTest::addColumn<uint>("start");
        QTest::addColumn<uint>("effects");
        const uint bold = CharFormat::CFE_BOLD, italic = CharFormat::CFE_ITALIC, under = CharFormat::CFE_UNDERLINE,
                   strike = CharFormat::CFE_STRIKEOUT, other = 0x10 | 0x20 | 0x01000000;
        QTest::newRow("500 is bold") << 500 << false << false << false << 0u << bold;
        QTest::newRow("401 is bold") << 401 << false << false << false << 0u << bold;
        QTest::newRow("400 clears a bold start") << 400 << false << false << false << bold << 0u;
        QTest::newRow("300 is not bold") << 300 << false << false << false << 0u << 0u;
        QTest::newRow("0 is not bold") << 0 << false << false << false << bold << 0u;
        QTest::newRow("cleared, others kept") << 400 << false << false << true
                                              << (other | CharFormat::CFE_AUTOCOLOR | under | italic) << (other | strike);
        QTest::newRow("set") << 700 << true << true << false << strike << (bold | italic | under);
    }
    void dialogEffectsBuiltOnStart()
    {
        QFETCH(int, weight);
        QFETCH(bool, italic);
        QFETCH(bool, underline);
        QFETCH(bool, strike);
        QFETCH(uint, start);
        QTEST(uint(FontExchange::fromDialog(format(200, start), chosenFont(weight, italic, underline, strike), 0, 100).dwEffects),
              "effects");
    }

    // 31 characters at most, and a character outside the basic plane is not split at the cut;
    // the description the dialog starts from is cut the same way.
    void dialogFaceCut()
    {
        const auto cut = [](const QString &face) {
            LogFont lf = chosenFont(400);
            lf.lfFaceName = face;
            return FontExchange::fromDialog(format(200), lf, 0, 100).szFaceName;
        };
        QCOMPARE(cut(QString(40, u'F')), QString(31, u'F'));
        QCOMPARE(cut(QString(31, u'F')), QString(31, u'F'));
        QCOMPARE(cut(QString(30, u'F') + QStringLiteral("\U0001F600tail")), QString(30, u'F'));
        QCOMPARE(FontExchange::toLogFont(format(200, 0, QString(35, u'G'))).lfFaceName, QString(31, u'G'));
    }

    // The real dialog opens on the format's size and, confirmed unchanged, gives the format back
    // (with the dialog's mask and without the automatic colour). 10.5 and 11 points share a
    // pixel height, and so do 9.5 and 9, 12.5 and 12.
    void dialogAcceptedUnchanged_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<QString>("shown");
        QTest::newRow("9.5pt") << 190 << "9.5";
        QTest::newRow("10pt") << 200 << "10";
        QTest::newRow("10.5pt") << 210 << "10.5";
        QTest::newRow("11pt") << 220 << "11";
        QTest::newRow("12.5pt") << 250 << "12.5";
    }
    void dialogAcceptedUnchanged()
    {
        QFETCH(int, twips);
        CharFormat start = format(twips, CharFormat::CFE_BOLD | CharFormat::CFE_ITALIC, QStringLiteral("IPAGothic"));
        start.crTextColor = 0x00FF00;
        start.dwMask = 0xF800000F;
        QString sizeShown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&sizeShown, &poll] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<FontDialog *>(window); dialog && dialog->isVisible()) {
                    poll.stop();
                    sizeShown = dialog->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->text();
                    dialog->accept();
                }
            }
        });
        poll.start(10);
        const std::optional<CharFormat> chosen = CFontCommands::RunFontDialog(start, nullptr);
        QTEST(sizeShown, "shown");
        QVERIFY(chosen);
        QCOMPARE(*chosen, start);
    }
};

QTEST_MAIN(TestFontExchange)
#include "tst_fontexchange.moc"
