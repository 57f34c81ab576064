#include "editor/printsetup.h"

#include "editor/fontcommands.h"
#include "platform/framework/richeditview.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/printsettings.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <algorithm>
#include <cstdint>
#include <optional>

const CommandMap<CPrintSetup> &CPrintSetup::messageMap()
{
    using P = CPrintSetup;
    static const CommandMap<P> map{
        OnCommand<P>(ID_FORMAT_PRINTFONT, &P::OnFormatPrintFont),
        OnCommand<P>(ID_FILE_PAGE_SETUP, &P::OnFilePageSetup),
    };
    return map;
}

CPrintSetup::CPrintSetup(RichEditView *view)
    : m_pView(view),
      m_rectPageMargin(Keys::MarginLeft.read(), Keys::MarginTop.read(), Keys::MarginRight.read(),
                       Keys::MarginBottom.read())
{
}

bool CPrintSetup::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// Hundredths of a millimetre to twips as the printer margins have always been reckoned
// (566 twips to the centimetre), cut toward zero; computed wide so no stored value overflows.
namespace {
int TwipsFromHundredthsMM(int value)
{
    return int(int64_t(value) * 566 / 1000);
}

// The largest margin in hundredths of a millimetre that is at most twips once converted.
int HundredthsMMWithin(int twips)
{
    return int((int64_t(twips + 1) * 1000 - 1) / 566);
}

QString Millimetres(int hundredths)
{
    return QString::number(hundredths / 100.0, 'f', 2);
}
} // namespace

void CPrintSetup::BeginRun()
{
    const CharFormat printFont = ReadFontRecord(QString::fromLatin1(Keys::kPrintFont));
    const QMargins &m = m_rectPageMargin;
    m_rectPrintMargin = QMargins(TwipsFromHundredthsMM(m.left()), TwipsFromHundredthsMM(m.top()),
                                 TwipsFromHundredthsMM(m.right()), TwipsFromHundredthsMM(m.bottom()));
    m_pView->SetMargins(m_rectPrintMargin);
    m_cfBeforePrinting = m_pView->GetWholeTextFormat();
    CFontCommands::ApplyFormatToAll(*m_pView, printFont);
}

// The stored display font goes over the format the text had before the run, so a store
// without a display font leaves the text as it was rather than in the print font.
void CPrintSetup::EndRun()
{
    CFontCommands::ApplyFormatToAll(*m_pView, m_cfBeforePrinting);
    CFontCommands::ApplyFormatToAll(*m_pView, ReadFontRecord(QString::fromLatin1(Keys::kFont)));
}

// The dialog starts from the stored print font, not from the text; the text keeps its font.
void CPrintSetup::OnFormatPrintFont()
{
    const QString section = QString::fromLatin1(Keys::kPrintFont);
    const std::optional<CharFormat> chosen = CFontCommands::RunFontDialog(ReadFontRecord(section), m_pView);
    if (!chosen)
        return;
    CharFormat stored = *chosen;
    stored.cbSize = CharFormat::kSize;
    WriteFontRecord(section, stored);
}

// Only the margins of the dialog are kept: paper, orientation and printer chosen in it are
// not used, so it works on a printer of its own. Printing counts margins from the paper's edge
// (full page), so the dialog takes them that way too: the printer's own border neither limits
// nor replaces them. A margin larger than printing lays the text out with is stored as the
// one printing uses, and the user is told what was kept.
void CPrintSetup::OnFilePageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    if (PrintSettings *settings = m_pView->GetPrintSettings())
        printer.setPrinterName(settings->Printer()->printerName());
    printer.setFullPage(true);
    const QMargins &m = m_rectPageMargin;
    printer.setPageMargins(QMarginsF(m.left(), m.top(), m.right(), m.bottom()) / 100.0, QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer, m_pView);
    dialog.setWindowTitle(QStringLiteral("ページ設定"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Millimeter) * 100.0;
    const QMargins most = m_pView->MaxMargins();
    const auto keep = [](double typed, int twips) { return std::clamp(qRound(typed), 0, HundredthsMMWithin(twips)); };
    m_rectPageMargin = QMargins(keep(chosen.left(), most.left()), keep(chosen.top(), most.top()),
                                keep(chosen.right(), most.right()), keep(chosen.bottom(), most.bottom()));
    const bool cut = m_rectPageMargin != QMargins(qRound(chosen.left()), qRound(chosen.top()), qRound(chosen.right()),
                                                  qRound(chosen.bottom()));
    Keys::MarginLeft.write(m_rectPageMargin.left());
    Keys::MarginRight.write(m_rectPageMargin.right());
    Keys::MarginTop.write(m_rectPageMargin.top());
    Keys::MarginBottom.write(m_rectPageMargin.bottom());
    if (!cut)
        return;
    const QMargins &kept = m_rectPageMargin;
    const QString text = QStringLiteral("余白が大きすぎるため、次の余白を記憶しました。\n左 %1 mm、上 %2 mm、右 %3 mm、下 %4 mm")
                             .arg(Millimetres(kept.left()), Millimetres(kept.top()), Millimetres(kept.right()),
                                  Millimetres(kept.bottom()));
    MsgBox::show(m_pView, text, QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Information);
}
