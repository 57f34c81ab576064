// The registration and edit dialogs: what they save, ask and say, and their keys.
#include "pkl_helper.h"

#include "pkl/pkleditdlg.h"
#include "pkl/pkllistbox.h"
#include "pkl/pklregisterdlg.h"
#include "platform/base/fileio.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

using namespace PklHelper;
using namespace Qt::StringLiterals;

namespace {
// Message boxes as the tables name them, the key folder shown as "KEY/".
QStringList messages(const QString &names)
{
    static const QMap<QString, QString> text{
        {u"overwrite"_s, u"確認: すでに同じ名前のデータが存在します。上書きしますか？"_s},
        {u"invalid"_s, u"確認: 登録名が入力されていないか、無効な文字が含まれています。"_s},
        {u"not a file"_s, u"確認: 同じ名前のリンクまたは特殊なファイルが存在するため、登録できません。"_s},
        {u"no selection"_s, u"確認: データが選択されていません。"_s},
        {u"too long"_s, u"NYO: 256 文字以下で入力してください。"_s},
        {u"disk full"_s, u"NYO: KEY/e へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"_s},
        {u"unencodable"_s, u"確認: 登録内容には Shift-JIS で保存できない文字が含まれています:\n「😀」(U+1F600)\n\n"
                           u"登録すると、これらの文字は「?」に置き換わります。このまま登録しますか?"_s}};
    QStringList shown;
    for (const QString &name : names.split(u',', Qt::SkipEmptyParts))
        shown.append(text.value(name, name));
    return shown;
}
} // namespace

class TestPklDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useFreshSettings(); }
    void init() { recordBoxes(); }

    // Actions: "ok", "cancel", "enter ID" or "escape ID" (the key in that control), "type X" (at
    // the end of the text, then Enter there), "ok full" (the disk fills once the new text has
    // started). The text field would make a line break of a lone CR: a text the user did not
    // touch is saved as it came, one the user changed as the field has it, breaks as CR LF.
    // Only a regular file is asked about and replaced: a link or a FIFO of the name is said to
    // be in the way, and nothing is written where a link points.
    void registrationSavesOnOkOrEnter_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("yes");       // the answer to every question
        QTest::addColumn<QString>("shown");  // message boxes
        QTest::addColumn<bool>("open");      // afterwards
        QTest::addColumn<QString>("bytes");  // of the entry named
        const QString kana256(128, u'あ');
        QTest::newRow("OK") << "" << "new" << "a\r\nb" << "ok" << false << "" << false << "a\r\nb";
        QTest::newRow("Enter on Cancel") << "" << "new" << "t" << "enter IDCANCEL" << false << "" << false << "t";
        QTest::newRow("Escape does nothing") << "" << "new" << "t" << "escape 1009" << false << "" << true << "<none>";
        QTest::newRow("Cancel writes nothing") << "" << "new" << "t" << "cancel" << false << "" << false << "<none>";
        QTest::newRow("existing, Yes") << "e=old" << "e" << "new" << "ok" << true << "overwrite" << false << "new";
        QTest::newRow("existing, No") << "e=old" << "e" << "new" << "ok" << false << "overwrite" << true << "old";
        QTest::newRow("read-only, Yes") << "ro~" << "ro" << "new" << "ok" << true << "overwrite,invalid" << true << "ro";
        QTest::newRow("disk full, old entry kept") << "e=old entry" << "e" << "a new and longer text" << "ok full"
                                                   << true << "overwrite,disk full" << true << "old entry";
        QTest::newRow("empty name") << "" << "" << "t" << "ok" << false << "invalid" << true << "<none>";
        QString loneSurrogate = u"ab"_s;
        loneSurrogate.insert(1, QChar(0xDC00));
        QTest::newRow("lone surrogate") << "" << loneSurrogate << "t" << "ok" << false << "invalid" << true << "<none>";
        QTest::newRow("dead link") << "dead>" << "dead" << "t" << "ok" << true << "not a file" << true << "<none>";
        QTest::newRow("link to a file outside, Yes") << "../outside/t=target|out>../outside/t" << "out" << "new" << "ok"
                                                     << true << "not a file" << true << "target";
        QTest::newRow("FIFO") << "f*" << "f" << "t" << "ok" << true << "not a file" << true << "<none>";
        QTest::newRow("no key folder") << "-" << "e" << "t" << "ok" << false << "invalid" << true << "<none>";
        QTest::newRow("256 bytes of kana, too long for the file system") << "" << kana256 << "t" << "ok" << false
                                                                         << "invalid" << true << "<none>";
        QTest::newRow("name over 256 bytes") << "" << kana256 + u'a' << "t" << "ok" << false << "too long" << true
                                             << "<none>";
        QTest::newRow("empty text, zero bytes") << "" << "e" << "" << "ok" << false << "" << false << "";
        QTest::newRow("not CP932, No") << "" << "e" << u"a😀b"_s << "ok" << false << "unencodable" << true << "<none>";
        QTest::newRow("not CP932, Yes") << "" << "e" << u"a😀b"_s << "ok" << true << "unencodable" << false << "a?b";
        QTest::newRow("untouched text as it came") << "" << "e" << "a\rb\r\nc" << "ok" << false << "" << false << "a\rb\r\nc";
        QTest::newRow("changed text as shown, Enter") << "" << "e" << "a\rb\r\nc" << "type d" << false << "" << false
                                                      << "a\r\nb\r\ncd";
    }
    void registrationSavesOnOkOrEnter()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, name);
        QFETCH(QString, action);
        QFETCH(QString, shown);
        QFETCH(QString, bytes);
        KeyFolder key;
        key.setUp(setUp);
        const QStringList before = key.names();
        QFETCH(bool, yes);
        boxes().answers = QList<int>(2, yes ? MsgBox::IDYES : MsgBox::IDNO);
        CPklRegisterDlg dialog;
        dialog.m_strName = name;
        QFETCH(QString, text);
        dialog.m_strText = text;
        dialog.show();
        QString verb = action.section(u' ', 0, 0), arg = action.section(u' ', 1);
        if (verb == u"type") {
            auto *field = child<QPlainTextEdit>(&dialog, u"1009"_s);
            field->moveCursor(QTextCursor::End);
            QTest::keyClicks(field, arg);
            verb = u"enter"_s;
            arg = u"1009"_s;
        }
        FileIO::InjectWriteFailure(arg == u"full" ? ENOSPC : 0, 3);
        if (verb == u"enter" || verb == u"escape")
            QTest::keyClick(child<QWidget>(&dialog, arg), verb == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
        else
            child<QPushButton>(&dialog, verb == u"cancel" ? u"IDCANCEL"_s : u"IDOK"_s)->click();
        FileIO::InjectWriteFailure(0);
        QCOMPARE(boxes().shown.replaceInStrings(key.path(), u"KEY/"_s), messages(shown));
        QTEST(dialog.isVisible(), "open");
        QCOMPARE(key.bytes(name), unescape(bytes));
        // Nothing but the entry named is made, not even a temporary file.
        QCOMPARE(key.names(), before.contains(name) || bytes == u"<none>" ? before : QStringList{name});
        QVERIFY(!key.unblocked());
    }

    // Every name but dots and temporary files, in alphabetical order whatever their case, a
    // Shift-JIS name in its characters, none selected; a click shows the text, of the file
    // of that name's bytes. A FIFO is not read: the text shown stays.
    void editDialogListsAndShowsTheSelectedText()
    {
        KeyFolder key;
        key.setUp(u"beta=second\r\nline|Alpha=A|alpha=a|Gamma=g|.hidden=2|sub/|dead>|日本語.txt=3|"
                  u"%93%FA%96%7B.txt=sj|.e.nyo-Ab12Cd=t|f*"_s);
        CPklEditDlg dialog;
        dialog.show();
        auto *list = child<PklListBox>(&dialog, u"1018"_s);
        QCOMPARE(items(list), (QStringList{".hidden", "Alpha", "alpha", "beta", "dead", "f", "Gamma", "sub", "日本.txt",
                                           "日本語.txt"}));
        QVERIFY(list->selectedItems().isEmpty());
        auto *text = child<QPlainTextEdit>(&dialog, u"1002"_s);
        clickItem(list, u"beta"_s);
        QCOMPARE(text->toPlainText(), u"second\nline"_s);
        clickItem(list, u"f"_s);
        QCOMPARE(text->toPlainText(), u"second\nline"_s);
        clickItem(list, u"日本.txt"_s);
        QCOMPARE(text->toPlainText(), u"sj"_s);
        QVERIFY(!key.unblocked());
    }

    // Steps in the edit dialog, and in the registration dialog it may open: "cancel", "ok",
    // "rename X" (then OK), "add X, cancel" (another program adds entry X, then Cancel). An
    // entry that cannot be read leaves the text shown, which Edit then offers.
    void editDialogActions_data()
    {
        QTest::addColumn<QString>("select");      // items clicked first, if any
        QTest::addColumn<QString>("action");      // in the edit dialog
        QTest::addColumn<QString>("nested");      // in the registration dialog, when one is expected
        QTest::addColumn<QString>("shown");       // message boxes, each question answered Yes
        QTest::addColumn<QString>("offered");     // name|text the registration dialog showed
        QTest::addColumn<bool>("open");           // afterwards
        QTest::addColumn<QStringList>("listed");  // afterwards
        const QStringList all{"a", "b", "dead", "f", "ro", "あ"};
        QTest::newRow("Enter edits the selected") << "a" << "enter" << "cancel" << "" << "a|one\ntwo" << true << all;
        QTest::newRow("double-click edits") << "b" << "dblclick" << "cancel" << "" << "b|bee" << true << all;
        QTest::newRow("unreadable entry, Edit") << "b,dead" << "edit" << "cancel" << "" << "dead|bee" << true << all;
        QTest::newRow("FIFO not read, Edit") << "b,f" << "edit" << "cancel" << "" << "f|bee" << true << all;
        QTest::newRow("Edit, new name, OK: both") << "a" << "edit" << "rename c" << "" << "a|one\ntwo" << true
                                                  << QStringList{"a", "b", "c", "dead", "f", "ro", "あ"};
        QTest::newRow("Edit a Shift-JIS name, OK, Yes: that entry") << "あ" << "edit" << "ok" << "overwrite" << "あ|sj"
                                                                     << true << all;
        QTest::newRow("Edit a link, OK: refused") << "dead" << "edit" << "ok" << "not a file" << "dead|" << true << all;
        QTest::newRow("Edit, same name, OK, Yes") << "b" << "edit" << "ok" << "overwrite" << "b|bee" << true << all;
        QTest::newRow("Edit, Cancel: rebuilt, another program's entry shown")
            << "a" << "edit" << "add d, cancel" << "" << "a|one\ntwo" << true
            << QStringList{"a", "b", "d", "dead", "f", "ro", "あ"};
        QTest::newRow("Enter without a selection") << "" << "enter" << "" << "no selection" << "" << true << all;
        QTest::newRow("Escape does nothing") << "a" << "escape" << "" << "" << "" << true << all;
        QTest::newRow("Delete, no question") << "a" << "delete" << "" << "" << "" << true
                                             << QStringList{"b", "dead", "f", "ro", "あ"};
        QTest::newRow("Delete a Shift-JIS name") << "あ" << "delete" << "" << "" << "" << true
                                                 << QStringList{"a", "b", "dead", "f", "ro"};
        QTest::newRow("Delete read-only") << "ro" << "delete" << "" << "no selection" << "" << true << all;
        QTest::newRow("Delete without a selection") << "" << "delete" << "" << "no selection" << "" << true << all;
        QTest::newRow("OK ends it") << "a" << "ok" << "" << "" << "" << false << all;
    }
    void editDialogActions()
    {
        QFETCH(QString, select);
        QFETCH(QString, action);
        QFETCH(QString, nested);
        QFETCH(QString, shown);
        KeyFolder key;
        key.setUp(u"a=one\r\ntwo|b=bee|ro~|dead>|f*|%82%A0=sj"_s);  // "あ" in Shift-JIS
        boxes().answers = {MsgBox::IDYES};
        CPklEditDlg dialog;
        dialog.show();
        auto *list = child<PklListBox>(&dialog, u"1018"_s);
        QString offered;
        if (!nested.isEmpty()) {
            onModal([&offered, &key, nested](QWidget *modal) {
                auto *name = child<QLineEdit>(modal, u"1002"_s);
                offered = name->text() + u'|' + child<QPlainTextEdit>(modal, u"1009"_s)->toPlainText();
                if (nested.startsWith(u"rename "))
                    name->setText(nested.section(u' ', 1));
                if (nested.startsWith(u"add "))
                    key.setUp(nested.section(u' ', 1, 1).chopped(1) + u"=x"_s);
                child<QPushButton>(modal, nested.endsWith(u"cancel") ? u"IDCANCEL"_s : u"IDOK"_s)->click();
            });
        }
        for (const QString &item : select.split(u',', Qt::SkipEmptyParts))
            clickItem(list, item, action == u"dblclick");
        if (action == u"enter" || action == u"escape")
            QTest::keyClick(list, action == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
        else if (action != u"dblclick")
            child<QPushButton>(&dialog, action == u"edit" ? u"1022"_s : action == u"delete" ? u"1021"_s : u"IDOK"_s)->click();
        QCOMPARE(boxes().shown, messages(shown));
        QTEST(offered, "offered");
        QTEST(dialog.isVisible(), "open");
        QFETCH(QStringList, listed);
        QCOMPARE(items(list), listed);
        QStringList inFolder = listed;
        inFolder.replaceInStrings(u"あ"_s, u"%82%A0"_s).sort();
        QCOMPARE(key.names(), inFolder);
        QVERIFY(!key.unblocked());
        // Every refresh leaves nothing selected and the text empty; Escape leaves all as it was.
        const bool cleared = (action != u"escape" && action != u"ok") || select.isEmpty();
        QCOMPARE(list->selectedItems().isEmpty(), cleared);
        QCOMPARE(child<QPlainTextEdit>(&dialog, u"1002"_s)->toPlainText().isEmpty(), cleared);
        QCOMPARE(dialog.m_strName.isEmpty(), cleared);
    }
};

QTEST_MAIN(TestPklDialogs)
#include "tst_pkldialogs.moc"
