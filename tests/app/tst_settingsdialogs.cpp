// The frame, history and auto-save settings dialogs, through their commands: what they show
// from the store, how the main-frame dialog enables its fields, which entries they refuse and
// what they store and say.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "platform/dialogs/dialogunits.h"
#include "platform/dialogs/msgbox.h"
#include "platform/base/profile.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QtTest>

using namespace AppHelper;
using namespace Qt::StringLiterals;

namespace {
// What the program stored and showed, in order: "key=value" for each write to "Settings",
// "caption/icon: text" for each message box.
QStringList g_events;

const QString kRange = u"0 から 10 までの整数を入力してください。"_s, kNotInt = u"整数を入力してください。"_s, kNotUInt = u"正の整数を入力してください。"_s;
const QString kRestart = u"確認/information: ＮＹＯを再起動すると設定が有効になります"_s;

QString refused(const QString &message) { return u"NYO/exclamation: "_s + message; }
// Items separated by '|', none for an empty text.
QStringList items(const QString &text) { return text.isEmpty() ? QStringList() : text.split(u'|'); }

// "key=value|..." written as text into the section "Settings", as a user's store has them.
void store(const QString &values)
{
    for (const QString &pair : items(values)) {
        const qsizetype eq = pair.indexOf(u'=');
        Profile::WriteProfileString(u"Settings"_s, pair.left(eq), pair.mid(eq + 1));
    }
}
} // namespace

