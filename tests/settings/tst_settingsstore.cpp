// The settings store: location, defaults of every key, value encodings, names, garbage and
// broken files, numeric text.
#include "platform/base/profile.h"
#include "settings/keyindex.h"
#include "settings/numberstring.h"
#include "store_helper.h"

#include <QFile>
#include <QtTest>

#include <climits>

using namespace StoreHelper;

namespace {

const QString kSettings = QStringLiteral("Settings");

// Writes one raw INI line into "Settings" as a hand edit would.
void storeRawLSPS(const QByteArray &raw)
{
    writeStoreText("[Settings]\nLSPS=" + raw + "\n");
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { useFreshStore(); }

    void keyIndexDefaults();
    void sameNameInTwoSections();
    void storeLocation();
    void intText_data();
    void intText();
    void intRoundTrip();
    void textRoundTrip_data();
    void textRoundTrip();
    void namesRoundTrip_data();
    void namesRoundTrip();
    void deleting();
    void changeByAnotherProgram();
    void brokenFile_data();
    void brokenFile();
    void writeFailure();
    void parseNumberText_data();
    void parseNumberText();
    void formatNumberText();
    void numberStrings();
};

void TestSettingsStore::keyIndexDefaults()
{
    struct IntRow { const IntKey &key; const char *section; const char *name; int def; };
    const IntRow ints[] = {
        {Keys::WindowMode, "Settings", "WindowMode", 1},  {Keys::WindowMode2, "Settings", "WindowMode2", 3},
        {Keys::WM3, "Settings", "WM3", 1},                {Keys::FrameLeft, "Settings", "left", 0},
        {Keys::FrameTop, "Settings", "top", 0},           {Keys::FrameRight, "Settings", "right", 400},
        {Keys::FrameBottom, "Settings", "bottom", 300},   {Keys::Toolbar, "Settings", "Toolbar", 1},
        {Keys::Statusbar, "Settings", "Statusbar", 1},    {Keys::LSPS, "Settings", "LSPS", 4},
        {Keys::TUNE, "Settings", "TUNE", 0},              {Keys::WordWrap, "Settings", "wordwrap", 1},
        {Keys::Indent, "Settings", "Indent", 1},          {Keys::Indent2, "Settings", "Indent2", 4},
        {Keys::Jidou, "Settings", "Jidou", 1},            {Keys::Cch, "Settings", "cch", 0},
        {Keys::PreviewPages, "Settings", "PreviewPages", 0},
        {Keys::MarginLeft, "PFONT", "left", 1000},        {Keys::MarginRight, "PFONT", "right", 1000},
        {Keys::MarginTop, "PFONT", "top", 1000},          {Keys::MarginBottom, "PFONT", "bottom", 1000},
    };
    for (const IntRow &row : ints) {
        QCOMPARE(QByteArray(row.key.section), QByteArray(row.section));
        QCOMPARE(QByteArray(row.key.name), QByteArray(row.name));
        QCOMPARE(row.key.read(), row.def);
    }

    struct NumberRow { const NumberKey &key; const char *section; const char *name; NumberForm form; int32_t def; };
    const NumberRow numbers[] = {
        {Keys::Jidou1, "Settings", "Jidou1", NumberForm::Unsigned, 600},
        {Keys::Jidou2, "Settings", "Jidou2", NumberForm::Unsigned, 10},
        {Keys::JBK, "Settings", "J-BK", NumberForm::Signed, 16777215},
        {Keys::BackColor, "Settings", "BACKCOLOR", NumberForm::Signed, 16777215},
        {Keys::FontHeight, "FONT", "yHeight", NumberForm::Signed, 0},
    };
    for (const NumberRow &row : numbers) {
        QCOMPARE(QByteArray(row.key.section), QByteArray(row.section));
        QCOMPARE(QByteArray(row.key.name), QByteArray(row.name));
        QCOMPARE(row.key.form, row.form);
        QCOMPARE(row.key.read(), row.def);
    }
    QVERIFY2(!QFile::exists(Profile::storePath()), "reading must not create the store");
}

void TestSettingsStore::sameNameInTwoSections()
{
    Keys::FrameLeft.write(5);
    QCOMPARE(Keys::MarginLeft.read(), 1000);
    Keys::MarginLeft.write(2500);
    QCOMPARE(Keys::FrameLeft.read(), 5);
    QCOMPARE(Keys::MarginLeft.read(), 2500);
}

void TestSettingsStore::storeLocation()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    const QString expected = QFile::decodeName(xdg) + QStringLiteral("/Hoshikage!/NYO.ini");
    QCOMPARE(Profile::storePath(), expected);
    QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("LSPS"), 7));
    QVERIFY(QFile::exists(expected));
    QVERIFY(storeText().contains("[Settings]\nLSPS=7\n"));

    const QString home = QFile::decodeName(qgetenv("HOME")) + QStringLiteral("/.config/Hoshikage!/NYO.ini");
    for (const QByteArray &value : {QByteArray(), QByteArray("relative/dir")}) {
        qputenv("XDG_CONFIG_HOME", value);
        QCOMPARE(Profile::storePath(), home);
    }
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(Profile::storePath(), home);
}

