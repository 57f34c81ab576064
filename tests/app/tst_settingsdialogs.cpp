// The frame and history settings dialogs: what they show from the store, how the main-frame
// dialog enables its fields, which entries they refuse, and what their commands store and say.
#include "app_helper.h"

#include "app/childframedlg.h"
#include "app/historydlg.h"
#include "app/mainframe.h"
#include "app/mainframedlg.h"
#include "app/nyoapp.h"
#include "platform/dialogunits.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace AppHelper;
using namespace Qt::StringLiterals;

namespace {
// What the program stored and showed, in order: "key=value" for each write, "caption/icon:
// text" for each message box.
QStringList g_events;
} // namespace

namespace {
const QString kRange = u"0 から 10 までの整数を入力してください。"_s;
const QString kNotInt = u"整数を入力してください。"_s;
const QString kNotUInt = u"正の整数を入力してください。"_s;
const QString kRestart = u"確認/information: ＮＹＯを再起動すると設定が有効になります"_s;
const QStringList kRectEdits{u"1002"_s, u"1009"_s, u"1010"_s, u"1011"_s};

QString refused(const QString &message)
{
    return u"NYO/exclamation: "_s + message;
}

QString iconName(MsgBox::Icon icon)
{
    switch (icon) {
    case MsgBox::Icon::Information: return u"information"_s;
    case MsgBox::Icon::Exclamation: return u"exclamation"_s;
    case MsgBox::Icon::Question: return u"question"_s;
    case MsgBox::Icon::Stop: return u"stop"_s;
    case MsgBox::Icon::None: break;
    }
    return u"none"_s;
}

// Items separated by '|', none for an empty text.
QStringList items(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(u'|');
}

// "key=value|..." written as text into the section "Settings", as a user's store has them.
void store(const QString &values)
{
    for (const QString &pair : items(values)) {
        const qsizetype eq = pair.indexOf(u'=');
        Profile::WriteProfileString(u"Settings"_s, pair.left(eq), pair.mid(eq + 1));
    }
    g_events.clear();  // what the test stored is not what the program wrote
}

template <class T>
T *control(QWidget *dialog, const QString &id)
{
    T *found = dialog->findChild<T *>(id);
    if (!found)
        qFatal("control %s missing", qPrintable(id));
    return found;
}

QString checkedRadios(QWidget *dialog)
{
    QStringList ids;
    for (QRadioButton *radio : dialog->findChildren<QRadioButton *>()) {
        if (radio->isChecked())
            ids.append(radio->objectName());
    }
    return ids.join(u'|');
}

// Plays a user's steps in the open dialog: "click ID", "type ID text", "read ID" (records what
// the field shows), "OK", "Cancel". A dialog still open after the steps is cancelled and
// reported.
void play(QWidget *dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString verb = step.section(u' ', 0, 0);
        const QString id = step.section(u' ', 1, 1);
        if (step == "OK"_L1)
            control<QAbstractButton>(dialog, u"IDOK"_s)->click();
        else if (step == "Cancel"_L1)
            control<QAbstractButton>(dialog, u"IDCANCEL"_s)->click();
        else if (verb == "click"_L1)
            control<QAbstractButton>(dialog, id)->click();
        else if (verb == "type"_L1)
            control<QLineEdit>(dialog, id)->setText(step.section(u' ', 2));
        else if (verb == "read"_L1)
            g_events.append(id + u" shows "_s + control<QLineEdit>(dialog, id)->text());
    }
    if (dialog->isVisible()) {
        g_events.append(u"still open"_s);
        QMetaObject::invokeMethod(dialog, "reject");
    }
}
} // namespace

class TestSettingsDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void childFrameDialogShowsTheStoredState_data();
    void childFrameDialogShowsTheStoredState();
    void mainFrameDialogShowsTheStoredState_data();
    void mainFrameDialogShowsTheStoredState();
    void historyDialogShowsTheStoredCount_data();
    void historyDialogShowsTheStoredCount();
    void mainFrameFieldsFollowTheRadioButtons_data();
    void mainFrameFieldsFollowTheRadioButtons();
    void entriesAreCheckedOnOk_data();
    void entriesAreCheckedOnOk();
    void commandsStoreOnOkOnly_data();
    void commandsStoreOnOkOnly();
    void commandsNeedADocumentWindow();

private:
    std::unique_ptr<CNYOApp> m_app;
};

void TestSettingsDialogs::initTestCase()
{
    DialogUnits::installFontSubstitutions();
}

