// Dialog building blocks: dialog units, data exchange with its messages, the font dialog.
#include "platform/base/numberscan.h"
#include "platform/framework/ddx.h"
#include "platform/dialogs/dialogunits.h"
#include "platform/dialogs/fontdialog.h"
#include "platform/dialogs/msgbox.h"

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

struct Shown { QString text, caption; MsgBox::Icon icon = MsgBox::Icon::None; };

// Records every box instead of showing it.
struct BoxRecorder {
    BoxRecorder()
    {
        MsgBox::setResponder([this](const QString &text, const QString &caption, MsgBox::Buttons, MsgBox::Icon icon) {
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
    for (const QString &f : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(f)
            && (!japanese || QFontDatabase::writingSystems(f).contains(QFontDatabase::Japanese)))
            return f;
    }
    return QString();
}

LogFont logFont(int height, const QString &face = installedFamily(false), int weight = 400)
{
    LogFont lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfFaceName = face;
    return lf;
}

template <class T> T *child(const QWidget &w, const char *name) { return w.findChild<T *>(QLatin1String(name)); }

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { DialogUnits::installFontSubstitutions(); }

    void dialogUnitsFollowFontMetrics()
    {
        const QFont font = DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
        const QFontMetrics fm(font);
        const int avg = qRound(fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0);
        const DialogUnits du(font);
        QCOMPARE(du.baseX(), avg);
        QCOMPARE(du.baseY(), fm.height());
        // x * width / 4 and y * height / 8, rounded.
        const auto px = [&](int x, int y) { return QPoint(qRound(x * avg / 4.0), qRound(y * fm.height() / 8.0)); };
        QCOMPARE(du.toPixels(QRect(177, 23, 41, 24)), QRect(px(177, 23), QSize(px(41, 24).x(), px(41, 24).y())));
        QWidget dlg;
        auto *widget = new QWidget(&dlg);
        du.place(widget, 55, 27, 90, 8);
        QCOMPARE(widget->geometry(), du.toPixels(QRect(55, 27, 90, 8)));
        du.sizeDialog(&dlg, 235, 119);
        QCOMPARE(dlg.size(), QSize(px(235, 119).x(), px(235, 119).y()));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        const DialogUnits big(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 18));
        QVERIFY(big.baseY() > du.baseY() && big.baseX() > du.baseX());
    }

    void dialogUnitsRounding()
    {
        QCOMPARE(DialogUnits::mulDiv(10, 1, 4), 3);     // 2.5 rounds up
        QCOMPARE(DialogUnits::mulDiv(9, 1, 4), 2);
        QCOMPARE(DialogUnits::mulDiv(-10, 1, 4), -3);   // away from zero
        QCOMPARE(DialogUnits::mulDiv(10, 1, -4), -3);
        QCOMPARE(DialogUnits::mulDiv(-10, -1, -4), -3);
        QCOMPARE(DialogUnits::mulDiv(0, 7, 4), 0);
        QCOMPARE(DialogUnits::mulDiv(1, 1, 0), -1);
        QCOMPARE(DialogUnits::mulDiv(INT32_MAX, 4, 8), 1073741824);   // no overflow inside
        QCOMPARE(DialogUnits::mulDiv(INT32_MAX, INT32_MAX, 1), -1);   // result does not fit
    }

