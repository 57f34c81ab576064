// Dialog building blocks: dialog units, data exchange with its messages, the font dialog.
#include "platform/ddx.h"
#include "platform/dialogunits.h"
#include "platform/fontdialog.h"
#include "platform/msgbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

struct Shown {
    QString text;
    QString caption;
    MsgBox::Icon icon = MsgBox::Icon::None;
};

// Records every box instead of showing it.
class BoxRecorder {
public:
    BoxRecorder()
    {
        MsgBox::setResponder([this](const QString &text, const QString &caption, MsgBox::Buttons,
                                    MsgBox::Icon icon) {
            shown.append({text, caption, icon});
            return int(MsgBox::IDOK);
        });
    }
    ~BoxRecorder() { MsgBox::setResponder({}); }
    QList<Shown> shown;
};

// A dialog with two edit fields and a check box.
struct Form {
    QDialog dlg;
    QLineEdit *first = new QLineEdit(&dlg);
    QLineEdit *second = new QLineEdit(&dlg);
    QCheckBox *box = new QCheckBox(&dlg);
};

QString installedFamily(bool japanese)
{
    const QStringList families = QFontDatabase::families();
    for (const QString &f : families) {
        if (QFontDatabase::isPrivateFamily(f))
            continue;
        if (!japanese || QFontDatabase::writingSystems(f).contains(QFontDatabase::Japanese))
            return f;
    }
    return QString();
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void dialogUnitsFollowFontMetrics();
    void dialogUnitsRounding();
    void dialogFontSubstitution();

    void parseSigned_data();
    void parseSigned();
    void parseUnsigned_data();
    void parseUnsigned();
    void loadFillsControlsWithoutChecks();
    void saveReportsFirstFailureOnly();
    void rangeMessages();
    void unsignedMessages();
    void saveAcceptsValidFields();
    void maxCharsCountsCodePageBytes();
    void maxCharsLimitsTyping();

    void fontHeightConversion();
    void fontDialogRoundTrip();
    void fontDialogOpensOnNamedSize_data();
    void fontDialogOpensOnNamedSize();
    void fontDialogKeepsOddWeightAndColour();
    void fontDialogUserChoices();
    void fontDialogMissingFace();
    void fontDialogRefusesBadSize();
};

void TestDialogs::initTestCase()
{
    DialogUnits::installFontSubstitutions();
}

void TestDialogs::dialogUnitsFollowFontMetrics()
{
    const QFont font = DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    const QFontMetrics fm(font);
    const int cx = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int avg = qRound(cx / 52.0);
    const DialogUnits du(font);
    QCOMPARE(du.baseX(), avg);
    QCOMPARE(du.baseY(), fm.height());

    // x * width / 4 and y * height / 8, rounded.
    const QRect r = du.toPixels(QRect(177, 23, 41, 24));
    QCOMPARE(r.x(), qRound(177 * avg / 4.0));
    QCOMPARE(r.y(), qRound(23 * fm.height() / 8.0));
    QCOMPARE(r.width(), qRound(41 * avg / 4.0));
    QCOMPARE(r.height(), qRound(24 * fm.height() / 8.0));

    QWidget dlg;
    auto *child = new QWidget(&dlg);
    du.place(child, 55, 27, 90, 8);
    QCOMPARE(child->geometry(), du.toPixels(QRect(55, 27, 90, 8)));
    du.sizeDialog(&dlg, 235, 119);
    QCOMPARE(dlg.size(), QSize(qRound(235 * avg / 4.0), qRound(119 * fm.height() / 8.0)));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());

    // A bigger font gives bigger units.
    const DialogUnits big(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 18));
    QVERIFY(big.baseY() > du.baseY());
    QVERIFY(big.baseX() > du.baseX());
}

