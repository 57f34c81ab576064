// Auto-save: the snapshot a view takes, the timeline of saves and warnings, and the settings
// dialog with its command. Timer periods run at a test scale of milliseconds per second.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "autosave/autosavedlg.h"
#include "autosave/autosavescheduler.h"
#include "autosave/autosavetimers.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/base/colorref.h"
#include "platform/base/fileidentity.h"
#include "platform/framework/ddx.h"
#include "platform/dialogs/msgbox.h"
#include "platform/base/profile.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QColorDialog>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace AppHelper;

namespace {
constexpr int kSave = CAutoSaveTimers::ID_TIMER_AUTOSAVE, kWarn = CAutoSaveTimers::ID_TIMER_WARNING;
constexpr uint32_t kWarnRef = 0x0000FF, kNormalRef = 0xFFFFFF;  // red, white
// The four settings: mode, interval, warning lead, warning flag, as "2 5 2 1".
const QStringList kKeys{"Jidou", "Jidou1", "Jidou2", "cch"};

void storeAutoSave(const QString &values)
{
    for (int i = 0; i < 4; ++i)
        Profile::WriteProfileInt(QStringLiteral("Settings"), kKeys[i], values.section(u' ', i, i).toInt());
}

QString storedAutoSave()
{
    QStringList values;
    for (const QString &key : kKeys)
        values.append(QString::number(Profile::GetProfileInt(QStringLiteral("Settings"), key, -1)));
    return values.join(u' ');
}

uint32_t background(CNYOView *view) { return RefFromColor(view->palette().color(QPalette::Base)); }

// The view's settings, its running timers ("-" for one not running) and the warning colour:
// "every 5, lead 2, ask 0; save 5000, warn 3000; warned".
QString timing(CNYOView *view)
{
    const CAutoSaveScheduler *autoSave = view->AutoSave();
    const CAutoSaveTimers *timers = autoSave->Timers();
    const auto period = [timers](int id) { return timers->IsActive(id) ? QString::number(timers->Interval(id)) : "-"; };
    return QStringLiteral("every %1, lead %2, ask %3; save %4, warn %5")
               .arg(autoSave->SaveInterval()).arg(autoSave->WarnLead()).arg(autoSave->AskSave())
               .arg(period(kSave), period(kWarn)) +
           (background(view) == kWarnRef ? "; warned" : background(view) == kNormalRef ? "" : "; other colour");
}
} // namespace

class TestAutoSave : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    QString m_path;

    // Starts the program on a file holding bytes; the view takes the settings stored now.
    CNYOView *openFile(const QByteArray &bytes)
    {
        scratchDir();
        m_path = writeFile(QStringLiteral("a.txt"), bytes);
        m_app = startApp({m_path});
        return m_app ? activeView(m_app.get()) : nullptr;
    }

