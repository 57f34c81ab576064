// The colour dialog's custom colours live as long as the process: they start white, whatever
// other programs left in Qt's shared settings file, and that file is never written.
#include "platform/dialogs/colordialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestColorDialog : public QObject {
    Q_OBJECT
private slots:
    // A child process prints the first custom colour the dialog shows, adds a custom colour,
    // accepts, and ends as the program does.
    void customColoursStayInTheProcess()
    {
        QTemporaryDir config;
        QFile shared(config.filePath("QtProject.conf"));
        const QByteArray before = "[Qt]\ncustomColors\\0=4294901760\n";
        QVERIFY(shared.open(QIODevice::WriteOnly) && shared.write(before) == before.size());
        shared.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--run-colour-dialog"});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("ffffffff"));
        QVERIFY(shared.open(QIODevice::ReadOnly));
        QCOMPARE(shared.readAll(), before);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2 || qstrcmp(argv[1], "--run-colour-dialog") != 0) {
        TestColorDialog test;
        QTEST_SET_MAIN_SOURCE_PATH
        return QTest::qExec(&test, argc, argv);
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
            printf("%08x\n", QColorDialog::customColor(0).rgb());
            fflush(stdout);
            QColorDialog::setCustomColor(0, QColor(1, 2, 3));
            dialog->accept();
        }
    });
    poll.start(20);
    return ColorDialog::Choose(Qt::white, nullptr) && ColorDialog::CustomColor(0) == QColor(1, 2, 3) ? 0 : 1;
}

#include "tst_colordialog.moc"