    void dialogFontSubstitution()
    {
        if (!QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
            QSKIP("IPAPGothic is not installed");
        QCOMPARE(QFontInfo(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9)).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("ＭＳ 明朝"))).family(), QStringLiteral("IPAMincho"));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isUnsigned");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "7" << false << true << 7LL;
        QTest::newRow("blanks around") << " \t7 \t" << false << true << 7LL;
        QTest::newRow("negative") << "-12" << false << true << -12LL;
        QTest::newRow("plus") << "+5" << false << true << 5LL;
        QTest::newRow("leading zeros") << "007" << false << true << 7LL;
        QTest::newRow("smallest") << "-2147483648" << false << true << qint64(INT32_MIN);
        QTest::newRow("largest") << "2147483647" << false << true << qint64(INT32_MAX);
        QTest::newRow("too large") << "2147483648" << false << false << 0LL;
        QTest::newRow("far too large") << "99999999999999999999999" << false << false << 0LL;
        QTest::newRow("empty") << "" << false << false << 0LL;
        QTest::newRow("blank") << "  " << false << false << 0LL;
        QTest::newRow("letters") << "abc" << false << false << 0LL;
        QTest::newRow("trailing garbage") << "5a" << false << false << 0LL;
        QTest::newRow("two numbers") << "1 2" << false << false << 0LL;
        QTest::newRow("hex") << "0x10" << false << false << 0LL;
        QTest::newRow("sign only") << "-" << false << false << 0LL;
        QTest::newRow("blank after sign") << "- 5" << false << false << 0LL;
        QTest::newRow("decimal") << "1.5" << false << false << 0LL;
        QTest::newRow("full-width digit") << "７" << false << false << 0LL;
        QTest::newRow("line break") << "\n5" << false << false << 0LL;
        QTest::newRow("unsigned plain") << " 600 " << true << true << 600LL;
        QTest::newRow("unsigned zero") << "0" << true << true << 0LL;
        QTest::newRow("unsigned plus") << "+3" << true << true << 3LL;
        QTest::newRow("unsigned largest") << "4294967295" << true << true << 4294967295LL;
        QTest::newRow("unsigned too large") << "4294967296" << true << false << 0LL;
        QTest::newRow("unsigned negative") << "-5" << true << false << 0LL;
        QTest::newRow("unsigned minus zero") << "-0" << true << false << 0LL;
        QTest::newRow("unsigned blank then minus") << "\t-1" << true << false << 0LL;
        QTest::newRow("unsigned empty") << "" << true << false << 0LL;
        QTest::newRow("unsigned letters") << "1O" << true << false << 0LL;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, isUnsigned);
        QFETCH(bool, valid);
        const auto s = Ddx::parseInt(text);
        const auto u = Ddx::parseUInt(text);
        QCOMPARE(isUnsigned ? u.has_value() : s.has_value(), valid);
        if (valid)
            QTEST(isUnsigned ? qint64(*u) : qint64(*s), "value");
    }

    // The scanner's rules side by side where they part: which blanks count, what may follow
    // the number, and what a number beyond the type becomes. "-" is no number.
    void numberRulesDiffer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<QString>("jump");
        QTest::addColumn<QString>("settingsInt");
        QTest::addColumn<QString>("storedText");
        QTest::newRow("space and tab: all agree") << " \t-7\t " << "-7" << "-7" << "-7" << "-7";
        QTest::newRow("line breaks around") << "\r\n5\n" << "-" << "-" << "5" << "5";
        QTest::newRow("ideographic space") << QStringLiteral("\u3000 5\u3000") << "-" << "-" << "5" << "0";
        QTest::newRow("no-break space") << QStringLiteral("\u00a05") << "-" << "-" << "5" << "0";
        QTest::newRow("letters after") << "12ab" << "-" << "-" << "-" << "12";
        QTest::newRow("sign only") << "+" << "-" << "-" << "-" << "0";
        QTest::newRow("zero with a sign") << "+0" << "0" << "-" << "0" << "0";
        QTest::newRow("beyond 32 bits") << "4294967297" << "-" << "2147483647" << "-" << "1";
        QTest::newRow("below 32 bits") << "-2147483649" << "-" << "-2147483648" << "-" << "2147483647";
        QTest::newRow("past 31 characters") << "5" + QString(30, u' ') + "x" << "-" << "5" << "-" << "5";
    }

    void numberRulesDiffer()
    {
        QFETCH(QString, text);
        const auto shown = [](std::optional<int32_t> v) { return v ? QString::number(*v) : QStringLiteral("-"); };
        QTEST(shown(NumberScan::transferInt(text)), "transfer");
        QTEST(shown(NumberScan::jump(text)), "jump");
        QTEST(shown(NumberScan::settingsInt(text)), "settingsInt");
        QTEST(shown(NumberScan::storedText(text)), "storedText");
    }

    void loadFillsControlsWithoutChecks()
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
        QVERIFY(dx.ok() && boxes.shown.isEmpty());
        QCOMPARE(form.first->text(), QStringLiteral("16"));
        QCOMPARE(form.second->text(), QStringLiteral("4000000000"));
        QVERIFY(form.box->isChecked());
    }

    // Saving: the first field is checked as "kind" within lo..hi, the second as an integer in
    // 1..60. Only the first failure is shown; its field gets the focus and a full selection.
    void saveChecksFields_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<int>("failed");        // the field that failed: 1 or 2
        const QString a128 = QString(128, u'あ');
        QTest::newRow("valid, blanks around") << "int" << 0 << 10 << " 7 " << "5" << "" << 0;
        QTest::newRow("lower bound") << "int" << 0 << 10 << "0" << "1" << "" << 0;
        QTest::newRow("upper bound") << "int" << 0 << 10 << " 10 " << "60" << "" << 0;
        QTest::newRow("not a number, first failure only") << "int" << 0 << 10 << "abc" << "xyz" << "整数を入力してください。" << 1;
        QTest::newRow("above range") << "int" << 0 << 10 << "11" << "5" << "0 から 10 までの整数を入力してください。" << 1;
        QTest::newRow("below range") << "int" << 0 << 10 << "-1" << "5" << "0 から 10 までの整数を入力してください。" << 1;
        QTest::newRow("negative bounds keep their sign") << "int" << -3 << 2 << "5" << "5" << "-3 から 2 までの整数を入力してください。" << 1;
        // A number beyond 32 bits is out of the range like any other; only a field without a
        // range check refuses it as not a number, when the next field or the end comes.
        QTest::newRow("beyond 32 bits above range") << "int" << 0 << 10 << "99999999999" << "5" << "0 から 10 までの整数を入力してください。" << 1;
        QTest::newRow("beyond 32 bits below range") << "int" << 0 << 10 << " -2147483649 " << "5" << "0 から 10 までの整数を入力してください。" << 1;
        QTest::newRow("unsigned beyond 32 bits") << "uint" << 1 << 36000 << "4294967296" << "70" << "1 から 36000 までの整数を入力してください。" << 1;
        QTest::newRow("unsigned negative beyond 32 bits") << "uint" << 1 << 36000 << "-99999999999" << "70" << "正の整数を入力してください。" << 1;
        QTest::newRow("no range: beyond 32 bits is not a number") << "uint, no range" << 0 << 0 << "4294967296" << "70" << "正の整数を入力してください。" << 1;
        QTest::newRow("no range: the largest") << "uint, no range" << 0 << 0 << "4294967295" << "60" << "" << 0;
        QTest::newRow("unsigned refuses minus") << "uint" << 1 << 36000 << "-5" << "70" << "正の整数を入力してください。" << 1;
        QTest::newRow("unsigned below range") << "uint" << 1 << 36000 << "0" << "70" << "1 から 36000 までの整数を入力してください。" << 1;
        QTest::newRow("second field fails") << "uint" << 1 << 36000 << "36000" << "70" << "1 から 60 までの整数を入力してください。" << 2;
        QTest::newRow("256 bytes of double-byte text") << "chars" << 0 << 256 << a128 << "5" << "" << 0;
        QTest::newRow("one byte too many") << "chars" << 0 << 256 << a128 + u'a' << "5" << "256 文字以下で入力してください。" << 1;
        QTest::newRow("half-width kana are single bytes") << "chars" << 0 << 256 << QString(256, u'ｱ') << "5" << "" << 0;
    }

    void saveChecksFields()
    {
        QFETCH(QString, kind);
        QFETCH(int, lo);
        QFETCH(int, hi);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        QFETCH(int, failed);
        BoxRecorder boxes;
        Form form;
        form.dlg.show();
        form.first->setText(first);
        form.second->setText(second);
        form.box->setChecked(true);
        form.box->setFocus();
        int32_t i = -99, b = -99, flag = 0;
        uint32_t u = 99;
        QString s = QStringLiteral("old");
        Ddx dx(&form.dlg, true);
        if (kind == u"int")
            dx.text(form.first, i).minMaxInt(i, lo, hi);
        else if (kind == u"uint")
            dx.text(form.first, u).minMaxUInt(u, uint32_t(lo), uint32_t(hi));
        else if (kind == u"uint, no range")
            dx.text(form.first, u);
        else
            dx.text(form.first, s).maxChars(s, hi);
        dx.text(form.second, b).minMaxInt(b, 1, 60);
        dx.check(form.box, flag);
        QCOMPARE(dx.ok(), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(boxes.shown.isEmpty());
            QCOMPARE(kind == u"int" ? QString::number(i) : kind.startsWith(u"uint") ? QString::number(u) : s, first.trimmed());
            QCOMPARE(b, second.toInt());
            QCOMPARE(flag, 1);
            return;
        }
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, message);
        QCOMPARE(boxes.shown[0].caption, MsgBox::defaultCaption());
        QVERIFY(boxes.shown[0].icon == MsgBox::Icon::Exclamation);
        QLineEdit *field = failed == 1 ? form.first : form.second;
        QCOMPARE(form.dlg.focusWidget(), field);
        QCOMPARE(field->selectedText(), field->text());
        QCOMPARE(flag, 0);   // later fields are not exchanged
        if (kind == u"int" && failed == 1 && first == u"abc")
            QVERIFY(i == -99 && b == -99);   // a field that is not a number leaves its member
    }

    void maxCharsLimitsTyping()
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

    void fontHeightConversion()
    {
        const QList<std::pair<int, int>> heights{{13, 100}, {12, 90}, {16, 120}, {14, 110}, {-16, 120}, {-13, 100},
                                                 {0, FontDialog::kDefaultTenths}, {INT32_MAX, FontDialog::kMaxTenths},
                                                 {INT32_MIN, FontDialog::kMaxTenths}, {1, FontDialog::kMinTenths}};
        for (const auto &[height, tenths] : heights)   // 14: 10.5 and 11 share it, the whole size wins
            QCOMPARE(FontDialog::tenthsFromHeight(height), tenths);
        // Every height opens on a size that converts back to that height.
        for (int h = 2; h <= 2000; ++h) {
            QCOMPARE(FontDialog::heightFromTenths(FontDialog::tenthsFromHeight(h), true), h);
            QCOMPARE(FontDialog::heightFromTenths(FontDialog::tenthsFromHeight(-h), false), -h);
        }
        const QList<std::pair<const char *, int>> typed{{" 10.5 ", 105}, {"9", 90}, {"1638", 16380}, {"1639", 0},
                                                        {"0", 0}, {"abc", 0}, {"1e2", 0}, {".", 0}};
        for (const auto &[text, tenths] : typed)
            QCOMPARE(FontDialog::parseTenths(QString::fromLatin1(text)), tenths);
        QCOMPARE(FontDialog::formatTenths(105), QStringLiteral("10.5"));
        QCOMPARE(FontDialog::formatTenths(120), QStringLiteral("12"));
    }

    void fontDialogRoundTrip()
    {
        const QString face = installedFamily(true).isEmpty() ? installedFamily(false) : installedFamily(true);
        QVERIFY(!face.isEmpty());
        LogFont lf = logFont(16, face, 700);
        lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = 1;
        lf.lfCharSet = 128;
        lf.lfPitchAndFamily = 0x31;
        FontDialog dlg(lf, 0x0000FF);
        child<QPushButton>(dlg, "ok")->click();
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

    void fontDialogOpensOnNamedSize_data()
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

    void fontDialogOpensOnNamedSize()
    {
        QFETCH(int, height);
        QFETCH(int, sizeTenths);
        FontDialog dlg(logFont(height), 0, nullptr, sizeTenths);
        QTEST(child<QLineEdit>(dlg, "sizeEdit")->text(), "shown");
    }

    void fontDialogKeepsOddWeightAndColour()
    {
        LogFont lf = logFont(13, installedFamily(false), 500);
        lf.lfQuality = 2;
        lf.lfOutPrecision = 3;
        FontDialog dlg(lf, 0xFF123456);   // not a box colour; the high byte is not a colour
        dlg.accept();
        QCOMPARE(dlg.logFont(), lf);
        QCOMPARE(dlg.color(), 0x123456u);
        QCOMPARE(child<QComboBox>(dlg, "color")->count(), 17);
        FontDialog standard(lf, 0x008000);
        QCOMPARE(child<QComboBox>(standard, "color")->count(), 16);
        QCOMPARE(child<QComboBox>(standard, "color")->currentData().toUInt(), 0x008000u);
    }

    void fontDialogUserChoices()
    {
        LogFont lf = logFont(13);
        lf.lfCharSet = 0;
        FontDialog dlg(lf, 0);
        auto *sizeEdit = child<QLineEdit>(dlg, "sizeEdit");
        auto *sizes = child<QListWidget>(dlg, "sizeList");
        QCOMPARE(child<QListWidget>(dlg, "styleList")->currentRow(), 0);
        QCOMPARE(sizeEdit->text(), QStringLiteral("10"));
        QCOMPARE(sizes->currentItem()->text(), QStringLiteral("10"));
        child<QListWidget>(dlg, "styleList")->setCurrentRow(3);   // bold italic
        sizes->setCurrentRow(sizes->count() - 1);
        QCOMPARE(sizeEdit->text(), QStringLiteral("72"));
        sizeEdit->setText(QStringLiteral("10.5"));
        QCOMPARE(sizes->currentRow(), -1);
        child<QCheckBox>(dlg, "underline")->setChecked(true);
        auto *colors = child<QComboBox>(dlg, "color");
        colors->setCurrentIndex(colors->findData(0x0000FFu));
        // Another face brings its own character set and pitch.
        const QString japanese = installedFamily(true);
        if (!japanese.isEmpty()) {
            auto *faces = child<QListWidget>(dlg, "faceList");
            faces->setCurrentItem(faces->findItems(japanese, Qt::MatchFixedString).first());
            QCOMPARE(child<QLineEdit>(dlg, "faceEdit")->text(), japanese);
        }
        QVERIFY(QFontInfo(child<QLabel>(dlg, "sample")->font()).italic());
        dlg.accept();
        const LogFont out = dlg.logFont();
        QCOMPARE(out.lfWeight, 700);
        QVERIFY(out.lfItalic == 1 && out.lfUnderline == 1 && out.lfStrikeOut == 0);
        QCOMPARE(dlg.pointSizeTenths(), 105);
        QCOMPARE(out.lfHeight, 14);
        QCOMPARE(dlg.color(), 0x0000FFu);
        if (!japanese.isEmpty()) {
            QCOMPARE(out.lfFaceName, japanese);
            QCOMPARE(int(out.lfCharSet), 128);
        }
    }

    void fontDialogMissingFace()
    {
        LogFont lf = logFont(16, QStringLiteral("No Such Face Anywhere"));
        lf.lfCharSet = 128;
        lf.lfPitchAndFamily = 0x31;
        FontDialog dlg(lf, 0);
        // Shown as named, drawn and marked with an installed face.
        QCOMPARE(child<QLineEdit>(dlg, "faceEdit")->text(), lf.lfFaceName);
        const QString drawnWith = QFontInfo(dlg.sampleFont()).family();
        QVERIFY(QFontDatabase::families().contains(drawnWith));
        if (auto *marked = child<QListWidget>(dlg, "faceList")->currentItem())
            QCOMPARE(marked->text(), drawnWith);
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

    void fontDialogRefusesBadSize()
    {
        BoxRecorder boxes;
        FontDialog dlg(logFont(13), 0);
        dlg.show();
        auto *sizeEdit = child<QLineEdit>(dlg, "sizeEdit");
        sizeEdit->setText(QStringLiteral("abc"));
        dlg.accept();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].caption, dlg.windowTitle());
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), sizeEdit);
        // An empty face is refused too.
        const QString face = child<QLineEdit>(dlg, "faceEdit")->text();
        child<QLineEdit>(dlg, "faceEdit")->clear();
        sizeEdit->setText(QStringLiteral("12"));
        dlg.accept();
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(dlg.isVisible());
        child<QLineEdit>(dlg, "faceEdit")->setText(face);
        dlg.accept();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.pointSizeTenths(), 120);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
