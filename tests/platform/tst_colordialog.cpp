// The colour dialog's custom colours live as long as the process: they start white, whatever
// other programs left in Qt's shared settings file, and that file is never written.
#include "platform/colordialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const char kChildSwitch[] = "--run-colour-dialog";

// The child process: prints the first custom colour the dialog shows, adds a custom colour,
// accepts, and ends as the program does.
int runColourDialog()
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        printf("%08x\n", QColorDialog::customColor(0).rgb());
        fflush(stdout);
        QColorDialog::setCustomColor(0, QColor(1, 2, 3));
        dialog->accept();
    });
    poll.start(20);
    const std::optional<QColor> chosen = ColorDialog::Choose(Qt::white, nullptr);
    return chosen && ColorDialog::CustomColor(0) == QColor(1, 2, 3) ? 0 : 1;
}

} // namespace

class TestColorDialog : public QObject {
    Q_OBJECT
private slots:
    void customColoursStayInTheProcess();
};

void TestColorDialog::customColoursStayInTheProcess()
{
    QTemporaryDir config;
    QVERIFY(config.isValid());
    const QString shared = config.filePath(QStringLiteral("QtProject.conf"));
    const QByteArray before = "[Qt]\ncustomColors\\0=4294901760\n";
    {
        QFile file(shared);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kChildSwitch)});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("ffffffff"));
    QFile file(shared);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], kChildSwitch) == 0)
        return runColourDialog();
    TestColorDialog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_colordialog.moc"
