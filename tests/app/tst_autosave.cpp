// Auto-save: the snapshot a view takes, the timeline of saves and warnings, and the settings
// dialog with its command. Timer periods run at a test scale of milliseconds per second.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "autosave/autosavedlg.h"
#include "autosave/autosavetimers.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/colorref.h"
#include "platform/ddx.h"
#include "platform/msgbox.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace AppHelper;

namespace {

constexpr int kSave = CAutoSaveTimers::ID_TIMER_AUTOSAVE;
constexpr int kWarn = CAutoSaveTimers::ID_TIMER_WARNING;
constexpr uint32_t kWarnRef = 0x0000FF;  // red
constexpr uint32_t kNormalRef = 0xFFFFFF;

void storeAutoSave(int mode, const char *interval, const char *lead, int cch)
{
    Keys::Jidou.write(mode);
    Keys::Jidou1.write(QByteArray(interval).toInt());
    Keys::Jidou2.write(QByteArray(lead).toInt());
    Keys::Cch.write(cch);
}

uint32_t background(CNYOView *view)
{
    return RefFromColor(view->palette().color(QPalette::Base));
}

template <typename W>
W *child(QWidget *dialog, int id)
{
    return dialog->findChild<W *>(QString::number(id));
}

} // namespace

class TestAutoSave : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void snapshotArmsTimers_data();
    void snapshotArmsTimers();
    void savesOnSchedule_data();
    void savesOnSchedule();
    void asksBeforeSaving_data();
    void asksBeforeSaving();
    void untitledGetsSaveAsEveryInterval_data();
    void untitledGetsSaveAsEveryInterval();
    void dialogShowsStoredSettings_data();
    void dialogShowsStoredSettings();
    void dialogChecksFields_data();
    void dialogChecksFields();
    void dialogChecksOnClick();
    void colourButtonWritesAtOnce();
    void commandAppliesSettings_data();
    void commandAppliesSettings();

private:
    CNYOView *openFile(const QByteArray &bytes);

    std::unique_ptr<CNYOApp> m_app;
    QString m_path;
};

void TestAutoSave::init()
{
    useFreshEnvironment();
    recordBoxes();
    recordSaveAs();
    CAutoSaveTimers::SetMillisecondsPerSecond(1000);
    Keys::JBK.write(int32_t(kWarnRef));
}

void TestAutoSave::cleanup()
{
    stopApp(m_app);
    CAutoSaveTimers::SetMillisecondsPerSecond(1000);
}

// Starts the program on a file holding bytes; the view takes the settings stored now.
CNYOView *TestAutoSave::openFile(const QByteArray &bytes)
{
    scratchDir();
    m_path = writeFile(QStringLiteral("a.txt"), bytes);
    m_app = startApp({m_path});
    return m_app ? activeView(m_app.get()) : nullptr;
}

void TestAutoSave::snapshotArmsTimers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("interval");
    QTest::addColumn<QByteArray>("lead");
    QTest::addColumn<int>("cch");
    QTest::addColumn<int>("saveMs");   // -1: not running
    QTest::addColumn<int>("warnMs");   // -1: not running
    QTest::addColumn<int>("ask");
    QTest::newRow("off") << 1 << QByteArray("5") << QByteArray("2") << 1 << -1 << -1 << 0;
    QTest::newRow("unknown mode is off") << 4 << QByteArray("5") << QByteArray("2") << 1 << -1 << -1 << 0;
    QTest::newRow("on, no warning") << 2 << QByteArray("5") << QByteArray("2") << 0 << 5000 << -1 << 0;
    QTest::newRow("on, warning") << 2 << QByteArray("5") << QByteArray("2") << 1 << 5000 << 3000 << 0;
    QTest::newRow("ask, any flag but 0 warns") << 3 << QByteArray("600") << QByteArray("10") << 7 << 600000 << 590000 << 1;
    QTest::newRow("interval 0 counts as 1") << 2 << QByteArray("0") << QByteArray("0") << 0 << 1000 << -1 << 0;
    QTest::newRow("lead above interval warns at once") << 2 << QByteArray("2") << QByteArray("5") << 1 << 2000 << 0 << 0;
}