void TestDialogs::dialogUnitsRounding()
{
    QCOMPARE(DialogUnits::mulDiv(10, 1, 4), 3);     // 2.5 rounds up
    QCOMPARE(DialogUnits::mulDiv(9, 1, 4), 2);      // 2.25
    QCOMPARE(DialogUnits::mulDiv(-10, 1, 4), -3);   // away from zero
    QCOMPARE(DialogUnits::mulDiv(10, 1, -4), -3);
    QCOMPARE(DialogUnits::mulDiv(-10, -1, -4), -3);
    QCOMPARE(DialogUnits::mulDiv(0, 7, 4), 0);
    QCOMPARE(DialogUnits::mulDiv(1, 1, 0), -1);
    QCOMPARE(DialogUnits::mulDiv(INT32_MAX, 4, 8), 1073741824);   // no overflow inside
    QCOMPARE(DialogUnits::mulDiv(INT32_MAX, INT32_MAX, 1), -1);   // result does not fit
}

void TestDialogs::dialogFontSubstitution()
{
    if (!QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
        QSKIP("IPAPGothic is not installed");
    const QFontInfo info(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    QCOMPARE(info.family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(QFontInfo(QFont(QStringLiteral("ＭＳ 明朝"))).family(), QStringLiteral("IPAMincho"));
}

void TestDialogs::parseSigned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "7" << true << 7;
    QTest::newRow("blanks around") << " \t7 \t" << true << 7;
    QTest::newRow("negative") << "-12" << true << -12;
    QTest::newRow("plus") << "+5" << true << 5;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("smallest") << "-2147483648" << true << int(INT32_MIN);
    QTest::newRow("largest") << "2147483647" << true << int(INT32_MAX);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("far too large") << "99999999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank") << "  " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing garbage") << "5a" << false << 0;
    QTest::newRow("two numbers") << "1 2" << false << 0;
    QTest::newRow("hex") << "0x10" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("blank after sign") << "- 5" << false << 0;
    QTest::newRow("decimal") << "1.5" << false << 0;
    QTest::newRow("full-width digit") << "７" << false << 0;
    QTest::newRow("line break") << "\n5" << false << 0;
}

void TestDialogs::parseSigned()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = Ddx::parseInt(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestDialogs::parseUnsigned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<uint>("value");
    QTest::newRow("plain") << " 600 " << true << 600u;
    QTest::newRow("zero") << "0" << true << 0u;
    QTest::newRow("plus") << "+3" << true << 3u;
    QTest::newRow("largest") << "4294967295" << true << 4294967295u;
    QTest::newRow("too large") << "4294967296" << false << 0u;
    QTest::newRow("negative") << "-5" << false << 0u;
    QTest::newRow("minus zero") << "-0" << false << 0u;
    QTest::newRow("blank then minus") << "\t-1" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("letters") << "1O" << false << 0u;
}

void TestDialogs::parseUnsigned()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(uint, value);
    const auto parsed = Ddx::parseUInt(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestDialogs::loadFillsControlsWithoutChecks()
{
    BoxRecorder boxes;
    Form form;
    int32_t count = 16;
    uint32_t seconds = 4000000000u;
    int32_t flag = 1;
    Ddx dx(&form.dlg, false);
    dx.text(form.first, count).minMaxInt(count, 0, 10);
    dx.text(form.second, seconds).minMaxUInt(seconds, 1, 36000);
    dx.check(form.box, flag);
    // Out-of-range values are shown as they are; the check applies on saving only.
    QVERIFY(dx.ok());
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(form.first->text(), QStringLiteral("16"));
    QCOMPARE(form.second->text(), QStringLiteral("4000000000"));
    QVERIFY(form.box->isChecked());
}

void TestDialogs::saveReportsFirstFailureOnly()
{
    BoxRecorder boxes;
    Form form;
    form.dlg.show();
    form.first->setText(QStringLiteral("abc"));
    form.second->setText(QStringLiteral("xyz"));
    form.second->setFocus();
    int32_t a = 3;
    int32_t b = 4;
    Ddx dx(&form.dlg, true);
    dx.text(form.first, a).minMaxInt(a, 0, 10);
    dx.text(form.second, b);
    QVERIFY(!dx.ok());
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("整数を入力してください。"));
    QCOMPARE(boxes.shown[0].caption, MsgBox::defaultCaption());
    QVERIFY(boxes.shown[0].icon == MsgBox::Icon::Exclamation);
    // The field that failed has the focus and its whole text selected; the members stay.
    QCOMPARE(form.dlg.focusWidget(), form.first);
    QCOMPARE(form.first->selectedText(), QStringLiteral("abc"));
    QCOMPARE(a, 3);
    QCOMPARE(b, 4);
}

void TestDialogs::rangeMessages()
{
    BoxRecorder boxes;
    Form form;
    int32_t count = 0;
    for (const char *typed : {"11", "-1"}) {
        form.first->setText(QString::fromLatin1(typed));
        Ddx dx(&form.dlg, true);
        dx.text(form.first, count).minMaxInt(count, 0, 10);
        QVERIFY(!dx.ok());
    }
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("0 から 10 までの整数を入力してください。"));
    QCOMPARE(boxes.shown[1].text, boxes.shown[0].text);
    QCOMPARE(form.dlg.focusWidget(), form.first);

    // Bounds themselves are inside.
    for (const char *typed : {"0", " 10 "}) {
        form.first->setText(QString::fromLatin1(typed));
        Ddx dx(&form.dlg, true);
        dx.text(form.first, count).minMaxInt(count, 0, 10);
        QVERIFY(dx.ok());
    }
    QCOMPARE(count, 10);
    QCOMPARE(boxes.shown.size(), 2);

    // Negative bounds are written with their sign.
    form.first->setText(QStringLiteral("5"));
    Ddx dx(&form.dlg, true);
    dx.text(form.first, count).minMaxInt(count, -3, 2);
    QCOMPARE(boxes.shown.last().text, QStringLiteral("-3 から 2 までの整数を入力してください。"));
}

