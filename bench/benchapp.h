#pragma once
// The whole program as the benchmarks run it: settings, lock and recovery journals in a folder
// of its own, never the user's; the main window at 1000 x 700; files written to that folder
// and opened through the program to their first painted screen.
#include "app/mainframe.h"
#include "bench/benchtext.h"
#include "app/nyoapp.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/framework/richeditview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <sys/resource.h>

// Counts the paints of a widget it filters.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class BenchApp {
public:
    BenchApp(int &argc, char **argv)
        : m_folders(useFolders(m_env)), m_application(argc, argv), m_app({QStringLiteral("NYO")})
    {
    }

    // False when the program does not start.
    bool start()
    {
        if (!m_app.InitInstance())
            return false;
        m_app.MainFrame()->resize(1000, 700);
        QApplication::processEvents();
        return true;
    }

    CNYOApp &app() { return m_app; }
    CMainFrame *frame() { return m_app.MainFrame(); }
    QString path(const QString &name) const { return m_env.filePath(name); }

    // Writes bytes to a file of the folder; its path, or empty when it cannot be written.
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
    }

    // The generated 16 MiB text (CR LF) written to big.txt and opened to its first paint; the
    // view, or null.
    RichEditView *openGenerated()
    {
        const QString file = write(QStringLiteral("big.txt"), makeText("\r\n", false));
        return file.isEmpty() ? nullptr : openToPaint(file);
    }

    // Opens a file through the program and waits until the new window's text is painted; the
    // view, or null when no window opened. ms receives how long that took.
    RichEditView *openToPaint(const QString &file, double *ms = nullptr)
    {
        QElapsedTimer timer;
        timer.start();
        m_app.OpenDocumentFile(file);
        MDIChildWnd *child = frame()->MDIGetActive();
        auto *view = child ? static_cast<RichEditView *>(child->GetActiveView()) : nullptr;
        if (!view)
            return nullptr;
        PaintCounter counter;
        view->viewport()->installEventFilter(&counter);
        view->viewport()->update();
        while (counter.paints == 0)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        view->viewport()->removeEventFilter(&counter);
        if (ms)
            *ms = timer.nsecsElapsed() / 1e6;
        return view;
    }

    int exit()
    {
        frame()->close();
        return m_app.ExitInstance(0);
    }

    static long peakRssKiB()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    }

    // Resident memory now ("VmRSS") or at its peak ("VmHWM") as the system tells it, in KiB.
    static long statusKiB(const char *field)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray key = QByteArray(field) + ':';
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(key))
                return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
        }
        return 0;
    }
    // Sets the peak the system keeps ("VmHWM") back to the memory resident now, so that the
    // next step's peak can be read alone.
    static void restartPeak()
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }

private:
    static bool useFolders(const QTemporaryDir &env)
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.filePath(QStringLiteral("config"))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(env.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(env.filePath(QStringLiteral("state"))));
        return true;
    }

    QTemporaryDir m_env;
    bool m_folders;  // set before the application exists, which reads them
    QApplication m_application;
    CNYOApp m_app;
};

// Sends a key to a view times, each followed by the repaint it causes (of the part of the view
// it marked); the time a key took. Timers and other events wait.
inline double pressKeys(RichEditView *view, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text,
                        int times)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(view, &event);
        // The repaint it asked for, of what it marked, and nothing else of what waits.
        QCoreApplication::sendPostedEvents(view->window(), QEvent::UpdateRequest);
    }
    return timer.nsecsElapsed() / 1e6 / times;
}