void TestAutoSave::snapshotArmsTimers()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, interval);
    QFETCH(QByteArray, lead);
    QFETCH(int, cch);
    QFETCH(int, saveMs);
    QFETCH(int, warnMs);
    QFETCH(int, ask);
    // Stored as text, so that a value the dialog would refuse reaches the view.
    storeAutoSave(mode, "0", "0", cch);
    Keys::Jidou1.write(interval.toInt());
    Keys::Jidou2.write(lead.toInt());
    CAutoSaveTimers::SetMillisecondsPerSecond(1000);
    CNYOView *view = openFile("x");
    QVERIFY(view);
    CAutoSaveTimers *timers = view->AutoSaveTimers();
    QCOMPARE(timers->IsActive(kSave), saveMs >= 0);
    if (saveMs >= 0)
        QCOMPARE(timers->Interval(kSave), saveMs);
    if (warnMs != 0) {
        QCOMPARE(timers->IsActive(kWarn), warnMs >= 0);
        if (warnMs > 0)
            QCOMPARE(timers->Interval(kWarn), warnMs);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(background(view), kWarnRef, 2000);
    }
    QCOMPARE(view->AskSave(), ask);
}

void TestAutoSave::savesOnSchedule_data()
{
    QTest::addColumn<int>("cch");
    QTest::addColumn<QByteArray>("lead");
    QTest::newRow("no warning") << 0 << QByteArray("2");
    QTest::newRow("warning 2 s before") << 1 << QByteArray("2");
    QTest::newRow("lead equal to interval") << 1 << QByteArray("5");
}

// An unchanged document is written again every interval; the warning comes before the save
// and the normal background comes back with it.
void TestAutoSave::savesOnSchedule()
{
    QFETCH(int, cch);
    QFETCH(QByteArray, lead);
    const bool warns = cch != 0;
    const bool atOnce = lead == "5";
    storeAutoSave(2, "5", lead.constData(), cch);
    CAutoSaveTimers::SetMillisecondsPerSecond(atOnce ? 60 : 100);
    CNYOView *view = openFile("doc");
    QVERIFY(view);
    for (int cycle = 0; cycle < 2; ++cycle) {
        writeFile(QStringLiteral("a.txt"), "changed outside");
        if (warns)
            QTRY_COMPARE_WITH_TIMEOUT(background(view), kWarnRef, 3000);
        if (warns && !atOnce)
            QCOMPARE(readFile(m_path), QByteArray("changed outside"));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(m_path), QByteArray("doc"), 3000);
        if (!atOnce)
            QCOMPARE(background(view), kNormalRef);
        QVERIFY(view->AutoSaveTimers()->IsActive(kSave));
    }
    QVERIFY(boxes().texts.isEmpty());
    QVERIFY(!view->GetDocument()->IsModified());
}

void TestAutoSave::asksBeforeSaving_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("yes") << int(MsgBox::IDYES) << QByteArray("docX");
    QTest::newRow("no") << int(MsgBox::IDNO) << QByteArray("doc");
}

// The question comes with both timers stopped and the warning still showing; the save and
// the restored background follow only after it.
void TestAutoSave::asksBeforeSaving()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, saved);
    storeAutoSave(3, "3", "1", 1);
    CAutoSaveTimers::SetMillisecondsPerSecond(100);
    CNYOView *view = openFile("doc");
    QVERIFY(view);
    view->SetSel(3, 3);
    view->ReplaceSel(QStringLiteral("X"));
    struct Seen { QString text, caption; MsgBox::Buttons buttons; MsgBox::Icon icon; bool timers; uint32_t bg; };
    QList<Seen> seen;
    MsgBox::setResponder([&](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon icon) {
        CAutoSaveTimers *t = view->AutoSaveTimers();
        seen.append({text, caption, buttons, icon, t->IsActive(kSave) || t->IsActive(kWarn), background(view)});
        return answer;
    });
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 5000);
    for (const Seen &s : seen) {
        QCOMPARE(s.text, QStringLiteral("保存しますか"));
        QCOMPARE(s.caption, QStringLiteral("確認"));
        QCOMPARE(s.buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(s.icon, MsgBox::Icon::None);
        QVERIFY(!s.timers);
        QCOMPARE(s.bg, kWarnRef);
    }
    QCOMPARE(readFile(m_path), saved);
    QCOMPARE(view->GetDocument()->IsModified(), answer == MsgBox::IDNO);
    recordBoxes();
}