void TestDialogs::unsignedMessages()
{
    BoxRecorder boxes;
    Form form;
    uint32_t interval = 600;
    uint32_t lead = 10;
    form.first->setText(QStringLiteral("-5"));
    form.second->setText(QStringLiteral("70"));
    {
        Ddx dx(&form.dlg, true);
        dx.text(form.first, interval).minMaxUInt(interval, 1, 36000);
        dx.text(form.second, lead).minMaxUInt(lead, 1, 60);
        QVERIFY(!dx.ok());
    }
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("正の整数を入力してください。"));
    QCOMPARE(form.dlg.focusWidget(), form.first);

    form.first->setText(QStringLiteral("0"));
    {
        Ddx dx(&form.dlg, true);
        dx.text(form.first, interval).minMaxUInt(interval, 1, 36000);
        dx.text(form.second, lead).minMaxUInt(lead, 1, 60);
    }
    QCOMPARE(boxes.shown.last().text, QStringLiteral("1 から 36000 までの整数を入力してください。"));

    form.first->setText(QStringLiteral("36000"));
    {
        Ddx dx(&form.dlg, true);
        dx.text(form.first, interval).minMaxUInt(interval, 1, 36000);
        dx.text(form.second, lead).minMaxUInt(lead, 1, 60);
    }
    QCOMPARE(boxes.shown.size(), 3);
    QCOMPARE(boxes.shown.last().text, QStringLiteral("1 から 60 までの整数を入力してください。"));
    QCOMPARE(form.dlg.focusWidget(), form.second);
    QCOMPARE(form.second->selectedText(), QStringLiteral("70"));
}

void TestDialogs::saveAcceptsValidFields()
{
    BoxRecorder boxes;
    Form form;
    form.first->setText(QStringLiteral(" 7 "));
    form.second->setText(QStringLiteral("name"));
    form.box->setChecked(true);
    int32_t count = 0;
    QString name;
    int32_t flag = 0;
    Ddx dx(&form.dlg, true);
    dx.text(form.first, count).minMaxInt(count, 0, 10);
    dx.text(form.second, name).maxChars(name, 256);
    dx.check(form.box, flag);
    QVERIFY(dx.ok());
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(count, 7);
    QCOMPARE(name, QStringLiteral("name"));
    QCOMPARE(flag, 1);
}

