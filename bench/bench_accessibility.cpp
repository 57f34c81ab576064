// What telling a screen reader of each edit costs a keystroke: letters typed at the end of the
// 16 MiB file with wrap on, while none listens and while one does (a listener that takes every
// event and drops it: the platform bridge's own work not counted); and the check whether one
// listens, which is all an edit pays while none does. The repaint, which the events do not
// change, is left out so that the difference shows above the noise.
#include "bench/benchapp.h"
#include "benchtext.h"
#include "besttime.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/framework/mdichildwnd.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <cstdio>

namespace {
constexpr int kKeys = 2000;

// Whether a screen reader listens, as the platform's bridge tells it.
void setListening(bool on)
{
    if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(on);
}

void dropEvent(QAccessibleEvent *) {}
} // namespace

int main(int argc, char *argv[])
{
    BenchApp bench(argc, argv);
    if (!bench.start())
        return 1;
    CNYOApp &app = bench.app();

    auto *view = static_cast<CNYOView *>(bench.openGenerated());
    if (!view)
        return 1;
    QApplication::processEvents();
    const auto key = [view](Qt::Key k, Qt::KeyboardModifiers modifiers, const QString &text) {
        QKeyEvent event(QEvent::KeyPress, k, modifiers, text);
        QApplication::sendEvent(view, &event);
        view->viewport()->repaint();
    };
    key(Qt::Key_End, Qt::ControlModifier, QString());
    key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));  // the file may end inside a character

    const auto typing = [view] {
        for (int i = 0; i < kKeys; ++i) {
            QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QApplication::sendEvent(view, &event);
        }
    };
    QAccessible::installUpdateHandler(&dropEvent);
    // The two in turns, so that both meet the text at much the same length.
    double quietMs = 1e9, listenedMs = 1e9;
    for (int round = 0; round < 5; ++round) {
        setListening(false);
        quietMs = std::min(quietMs, bestMs(typing, {}, 1) / kKeys);
        setListening(true);
        listenedMs = std::min(listenedMs, bestMs(typing, {}, 1) / kKeys);
    }
    setListening(false);
    QAccessible::installUpdateHandler(nullptr);

    // Once per edit while none listens.
    constexpr int checks = 1000000;
    volatile bool listening = false;
    const double checkMs = bestMs([&listening] {
        for (int i = 0; i < checks; ++i)
            listening = QAccessible::isActive();
    }) / checks;

    std::printf("A typed character at the end of the file, wrap on, without its repaint: %.4f ms while no screen "
                "reader listens, %.4f ms while one does (%+.4f ms for the events)\n",
                quietMs, listenedMs, listenedMs - quietMs);
    std::printf("What an edit pays for the events while none listens (the check whether one does): %.6f ms\n",
                checkMs);
    view->SetModify(false);  // closes without asking to save
    return bench.exit();
}