void TestSettingsStore::intText_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("asInt");        // read with default 42
    QTest::addColumn<QString>("asText");   // read with default "def"

    QTest::newRow("plain") << QByteArray("7") << 7 << "7";
    QTest::newRow("plus") << QByteArray("+7") << 7 << "+7";
    QTest::newRow("minus") << QByteArray("-12") << -12 << "-12";
    QTest::newRow("leading zeros") << QByteArray("007") << 7 << "007";
    QTest::newRow("blanks") << QByteArray("  13  ") << 13 << "13";
    QTest::newRow("quoted blanks") << QByteArray("\" 14 \"") << 14 << " 14 ";
    QTest::newRow("int max") << QByteArray("2147483647") << INT_MAX << "2147483647";
    QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN << "-2147483648";
    QTest::newRow("just above") << QByteArray("2147483648") << 42 << "2147483648";
    QTest::newRow("just below") << QByteArray("-2147483649") << 42 << "-2147483649";
    QTest::newRow("dword") << QByteArray("4294967295") << 42 << "4294967295";
    QTest::newRow("huge") << QByteArray("99999999999999999999999999") << 42 << "99999999999999999999999999";
    QTest::newRow("empty") << QByteArray("") << 42 << "";
    QTest::newRow("junk") << QByteArray("abc") << 42 << "abc";
    QTest::newRow("trailing junk") << QByteArray("12abc") << 42 << "12abc";
    QTest::newRow("hex") << QByteArray("0x10") << 42 << "0x10";
    QTest::newRow("fraction") << QByteArray("1.5") << 42 << "1.5";
    QTest::newRow("lone sign") << QByteArray("-") << 42 << "-";
    QTest::newRow("sign blank") << QByteArray("- 5") << 42 << "- 5";
    QTest::newRow("full-width") << QByteArray("\xef\xbc\x91") << 42 << QStringLiteral("１");
    QTest::newRow("list") << QByteArray("1, 2") << 42 << "1, 2";
    QTest::newRow("byte array") << QByteArray("@ByteArray(5)") << 42 << "def";
    QTest::newRow("rectangle") << QByteArray("@Rect(1 2 3 4)") << 42 << "def";
    QTest::newRow("invalid") << QByteArray("@Invalid()") << 42 << "def";
    QTest::newRow("bad variant") << QByteArray("@Variant(\\0\\0\\0\\x7f\\xff)") << 42 << "def";
}

void TestSettingsStore::intText()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, asInt);
    QFETCH(QString, asText);
    storeRawLSPS(raw);
    QCOMPARE(Profile::GetProfileInt(kSettings, QStringLiteral("LSPS"), 42), asInt);
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("LSPS"), QStringLiteral("def")), asText);
}

void TestSettingsStore::intRoundTrip()
{
    for (int value : {0, 1, -1, INT_MAX, INT_MIN}) {
        QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("n"), value));
        QCOMPARE(Profile::GetProfileInt(kSettings, QStringLiteral("n"), 42), value);
        QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("n"), QString()), QString::number(value));
        QVERIFY(storeText().contains("\nn=" + QByteArray::number(value) + "\n"));
    }
}

void TestSettingsStore::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    const QStringList texts = {
        QStringLiteral(""), QStringLiteral("a,b"), QStringLiteral("a, b"), QStringLiteral("@at"),
        QStringLiteral("@@two"), QStringLiteral(" lead"), QStringLiteral("trail "),
        QStringLiteral("semi;colon"), QStringLiteral("quo\"te"), QStringLiteral("eq=ual"),
        QStringLiteral("line\nbreak\r\n"), QStringLiteral("tab\tx"), QStringLiteral("back\\slash\\"),
        QStringLiteral("C:\\Program Files\\NYO\\a.txt"), QStringLiteral("#hash"),
        QStringLiteral("[section]"), QStringLiteral("%20%"), QStringLiteral("/home/u/日本語 ﾌｧｲﾙ.txt"),
        QStringLiteral("\x01\x7f"), QStringLiteral("😀"),
    };
    for (const QString &text : texts)
        QTest::newRow(qPrintable(text.toUtf8().toPercentEncoding())) << text;
}