void TestDialogs::maxCharsCountsCodePageBytes()
{
    BoxRecorder boxes;
    Form form;
    QString name;
    // 128 double-byte characters are 256 bytes: allowed; one more is not.
    form.first->setText(QString(128, u'あ'));
    {
        Ddx dx(&form.dlg, true);
        dx.text(form.first, name).maxChars(name, 256);
        QVERIFY(dx.ok());
    }
    form.first->setText(QString(128, u'あ') + u'a');
    {
        Ddx dx(&form.dlg, true);
        dx.text(form.first, name).maxChars(name, 256);
        QVERIFY(!dx.ok());
    }
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("256 文字以下で入力してください。"));
    QCOMPARE(form.dlg.focusWidget(), form.first);
    // Half-width katakana are single bytes.
    form.first->setText(QString(256, u'ｱ'));
    Ddx dx(&form.dlg, true);
    dx.text(form.first, name).maxChars(name, 256);
    QVERIFY(dx.ok());
}

void TestDialogs::maxCharsLimitsTyping()
{
    Form form;
    form.dlg.show();
    QString name = QString(5, u'x');
    Ddx dx(&form.dlg, false);
    dx.text(form.first, name).maxChars(name, 6);
    form.first->setFocus();
    form.first->end(false);
    QTest::keyClicks(form.first, QStringLiteral("yz"));
    QCOMPARE(form.first->text(), QStringLiteral("xxxxxy"));
    // A double-byte character does not fit into the last byte.
    form.first->setText(QString(5, u'x'));
    form.first->end(false);
    form.first->insert(QStringLiteral("あ"));
    QCOMPARE(form.first->text(), QString(5, u'x'));
    // A longer text set by the program can still be shortened.
    form.first->setText(QString(9, u'x'));
    form.first->end(false);
    QTest::keyClick(form.first, Qt::Key_Backspace);
    QCOMPARE(form.first->text(), QString(8, u'x'));
}

void TestDialogs::fontHeightConversion()
{
    QCOMPARE(FontDialog::tenthsFromHeight(13), 100);
    QCOMPARE(FontDialog::tenthsFromHeight(12), 90);
    QCOMPARE(FontDialog::tenthsFromHeight(16), 120);
    QCOMPARE(FontDialog::tenthsFromHeight(14), 110);   // 10.5 and 11 share it: the whole size
    QCOMPARE(FontDialog::tenthsFromHeight(-16), 120);
    QCOMPARE(FontDialog::tenthsFromHeight(-13), 100);
    QCOMPARE(FontDialog::tenthsFromHeight(0), FontDialog::kDefaultTenths);
    QCOMPARE(FontDialog::tenthsFromHeight(INT32_MAX), FontDialog::kMaxTenths);
    QCOMPARE(FontDialog::tenthsFromHeight(INT32_MIN), FontDialog::kMaxTenths);
    QCOMPARE(FontDialog::tenthsFromHeight(1), FontDialog::kMinTenths);
    // Every height opens on a size that converts back to that height.
    for (int h = 2; h <= 2000; ++h) {
        QCOMPARE(FontDialog::heightFromTenths(FontDialog::tenthsFromHeight(h), true), h);
        QCOMPARE(FontDialog::heightFromTenths(FontDialog::tenthsFromHeight(-h), false), -h);
    }
    QCOMPARE(FontDialog::parseTenths(QStringLiteral(" 10.5 ")), 105);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("9")), 90);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("1638")), 16380);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("1639")), 0);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("0")), 0);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("abc")), 0);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral("1e2")), 0);
    QCOMPARE(FontDialog::parseTenths(QStringLiteral(".")), 0);
    QCOMPARE(FontDialog::formatTenths(105), QStringLiteral("10.5"));
    QCOMPARE(FontDialog::formatTenths(120), QStringLiteral("12"));
}

