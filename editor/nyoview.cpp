#include "editor/nyoview.h"

#include "editor/fontexchange.h"
#include "editor/nyodoc.h"
#include "platform/colordialog.h"
#include "platform/colorref.h"
#include "platform/commandrouter.h"
#include "platform/fontdialog.h"
#include "platform/winapp.h"
#include "res/resource.h"
#include "res/resources.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

const CommandMap<CNYOView> &CNYOView::messageMap()
{
    using V = CNYOView;
    static const CommandMap<V> map{
        OnCommand<V>(ID_VIEW_WORDWRAP, &V::OnViewWordWrap),
        OnUpdateCommand<V>(ID_VIEW_WORDWRAP, &V::OnUpdateViewWordWrap),
        OnCommand<V>(ID_VIEW_REDRAW, &V::ApplyDisplayFont),
        OnUpdateCommand<V>(ID_VIEW_REDRAW, &V::OnUpdateNeedText),
        OnCommand<V>(ID_FILE_SEND_MAIL, &V::OnFileSendMail),
        OnCommand<V>(ID_FORMAT_FONT, &V::OnFormatFont),
        OnCommand<V>(ID_FORMAT_BACKCOLOR, &V::OnFormatBackColor),
        OnUpdateCommand<V>(ID_FORMAT_BACKCOLOR, &V::OnUpdateFormatBackColor),
    };
    return map;
}

CNYOView::CNYOView(QWidget *parent) : RichEditView(parent) {}

CNYOView::~CNYOView() = default;

bool CNYOView::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui) || RichEditView::OnCmdMsg(id, ui);
}

CNYODoc *CNYOView::GetDocument() const
{
    return static_cast<CNYODoc *>(RichEditView::GetDocument());
}

int CNYOView::OnCreate()
{
    if (RichEditView::OnCreate() == -1)
        return -1;
    ApplyBackColor();
    ApplyDisplayFont();
    m_bWordWrap = Keys::WordWrap.read() != 0;
    ApplyWrapMode();
    return 0;
}

void CNYOView::ApplyWrapMode()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetWordWrap(m_bWordWrap);
    QApplication::restoreOverrideCursor();
}

void CNYOView::OnViewWordWrap()
{
    m_bWordWrap = !m_bWordWrap;
    Keys::WordWrap.write(m_bWordWrap ? 1 : 0);
    ApplyWrapMode();
}

void CNYOView::OnUpdateViewWordWrap(CmdUI *ui)
{
    ui->Enable(GetTextLength() != 0);
    ui->SetCheck(m_bWordWrap);
}

void CNYOView::OnUpdateNeedText(CmdUI *ui)
{
    ui->Enable(GetTextLength() != 0);
}

void CNYOView::OnFileSendMail()
{
    if (CNYODoc *doc = GetDocument())
        doc->OnFileSendMail();
}

// The format goes to the whole text at once; the selection is not touched by it, so it
// stays exactly as it was.
void CNYOView::ApplyFormatToAll(CharFormat format)
{
    format.cbSize = CharFormat::kSize;
    SetWholeTextFormat(format);
}

void CNYOView::ApplyDisplayFont()
{
    ApplyFormatToAll(ReadFontRecord(QString::fromLatin1(Keys::kFont)));
    viewport()->update();
}

void CNYOView::ApplyBackColor()
{
    SetBackgroundColor(uint32_t(Keys::BackColor.read()));
}

std::optional<CharFormat> CNYOView::RunFontDialog(const CharFormat &start, QWidget *parent)
{
    FontDialog dialog(FontExchange::toLogFont(start), start.crTextColor, parent,
                      FontExchange::sizeTenths(start));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontExchange::fromDialog(start, dialog.logFont(), dialog.color(), dialog.pointSizeTenths());
}

void CNYOView::OnFormatFont()
{
    const std::optional<CharFormat> chosen = RunFontDialog(GetWholeTextFormat(), this);
    if (!chosen)
        return;
    ApplyFormatToAll(*chosen);
    CharFormat stored = *chosen;
    stored.cbSize = CharFormat::kSize;
    WriteFontRecord(QString::fromLatin1(Keys::kFont), stored);
    viewport()->update();
}

void CNYOView::OnFormatBackColor()
{
    const std::optional<QColor> chosen = ColorDialog::Choose(Qt::white, this);
    if (!chosen)
        return;
    const uint32_t color = RefFromColor(*chosen);
    SetBackgroundColor(color);
    Keys::BackColor.write(int32_t(color));
}

void CNYOView::OnUpdateFormatBackColor(CmdUI *ui)
{
    ui->Enable(true);
}

// Every item is offered, whatever the state of the text; the chosen one goes through the
// command routing like a menu or key, so a command with nothing to act on does nothing.
void CNYOView::OnRButtonUp(const QPoint &point)
{
    QMenu menu(this);
    Res::fillMenu(&menu, Res::viewContextMenu());
    QAction *chosen = menu.exec(viewport()->mapToGlobal(point));
    if (!chosen)
        return;
    if (CommandRouter *router = CommandRouter::Of(this))
        router->Execute(chosen->data().toInt());
}

void CNYOView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        OnRButtonUp(event->position().toPoint());
        event->accept();
        return;
    }
    RichEditView::mouseReleaseEvent(event);
}

// The menu opens on the button's release; the keyboard's menu key opens it at the caret.
void CNYOView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        OnRButtonUp(cursorRect().bottomLeft());
    event->accept();
}

// Files dropped on the text open as documents, as they do when dropped on the main window;
// anything else dropped, and everything pasted, goes in as text.
bool CNYOView::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasUrls() || RichEditView::canInsertFromMimeData(source);
}

void CNYOView::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    if (files.isEmpty() || !WinApp::Get()) {
        RichEditView::dropEvent(event);
        return;
    }
    QDragLeaveEvent leave;  // takes the drop caret away
    RichEditView::dragLeaveEvent(&leave);
    event->acceptProposedAction();
    for (const QString &file : files)
        WinApp::Get()->OpenDocumentFile(file);
}