private slots:
    void init()
    {
        useFreshEnvironment();
        CAutoSaveTimers::SetMillisecondsPerSecond(1000);
        Keys::JBK.write(int32_t(kWarnRef));
    }
    void cleanup() { stopApp(m_app); }

    void snapshotArmsTimers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("timing");
        QTest::newRow("off") << "1 5 2 1" << "every 0, lead 0, ask 0; save -, warn -";
        QTest::newRow("unknown mode is off") << "4 5 2 1" << "every 0, lead 0, ask 0; save -, warn -";
        QTest::newRow("on, no warning") << "2 5 2 0" << "every 5, lead 0, ask 0; save 5000, warn -";
        QTest::newRow("on, warning") << "2 5 2 1" << "every 5, lead 2, ask 0; save 5000, warn 3000";
        QTest::newRow("ask, any flag but 0 warns") << "3 600 10 7" << "every 600, lead 10, ask 1; save 600000, warn 590000";
        // Values the dialog would refuse, as a user's store may hold them.
        QTest::newRow("interval 0 counts as 1") << "2 0 0 0" << "every 1, lead 0, ask 0; save 1000, warn -";
        QTest::newRow("lead above interval warns at once") << "2 2 5 1" << "every 2, lead 5, ask 0; save 2000, warn -; warned";
    }
    void snapshotArmsTimers()
    {
        QFETCH(QString, stored);
        QFETCH(QString, timing);
        storeAutoSave(stored);
        CNYOView *view = openFile("x");
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(::timing(view), timing, 2000);
    }

    void savesOnSchedule_data()
    {
        QTest::addColumn<int>("cch");
        QTest::addColumn<int>("lead");
        QTest::newRow("no warning") << 0 << 2;
        QTest::newRow("warning 2 s before") << 1 << 2;
        QTest::newRow("lead equal to interval") << 1 << 5;
    }
    // A document typed in is written every interval; the warning comes before the save and
    // the normal background comes back with it.
    void savesOnSchedule()
    {
        QFETCH(int, cch);
        QFETCH(int, lead);
        const bool atOnce = lead == 5;
        storeAutoSave(QStringLiteral("2 5 %1 %2").arg(lead).arg(cch));
        CAutoSaveTimers::SetMillisecondsPerSecond(atOnce ? 60 : 100);
        CNYOView *view = openFile("doc");
        QVERIFY(view);
        QByteArray text = "doc";
        for (int cycle = 0; cycle < 2; ++cycle) {
            const QByteArray before = text;
            text += QByteArray::number(cycle);
            view->setPosition(view->GetTextLength());
            view->ReplaceSel(QString::number(cycle));
            if (cch)
                QTRY_COMPARE_WITH_TIMEOUT(background(view), kWarnRef, 3000);
            if (cch && !atOnce)
                QCOMPARE(readFile(m_path), before);
            QTRY_COMPARE_WITH_TIMEOUT(readFile(m_path), text, 3000);
            if (!atOnce)
                QCOMPARE(background(view), kNormalRef);
            QVERIFY(view->AutoSave()->Timers()->IsActive(kSave));
        }
        QVERIFY(boxes().texts.isEmpty());
        QVERIFY(!view->GetDocument()->IsModified());
    }

    void asksBeforeSaving_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("yes") << int(MsgBox::IDYES) << QByteArray("docXY");
        QTest::newRow("no") << int(MsgBox::IDNO) << QByteArray("doc");
    }
    // The question comes with both timers stopped and the warning still showing; the save and
    // the restored background follow only after it. The document is typed in again after the
    // first question, as only a modified document is asked about.
    void asksBeforeSaving()
    {
        QFETCH(int, answer);
        storeAutoSave(QStringLiteral("3 3 1 1"));
        CAutoSaveTimers::SetMillisecondsPerSecond(100);
        CNYOView *view = openFile("doc");
        QVERIFY(view);
        view->SetSel(3, 3);
        view->ReplaceSel(QStringLiteral("X"));
        QStringList seen;
        MsgBox::setResponder([&](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon icon) {
            const bool yesNo = buttons == MsgBox::Buttons::YesNo && icon == MsgBox::Icon::None;
            seen.append(caption + u'/' + text + (yesNo ? " yes/no; " : "; ") + ::timing(view));
            return answer;
        });
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 5000);
        view->SetSel(4, 4);
        view->ReplaceSel(QStringLiteral("Y"));
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 5000);
        QCOMPARE(seen, QStringList(2, "確認/保存しますか yes/no; every 3, lead 1, ask 1; save -, warn -; warned"));
        QTEST(readFile(m_path), "saved");
        QCOMPARE(view->GetDocument()->IsModified(), answer == MsgBox::IDNO);
        recordBoxes();
    }

    void leavesOtherProgramsChangesAlone_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("typed");      // "X" typed at the start
        QTest::addColumn<QString>("outside");  // what another program does: "", "changed", "deleted"
        QTest::addColumn<int>("answer");      // to the question before overwriting
        QTest::addColumn<QByteArray>("onDisk");  // "<none>": no file
        QTest::addColumn<QStringList>("told");   // what the boxes were about, over several intervals
        const int yes = MsgBox::IDYES, no = MsgBox::IDNO;
        const QStringList none, asked{"overwrite?"}, gone{"gone"};
        QTest::newRow("unmodified, never rewritten") << 2 << false << "" << no << QByteArray("doc") << none;
        QTest::newRow("unmodified, never asked") << 3 << false << "" << no << QByteArray("doc") << none;
        QTest::newRow("unmodified, changed outside") << 2 << false << "changed" << no << QByteArray("changed outside") << none;
        QTest::newRow("unmodified, deleted") << 2 << false << "deleted" << no << QByteArray("<none>") << none;
        QTest::newRow("modified, changed outside, kept") << 2 << true << "changed" << no << QByteArray("changed outside") << asked;
        QTest::newRow("modified, changed outside, overwritten") << 2 << true << "changed" << yes << QByteArray("Xdoc") << asked;
        QTest::newRow("modified, deleted") << 2 << true << "deleted" << yes << QByteArray("<none>") << gone;
        QTest::newRow("modified, deleted, ask mode") << 3 << true << "deleted" << yes << QByteArray("<none>") << gone;
    }
    // Auto-save writes only a modified document, never over another program's change without
    // asking (and asks once, not at every interval), and never makes a deleted file again: it
    // tells of that once. A file left alone is not even rewritten with the same bytes.
    void leavesOtherProgramsChangesAlone()
    {
        QFETCH(int, mode);
        QFETCH(bool, typed);
        QFETCH(QString, outside);
        QFETCH(int, answer);
        QFETCH(QStringList, told);
        storeAutoSave(QStringLiteral("%1 1 0 0").arg(mode));
        CAutoSaveTimers::SetMillisecondsPerSecond(30);
        CNYOView *view = openFile("doc");
        QVERIFY(view);
        // The main window's look at the files as it comes to the front is over before the
        // other program acts: what follows is auto-save's alone.
        QVERIFY(QTest::qWaitForWindowActive(mainFrame(m_app.get())));
        QCoreApplication::processEvents();
        QSignalSpy expired(view->AutoSave()->Timers(), &CAutoSaveTimers::timeout);
        if (typed)
            view->ReplaceSel(QStringLiteral("X"));
        if (outside == "changed")
            writeFile(QStringLiteral("a.txt"), "changed outside");
        else if (outside == "deleted")
            QVERIFY(QFile::remove(m_path));
        const FileIdentity before = FileIdentity::Of(m_path);
        boxes().answers = QList<int>(8, answer);  // to "保存しますか" as well
        QTRY_VERIFY_WITH_TIMEOUT(expired.count(QList<QVariant>{kSave}) >= 4, 5000);
        QStringList about;
        for (const QString &text : std::as_const(boxes().texts))
            about.append(text.contains("上書き保存しますか?") ? "overwrite?" : text.contains("削除されたか") ? "gone" : text);
        QCOMPARE(about, told);
        QTEST(QFile::exists(m_path) ? readFile(m_path) : QByteArray("<none>"), "onDisk");
        if (answer == MsgBox::IDNO || outside != "changed")
            QCOMPARE(FileIdentity::Of(m_path), before);
        QCOMPARE(view->GetDocument()->IsModified(), typed && !(outside == "changed" && answer == MsgBox::IDYES));
        QVERIFY(saveAs().proposed.isEmpty());
    }

    void untitledGetsSaveAsEveryInterval_data()
    {
        QTest::addColumn<QString>("firstAnswer");  // "" = Cancel
        QTest::addColumn<qsizetype>("boxes");
        QTest::newRow("cancelled") << QString() << qsizetype(0);
        QTest::newRow("failed save") << QStringLiteral("no such folder/b.txt") << qsizetype(1);
    }
    // Neither a cancelled nor a failed Save As stops the schedule: the next interval asks again,
    // and a name given then is used.
    void untitledGetsSaveAsEveryInterval()
    {
        QFETCH(QString, firstAnswer);
        storeAutoSave(QStringLiteral("2 2 1 0"));
        CAutoSaveTimers::SetMillisecondsPerSecond(100);
        const QString dir = scratchDir();
        m_app = startApp();  // with one untitled document
        QCOMPARE(documentCount(m_app.get()), 1);
        activeView(m_app.get())->ReplaceSel(QStringLiteral("new"));
        const QString target = dir + QStringLiteral("/b.txt");
        saveAs().names = {firstAnswer.isEmpty() ? QString() : dir + u'/' + firstAnswer, target};
        QTRY_COMPARE_WITH_TIMEOUT(saveAs().proposed.size(), 1, 5000);
        QTEST(boxes().texts.size(), "boxes");
        QVERIFY(!QFile::exists(target));
        QTRY_COMPARE_WITH_TIMEOUT(saveAs().proposed.size(), 2, 5000);
        QCOMPARE(readFile(target), QByteArray("new"));
        // With a path the next save writes the file without asking for a name.
        activeView(m_app.get())->ReplaceSel(QStringLiteral("!"));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(target), QByteArray("new!"), 5000);
        QCOMPARE(saveAs().proposed.size(), 2);
    }

    void dialog_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("outcome");  // what the dialog shows at the end, or "accepted"
        const QString notNumber = Ddx::parseUIntMessage();
        const QString intervalRange = Ddx::rangeMessage(QStringLiteral("1"), QStringLiteral("36000"));
        const QString leadRange = Ddx::rangeMessage(QStringLiteral("1"), QStringLiteral("60"));
        const QString smaller = CAutoSaveDlg::IntervalMessage();
        const auto row = [](const char *tag, const char *stored, const QString &steps, const QString &outcome,
                            const QStringList &messages = {}) {
            QTest::newRow(tag) << QString::fromLatin1(stored) << steps << messages << outcome;
        };
        // As stored: the warning's fields only with the warning, all only when on.
        row("off", "1 42 7 1", "", "checked 1000 1020; edits 42|7; grey 1002 1008 1009 1020 1021");
        row("on", "2 42 7 0", "", "checked 1001; edits 42|7; grey 1009 1021");
        row("on, warning", "2 42 7 1", "", "checked 1001 1020; edits 42|7");
        row("ask, warning", "3 42 7 1", "", "checked 1001 1008 1020; edits 42|7");
        row("unknown mode", "5 42 7 0", "", "checked 1000; edits 42|7; grey 1009 1021");
        // Clicking 1001 or 1020 reads the fields at once; a bad one is reported, and the enabling
        // still follows the check box.
        const QString bad = "type 1002 x|click 1001";
        row("on with a bad interval", "1 42 7 0", bad, "checked 1001; edits x|7; grey 1009 1021", {notNumber});
        row("then the warning", "1 42 7 0", bad + "|click 1020", "checked 1001 1020; edits x|7", {notNumber, notNumber});
        row("then off", "1 42 7 0", bad + "|click 1020|click 1000", "checked 1000 1020; edits x|7; grey 1002 1008 1009 1020 1021", {notNumber, notNumber});
        // OK checks every field, greyed or not, and the lead against the interval with the warning on.
        const QString warn = "click 1020|type 1002 ";
        row("valid", "2 42 7 0", warn + " 30\t|type 1009 10|OK", "accepted");
        row("empty interval", "2 42 7 0", warn + "|type 1009 10|OK", "checked 1001 1020; edits |10", {notNumber});
        row("negative interval", "2 42 7 0", warn + "-5|type 1009 10|OK", "checked 1001 1020; edits -5|10", {notNumber});
        row("interval 0", "2 42 7 0", warn + "0|type 1009 99|OK", "checked 1001 1020; edits 0|99", {intervalRange});
        row("interval 36001", "2 42 7 0", "type 1002 36001|OK", "checked 1001; edits 36001|7; grey 1009 1021", {intervalRange});
        row("interval beyond 32 bits", "2 42 7 0", "type 1002 4294967296|OK", "checked 1001; edits 4294967296|7; grey 1009 1021", {intervalRange});
        row("lead 61", "2 42 7 0", warn + "100|type 1009 61|OK", "checked 1001 1020; edits 100|61", {leadRange});
        row("greyed fields are checked too", "1 42 7 0", "type 1002 100|type 1009 0|OK", "checked 1000; edits 100|0; grey 1002 1008 1009 1020 1021", {leadRange});
        row("lead above interval", "2 42 7 0", warn + "5|type 1009 6|OK", "checked 1001 1020; edits 5|6", {smaller});
        row("lead equal to interval", "2 42 7 0", warn + "6|type 1009 6|OK", "accepted");
        row("lead above interval, no warning", "2 42 7 0", "type 1002 5|type 1009 6|OK", "accepted");
        row("lead above interval, off", "2 42 7 1", "click 1000|type 1002 5|type 1009 6|OK", "accepted");
    }
    void dialog()
    {
        QFETCH(QString, stored);
        QFETCH(QString, steps);
        storeAutoSave(stored);
        CAutoSaveDlg dialog;
        dialog.show();
        playDialog(&dialog, steps.split(u'|', Qt::SkipEmptyParts));
        QTEST(boxes().texts, "messages");
        QTEST(dialog.isVisible() ? dialogState(&dialog) : dialog.result() ? "accepted" : "cancelled", "outcome");
    }

    // The colour dialog starts white and belongs to the dialog that opens it; its colour is
    // stored at once and stays after Cancel.
    void colourButtonWritesAtOnce()
    {
        storeAutoSave(QStringLiteral("2 600 10 1"));
        Keys::JBK.write(0x123456);
        CAutoSaveDlg dialog;
        QColor initial;
        QWidget *owner = nullptr;
        onModal([&](QWidget *modal) {
            auto *colours = qobject_cast<QColorDialog *>(modal);
            QVERIFY(colours);
            initial = colours->currentColor();
            owner = colours->parentWidget();
            colours->setCurrentColor(QColor(0x11, 0x22, 0x33));
            colours->accept();
        });
        playDialog(&dialog, {QStringLiteral("click 1021"), QStringLiteral("Cancel")});
        QCOMPARE(initial, QColor(Qt::white));
        QCOMPARE(owner, &dialog);
        QCOMPARE(Keys::JBK.read(), 0x332211);
    }

    void commandAppliesSettings_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("stored");  // Jidou Jidou1 Jidou2 Cch
        QTest::addColumn<QString>("timing");
        const QString typed = "|type 1002 20|type 1009 4|";
        QTest::newRow("cancel") << "click 1000|Cancel" << "2 3 3 1" << "every 3, lead 3, ask 0; save -, warn -";
        QTest::newRow("off") << "click 1020|click 1000" + typed + "OK" << "1 3 3 1" << "every 0, lead 0, ask 0; save -, warn -";
        QTest::newRow("on with warning") << "click 1001" + typed + "OK" << "2 20 4 1" << "every 20, lead 4, ask 0; save 20000, warn 16000";
        QTest::newRow("ask without warning") << "click 1001" + typed + "click 1008|click 1020|OK" << "3 20 3 0" << "every 20, lead 0, ask 1; save 20000, warn -";
    }
    // The view's timers stop and its background returns before the dialog, which the main
    // window owns, shows; OK writes the settings, saves the typed text at once and arms the
    // timers; Cancel and Off leave the view without them.
    void commandAppliesSettings()
    {
        QFETCH(QString, steps);
        QFETCH(QString, timing);
        storeAutoSave(QStringLiteral("2 3 3 1"));  // the warning shows at once
        CNYOView *view = openFile("doc");
        QVERIFY(view);
        QTRY_COMPARE(background(view), kWarnRef);
        view->ReplaceSel(QStringLiteral("X"));
        QString whileOpen;
        const auto seen = [&](QWidget *dialog) { whileOpen = (dialog->parentWidget() == mainFrame(m_app.get()) ? "owned; " : "") + ::timing(view); };
        QCOMPARE(runDialog(m_app.get(), ID_SETTINGS_AUTOSAVE, steps.split(u'|'), seen), QString());
        QCOMPARE(whileOpen, QStringLiteral("owned; every 3, lead 3, ask 0; save -, warn -"));
        QTEST(storedAutoSave(), "stored");
        QCOMPARE(::timing(view), timing);
        QCOMPARE(readFile(m_path), timing.contains("save 20000") ? QByteArray("Xdoc") : QByteArray("doc"));
        QVERIFY(boxes().texts.isEmpty());
    }
};

QTEST_MAIN(TestAutoSave)
#include "tst_autosave.moc"