void TestSettingsStore::textRoundTrip()
{
    QFETCH(QString, text);
    QVERIFY(Profile::WriteProfileString(kSettings, QStringLiteral("t"), text));
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("t"), QStringLiteral("def")), text);
    // Read again from the bytes on disk, not from what the process still holds.
    writeStoreText(storeText());
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("t"), QStringLiteral("def")), text);
}

void TestSettingsStore::namesRoundTrip_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("recent list") << "Recent File List" << "File1";
    QTest::newRow("bang") << "Hoshikage!" << "x!y";
    QTest::newRow("specials") << "semi;colon=[x]" << "#k=v;\"q\"";
    QTest::newRow("percent") << "%41%" << "%20";
    QTest::newRow("general") << "General" << "k";
    QTest::newRow("case") << "settings" << "LSPS";
    QTest::newRow("japanese") << QStringLiteral("設定 ｾｸｼｮﾝ") << QStringLiteral("キー");
}

void TestSettingsStore::namesRoundTrip()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QVERIFY(Profile::WriteProfileString(section, key, QStringLiteral("v1")));
    QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("LSPS"), 9));
    writeStoreText(storeText());
    QCOMPARE(Profile::GetProfileString(section, key, QString()), QStringLiteral("v1"));
    QCOMPARE(Profile::ProfileKeys(section), QStringList{key});
    QCOMPARE(Profile::GetProfileInt(kSettings, QStringLiteral("LSPS"), 4), 9);
}

void TestSettingsStore::deleting()
{
    const QString recent = QStringLiteral("Recent File List");
    QVERIFY(Profile::WriteProfileString(recent, QStringLiteral("File1"), QStringLiteral("/a")));
    QVERIFY(Profile::WriteProfileString(recent, QStringLiteral("File2"), QStringLiteral("/b")));
    QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("TUNE"), 1));

    QVERIFY(Profile::DeleteProfileValue(recent, QStringLiteral("File1")));
    QCOMPARE(Profile::GetProfileString(recent, QStringLiteral("File1"), QStringLiteral("gone")), QStringLiteral("gone"));
    QCOMPARE(Profile::ProfileKeys(recent), QStringList{QStringLiteral("File2")});

    QVERIFY(Profile::ReplaceProfileSection(recent, {{QStringLiteral("File1"), QStringLiteral("/c")}}));
    QCOMPARE(Profile::ProfileKeys(recent), QStringList{QStringLiteral("File1")});
    QCOMPARE(Profile::GetProfileString(recent, QStringLiteral("File1"), QString()), QStringLiteral("/c"));

    QVERIFY(Profile::DeleteProfileSection(recent));
    QVERIFY(Profile::ProfileKeys(recent).isEmpty());
    QVERIFY(!storeText().contains("Recent"));
    QVERIFY(!Profile::DeleteProfileSection(QString()));   // would be the whole store
    QVERIFY(!Profile::WriteProfileInt(kSettings, QString(), 1));
    QCOMPARE(Profile::GetProfileInt(kSettings, QStringLiteral("TUNE"), 0), 1);
}

void TestSettingsStore::changeByAnotherProgram()
{
    QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("LSPS"), 5));
    QCOMPARE(Keys::LSPS.read(), 5);
    storeRawLSPS("6");   // same size as before
    QCOMPARE(Keys::LSPS.read(), 6);
    QVERIFY(QFile::remove(Profile::storePath()));
    QCOMPARE(Keys::LSPS.read(), 4);
}

void TestSettingsStore::brokenFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("copyKept");   // the file had syntax errors

    static const char binary[] = "\x01\x02\xff\xfe\x00\x00\x80\n[Settings]\x00LSPS=\xff\n";
    QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1) << true;
    QTest::newRow("open section") << QByteArray("[Settings\nLSPS=x\n") << true;
    QTest::newRow("no equals") << QByteArray("[Settings]\njust words\n") << true;
    QTest::newRow("open quote") << QByteArray("[Settings]\nLSPS=\"7\nTUNE=1\n") << false;
    QTest::newRow("bad utf-8") << QByteArray("[Sett\xc3\x28ngs]\nLSPS=\xe2\x82\n") << false;
    QTest::newRow("huge list") << QByteArray("[Settings]\nLSPS=@Variant(\\0\\0\\0\\xb\\0\\x7f\\xff\\xff\\xff)\n") << false;
    QTest::newRow("long line") << QByteArray("[Settings]\nLSPS=") + QByteArray(1 << 20, '9') + "\n" << false;
}