void TestAutoSave::untitledGetsSaveAsEveryInterval_data()
{
    QTest::addColumn<QString>("firstAnswer");  // "" = Cancel
    QTest::addColumn<bool>("fails");
    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("failed save") << QStringLiteral("no such folder/b.txt") << true;
}

// Neither a cancelled nor a failed Save As stops the schedule: the next interval asks again,
// and a name given then is used.
void TestAutoSave::untitledGetsSaveAsEveryInterval()
{
    QFETCH(QString, firstAnswer);
    QFETCH(bool, fails);
    storeAutoSave(2, "2", "1", 0);
    CAutoSaveTimers::SetMillisecondsPerSecond(100);
    const QString dir = scratchDir();
    m_app = startApp();  // with one untitled document
    QVERIFY(m_app);
    QCOMPARE(documentCount(m_app.get()), 1);
    CNYOView *view = activeView(m_app.get());
    view->ReplaceSel(QStringLiteral("new"));
    const QString target = dir + QStringLiteral("/b.txt");
    saveAs().names = {firstAnswer.isEmpty() ? QString() : dir + u'/' + firstAnswer, target};
    QTRY_COMPARE_WITH_TIMEOUT(saveAs().proposed.size(), 1, 5000);
    QCOMPARE(boxes().texts.size(), fails ? 1 : 0);
    QVERIFY(!QFile::exists(target));
    QTRY_COMPARE_WITH_TIMEOUT(saveAs().proposed.size(), 2, 5000);
    QCOMPARE(readFile(target), QByteArray("new"));
    // With a path the next save writes the file without asking for a name.
    writeFile(QStringLiteral("b.txt"), "outside");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(target), QByteArray("new"), 5000);
    QCOMPARE(saveAs().proposed.size(), 2);
}

void TestAutoSave::dialogShowsStoredSettings_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("cch");
    QTest::addColumn<QString>("checked");  // ids of checked buttons
    QTest::addColumn<QString>("enabled");  // ids of enabled fields among 1002 1008 1020 1009 1021
    QTest::newRow("off") << 1 << 1 << "1000 1020" << "";
    QTest::newRow("on") << 2 << 0 << "1001" << "1002 1008 1020";
    QTest::newRow("on, warning") << 2 << 1 << "1001 1020" << "1002 1008 1020 1009 1021";
    QTest::newRow("ask, warning") << 3 << 1 << "1001 1008 1020" << "1002 1008 1020 1009 1021";
    QTest::newRow("unknown mode") << 5 << 0 << "1000" << "1002 1008 1020";
}

void TestAutoSave::dialogShowsStoredSettings()
{
    QFETCH(int, mode);
    QFETCH(int, cch);
    QFETCH(QString, checked);
    QFETCH(QString, enabled);
    storeAutoSave(mode, "42", "7", cch);
    CAutoSaveDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("設定－自動保存"));
    QCOMPARE(child<QLineEdit>(&dialog, 1002)->text(), QStringLiteral("42"));
    QCOMPARE(child<QLineEdit>(&dialog, 1009)->text(), QStringLiteral("7"));
    for (int id : {1000, 1001, 1008, 1020})
        QCOMPARE(child<QAbstractButton>(&dialog, id)->isChecked(), checked.split(u' ').contains(QString::number(id)));
    for (int id : {1002, 1008, 1020, 1009, 1021})
        QCOMPARE(child<QWidget>(&dialog, id)->isEnabled(), enabled.split(u' ').contains(QString::number(id)));
}

