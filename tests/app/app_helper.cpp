#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"
#include "settings/keyindex.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace AppHelper {
namespace {
std::unique_ptr<QTemporaryDir> g_env, g_scratch;
} // namespace

void useFreshEnvironment()
{
    g_env = std::make_unique<QTemporaryDir>();
    for (const auto &[variable, name] : {std::pair{"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "runtime"},
                                         {"HOME", "home"}, {"XDG_DATA_HOME", "data"},
                                         {"XDG_STATE_HOME", "state"}}) {
        const QString path = g_env->filePath(QString::fromLatin1(name));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, QFile::encodeName(path));
    }
    scratchDir();
    recordBoxes();
    recordSaveAs();
}

QString scratchDir()
{
    g_scratch = std::make_unique<QTemporaryDir>();
    return g_scratch->path();
}

QString writeFile(const QString &name, const QByteArray &bytes)
{
    if (!g_scratch)
        scratchDir();
    const QString path = g_scratch->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Boxes &boxes()
{
    static Boxes b;
    return b;
}

void recordBoxes()
{
    boxes() = Boxes();
    MsgBox::setResponder([](const QString &text, const QString &, MsgBox::Buttons buttons, MsgBox::Icon) {
        boxes().texts.append(text);
        boxes().buttons.append(int(buttons));
        if (!boxes().answers.isEmpty())
            return boxes().answers.takeFirst();
        return buttons == MsgBox::Buttons::Ok ? int(MsgBox::IDOK) : int(MsgBox::IDCANCEL);
    });
}

SaveAs &saveAs()
{
    static SaveAs s;
    return s;
}

void recordSaveAs()
{
    saveAs() = SaveAs();
    RichEditDoc::SetSaveAsPrompt([](const QString &proposed) {
        saveAs().proposed.append(proposed);
        return saveAs().names.isEmpty() ? QString() : saveAs().names.takeFirst();
    });
}

namespace {
// Runs handler on the widget find() gives as soon as there is one, for ten seconds at most.
void whenShown(QWidget *(*find)(), std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, deadline = QDeadlineTimer(10000), find, handler] {
        QWidget *shown = find();
        if (!shown && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (shown)
            handler(shown);
    });
    timer->start(20);
}
} // namespace

void onModal(std::function<void(QWidget *)> handler) { whenShown(&QApplication::activeModalWidget, std::move(handler)); }
void onPopup(std::function<void(QWidget *)> handler) { whenShown(&QApplication::activePopupWidget, std::move(handler)); }

void playDialog(QWidget *dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString verb = step.section(u' ', 0, 0);
        const QString id = verb == QLatin1String("OK")       ? QStringLiteral("IDOK")
                           : verb == QLatin1String("Cancel") ? QStringLiteral("IDCANCEL")
                                                             : step.section(u' ', 1, 1);
        auto *edit = dialog->findChild<QLineEdit *>(id);
        auto *button = dialog->findChild<QAbstractButton *>(id);
        if (verb == QLatin1String("type") && edit)
            edit->setText(step.section(u' ', 2));
        else if ((verb == QLatin1String("click") || id.startsWith(QLatin1String("ID"))) && button)
            button->click();
        else
            qFatal("cannot play \"%s\"", qPrintable(step));
    }
}

QString runDialog(CNYOApp *app, int command, const QStringList &steps, const std::function<void(QWidget *)> &seen)
{
    // Shared, as the handler may outlive this call when no dialog comes.
    const auto end = std::make_shared<QString>(QStringLiteral("no dialog"));
    onModal([end, steps, seen](QWidget *dialog) {
        if (seen)
            seen(dialog);
        playDialog(dialog, steps);
        end->clear();
        if (dialog->isVisible()) {
            QWidget *focus = dialog->focusWidget();
            *end = QStringLiteral("still open at ") + (focus ? focus->objectName() : QString());
            QMetaObject::invokeMethod(dialog, "reject");
        }
    });
    return execute(app, command) ? *end : QStringLiteral("refused");
}

QString dialogState(QWidget *dialog)
{
    QMap<int, QWidget *> controls;
    for (QWidget *control : dialog->findChildren<QWidget *>()) {
        bool numeric = false;
        if (const int id = control->objectName().toInt(&numeric); numeric)
            controls.insert(id, control);
    }
    QStringList checked, edits, grey;
    for (auto it = controls.cbegin(); it != controls.cend(); ++it) {
        if (auto *button = qobject_cast<QAbstractButton *>(it.value()); button && button->isChecked())
            checked.append(QString::number(it.key()));
        if (auto *edit = qobject_cast<QLineEdit *>(it.value()))
            edits.append(edit->text());
        if (!it.value()->isEnabled())
            grey.append(QString::number(it.key()));
    }
    QStringList parts;
    for (const auto &[name, list, separator] : {std::tuple{"checked ", checked, u' '}, {"edits ", edits, u'|'}, {"grey ", grey, u' '}})
        if (!list.isEmpty())
            parts.append(QLatin1String(name) + list.join(separator));
    return parts.join(QStringLiteral("; "));
}

QRect storedFrame()
{
    const int left = Keys::FrameLeft.read(), top = Keys::FrameTop.read();
    return QRect(left, top, Keys::FrameRight.read() - left, Keys::FrameBottom.read() - top);
}

void storeFrame(const QRect &edges)
{
    Keys::FrameLeft.write(edges.left());
    Keys::FrameTop.write(edges.top());
    Keys::FrameRight.write(edges.left() + edges.width());
    Keys::FrameBottom.write(edges.top() + edges.height());
}

std::unique_ptr<CNYOApp> startApp(const QStringList &files)
{
    auto app = std::make_unique<CNYOApp>(QStringList{QStringLiteral("NYO")} + files);
    if (!app->InitInstance())
        return nullptr;
    QCoreApplication::processEvents();
    return app;
}

void stopApp(std::unique_ptr<CNYOApp> &app)
{
    if (!app)
        return;
    boxes().answers = QList<int>(64, MsgBox::IDNO);
    app->MainFrame()->close();
    app->ExitInstance(0);
    app.reset();
    boxes().answers.clear();
}

CMainFrame *mainFrame(CNYOApp *app) { return app->MainFrame(); }

CNYOView *activeView(CNYOApp *app)
{
    MDIChildWnd *child = app->MainFrame()->MDIGetActive();
    return child ? static_cast<CNYOView *>(child->GetActiveView()) : nullptr;
}

CNYODoc *activeDoc(CNYOApp *app)
{
    CNYOView *view = activeView(app);
    return view ? view->GetDocument() : nullptr;
}

int documentCount(CNYOApp *app)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return int(app->GetDocTemplate()->GetDocuments().size());
}

bool execute(CNYOApp *app, int id) { return app->MainFrame()->Router()->Execute(id); }
bool enabled(CNYOApp *app, int id) { return app->MainFrame()->Router()->QueryState(id).enabled(); }

} // namespace AppHelper
