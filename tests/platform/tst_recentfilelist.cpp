// The recent-file list: order and size, its section in the store, display names, menu entries.
#include "platform/base/filename.h"
#include "platform/base/profile.h"
#include "platform/framework/recentfilelist.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSection = QStringLiteral("Recent File List");
const QString kFormat = QStringLiteral("File%d");

void store(const QString &key, const QString &value)
{
    QVERIFY(Profile::WriteProfileString(kSection, key, value));
}

} // namespace

class TestRecentFileList : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void addMovesToTopAndKeepsSize();
    void loadSkipsEmptyAndRepeated();
    void saveRebuildsSection();
    void sizeZeroTouchesNothing();
    void namesAreStoredWhole_data();
    void namesAreStoredWhole();
    void displayName_data();
    void displayName();
    void menuTexts();
    void menuEntries();

private:
    QTemporaryDir m_root;
    int m_serial = 0;
};

void TestRecentFileList::init()
{
    QVERIFY(m_root.isValid());
    qputenv("HOME", QFile::encodeName(m_root.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath(QString::number(++m_serial))));
}

void TestRecentFileList::addMovesToTopAndKeepsSize()
{
    RecentFileList list(kSection, kFormat, 4, 30);
    for (const char *path : {"/a", "/b", "/c"})
        list.add(QLatin1String(path));
    QCOMPARE(list.paths(), (QStringList{"/c", "/b", "/a"}));
    list.add(QStringLiteral("/a"));
    QCOMPARE(list.paths(), (QStringList{"/a", "/c", "/b"}));
    list.add(QStringLiteral("/d"));
    list.add(QStringLiteral("/e"));
    QCOMPARE(list.paths(), (QStringList{"/e", "/d", "/a", "/c"}));
    list.add(QString());
    QCOMPARE(list.count(), 4);
#ifndef Q_OS_WIN
    list.add(QStringLiteral("/A"));
    QCOMPARE(list.paths(), (QStringList{"/A", "/e", "/d", "/a"}));
#endif
    list.remove(1);
    list.remove(7);
    list.remove(-1);
    QCOMPARE(list.paths().size(), 3);
    QVERIFY(!list.paths().contains(QStringLiteral("/e")));

    QCOMPARE(RecentFileList(kSection, kFormat, 40, 30).maxSize(), RecentFileList::kMaxSize);
}

void TestRecentFileList::loadSkipsEmptyAndRepeated()
{
    store(QStringLiteral("File1"), QString());
    store(QStringLiteral("File2"), QStringLiteral("/a b/x.txt"));
    store(QStringLiteral("File3"), QStringLiteral("/a b/x.txt"));
    store(QStringLiteral("File4"), QStringLiteral("/y.txt"));
    store(QStringLiteral("File5"), QStringLiteral("/beyond the size.txt"));
    RecentFileList list(kSection, kFormat, 4, 30);
    list.load();
    QCOMPARE(list.paths(), (QStringList{"/a b/x.txt", "/y.txt"}));
}

void TestRecentFileList::saveRebuildsSection()
{
    for (int i = 1; i <= 6; ++i)
        store(QStringLiteral("File%1").arg(i), QStringLiteral("/f%1").arg(i));
    store(QStringLiteral("Other"), QStringLiteral("x"));

    RecentFileList list(kSection, kFormat, 4, 30);
    list.load();
    list.remove(0);
    QVERIFY(list.save());
    QStringList keys = Profile::ProfileKeys(kSection);
    keys.sort();
    QCOMPARE(keys, (QStringList{"File1", "File2", "File3"}));
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(Profile::GetProfileString(kSection, QStringLiteral("File%1").arg(i), QString()),
                 QStringLiteral("/f%1").arg(i + 1));

    RecentFileList empty(kSection, kFormat, 4, 30);
    QVERIFY(empty.save());
    QVERIFY(Profile::ProfileKeys(kSection).isEmpty());
}

void TestRecentFileList::sizeZeroTouchesNothing()
{
    store(QStringLiteral("File1"), QStringLiteral("/kept"));
    RecentFileList list(kSection, kFormat, 0, 30);
    list.load();
    list.add(QStringLiteral("/new"));
    QCOMPARE(list.count(), 0);
    QVERIFY(list.save());
    QCOMPARE(Profile::ProfileKeys(kSection), QStringList{QStringLiteral("File1")});
    QCOMPARE(Profile::GetProfileString(kSection, QStringLiteral("File1"), QString()), QStringLiteral("/kept"));
}

// A name whose bytes are not UTF-8 is stored as a file URL of those bytes and comes back
// whole at the next start, shown as it reads in CP932; other names are stored as they are.
void TestRecentFileList::namesAreStoredWhole_data()
{
    QTest::addColumn<QByteArray>("name");  // the file system's bytes
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Shift-JIS") << QByteArray("/d/\x93\xfa\x96\x7b\x8c\xea.txt")
                               << "file:///d/%93%FA%96%7B%8C%EA.txt" << "&1 /d/日本語.txt";
    QTest::newRow("Shift-JIS folder, spaces") << QByteArray("/\x83\x81\x83\x82 a/%.txt")
                                              << "file:///%83%81%83%82%20a/%25.txt" << "&1 /メモ a/%.txt";
    QTest::newRow("UTF-8") << QByteArray("/d/\xe6\x97\xa5\xe6\x9c\xac.txt") << "/d/日本.txt" << "&1 /d/日本.txt";
}