void TestAutoSave::dialogChecksFields_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("message");  // empty: accepted
    const QString notNumber = Ddx::parseUIntMessage();
    const QString intervalRange = Ddx::rangeMessage(QStringLiteral("1"), QStringLiteral("36000"));
    const QString leadRange = Ddx::rangeMessage(QStringLiteral("1"), QStringLiteral("60"));
    const QString smaller = CAutoSaveDlg::IntervalMessage();
    QTest::newRow("valid") << true << true << " 30\t" << "10" << "";
    QTest::newRow("empty interval") << true << true << "" << "10" << notNumber;
    QTest::newRow("negative interval") << true << true << "-5" << "10" << notNumber;
    QTest::newRow("interval 0") << true << true << "0" << "99" << intervalRange;
    QTest::newRow("interval 36001") << true << false << "36001" << "10" << intervalRange;
    QTest::newRow("lead 61") << true << true << "100" << "61" << leadRange;
    QTest::newRow("disabled fields are checked too") << false << false << "100" << "0" << leadRange;
    QTest::newRow("lead above interval") << true << true << "5" << "6" << smaller;
    QTest::newRow("lead equal to interval") << true << true << "6" << "6" << "";
    QTest::newRow("lead above interval, no warning") << true << false << "5" << "6" << "";
    QTest::newRow("lead above interval, off") << false << true << "5" << "6" << "";
}

