// The registration and edit dialogs: what they save, ask and say, and their keys.
#include "pkl_helper.h"

#include "pkl/pkleditdlg.h"
#include "pkl/pkllistbox.h"
#include "pkl/pklregisterdlg.h"
#include "platform/fileio.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

using namespace PklHelper;
using namespace Qt::StringLiterals;

namespace {
const QString kOverwrite = u"確認: すでに同じ名前のデータが存在します。上書きしますか？"_s;
const QString kInvalid = u"確認: 登録名が入力されていないか、無効な文字が含まれています。"_s;
const QString kNoSelection = u"確認: データが選択されていません。"_s;

template <class T>
T *control(QWidget *dialog, const QString &id)
{
    T *found = dialog->findChild<T *>(id);
    if (!found)
        qFatal("control %s missing", qPrintable(id));
    return found;
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

// Typed one character at a time, as key presses that carry the character.
void type(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void clickItem(QListWidget *list, const QString &name, bool twice = false)
{
    const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        qFatal("no item %s", qPrintable(name));
    const QPoint at = list->visualItemRect(found.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}
} // namespace

class TestPklDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void registrationSavesOnOkOrEnter_data();
    void registrationSavesOnOkOrEnter();
    void nameFieldTakes256Bytes();
    void failedWriteIsReportedAndKeepsTheEntry();
    void untouchedTextIsSavedAsItCame();
    void editDialogListsAndShowsTheSelectedText();
    void editDialogActions_data();
    void editDialogActions();
};

void TestPklDialogs::initTestCase()
{
    useFreshSettings();
}

void TestPklDialogs::init()
{
    recordBoxes();
}

void TestPklDialogs::registrationSavesOnOkOrEnter_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("shown");  // message boxes
    QTest::addColumn<bool>("open");          // afterwards
    QTest::addColumn<QStringList>("names");  // in the key folder afterwards
    QTest::addColumn<QString>("bytes");      // of the entry named
    const QList<int> none;
    const QList<int> yes{MsgBox::IDYES};
    const QString kana256 = QString(128, u'あ');
    const QString unencodable = u"確認: 登録内容には Shift-JIS で保存できない文字が含まれています:\n「😀」(U+1F600)\n\n"
                                u"登録すると、これらの文字は「?」に置き換わります。このまま登録しますか?"_s;
    QTest::newRow("OK") << "" << "new" << "a\r\nb" << "ok" << none << QStringList() << false << QStringList{"new"}
                        << "a\\r\\nb";
    QTest::newRow("Enter in the text field") << "" << "new" << "a\r\nb" << "enter 1009" << none << QStringList()
                                             << false << QStringList{"new"} << "a\\r\\nb";
    QTest::newRow("Enter on Cancel") << "" << "new" << "t" << "enter IDCANCEL" << none << QStringList() << false
                                     << QStringList{"new"} << "t";
    QTest::newRow("Escape does nothing") << "" << "new" << "t" << "escape 1009" << none << QStringList() << true
                                         << QStringList() << "<none>";
    QTest::newRow("Cancel writes nothing") << "" << "new" << "t" << "cancel" << none << QStringList() << false
                                           << QStringList() << "<none>";
    QTest::newRow("existing, Yes") << "e=old" << "e" << "new" << "ok" << yes << QStringList{kOverwrite} << false
                                   << QStringList{"e"} << "new";
    QTest::newRow("existing, No") << "e=old" << "e" << "new" << "ok" << none << QStringList{kOverwrite} << true
                                  << QStringList{"e"} << "old";
    QTest::newRow("read-only, Yes") << "ro~" << "ro" << "new" << "ok" << yes << QStringList{kOverwrite, kInvalid}
                                    << true << QStringList{"ro"} << "ro";
    QTest::newRow("empty name") << "" << "" << "t" << "ok" << none << QStringList{kInvalid} << true << QStringList()
                                << "<none>";
    QTest::newRow("no key folder") << "-" << "e" << "t" << "ok" << none << QStringList{kInvalid} << true
                                   << QStringList() << "<none>";
    QTest::newRow("256 bytes of kana, too long for the file system")
        << "" << kana256 << "t" << "ok" << none << QStringList{kInvalid} << true << QStringList() << "<none>";
    QTest::newRow("name over 256 bytes") << "" << kana256 + u'a' << "t" << "ok" << none
                                         << QStringList{u"NYO: 256 文字以下で入力してください。"_s} << true
                                         << QStringList() << "<none>";
    QTest::newRow("empty text, zero bytes") << "" << "e" << "" << "ok" << none << QStringList() << false
                                            << QStringList{"e"} << "";
    QTest::newRow("not CP932, No") << "" << "e" << u"a😀b"_s << "ok" << none << QStringList{unencodable} << true
                                   << QStringList() << "<none>";
    QTest::newRow("not CP932, Yes") << "" << "e" << u"a😀b"_s << "ok" << yes << QStringList{unencodable} << false
                                    << QStringList{"e"} << "a?b";
}

void TestPklDialogs::registrationSavesOnOkOrEnter()
{
    QFETCH(QString, setUp);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, action);
    QFETCH(QList<int>, answers);
    KeyFolder key;
    if (setUp == u"-")
        key.remove();
    else
        key.setUp(setUp);
    boxes().answers = answers;

