#include "pkl_helper.h"

#include "pkl/pklstore.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

namespace PklHelper {
namespace {
std::unique_ptr<QTemporaryDir> g_settings;
} // namespace

void useFreshSettings()
{
    g_settings = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_settings->path()));
}

KeyFolder::KeyFolder() : m_root(std::make_unique<QTemporaryDir>())
{
    QDir(m_root->path()).mkpath(QStringLiteral("key"));
    QDir(m_root->path()).mkpath(QStringLiteral("outside"));
    PklStore::SetKeyDirectory(path());
}

KeyFolder::~KeyFolder()
{
    PklStore::SetKeyDirectory(QString());
    // Read-only files and folders must not keep the temporary folder from going.
    for (const QString &name : names())
        QFile::setPermissions(path() + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString KeyFolder::path() const
{
    return m_root->path() + QStringLiteral("/key/");
}

QString KeyFolder::outside() const
{
    return m_root->path() + QStringLiteral("/outside/");
}

QByteArray unescape(const QString &text)
{
    QByteArray out;
    const QByteArray in = text.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out.append(in[i]);
            continue;
        }
        const char c = in[++i];
        if (c == 'r')
            out.append('\r');
        else if (c == 'n')
            out.append('\n');
        else if (c == '0')
            out.append('\0');
        else if (c == 'x' && i + 2 < in.size()) {
            out.append(char(in.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else
            out.append(c);
    }
    return out;
}

void KeyFolder::setUp(const QString &items)
{
    for (const QString &item : items.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq > 0) {
            QFile file(path() + item.left(eq));
            if (!file.open(QIODevice::WriteOnly) || file.write(unescape(item.mid(eq + 1))) < 0)
                qFatal("cannot write %s", qPrintable(file.fileName()));
        } else if (item.endsWith(u'/')) {
            QDir().mkpath(path() + item);
        } else if (item.endsWith(u'~')) {
            const QString file = path() + item.chopped(1);
            setUp(item.chopped(1) + QStringLiteral("=ro"));
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (item.endsWith(u'>')) {
            QFile::link(m_root->path() + QStringLiteral("/nowhere"), path() + item.chopped(1));
        }
    }
}

void KeyFolder::remove()
{
    QDir(path()).removeRecursively();
}

bool KeyFolder::has(const QString &name) const
{
    return QFileInfo(path() + name).exists() || QFileInfo(path() + name).isSymLink();
}

QByteArray KeyFolder::bytes(const QString &name) const
{
    QFile file(path() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList KeyFolder::names() const
{
    QStringList all = QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    all.sort();
    return all;
}

Boxes &boxes()
{
    static Boxes b;
    return b;
}

void recordBoxes()
{
    boxes() = Boxes();
    MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon) {
        boxes().shown.append((caption.isEmpty() ? MsgBox::defaultCaption() : caption) + QStringLiteral(": ") + text);
        if (!boxes().answers.isEmpty())
            return boxes().answers.takeFirst();
        return buttons == MsgBox::Buttons::Ok ? int(MsgBox::IDOK) : int(MsgBox::IDNO);
    });
}

void onModal(std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    auto *elapsed = new QElapsedTimer;
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, handler] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!shown && elapsed->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (!shown)
            return;
        handler(shown);
        if (auto *dialog = qobject_cast<QDialog *>(shown); dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start(20);
}

} // namespace PklHelper