void TestAutoSave::dialogChecksFields()
{
    QFETCH(bool, on);
    QFETCH(bool, colour);
    QFETCH(QString, interval);
    QFETCH(QString, lead);
    QFETCH(QString, message);
    storeAutoSave(2, "600", "10", 0);
    CAutoSaveDlg dialog;
    child<QRadioButton>(&dialog, on ? 1001 : 1000)->click();
    child<QLineEdit>(&dialog, 1002)->setText(interval);
    child<QLineEdit>(&dialog, 1009)->setText(lead);
    child<QCheckBox>(&dialog, 1020)->setChecked(colour);
    boxes().texts.clear();
    dialog.accept();
    QCOMPARE(boxes().texts, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(dialog.result(), message.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (message.isEmpty())
        QCOMPARE(dialog.m_nSaveMode, on ? 2 : 1);
}

// Clicking 1001 or 1020 reads the fields at once; a bad one is reported, and the enabling
// still follows the check box.
void TestAutoSave::dialogChecksOnClick()
{
    storeAutoSave(1, "600", "10", 0);
    CAutoSaveDlg dialog;
    child<QLineEdit>(&dialog, 1002)->setText(QStringLiteral("x"));
    child<QRadioButton>(&dialog, 1001)->click();
    QCOMPARE(boxes().texts, QStringList{Ddx::parseUIntMessage()});
    QVERIFY(child<QLineEdit>(&dialog, 1002)->isEnabled());
    QVERIFY(!child<QLineEdit>(&dialog, 1009)->isEnabled());
    child<QCheckBox>(&dialog, 1020)->click();
    QCOMPARE(boxes().texts.size(), 2);
    QVERIFY(child<QLineEdit>(&dialog, 1009)->isEnabled());
    QVERIFY(child<QPushButton>(&dialog, 1021)->isEnabled());
    child<QRadioButton>(&dialog, 1000)->click();
    QCOMPARE(boxes().texts.size(), 2);
    for (int id : {1002, 1008, 1020, 1009, 1021})
        QVERIFY(!child<QWidget>(&dialog, id)->isEnabled());
}

// The colour dialog starts white; its colour is stored at once and stays after Cancel.
void TestAutoSave::colourButtonWritesAtOnce()
{
    storeAutoSave(2, "600", "10", 1);
    Keys::JBK.write(0x123456);
    CAutoSaveDlg dialog;
    QColor initial;
    onModal([&](QWidget *modal) {
        auto *colours = qobject_cast<QColorDialog *>(modal);
        QVERIFY(colours);
        initial = colours->currentColor();
        colours->setCurrentColor(QColor(0x11, 0x22, 0x33));
        colours->accept();
    });
    child<QPushButton>(&dialog, 1021)->click();
    QCOMPARE(initial, QColor(Qt::white));
    QCOMPARE(Keys::JBK.read(), 0x332211);
    dialog.reject();
    QCOMPARE(Keys::JBK.read(), 0x332211);
}

void TestAutoSave::commandAppliesSettings_data()
{
    QTest::addColumn<QString>("choice");  // "cancel", "off", "on", "ask"
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("off") << "off";
    QTest::newRow("on with warning") << "on";
    QTest::newRow("ask without warning") << "ask";
}

// The view's timers stop and its background returns before the dialog shows; OK writes the
// settings, saves at once and arms the timers; Cancel and Off leave the view without them.
void TestAutoSave::commandAppliesSettings()
{
    QFETCH(QString, choice);
    storeAutoSave(2, "3", "3", 1);  // the warning shows at once
    CAutoSaveTimers::SetMillisecondsPerSecond(1000);
    CNYOView *view = openFile("doc");
    QVERIFY(view);
    QTRY_COMPARE(background(view), kWarnRef);
    writeFile(QStringLiteral("a.txt"), "changed outside");
    bool timersWhileOpen = true;
    uint32_t bgWhileOpen = 0;
    onModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<CAutoSaveDlg *>(modal);
        QVERIFY(dialog);
        QVERIFY(!dialog->parentWidget());
        timersWhileOpen = view->AutoSaveTimers()->IsActive(kSave) || view->AutoSaveTimers()->IsActive(kWarn);
        bgWhileOpen = background(view);
        if (choice == QLatin1String("cancel"))
            return dialog->reject();
        child<QRadioButton>(dialog, choice == QLatin1String("off") ? 1000 : 1001)->click();
        child<QLineEdit>(dialog, 1002)->setText(QStringLiteral("20"));
        child<QLineEdit>(dialog, 1009)->setText(QStringLiteral("4"));
        child<QCheckBox>(dialog, 1008)->setChecked(choice == QLatin1String("ask"));
        child<QCheckBox>(dialog, 1020)->setChecked(choice == QLatin1String("on"));
        dialog->accept();
    });
    QVERIFY(execute(m_app.get(), ID_SETTINGS_AUTOSAVE));
    QVERIFY(!timersWhileOpen);
    QCOMPARE(bgWhileOpen, kNormalRef);
    CAutoSaveTimers *timers = view->AutoSaveTimers();
    const bool on = choice == QLatin1String("on") || choice == QLatin1String("ask");
    QCOMPARE(timers->IsActive(kSave), on);
    QCOMPARE(readFile(m_path), on ? QByteArray("doc") : QByteArray("changed outside"));
    QVERIFY(boxes().texts.isEmpty());
    QCOMPARE(Keys::Jidou.read(), choice == QLatin1String("cancel") ? 2 : choice == QLatin1String("off") ? 1 : choice == QLatin1String("on") ? 2 : 3);
    QCOMPARE(Keys::Jidou1.read(), on ? 20 : 3);
    QCOMPARE(Keys::Cch.read(), choice == QLatin1String("ask") ? 0 : 1);
    QCOMPARE(Keys::Jidou2.read(), choice == QLatin1String("on") ? 4 : 3);
    QCOMPARE(view->SaveInterval(), on ? 20 : choice == QLatin1String("off") ? 0 : 3);
    QCOMPARE(view->WarnLead(), choice == QLatin1String("on") ? 4 : choice == QLatin1String("cancel") ? 3 : 0);
    QCOMPARE(view->AskSave(), choice == QLatin1String("ask") ? 1 : 0);
    if (choice == QLatin1String("on"))
        QCOMPARE(timers->Interval(kWarn), 16000);
    else
        QVERIFY(!timers->IsActive(kWarn));
}

QTEST_MAIN(TestAutoSave)
#include "tst_autosave.moc"