    CPklRegisterDlg dialog;
    dialog.m_strName = name;
    dialog.m_strText = text;
    dialog.show();
    const QString verb = action.section(u' ', 0, 0);
    const QString id = action.section(u' ', 1);
    if (verb == u"ok")
        control<QPushButton>(&dialog, u"IDOK"_s)->click();
    else if (verb == u"cancel")
        control<QPushButton>(&dialog, u"IDCANCEL"_s)->click();
    else
        QTest::keyClick(control<QWidget>(&dialog, id), verb == u"enter" ? Qt::Key_Return : Qt::Key_Escape);

    QTEST(boxes().shown, "shown");
    QTEST(dialog.isVisible(), "open");
    QTEST(key.names(), "names");
    QFETCH(QString, bytes);
    QCOMPARE(key.bytes(name), unescape(bytes));
}

void TestPklDialogs::nameFieldTakes256Bytes()
{
    KeyFolder key;
    CPklRegisterDlg dialog;
    dialog.show();
    auto *name = control<QLineEdit>(&dialog, u"1002"_s);
    name->setFocus();
    type(name, QString(127, u'あ') + u"ab"_s);
    QCOMPARE(name->text(), QString(127, u'あ') + u"ab"_s);
    type(name, u"cい"_s);
    QCOMPARE(name->text(), QString(127, u'あ') + u"ab"_s);
}

void TestPklDialogs::failedWriteIsReportedAndKeepsTheEntry()
{
    KeyFolder key;
    key.setUp(u"e=old entry"_s);
    boxes().answers = {MsgBox::IDYES};
    CPklRegisterDlg dialog;
    dialog.m_strName = u"e"_s;
    dialog.m_strText = u"a new and longer text"_s;
    dialog.show();
    FileIO::InjectWriteFailure(ENOSPC, 3);
    control<QPushButton>(&dialog, u"IDOK"_s)->click();
    FileIO::InjectWriteFailure(0);
    const QString diskFull = u"NYO: "_s + key.path() + u"e へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"_s;
    QCOMPARE(boxes().shown, (QStringList{kOverwrite, diskFull}));
    QVERIFY(dialog.isVisible());
    QCOMPARE(key.bytes(u"e"_s), QByteArray("old entry"));
}

// The field would make a line break of a lone CR; a text the user did not touch is saved as
// it came, one the user changed as the field has it, breaks as CR LF.
void TestPklDialogs::untouchedTextIsSavedAsItCame()
{
    KeyFolder key;
    for (const bool typed : {false, true}) {
        CPklRegisterDlg dialog;
        dialog.m_strName = typed ? u"typed"_s : u"untouched"_s;
        dialog.m_strText = u"a\rb\r\nc"_s;
        dialog.show();
        if (typed) {
            auto *text = control<QPlainTextEdit>(&dialog, u"1009"_s);
            text->moveCursor(QTextCursor::End);
            QTest::keyClicks(text, u"d"_s);
        }
        control<QPushButton>(&dialog, u"IDOK"_s)->click();
        QVERIFY(!dialog.isVisible());
    }
    QCOMPARE(key.bytes(u"untouched"_s), QByteArray("a\rb\r\nc"));
    QCOMPARE(key.bytes(u"typed"_s), QByteArray("a\r\nb\r\ncd"));
}

void TestPklDialogs::editDialogListsAndShowsTheSelectedText()
{
    KeyFolder key;
    key.setUp(u"beta=second\r\nline|Alpha=A|alpha=a|dead>|Gamma=g"_s);
    CPklEditDlg dialog;
    dialog.show();
    auto *list = control<PklListBox>(&dialog, u"1018"_s);
    auto *text = control<QPlainTextEdit>(&dialog, u"1002"_s);
    QCOMPARE(items(list), (QStringList{"Alpha", "alpha", "beta", "dead", "Gamma"}));
    QCOMPARE(dialog.m_nCount, 5);
    QCOMPARE(list->selectedItems().size(), 0);

    clickItem(list, u"beta"_s);
    QCOMPARE(dialog.m_strName, u"beta"_s);
    QCOMPARE(text->toPlainText(), u"second\nline"_s);
    // An entry that cannot be read leaves the text shown; Edit then offers that text.
    clickItem(list, u"dead"_s);
    QCOMPARE(dialog.m_strName, u"dead"_s);
    QCOMPARE(text->toPlainText(), u"second\nline"_s);
    QString offered;
    onModal([&offered](QWidget *modal) {
        offered = control<QLineEdit>(modal, u"1002"_s)->text() + u'|' +
                  control<QPlainTextEdit>(modal, u"1009"_s)->toPlainText();
    });
    control<QPushButton>(&dialog, u"1022"_s)->click();
    QCOMPARE(offered, u"dead|second\nline"_s);
}