void TestDialogs::fontDialogRoundTrip()
{
    const QString face = installedFamily(true).isEmpty() ? installedFamily(false) : installedFamily(true);
    QVERIFY(!face.isEmpty());
    LogFont lf;
    lf.lfHeight = 16;
    lf.lfWeight = 700;
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    lf.lfStrikeOut = 1;
    lf.lfCharSet = 128;
    lf.lfPitchAndFamily = 0x31;
    lf.lfFaceName = face;
    FontDialog dlg(lf, 0x0000FF);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("フォント"));
    dlg.findChild<QPushButton *>(QStringLiteral("ok"))->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.logFont(), lf);
    QCOMPARE(dlg.color(), 0x0000FFu);
    QCOMPARE(dlg.pointSizeTenths(), 120);
    const QFont sample = dlg.sampleFont();
    QVERIFY(sample.bold() && sample.italic() && sample.underline() && sample.strikeOut());
    QCOMPARE(sample.pointSizeF(), 12.0);

    // Plain style, negative height.
    lf.lfHeight = -13;
    lf.lfWeight = 400;
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = 0;
    FontDialog plain(lf, 0xFFFFFF);
    plain.accept();
    QCOMPARE(plain.logFont(), lf);
    QCOMPARE(plain.color(), 0xFFFFFFu);
    QCOMPARE(plain.pointSizeTenths(), 100);
}

void TestDialogs::fontDialogOpensOnNamedSize_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("sizeTenths");
    QTest::addColumn<QString>("shown");
    QTest::newRow("half point") << 14 << 105 << QStringLiteral("10.5");
    QTest::newRow("whole point") << 14 << 110 << QStringLiteral("11");
    QTest::newRow("none named") << 14 << 0 << QStringLiteral("11");
    QTest::newRow("named size of another height") << 16 << 105 << QStringLiteral("12");
    QTest::newRow("named size out of range") << 2666 << 20000 << QStringLiteral("1638");
}

void TestDialogs::fontDialogOpensOnNamedSize()
{
    QFETCH(int, height);
    QFETCH(int, sizeTenths);
    QFETCH(QString, shown);
    LogFont lf;
    lf.lfHeight = height;
    lf.lfFaceName = installedFamily(false);
    FontDialog dlg(lf, 0, nullptr, sizeTenths);
    QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->text(), shown);
}

void TestDialogs::fontDialogKeepsOddWeightAndColour()
{
    LogFont lf;
    lf.lfHeight = 13;
    lf.lfWeight = 500;
    lf.lfFaceName = installedFamily(false);
    lf.lfQuality = 2;
    lf.lfOutPrecision = 3;
    FontDialog dlg(lf, 0xFF123456);   // not a box colour; the high byte is not a colour
    dlg.accept();
    QCOMPARE(dlg.logFont(), lf);
    QCOMPARE(dlg.color(), 0x123456u);
    auto *colors = dlg.findChild<QComboBox *>(QStringLiteral("color"));
    QCOMPARE(colors->count(), 17);
    QCOMPARE(colors->itemText(9), QStringLiteral("赤"));
    QCOMPARE(colors->itemData(9).toUInt(), 0x0000FFu);
    QCOMPARE(colors->itemText(12), QStringLiteral("青"));
    QCOMPARE(colors->itemData(12).toUInt(), 0xFF0000u);

    FontDialog standard(lf, 0x008000);
    QCOMPARE(standard.findChild<QComboBox *>(QStringLiteral("color"))->count(), 16);
    QCOMPARE(standard.findChild<QComboBox *>(QStringLiteral("color"))->currentText(), QStringLiteral("緑"));
}

