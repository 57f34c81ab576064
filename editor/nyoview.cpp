#include "editor/nyoview.h"

#include "editor/fontexchange.h"
#include "editor/nyodoc.h"
#include "platform/colorref.h"
#include "platform/fontdialog.h"
#include "platform/winapp.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
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
    FontDialog dialog(FontExchange::toLogFont(start), start.crTextColor, parent);
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
    QColorDialog dialog(Qt::white, nullptr);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const uint32_t color = RefFromColor(dialog.selectedColor());
    SetBackgroundColor(color);
    Keys::BackColor.write(int32_t(color));
}

void CNYOView::OnUpdateFormatBackColor(CmdUI *ui)
{
    ui->Enable(true);
}

void CNYOView::OnRButtonUp(const QPoint &point)
{
    struct Item {
        int id;
        const char16_t *text;
    };
    static const Item items[] = {
        {ID_EDIT_UNDO, u"元に戻す(&U)"},     {0, nullptr},
        {ID_EDIT_CUT, u"切り取り(&T)"},      {ID_EDIT_COPY, u"コピー(&C)"},
        {ID_EDIT_PASTE, u"貼り付け(&P)"},    {ID_EDIT_CLEAR, u"消去(&L)"},
        {0, nullptr},                        {ID_EDIT_SELECT_ALL, u"すべて選択(&A)"},
        {0, nullptr},                        {ID_PKL_REGISTER, u"ＰＫＬ登録(&R)"},
    };
    QMenu menu(this);
    for (const Item &item : items) {
        if (!item.id) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(QString::fromUtf16(item.text));
        action->setData(item.id);
    }
    // The chosen command goes through this view and its document, whatever its state.
    if (QAction *chosen = menu.exec(viewport()->mapToGlobal(point))) {
        const int id = chosen->data().toInt();
        if (!OnCmdMsg(id, nullptr) && GetDocument())
            GetDocument()->OnCmdMsg(id, nullptr);
    }
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

// Files dropped on the text open as documents, as they do when dropped on the main window.
bool CNYOView::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasUrls() || RichEditView::canInsertFromMimeData(source);
}

void CNYOView::insertFromMimeData(const QMimeData *source)
{
    QStringList files;
    for (const QUrl &url : source->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    if (files.isEmpty() || !WinApp::Get()) {
        RichEditView::insertFromMimeData(source);
        return;
    }
    for (const QString &file : files)
        WinApp::Get()->OpenDocumentFile(file);
}
