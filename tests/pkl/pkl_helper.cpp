#include "pkl_helper.h"

#include "pkl/pklstore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>

namespace PklHelper {

void useFreshSettings()
{
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
}

KeyFolder::KeyFolder()
{
    QDir(m_root.path()).mkpath(QStringLiteral("key"));
    QDir(m_root.path()).mkpath(QStringLiteral("outside"));
    PklStore::SetKeyDirectory(path());
}

// Read-only files must not keep the temporary folder from going.
KeyFolder::~KeyFolder()
{
    PklStore::SetKeyDirectory(QString());
    for (const QString &name : names())
        QFile::setPermissions(path() + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString KeyFolder::path() const { return m_root.path() + QStringLiteral("/key/"); }
QString KeyFolder::outside() const { return m_root.path() + QStringLiteral("/outside/"); }

QByteArray unescape(const QString &text)
{
    QByteArray out;
    const QByteArray in = text.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out.append(in[i]);
        } else if (const char c = in[++i]; c == 'x') {
            out.append(char(in.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            out.append(c == 'r' ? '\r' : c == 'n' ? '\n' : c == '0' ? '\0' : c);
        }
    }
    return out;
}

void KeyFolder::setUp(const QString &items)
{
    for (const QString &item : items.split(u'|', Qt::SkipEmptyParts)) {
        const QString file = path() + item.chopped(1);
        if (const qsizetype eq = item.indexOf(u'='); eq > 0) {
            QFile out(path() + item.left(eq));
            if (!out.open(QIODevice::WriteOnly) || out.write(unescape(item.mid(eq + 1))) < 0)
                qFatal("cannot write %s", qPrintable(out.fileName()));
        } else if (item == u"-") {
            QDir(path()).removeRecursively();
        } else if (item.endsWith(u'/')) {
            QDir().mkpath(file);
        } else if (item.endsWith(u'~')) {
            setUp(item.chopped(1) + QStringLiteral("=ro"));
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (item.endsWith(u'>')) {
            QFile::link(m_root.path() + QStringLiteral("/nowhere"), file);
        }
    }
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
    QObject::connect(timer, &QTimer::timeout, [timer, handler, deadline = QDeadlineTimer(10000)] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!shown && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!shown)
            return;
        handler(shown);
        if (auto *dialog = qobject_cast<QDialog *>(shown); dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start(20);
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

void clickItem(QListWidget *list, const QString &text, bool twice)
{
    const QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    if (!item)
        qFatal("no item %s", qPrintable(text));
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace PklHelper
