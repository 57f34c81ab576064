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
    QDir(m_root.path()).mkpath(QStringLiteral("outside"));
    QDir(m_root.path()).mkpath(QStringLiteral("key"));
    PklStore::SetKeyDirectory(path());
}

KeyFolder::~KeyFolder() { PklStore::SetKeyDirectory(QString()); }
QString KeyFolder::path() const { return m_root.path() + QStringLiteral("/key/"); }

void KeyFolder::setUp(const QString &items)
{
    for (const QString &item : items.split(u'|', Qt::SkipEmptyParts)) {
        const QString file = path() + item.chopped(1);
        if (item == u"-") {
            QDir(path()).removeRecursively();
        } else if (item.endsWith(u'/')) {
            QDir().mkpath(file);
        } else if (item.endsWith(u'>')) {
            QFile::link(m_root.path() + QStringLiteral("/nowhere"), file);
        } else {
            const bool readOnly = !item.contains(u'=');
            QFile out(readOnly ? file : path() + item.section(u'=', 0, 0));
            if (!out.open(QIODevice::WriteOnly) || out.write(readOnly ? "ro" : unescape(item.section(u'=', 1))) < 0)
                qFatal("cannot write %s", qPrintable(out.fileName()));
            if (readOnly)
                out.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
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
    return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

Boxes &boxes() { static Boxes b; return b; }

void recordBoxes()
{
    boxes() = Boxes();
    MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon) {
        boxes().shown.append((caption.isEmpty() ? MsgBox::defaultCaption() : caption) + QStringLiteral(": ") + text);
        const int otherwise = buttons == MsgBox::Buttons::Ok ? MsgBox::IDOK : MsgBox::IDNO;
        return boxes().answers.isEmpty() ? otherwise : boxes().answers.takeFirst();
    });
}

void onModal(std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handler, deadline = QDeadlineTimer(10000)] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!shown && !deadline.hasExpired())
            return;
        timer->deleteLater();
        timer->stop();
        if (shown)
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