void TestSettingsStore::brokenFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, copyKept);
    writeStoreText(bytes);
    QCOMPARE(Keys::LSPS.read(), 4);
    QCOMPARE(Keys::TUNE.read(), 0);
    QCOMPARE(Keys::Jidou1.read(), 600);

    const QString copy = Profile::storePath() + QStringLiteral(".broken");
    QCOMPARE(QFile::exists(copy), copyKept);
    QVERIFY(Profile::WriteProfileInt(kSettings, QStringLiteral("TUNE"), 1));
    QCOMPARE(Keys::TUNE.read(), 1);
    if (copyKept) {
        QFile kept(copy);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
    }
}

void TestSettingsStore::writeFailure()
{
    // The store's folder cannot be made where a plain file stands.
    const QString blocker = QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/file");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));

    QVERIFY(!Profile::WriteProfileInt(kSettings, QStringLiteral("TUNE"), 1));
    QVERIFY(!Profile::WriteProfileString(kSettings, QStringLiteral("J-BK"), QStringLiteral("1")));
    QVERIFY(!Profile::ReplaceProfileSection(QStringLiteral("Recent File List"),
                                            {{QStringLiteral("File1"), QStringLiteral("/a")}}));
    QCOMPARE(Keys::LSPS.read(), 4);
}

void TestSettingsStore::parseNumberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "600" << 600;
    QTest::newRow("lead blank, trailing junk") << " -12abc" << -12;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("c white space") << "\t\n\v\f\r 5" << 5;
    QTest::newRow("blank after sign") << "- 5" << 0;
    QTest::newRow("two signs") << "--5" << 0;
    QTest::newRow("stops at blank") << "12 34" << 12;
    QTest::newRow("stops at point") << "1.9" << 1;
    QTest::newRow("ideographic space") << QStringLiteral("\u30005") << 0;
    QTest::newRow("full-width digit") << QStringLiteral("１２") << 0;
    QTest::newRow("int min") << "-2147483648" << INT_MIN;
    QTest::newRow("wraps to min") << "2147483648" << INT_MIN;
    QTest::newRow("unsigned -1") << "4294967295" << -1;
    QTest::newRow("wraps to 0") << "4294967296" << 0;
    QTest::newRow("negated wrap") << "-4294967297" << -1;
    QTest::newRow("very long") << "100000000000000000000" << 1661992960;   // 10^20 mod 2^32
}

void TestSettingsStore::parseNumberText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ParseNumberText(text), value);
}

void TestSettingsStore::formatNumberText()
{
    const int32_t fontMask = int32_t(int64_t(0xF800000Fu) - (int64_t(1) << 32));
    QCOMPARE(FormatNumberText(fontMask, NumberForm::Signed), QStringLiteral("-134217713"));
    QCOMPARE(FormatNumberText(-1, NumberForm::Unsigned), QStringLiteral("4294967295"));
    QCOMPARE(FormatNumberText(-1, NumberForm::Signed), QStringLiteral("-1"));
    QCOMPARE(FormatNumberText(INT_MIN, NumberForm::Signed), QStringLiteral("-2147483648"));
    QCOMPARE(FormatNumberText(INT_MIN, NumberForm::Unsigned), QStringLiteral("2147483648"));
    QCOMPARE(FormatNumberText(16777215, NumberForm::Signed), QStringLiteral("16777215"));
}

void TestSettingsStore::numberStrings()
{
    QCOMPARE(ReadNumberString(kSettings, QStringLiteral("Jidou1"), QStringLiteral(" 600x")), 600);

    Keys::Jidou1.write(-1);
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("Jidou1"), QString()), QStringLiteral("4294967295"));
    QCOMPARE(Keys::Jidou1.read(), -1);
    Keys::JBK.write(-1);
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("J-BK"), QString()), QStringLiteral("-1"));
    Keys::BackColor.write(0x00FF8000);
    QCOMPARE(Profile::GetProfileString(kSettings, QStringLiteral("BACKCOLOR"), QString()), QStringLiteral("16744448"));
    QCOMPARE(Keys::BackColor.read(), 0x00FF8000);

    // A stored text that is not a number reads as 0, not as the default.
    QVERIFY(Profile::WriteProfileString(kSettings, QStringLiteral("BACKCOLOR"), QStringLiteral("white")));
    QCOMPARE(Keys::BackColor.read(), 0);
    // Numeric text is text: an integer reader does not see " 10" with trailing junk as a number.
    QVERIFY(Profile::WriteProfileString(kSettings, QStringLiteral("Jidou2"), QStringLiteral("10s")));
    QCOMPARE(Keys::Jidou2.read(), 10);
    QCOMPARE(Profile::GetProfileInt(kSettings, QStringLiteral("Jidou2"), 99), 99);
}

QTEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
