#include "editor/fontcommands.h"

#include "editor/fontexchange.h"
#include "platform/framework/richeditview.h"
#include "platform/base/colorref.h"
#include "platform/dialogs/colordialog.h"
#include "platform/dialogs/fontdialog.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

const CommandMap<CFontCommands> &CFontCommands::messageMap()
{
    using F = CFontCommands;
    static const CommandMap<F> map{
        OnCommand<F>(ID_VIEW_REDRAW, &F::OnViewRedraw),
        OnUpdateCommand<F>(ID_VIEW_REDRAW, &F::OnUpdateViewRedraw),
        OnCommand<F>(ID_FORMAT_FONT, &F::OnFormatFont),
        OnCommand<F>(ID_FORMAT_BACKCOLOR, &F::OnFormatBackColor),
        OnUpdateCommand<F>(ID_FORMAT_BACKCOLOR, &F::OnUpdateFormatBackColor),
    };
    return map;
}

bool CFontCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

std::optional<CharFormat> CFontCommands::RunFontDialog(const CharFormat &start, QWidget *parent)
{
    FontDialog dialog(FontExchange::toLogFont(start), start.crTextColor, parent,
                      FontExchange::sizeTenths(start));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontExchange::fromDialog(start, dialog.logFont(), dialog.color(), dialog.pointSizeTenths());
}

void CFontCommands::OnViewRedraw()
{
    ApplyDisplayFont();
}

void CFontCommands::OnUpdateViewRedraw(CmdUI *ui)
{
    ui->Enable(m_pView->GetTextLength() != 0);
}

void CFontCommands::OnFormatFont()
{
    const std::optional<CharFormat> chosen = RunFontDialog(m_pView->GetWholeTextFormat(), m_pView);
    if (!chosen)
        return;
    ApplyFormatToAll(*m_pView, *chosen);
    CharFormat stored = *chosen;
    stored.cbSize = CharFormat::kSize;
    WriteFontRecord(QString::fromLatin1(Keys::kFont), stored);
    m_pView->viewport()->update();
}

void CFontCommands::OnFormatBackColor()
{
    const std::optional<QColor> chosen = ColorDialog::Choose(Qt::white, m_pView);
    if (!chosen)
        return;
    const uint32_t color = RefFromColor(*chosen);
    m_pView->SetBackgroundColor(color);
    Keys::BackColor.write(int32_t(color));
}

void CFontCommands::OnUpdateFormatBackColor(CmdUI *ui)
{
    ui->Enable(true);
}

// The format goes to the whole text at once; the selection is not touched by it, so it
// stays exactly as it was.
void CFontCommands::ApplyFormatToAll(RichEditView &view, CharFormat format)
{
    format.cbSize = CharFormat::kSize;
    view.SetWholeTextFormat(format);
}

void CFontCommands::ApplyDisplayFont()
{
    ApplyFormatToAll(*m_pView, ReadFontRecord(QString::fromLatin1(Keys::kFont)));
    m_pView->viewport()->update();
}

void CFontCommands::ApplyBackColor()
{
    m_pView->SetBackgroundColor(uint32_t(Keys::BackColor.read()));
}