void TestSettingsDialogs::init()
{
    useFreshEnvironment();
    g_events.clear();
    Profile::SetWriteObserver([](const QString &section, const QString &key, const QString &value) {
        if (section == QLatin1String("Settings"))
            g_events.append(key + u'=' + value);
    });
    MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon icon) {
        g_events.append(caption + u'/' + iconName(icon) + u": "_s + text);
        return buttons == MsgBox::Buttons::Ok ? int(MsgBox::IDOK) : int(MsgBox::IDNO);
    });
}

void TestSettingsDialogs::cleanup()
{
    stopApp(m_app);
    MsgBox::setResponder({});
    Profile::SetWriteObserver({});
}

void TestSettingsDialogs::childFrameDialogShowsTheStoredState_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("checked");
    QTest::newRow("nothing stored") << QString() << u"1003"_s;
    QTest::newRow("maximised") << u"WindowMode=1"_s << u"1003"_s;
    QTest::newRow("normal") << u"WindowMode=2"_s << u"1004"_s;
    QTest::newRow("minimised") << u"WindowMode=3"_s << u"1005"_s;
    QTest::newRow("unknown") << u"WindowMode=7"_s << u"1003"_s;
}

void TestSettingsDialogs::childFrameDialogShowsTheStoredState()
{
    QFETCH(QString, stored);
    QFETCH(QString, checked);
    store(stored);
    CChildFrameDlg dlg;
    dlg.show();
    QCOMPARE(checkedRadios(&dlg), checked);
}

void TestSettingsDialogs::mainFrameDialogShowsTheStoredState_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<bool>("saveOnExit");
    QTest::addColumn<bool>("saveOnExitEnabled");
    QTest::addColumn<bool>("rectEnabled");
    QTest::addColumn<QString>("rect");

    const QString rect = u"left=10|top=20|right=810|bottom=620|"_s;
    const QString shown = u"10|20|810|620"_s;
    QTest::newRow("nothing stored") << QString() << u"1006"_s << true << true << false << u"0|0|400|300"_s;
    QTest::newRow("normal, not saved") << rect + u"WindowMode2=3|WM3=0"_s << u"1006"_s << false << true << false
                                       << shown;
    QTest::newRow("fixed") << rect + u"WindowMode2=4|WM3=0"_s << u"1007"_s << false << false << true << shown;
    QTest::newRow("maximised") << rect + u"WindowMode2=1"_s << u"1000"_s << true << false << false << shown;
    QTest::newRow("minimised") << rect + u"WindowMode2=2"_s << u"1001"_s << true << false << false << shown;
    QTest::newRow("unknown") << rect + u"WindowMode2=0"_s << u"1000"_s << true << false << false << shown;
    QTest::newRow("negative edges") << u"WindowMode2=4|left=-8|top=-1|right=-2147483648|bottom=2147483647"_s
                                    << u"1007"_s << true << false << true
                                    << u"4294967288|4294967295|2147483648|2147483647"_s;
}

void TestSettingsDialogs::mainFrameDialogShowsTheStoredState()
{
    QFETCH(QString, stored);
    QFETCH(QString, checked);
    QFETCH(bool, saveOnExit);
    QFETCH(bool, saveOnExitEnabled);
    QFETCH(bool, rectEnabled);
    QFETCH(QString, rect);
    store(stored);
    CMainFrameDlg dlg;
    dlg.show();
    QCOMPARE(checkedRadios(&dlg), checked);
    auto *box = control<QCheckBox>(&dlg, u"1008"_s);
    QCOMPARE(box->isChecked(), saveOnExit);
    QCOMPARE(box->isEnabled(), saveOnExitEnabled);
    for (int i = 0; i < kRectEdits.size(); ++i) {
        auto *edit = control<QLineEdit>(&dlg, kRectEdits[i]);
        QCOMPARE(edit->text(), items(rect)[i]);
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(edit->isEnabled(), rectEnabled);
    }
}

void TestSettingsDialogs::historyDialogShowsTheStoredCount_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing stored") << QString() << u"4"_s;
    QTest::newRow("stored") << u"LSPS=7"_s << u"7"_s;
    QTest::newRow("above the range") << u"LSPS=16"_s << u"16"_s;
    QTest::newRow("below the range") << u"LSPS=-3"_s << u"-3"_s;
    QTest::newRow("not a number") << u"LSPS=abc"_s << u"4"_s;
}

void TestSettingsDialogs::historyDialogShowsTheStoredCount()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    store(stored);
    CHistoryDlg dlg;
    dlg.show();
    auto *edit = control<QLineEdit>(&dlg, u"1002"_s);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(edit->cursorPosition(), 0);
}