void TestRecentFileList::namesAreStoredWhole()
{
    QFETCH(QByteArray, name);
    RecentFileList list(kSection, kFormat, 4, 30);
    list.add(FileName::FromNative(name));
    QVERIFY(list.save());
    QTEST(Profile::GetProfileString(kSection, QStringLiteral("File1"), QString()), "stored");
    RecentFileList again(kSection, kFormat, 4, 30);
    again.load();
    QCOMPARE(again.count(), 1);
    QCOMPARE(FileName::ToNative(again.paths().value(0)), name);
    QTEST(again.menuText(0, QStringLiteral("/elsewhere")), "menu");
}

void TestRecentFileList::displayName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("currentDir");
    QTest::addColumn<QString>("shown");

    QTest::newRow("current folder") << "/work/docs/a.txt" << "/work/docs/" << "a.txt";
    QTest::newRow("other folder") << "/work/docs/a.txt" << "/work" << "/work/docs/a.txt";
    QTest::newRow("exactly 30") << "/abcdefghij/klmnopqrst/uvw.txt" << "/" << "/abcdefghij/klmnopqrst/uvw.txt";
    QTest::newRow("middle folders go")
        << "/home/user/projects/nyo/src/main.cpp" << "/" << "/home/.../nyo/src/main.cpp";
    QTest::newRow("long name elsewhere")
        << "/home/user/a_really_long_file_name_for_testing.txt" << "/"
        << "a_really_long...or_testing.txt";
    QTest::newRow("long name here")
        << "/home/user/a_really_long_file_name_for_testing.txt" << "/home/user"
        << "a_really_long...or_testing.txt";
    QTest::newRow("in the root")
        << "/a_really_long_file_name_for_testing.txt" << "/tmp" << "a_really_long...or_testing.txt";
    QTest::newRow("japanese counts characters")
        << QStringLiteral("/ホーム/利用者/とても長いフォルダの名前/さらに下/日本語のメモ.txt") << "/"
        << QStringLiteral("/ホーム/.../さらに下/日本語のメモ.txt");
}

void TestRecentFileList::displayName()
{
    QFETCH(QString, path);
    QFETCH(QString, currentDir);
    QFETCH(QString, shown);
    const QString name = RecentFileList::displayName(path, 30, currentDir);
    QCOMPARE(name, shown);
    QVERIFY(name.size() <= 30);
}

void TestRecentFileList::menuTexts()
{
    RecentFileList list(kSection, kFormat, 16, 30);
    for (int i = 1; i <= 12; ++i)
        list.add(QStringLiteral("/f%1").arg(i));
    const QString here = QStringLiteral("/elsewhere");
    QCOMPARE(list.menuText(0, here), QStringLiteral("&1 /f12"));
    QCOMPARE(list.menuText(8, here), QStringLiteral("&9 /f4"));
    QCOMPARE(list.menuText(9, here), QStringLiteral("1&0 /f3"));
    QCOMPARE(list.menuText(10, here), QStringLiteral("11 /f2"));
    list.add(QStringLiteral("/R&D/a&b.txt"));
    QCOMPARE(list.menuText(0, here), QStringLiteral("&1 /R&&D/a&&b.txt"));
    QCOMPARE(list.menuText(0, QStringLiteral("/R&D")), QStringLiteral("&1 a&&b.txt"));
}

void TestRecentFileList::menuEntries()
{
    QMenu menu;
    menu.addAction(QStringLiteral("開く(&O)..."));
    menu.addSeparator();
    QAction *placeholder = menu.addAction(QStringLiteral("最近使ったﾌｧｲﾙ"));
    placeholder->setData(RecentFileList::kFirstCommandId);
    placeholder->setEnabled(false);
    QAction *after = menu.addSeparator();

    RecentFileList list(kSection, kFormat, 4, 30);
    QVERIFY(list.updateMenu(&menu, placeholder).isEmpty());
    QCOMPARE(menu.actions().size(), 4);
    QVERIFY(placeholder->isVisible());
    QVERIFY(!placeholder->isEnabled());

    list.add(QStringLiteral("/docs/one.txt"));
    list.add(QStringLiteral("/docs/two.txt"));
    const QList<QAction *> entries = list.updateMenu(&menu, placeholder);
    QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.size(), 6);
    QCOMPARE(entries, actions.mid(2, 2));
    QVERIFY(!placeholder->isVisible());
    QCOMPARE(actions.at(2)->text(), QStringLiteral("&1 /docs/two.txt"));
    QCOMPARE(actions.at(3)->text(), QStringLiteral("&2 /docs/one.txt"));
    QCOMPARE(actions.at(2)->data().toInt(), 57616);
    QCOMPARE(actions.at(3)->data().toInt(), 57617);
    QCOMPARE(actions.at(3)->objectName(), QStringLiteral("57617"));
    QCOMPARE(actions.at(4), placeholder);
    QCOMPARE(actions.at(5), after);

    list.remove(0);
    list.updateMenu(&menu, placeholder);
    actions = menu.actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions.at(2)->text(), QStringLiteral("&1 /docs/one.txt"));

    list.remove(0);
    list.updateMenu(&menu, placeholder);
    QCOMPARE(menu.actions().size(), 4);
    QVERIFY(placeholder->isVisible());
    QVERIFY(!placeholder->isEnabled());
}

QTEST_MAIN(TestRecentFileList)
#include "tst_recentfilelist.moc"
