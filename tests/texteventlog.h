#pragma once
// What a widget tells assistive tools of its text, caught through QAccessible's test hook while
// the log lives, as lines: insert POS "TEXT", remove POS "TEXT", update POS "OLD" "NEW",
// caret POS, select START END; and name "NAME" when its name changes (a title, a label).
// Accessibility is active meanwhile, as when a screen reader listens: only the platform's own
// switch turns it on (a test links Qt6::GuiPrivate for it).
#include <QAccessible>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

class TextEventLog {
public:
    explicit TextEventLog(QObject *of)
    {
        target() = of;
        lines().clear();
        QAccessible::installUpdateHandler(&record);
        setListening(true);
    }
    ~TextEventLog()
    {
        setListening(false);
        QAccessible::installUpdateHandler(nullptr);
        target() = nullptr;
    }
    TextEventLog(const TextEventLog &) = delete;
    TextEventLog &operator=(const TextEventLog &) = delete;

    // The lines caught since the last call; of the text's changes only, without the caret's.
    QStringList take() { return std::exchange(lines(), {}); }
    QStringList takeChanges()
    {
        QStringList changes;
        for (const QString &line : take()) {
            if (!line.startsWith(u"caret ") && !line.startsWith(u"select ") && !line.startsWith(u"name "))
                changes << line;
        }
        return changes;
    }

    // Whether a screen reader listens, as the platform tells it.
    static void setListening(bool on)
    {
        if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
            platform->setActive(on);
    }

private:
    static QPointer<QObject> &target()
    {
        static QPointer<QObject> object;
        return object;
    }
    static QStringList &lines()
    {
        static QStringList caught;
        return caught;
    }
    static QString quoted(const QString &text) { return u'"' + text + u'"'; }

    static void record(QAccessibleEvent *event)
    {
        if (!target() || event->object() != target())
            return;
        switch (event->type()) {
        case QAccessible::TextInserted: {
            const auto *e = static_cast<QAccessibleTextInsertEvent *>(event);
            lines() << QStringLiteral("insert %1 %2").arg(e->changePosition()).arg(quoted(e->textInserted()));
            break;
        }
        case QAccessible::TextRemoved: {
            const auto *e = static_cast<QAccessibleTextRemoveEvent *>(event);
            lines() << QStringLiteral("remove %1 %2").arg(e->changePosition()).arg(quoted(e->textRemoved()));
            break;
        }
        case QAccessible::TextUpdated: {
            const auto *e = static_cast<QAccessibleTextUpdateEvent *>(event);
            lines() << QStringLiteral("update %1 %2 %3")
                           .arg(e->changePosition())
                           .arg(quoted(e->textRemoved()), quoted(e->textInserted()));
            break;
        }
        case QAccessible::TextCaretMoved:
            lines() << QStringLiteral("caret %1")
                           .arg(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
            break;
        case QAccessible::TextSelectionChanged: {
            const auto *e = static_cast<QAccessibleTextSelectionEvent *>(event);
            lines() << QStringLiteral("select %1 %2").arg(e->selectionStart()).arg(e->selectionEnd());
            break;
        }
        case QAccessible::NameChanged:
            if (QAccessibleInterface *face = event->accessibleInterface())
                lines() << QStringLiteral("name %1").arg(quoted(face->text(QAccessible::Name)));
            break;
        default:
            break;
        }
    }
};