void TestSettingsDialogs::mainFrameFieldsFollowTheRadioButtons_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("saveOnExitEnabled");
    QTest::addColumn<bool>("rectEnabled");
    for (const char *from : {"normal", "fixed"}) {
        const QString stored = qstrcmp(from, "normal") == 0 ? u"WindowMode2=3"_s : u"WindowMode2=4"_s;
        const QByteArray tag = QByteArray("from ") + from + " to ";
        QTest::newRow((tag + "maximised").constData()) << stored << u"1000"_s << false << false;
        QTest::newRow((tag + "minimised").constData()) << stored << u"1001"_s << false << false;
        QTest::newRow((tag + "normal").constData()) << stored << u"1006"_s << true << false;
        QTest::newRow((tag + "fixed").constData()) << stored << u"1007"_s << false << true;
    }
}

void TestSettingsDialogs::mainFrameFieldsFollowTheRadioButtons()
{
    QFETCH(QString, stored);
    QFETCH(QString, click);
    QFETCH(bool, saveOnExitEnabled);
    QFETCH(bool, rectEnabled);
    store(stored);
    CMainFrameDlg dlg;
    dlg.show();
    auto *left = control<QLineEdit>(&dlg, u"1002"_s);
    left->setText(u"123"_s);
    control<QRadioButton>(&dlg, click)->click();
    QCOMPARE(control<QCheckBox>(&dlg, u"1008"_s)->isEnabled(), saveOnExitEnabled);
    for (const QString &id : kRectEdits)
        QCOMPARE(control<QLineEdit>(&dlg, id)->isEnabled(), rectEnabled);
    // What was typed stays, enabled or not.
    QCOMPARE(left->text(), u"123"_s);
}

void TestSettingsDialogs::entriesAreCheckedOnOk_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");   // empty: accepted
    QTest::addColumn<qint64>("value");

    const int history = CHistoryDlg::IDD;
    QTest::newRow("count: letters") << history << u"1002"_s << u"abc"_s << kNotInt << 0LL;
    QTest::newRow("count: negative") << history << u"1002"_s << u"-5"_s << kRange << 0LL;
    QTest::newRow("count: above 10") << history << u"1002"_s << u"11"_s << kRange << 0LL;
    QTest::newRow("count: beyond 32 bits") << history << u"1002"_s << u"4294967296"_s << kNotInt << 0LL;
    QTest::newRow("count: blanks around") << history << u"1002"_s << u" 7 "_s << QString() << 7LL;
    QTest::newRow("count: lowest") << history << u"1002"_s << u"0"_s << QString() << 0LL;
    QTest::newRow("count: highest") << history << u"1002"_s << u"10"_s << QString() << 10LL;

    const int frame = CMainFrameDlg::IDD;
    QTest::newRow("left: negative") << frame << u"1002"_s << u"-5"_s << kNotUInt << 0LL;
    QTest::newRow("top: letters") << frame << u"1009"_s << u"abc"_s << kNotUInt << 0LL;
    QTest::newRow("right: beyond 32 bits") << frame << u"1010"_s << u"4294967296"_s << kNotUInt << 0LL;
    QTest::newRow("left: blanks around") << frame << u"1002"_s << u" 7 "_s << QString() << 7LL;
    QTest::newRow("bottom: largest") << frame << u"1011"_s << u"4294967295"_s << QString() << 4294967295LL;
}

void TestSettingsDialogs::entriesAreCheckedOnOk()
{
    QFETCH(int, dialog);
    QFETCH(QString, field);
    QFETCH(QString, input);
    QFETCH(QString, message);
    QFETCH(qint64, value);
    store(u"WindowMode2=4"_s);
    CHistoryDlg history;
    CMainFrameDlg frame;
    QDialog *dlg = dialog == CHistoryDlg::IDD ? static_cast<QDialog *>(&history) : &frame;
    dlg->show();
    auto *edit = control<QLineEdit>(dlg, field);
    edit->setText(input);
    control<QAbstractButton>(dlg, u"IDOK"_s)->click();

    if (!message.isEmpty()) {
        QCOMPARE(g_events, QStringList{refused(message)});
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->focusWidget(), edit);
        return;
    }
    QCOMPARE(g_events, QStringList());
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    const qint64 taken = dialog == CHistoryDlg::IDD ? qint64(history.m_nRecentCount)
                         : field == "1002"_L1       ? qint64(frame.m_nLeft)
                                                    : qint64(frame.m_nBottom);
    QCOMPARE(taken, value);
}