// Steps in the edit dialog, and in the registration dialog it may open.
void TestPklDialogs::editDialogActions_data()
{
    QTest::addColumn<QString>("select");   // item clicked first, if any
    QTest::addColumn<QString>("action");   // in the edit dialog
    QTest::addColumn<QString>("nested");   // in the registration dialog, when one is expected
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("shown");   // message boxes
    QTest::addColumn<QString>("offered");     // name|text the registration dialog showed
    QTest::addColumn<bool>("open");           // afterwards
    QTest::addColumn<QStringList>("listed");  // afterwards
    const QStringList all{"a", "b", "ro"};
    const QList<int> none;
    QTest::newRow("Enter edits the selected") << "a" << "enter" << "cancel" << none << QStringList() << "a|one\ntwo"
                                              << true << all;
    QTest::newRow("double-click edits") << "b" << "dblclick b" << "cancel" << none << QStringList() << "b|bee" << true
                                        << all;
    QTest::newRow("Edit, new name, OK: both") << "a" << "edit" << "rename c" << none << QStringList() << "a|one\ntwo"
                                              << true << QStringList{"a", "b", "c", "ro"};
    QTest::newRow("Edit, same name, OK, Yes") << "b" << "edit" << "ok" << QList<int>{MsgBox::IDYES}
                                              << QStringList{kOverwrite} << "b|bee" << true << all;
    QTest::newRow("Edit, Cancel: rebuilt, another program's entry shown")
        << "a" << "edit" << "add d, cancel" << none << QStringList() << "a|one\ntwo" << true
        << QStringList{"a", "b", "d", "ro"};
    QTest::newRow("Enter without a selection") << "" << "enter" << "" << none << QStringList{kNoSelection} << ""
                                               << true << all;
    QTest::newRow("Escape does nothing") << "a" << "escape" << "" << none << QStringList() << "" << true << all;
    QTest::newRow("Delete, no question") << "a" << "delete" << "" << none << QStringList() << "" << true
                                         << QStringList{"b", "ro"};
    QTest::newRow("Delete read-only") << "ro" << "delete" << "" << none << QStringList{kNoSelection} << "" << true
                                      << all;
    QTest::newRow("Delete without a selection") << "" << "delete" << "" << none << QStringList{kNoSelection} << ""
                                                << true << all;
    QTest::newRow("OK ends it") << "a" << "ok" << "" << none << QStringList() << "" << false << all;
}

void TestPklDialogs::editDialogActions()
{
    QFETCH(QString, select);
    QFETCH(QString, action);
    QFETCH(QString, nested);
    QFETCH(QList<int>, answers);
    KeyFolder key;
    key.setUp(u"a=one\r\ntwo|b=bee|ro~"_s);
    boxes().answers = answers;
    CPklEditDlg dialog;
    dialog.show();
    auto *list = control<PklListBox>(&dialog, u"1018"_s);
    if (!select.isEmpty())
        clickItem(list, select);

    QString offered;
    if (!nested.isEmpty()) {
        onModal([&offered, &key, nested](QWidget *modal) {
            auto *name = control<QLineEdit>(modal, u"1002"_s);
            offered = name->text() + u'|' + control<QPlainTextEdit>(modal, u"1009"_s)->toPlainText();
            if (nested.startsWith(u"rename "))
                name->setText(nested.section(u' ', 1));
            if (nested.startsWith(u"add "))
                key.setUp(nested.section(u' ', 1, 1).chopped(1) + u"=x"_s);
            control<QPushButton>(modal, nested.endsWith(u"cancel") ? u"IDCANCEL"_s : u"IDOK"_s)->click();
        });
    }
    const QString verb = action.section(u' ', 0, 0);
    if (verb == u"enter" || verb == u"escape")
        QTest::keyClick(list, verb == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
    else if (verb == u"dblclick")
        clickItem(list, action.section(u' ', 1), true);
    else if (verb == u"edit")
        control<QPushButton>(&dialog, u"1022"_s)->click();
    else if (verb == u"delete")
        control<QPushButton>(&dialog, u"1021"_s)->click();
    else if (verb == u"ok")
        control<QPushButton>(&dialog, u"IDOK"_s)->click();

    QTEST(boxes().shown, "shown");
    QTEST(offered, "offered");
    QTEST(dialog.isVisible(), "open");
    QTEST(items(list), "listed");
    QTEST(key.names(), "listed");
    // Every refresh leaves nothing selected and the text empty; Escape leaves all as it was.
    const bool refreshed = verb != u"escape" && verb != u"ok";
    QCOMPARE(list->selectedItems().isEmpty(), refreshed || select.isEmpty());
    QCOMPARE(control<QPlainTextEdit>(&dialog, u"1002"_s)->toPlainText().isEmpty(), refreshed || select.isEmpty());
    QCOMPARE(dialog.m_strName.isEmpty(), refreshed || select.isEmpty());
}

QTEST_MAIN(TestPklDialogs)
#include "tst_pkldialogs.moc"