class TestSettingsDialogs : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void initTestCase() { DialogUnits::installFontSubstitutions(); }
    void init()
    {
        useFreshEnvironment();
        g_events.clear();
        Profile::SetWriteObserver([](const QString &section, const QString &key, const QString &value) {
            if (section == QLatin1String("Settings"))
                g_events.append(key + u'=' + value);
        });
        MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon icon) {
            const char *kind = icon == MsgBox::Icon::Information ? "information" : icon == MsgBox::Icon::Exclamation ? "exclamation" : "other";
            g_events.append(caption + u'/' + QLatin1String(kind) + u": "_s + text);
            return buttons == MsgBox::Buttons::Ok ? int(MsgBox::IDOK) : int(MsgBox::IDNO);
        });
    }
    void cleanup() { stopApp(m_app); }

    void dialogs_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");   // after the steps; "" for rows about what is stored
        QTest::addColumn<QString>("events");
        int command = ID_SETTINGS_CHILDFRAME;
        const auto row = [&command](const char *tag, const QString &stored, const QString &steps, const QString &shown,
                                    const QString &events = {}) {
            QTest::newRow(tag) << stored << command << steps << shown << events;
        };
        // As stored, and what OK stores; Cancel stores nothing.
        row("child: nothing stored", {}, u"OK"_s, u"checked 1003"_s, u"WindowMode=1"_s);
        row("child: maximised", u"WindowMode=1"_s, u"Cancel"_s, u"checked 1003"_s);
        row("child: normal", u"WindowMode=2"_s, u"Cancel"_s, u"checked 1004"_s);
        row("child: minimised", u"WindowMode=3"_s, u"Cancel"_s, u"checked 1005"_s);
        row("child: unknown", u"WindowMode=7"_s, u"Cancel"_s, u"checked 1003"_s);
        row("child: normal chosen", {}, u"click 1004|OK"_s, {}, u"WindowMode=2"_s);
        row("child: minimised chosen", {}, u"click 1005|OK"_s, {}, u"WindowMode=3"_s);
        row("child: cancelled", {}, u"click 1005|Cancel"_s, {});
        command = ID_SETTINGS_MAINFRAME;
        // Only "normal" offers saving on exit, only "fixed" the edges.
        const QString rect = u"left=10|top=20|right=810|bottom=620|"_s, edges = u"; edits 10|20|810|620; grey "_s;
        const QString notFixed = u"1002 1009 1010 1011"_s, neither = u"1002 1008 1009 1010 1011"_s;
        row("frame: nothing stored", {}, u"Cancel"_s, u"checked 1006 1008; edits 0|0|400|300; grey "_s + notFixed);
        row("frame: normal, not saved", rect + u"WindowMode2=3|WM3=0"_s, u"Cancel"_s, u"checked 1006"_s + edges + notFixed);
        row("frame: fixed", rect + u"WindowMode2=4|WM3=0"_s, u"Cancel"_s, u"checked 1007"_s + edges + u"1008"_s);
        row("frame: maximised", rect + u"WindowMode2=1"_s, u"Cancel"_s, u"checked 1000 1008"_s + edges + neither);
        row("frame: minimised", rect + u"WindowMode2=2"_s, u"Cancel"_s, u"checked 1001 1008"_s + edges + neither);
        row("frame: unknown", rect + u"WindowMode2=0"_s, u"Cancel"_s, u"checked 1000 1008"_s + edges + neither);
        // Edges are unsigned 32-bit numbers in the dialog and signed ones in the store.
        row("frame: negative edges", u"WindowMode2=3|WM3=0|left=-8|top=-1|right=-2147483648|bottom=2147483647"_s, u"Cancel"_s, u"checked 1006; edits 4294967288|4294967295|2147483648|2147483647; grey "_s + notFixed);
        // The fields follow the radio buttons at once; what was typed stays, enabled or not.
        for (const auto &[from, stored] : {std::pair{"normal", u"WindowMode2=3"_s}, {"fixed", u"WindowMode2=4"_s}}) {
            for (const QString &to : {u"1000"_s, u"1001"_s, u"1006"_s, u"1007"_s}) {
                const QString grey = to == "1006"_L1 ? notFixed : to == "1007"_L1 ? u"1008"_s : neither;
                row(qPrintable(u"frame: from %1 to %2"_s.arg(QLatin1String(from), to)), stored, u"type 1002 123|click "_s + to + u"|Cancel"_s,
                    u"checked "_s + to + u" 1008; edits 123|0|400|300; grey "_s + grey);
            }
        }
        const QString typeRect = u"type 1002 10|type 1009 20|type 1010 810|type 1011 620|"_s, fixed = u"WindowMode2=4"_s;
        row("frame: fixed chosen", u"WM3=0"_s, u"click 1007|"_s + typeRect + u"OK"_s, {}, u"left=10|top=20|right=810|bottom=620|WindowMode2=4"_s);
        row("frame: normal, not saved chosen", {}, u"click 1008|OK"_s, {}, u"WM3=0|WindowMode2=3"_s);
        row("frame: normal, saved chosen", u"WindowMode2=1|WM3=0"_s, u"click 1006|click 1008|OK"_s, {}, u"WM3=1|WindowMode2=3"_s);
        row("frame: maximised chosen", {}, u"click 1000|"_s + typeRect + u"OK"_s, {}, u"WindowMode2=1"_s);
        row("frame: minimised chosen", {}, u"click 1001|OK"_s, {}, u"WindowMode2=2"_s);
        row("frame: cancelled", {}, u"click 1007|"_s + typeRect + u"Cancel"_s, {});
        row("frame: negative edges go back unchanged", fixed + u"|left=-8|top=-1"_s, u"OK"_s, {}, u"left=-8|top=-1|right=400|bottom=300|WindowMode2=4"_s);
        row("frame: blanks around, largest", fixed, u"type 1002  7 |type 1011 4294967295|OK"_s, {}, u"left=7|top=0|right=400|bottom=-1|WindowMode2=4"_s);
        // A refused entry keeps the dialog open on its field.
        row("left: negative", fixed, u"type 1002 -5|OK"_s, {}, refused(kNotUInt) + u"|still open at 1002"_s);
        row("top: letters", fixed, u"type 1009 abc|OK"_s, {}, refused(kNotUInt) + u"|still open at 1009"_s);
        row("right: beyond 32 bits", fixed, u"type 1010 4294967296|OK"_s, {}, refused(kNotUInt) + u"|still open at 1010"_s);
        row("bottom, the last field: beyond 32 bits", fixed, u"type 1011 99999999999|OK"_s, {}, refused(kNotUInt) + u"|still open at 1011"_s);
        command = ID_SETTINGS_HISTORY;
        row("history: nothing stored", {}, u"Cancel"_s, u"edits 4"_s);
        row("history: stored", u"LSPS=7"_s, u"Cancel"_s, u"edits 7"_s);
        row("history: above the range", u"LSPS=16"_s, u"Cancel"_s, u"edits 16"_s);
        row("history: below the range", u"LSPS=-3"_s, u"Cancel"_s, u"edits -3"_s);
        row("history: not a number", u"LSPS=abc"_s, u"Cancel"_s, u"edits 4"_s);
        row("history: 7 with blanks", {}, u"type 1002  7 |OK"_s, {}, u"LSPS=7|"_s + kRestart);
        row("history: highest", {}, u"type 1002 10|OK"_s, {}, u"LSPS=10|"_s + kRestart);
        row("history: stored 16 refused, then the lowest", u"LSPS=16"_s, u"OK|type 1002 0|OK"_s, {}, refused(kRange) + u"|LSPS=0|"_s + kRestart);
        row("history: above 10", {}, u"type 1002 11|OK"_s, {}, refused(kRange) + u"|still open at 1002"_s);
        row("history: negative", {}, u"type 1002 -5|OK"_s, {}, refused(kRange) + u"|still open at 1002"_s);
        row("history: beyond 32 bits", {}, u"type 1002 99999999999|OK"_s, {}, refused(kRange) + u"|still open at 1002"_s);
        row("history: below 32 bits", {}, u"type 1002 -2147483649|OK"_s, {}, refused(kRange) + u"|still open at 1002"_s);
        row("history: letters", {}, u"type 1002 abc|OK"_s, {}, refused(kNotInt) + u"|still open at 1002"_s);
        row("history: cancelled", {}, u"type 1002 2|Cancel"_s, {});
        command = ID_SETTINGS_AUTOSAVE;
        row("auto-save: nothing stored", {}, u"Cancel"_s, u"checked 1000; edits 600|10; grey 1002 1008 1009 1020 1021"_s);
    }
    // Each dialog belongs to the main window and opens with its fields showing their numbers
    // from the start.
    void dialogs()
    {
        QFETCH(QString, stored);
        QFETCH(int, command);
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        QFETCH(QString, events);
        store(stored);
        m_app = startApp();
        QVERIFY(m_app);
        g_events.clear();
        QString state;
        const QString end = runDialog(m_app.get(), command, {}, [&](QWidget *dialog) {
            if (dialog->parentWidget() != mainFrame(m_app.get()))
                g_events.append(u"not owned by the main window"_s);
            for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
                if (edit->cursorPosition() != 0)
                    g_events.append(u"not at the start: "_s + edit->objectName());
            playDialog(dialog, items(steps));
            state = dialogState(dialog);
        });
        if (!end.isEmpty())
            g_events.append(end);
        QCOMPARE(g_events, items(events));
        if (!shown.isEmpty())
            QCOMPARE(state, shown);
    }

    // Available with a document window only, also once a new one comes after none.
    void commandsNeedADocumentWindow()
    {
        m_app = startApp();
        for (const int step : {0, ID_FILE_CLOSE, ID_FILE_NEW}) {
            QVERIFY(!step || execute(m_app.get(), step));
            QTRY_COMPARE(documentCount(m_app.get()), step == ID_FILE_CLOSE ? 0 : 1);
            for (int id : {ID_SETTINGS_CHILDFRAME, ID_SETTINGS_MAINFRAME, ID_SETTINGS_HISTORY}) {
                QVERIFY2(enabled(m_app.get(), id) == (step != ID_FILE_CLOSE), qPrintable(QString::number(id)));
                if (step == ID_FILE_CLOSE)
                    QVERIFY(!execute(m_app.get(), id));
            }
        }
    }
};

QTEST_MAIN(TestSettingsDialogs)
#include "tst_settingsdialogs.moc"
