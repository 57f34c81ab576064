// The whole program's road for a large file: File-Open through the document template into a
// new document window until its first screen is painted, then Save through the command.
#include "benchtext.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/commandrouter.h"
#include "platform/mdichildwnd.h"
#include "res/resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {
long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Counts the paints of a view's text area.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir env;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(env.path()));
    QApplication application(argc, argv);
    CNYOApp app({QStringLiteral("NYO")});
    if (!app.InitInstance())
        return 1;
    app.MainFrame()->resize(1000, 700);
    QApplication::processEvents();

    const QString path = env.filePath(QStringLiteral("big.txt"));
    {
        const QByteArray bytes = makeText("\r\n", false);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    PaintCounter counter;
    QElapsedTimer timer;
    timer.start();
    app.OpenDocumentFile(path);
    auto *view = static_cast<CNYOView *>(app.MainFrame()->MDIGetActive()->GetActiveView());
    view->viewport()->installEventFilter(&counter);
    view->viewport()->update();
    while (counter.paints == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double openMs = timer.nsecsElapsed() / 1e6;

    view->moveCursor(QTextCursor::End);
    view->insertPlainText(QStringLiteral("追記"));
    timer.restart();
    app.MainFrame()->Router()->Execute(ID_FILE_SAVE);
    const double saveMs = timer.nsecsElapsed() / 1e6;

    std::printf("File-Open of a 16 MiB CP932 file with CR LF to the first painted screen: %.0f ms\n", openMs);
    std::printf("Save of the edited document (atomic, through the Save command): %.0f ms\n", saveMs);
    std::printf("characters: %lld, modified after save: %s\n", (long long)view->GetTextLength(),
                view->GetModify() ? "yes" : "no");
    std::printf("peak RSS: %ld KiB\n", peakRssKiB());
    app.MainFrame()->close();
    return app.ExitInstance(0);
}