void TestSettingsDialogs::commandsStoreOnOkOnly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("events");

    const int child = ID_SETTINGS_CHILDFRAME;
    QTest::newRow("child frame: unchanged") << QString() << child << u"OK"_s << u"WindowMode=1"_s;
    QTest::newRow("child frame: normal") << QString() << child << u"click 1004|OK"_s << u"WindowMode=2"_s;
    QTest::newRow("child frame: minimised") << QString() << child << u"click 1005|OK"_s << u"WindowMode=3"_s;
    QTest::newRow("child frame: cancelled") << QString() << child << u"click 1005|Cancel"_s << QString();

    const int frame = ID_SETTINGS_MAINFRAME;
    const QString typeRect = u"type 1002 10|type 1009 20|type 1010 810|type 1011 620|"_s;
    QTest::newRow("main frame: fixed") << u"WM3=0"_s << frame << u"click 1007|"_s + typeRect + u"OK"_s
                                       << u"left=10|top=20|right=810|bottom=620|WindowMode2=4"_s;
    QTest::newRow("main frame: normal, not saved") << QString() << frame << u"click 1008|OK"_s
                                                   << u"WM3=0|WindowMode2=3"_s;
    QTest::newRow("main frame: normal, saved") << u"WindowMode2=1|WM3=0"_s << frame << u"click 1006|click 1008|OK"_s
                                               << u"WM3=1|WindowMode2=3"_s;
    QTest::newRow("main frame: maximised") << QString() << frame << u"click 1000|"_s + typeRect + u"OK"_s
                                           << u"WindowMode2=1"_s;
    QTest::newRow("main frame: minimised") << QString() << frame << u"click 1001|OK"_s << u"WindowMode2=2"_s;
    QTest::newRow("main frame: negative edges go back unchanged")
        << u"WindowMode2=4|left=-8|top=-1"_s << frame << u"read 1002|read 1009|OK"_s
        << u"1002 shows 4294967288|1009 shows 4294967295|left=-8|top=-1|right=400|bottom=300|WindowMode2=4"_s;
    QTest::newRow("main frame: refused, then cancelled") << QString() << frame
                                                         << u"click 1007|type 1002 -5|OK|Cancel"_s << refused(kNotUInt);
    QTest::newRow("main frame: cancelled") << QString() << frame << u"click 1007|"_s + typeRect + u"Cancel"_s
                                           << QString();

    const int history = ID_SETTINGS_HISTORY;
    QTest::newRow("history: 7 with blanks") << QString() << history << u"type 1002  7 |OK"_s
                                            << u"LSPS=7|"_s + kRestart;
    QTest::newRow("history: stored 16 refused, then corrected")
        << u"LSPS=16"_s << history << u"read 1002|OK|type 1002 0|OK"_s
        << u"1002 shows 16|"_s + refused(kRange) + u"|LSPS=0|"_s + kRestart;
    QTest::newRow("history: cancelled") << QString() << history << u"type 1002 2|Cancel"_s << QString();
}

void TestSettingsDialogs::commandsStoreOnOkOnly()
{
    QFETCH(QString, stored);
    QFETCH(int, command);
    QFETCH(QString, steps);
    QFETCH(QString, events);
    store(stored);
    m_app = startApp();
    QVERIFY(m_app);
    CMainFrame *frame = mainFrame(m_app.get());

    bool shown = false;
    onModal([&](QWidget *dialog) {
        shown = true;
        if (dialog->parentWidget() != frame)
            g_events.append(u"not owned by the main window"_s);
        play(dialog, items(steps));
    });
    g_events.clear();
    QVERIFY(execute(m_app.get(), command));
    QVERIFY(shown);
    QCOMPARE(g_events, items(events));
}

void TestSettingsDialogs::commandsNeedADocumentWindow()
{
    m_app = startApp();
    const int commands[] = {ID_SETTINGS_CHILDFRAME, ID_SETTINGS_MAINFRAME, ID_SETTINGS_HISTORY};
    for (int id : commands)
        QVERIFY2(enabled(m_app.get(), id), qPrintable(QString::number(id)));

    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QTRY_COMPARE(documentCount(m_app.get()), 0);
    for (int id : commands) {
        QVERIFY2(!enabled(m_app.get(), id), qPrintable(QString::number(id)));
        QVERIFY2(!execute(m_app.get(), id), qPrintable(QString::number(id)));
    }

    QVERIFY(execute(m_app.get(), ID_FILE_NEW));
    for (int id : commands)
        QVERIFY2(enabled(m_app.get(), id), qPrintable(QString::number(id)));
}

QTEST_MAIN(TestSettingsDialogs)
#include "tst_settingsdialogs.moc"