void TestDialogs::fontDialogUserChoices()
{
    LogFont lf;
    lf.lfHeight = 13;
    lf.lfWeight = 400;
    lf.lfCharSet = 0;
    lf.lfFaceName = installedFamily(false);
    FontDialog dlg(lf, 0);
    auto *styles = dlg.findChild<QListWidget *>(QStringLiteral("styleList"));
    auto *sizeEdit = dlg.findChild<QLineEdit *>(QStringLiteral("sizeEdit"));
    auto *sizes = dlg.findChild<QListWidget *>(QStringLiteral("sizeList"));
    auto *faces = dlg.findChild<QListWidget *>(QStringLiteral("faceList"));
    auto *faceEdit = dlg.findChild<QLineEdit *>(QStringLiteral("faceEdit"));
    QCOMPARE(styles->currentItem()->text(), QStringLiteral("標準"));
    QCOMPARE(sizeEdit->text(), QStringLiteral("10"));
    QCOMPARE(sizes->currentItem()->text(), QStringLiteral("10"));

    styles->setCurrentRow(3);   // bold italic
    sizes->setCurrentRow(sizes->count() - 1);
    QCOMPARE(sizeEdit->text(), QStringLiteral("72"));
    sizeEdit->setText(QStringLiteral("10.5"));
    QCOMPARE(sizes->currentRow(), -1);
    dlg.findChild<QCheckBox *>(QStringLiteral("underline"))->setChecked(true);
    dlg.findChild<QComboBox *>(QStringLiteral("color"))->setCurrentIndex(9);

    // Another face brings its own character set and pitch.
    const QString japanese = installedFamily(true);
    if (!japanese.isEmpty()) {
        faces->setCurrentItem(faces->findItems(japanese, Qt::MatchFixedString).first());
        QCOMPARE(faceEdit->text(), japanese);
    }
    QCOMPARE(QFontInfo(dlg.findChild<QLabel *>(QStringLiteral("sample"))->font()).italic(), true);
    dlg.accept();
    const LogFont out = dlg.logFont();
    QCOMPARE(out.lfWeight, 700);
    QCOMPARE(int(out.lfItalic), 1);
    QCOMPARE(int(out.lfUnderline), 1);
    QCOMPARE(int(out.lfStrikeOut), 0);
    QCOMPARE(dlg.pointSizeTenths(), 105);
    QCOMPARE(out.lfHeight, 14);
    QCOMPARE(dlg.color(), 0x0000FFu);
    if (!japanese.isEmpty()) {
        QCOMPARE(out.lfFaceName, japanese);
        QCOMPARE(int(out.lfCharSet), 128);
    }
}

void TestDialogs::fontDialogMissingFace()
{
    LogFont lf;
    lf.lfHeight = 16;
    lf.lfWeight = 400;
    lf.lfCharSet = 128;
    lf.lfPitchAndFamily = 0x31;
    lf.lfFaceName = QStringLiteral("No Such Face Anywhere");
    FontDialog dlg(lf, 0);
    // Shown as named, drawn and marked with an installed face.
    auto *faces = dlg.findChild<QListWidget *>(QStringLiteral("faceList"));
    QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("faceEdit"))->text(), lf.lfFaceName);
    const QString drawnWith = QFontInfo(dlg.sampleFont()).family();
    QVERIFY(QFontDatabase::families().contains(drawnWith));
    if (faces->currentItem())
        QCOMPARE(faces->currentItem()->text(), drawnWith);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.logFont(), lf);

    // No face at all: the system's face.
    lf.lfFaceName.clear();
    FontDialog empty(lf, 0);
    empty.accept();
    QCOMPARE(empty.result(), int(QDialog::Accepted));
    QCOMPARE(empty.logFont().lfFaceName, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
}

void TestDialogs::fontDialogRefusesBadSize()
{
    BoxRecorder boxes;
    LogFont lf;
    lf.lfHeight = 13;
    lf.lfFaceName = installedFamily(false);
    FontDialog dlg(lf, 0);
    dlg.show();
    auto *sizeEdit = dlg.findChild<QLineEdit *>(QStringLiteral("sizeEdit"));
    sizeEdit->setText(QStringLiteral("abc"));
    dlg.accept();
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("フォント"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.focusWidget(), sizeEdit);

    dlg.findChild<QLineEdit *>(QStringLiteral("faceEdit"))->clear();
    sizeEdit->setText(QStringLiteral("12"));
    dlg.accept();
    QCOMPARE(boxes.shown.size(), 2);
    QVERIFY(dlg.isVisible());

    dlg.findChild<QLineEdit *>(QStringLiteral("faceEdit"))->setText(lf.lfFaceName);
    dlg.accept();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.pointSizeTenths(), 120);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
