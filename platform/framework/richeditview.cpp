#include "platform/framework/richeditview.h"

#include "platform/framework/afxres.h"
#include "platform/base/colorref.h"
#include "platform/dialogs/findreplacedialog.h"
#include "platform/dialogs/msgbox.h"
#include "platform/dialogs/printprogressdialog.h"
#include "platform/engine/pagelayout.h"
#include "platform/engine/textbuffer.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/printpreview.h"
#include "platform/framework/printsettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <climits>

const CommandMap<RichEditView> &RichEditView::messageMap()
{
    using V = RichEditView;
    static const CommandMap<V> map{
        OnCommand<V>(ID_EDIT_UNDO, &V::OnEditUndo),
        OnUpdateCommand<V>(ID_EDIT_UNDO, &V::OnUpdateEditUndo),
        OnCommand<V>(ID_EDIT_CUT, &V::OnEditCut),
        OnUpdateCommand<V>(ID_EDIT_CUT, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_COPY, &V::OnEditCopy),
        OnUpdateCommand<V>(ID_EDIT_COPY, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_PASTE, &V::OnEditPaste),
        OnUpdateCommand<V>(ID_EDIT_PASTE, &V::OnUpdateEditPaste),
        OnCommand<V>(ID_EDIT_CLEAR, &V::OnEditClear),
        OnUpdateCommand<V>(ID_EDIT_CLEAR, &V::OnUpdateNeedSel),
        OnCommand<V>(ID_EDIT_SELECT_ALL, &V::OnEditSelectAll),
        OnCommand<V>(ID_EDIT_FIND, &V::OnEditFind),
        OnUpdateCommand<V>(ID_EDIT_FIND, &V::OnUpdateNeedFind),
        OnCommand<V>(ID_EDIT_REPLACE, &V::OnEditReplace),
        OnUpdateCommand<V>(ID_EDIT_REPLACE, &V::OnUpdateNeedFind),
        OnCommand<V>(ID_EDIT_REPEAT, &V::OnEditRepeat),
        OnUpdateCommand<V>(ID_EDIT_REPEAT, &V::OnUpdateNeedFind),
        OnCommand<V>(ID_FILE_PRINT, &V::OnFilePrint),
        OnCommand<V>(ID_FILE_PRINT_DIRECT, &V::OnFilePrintDirect),
        OnCommand<V>(ID_FILE_PRINT_PREVIEW, &V::OnFilePrintPreview),
    };
    return map;
}

RichEditView::RichEditView(QWidget *parent) : RichEdit(parent)
{
    // Until a display font is chosen the text shows in the fixed-pitch Japanese gothic.
    setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));
    connect(this, &TextView::selectionChanged, this, &RichEditView::commandStateChanged);
    connect(this, &TextView::undoAvailable, this, &RichEditView::commandStateChanged);
    connect(this, &TextView::textChanged, this, &RichEditView::commandStateChanged);
}

RichEditView::~RichEditView() = default;

bool RichEditView::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

int RichEditView::OnCreate()
{
    SetWordWrap(true);
    return 0;
}

void RichEditView::OnEditUndo() { undo(); }
void RichEditView::OnEditCut() { cut(); }
void RichEditView::OnEditCopy() { copy(); }
void RichEditView::OnEditPaste() { paste(); }
void RichEditView::OnEditClear() { removeSelectedText(); }
void RichEditView::OnEditSelectAll() { selectAll(); }

void RichEditView::OnUpdateNeedSel(CmdUI *ui)
{
    ui->Enable(hasSelection());
}

void RichEditView::OnUpdateEditUndo(CmdUI *ui)
{
    ui->Enable(buffer()->canUndo());
}

void RichEditView::OnUpdateEditPaste(CmdUI *ui)
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ui->Enable(HasPlainText(data) && !isReadOnly());
}

void RichEditView::OnEditFind()
{
    FindReplaceDialog::ForWindow(window())->OnEditFindReplace(this, true);
}

void RichEditView::OnEditReplace()
{
    FindReplaceDialog::ForWindow(window())->OnEditFindReplace(this, false);
}

void RichEditView::OnEditRepeat()
{
    FindReplaceDialog::ForWindow(window())->OnEditRepeat(this);
}

void RichEditView::OnUpdateNeedFind(CmdUI *ui)
{
    ui->Enable(buffer()->length() != 0);
}

// --- printing ------------------------------------------------------------------------

QPrinter *RichEditView::Printer()
{
    if (m_pPrintSettings)
        return m_pPrintSettings->Printer();
    static QPrinter printer(QPrinter::HighResolution);
    return &printer;
}

bool RichEditView::OnPreparePrinting(PrintInfo *info)
{
    return DoPreparePrinting(info);
}

bool RichEditView::DoPreparePrinting(PrintInfo *info)
{
    if (info->m_bPreview || info->m_bDirect)
        return true;
    QPrintDialog dialog(info->m_pPrinter, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    return dialog.exec() == QDialog::Accepted;
}

void RichEditView::OnBeginPrinting(QPrinter *, PrintInfo *)
{
    m_aPageStart.clear();
}

void RichEditView::OnEndPrinting(QPrinter *, PrintInfo *)
{
    m_aPageStart.clear();
}

namespace {
constexpr int kInch = 1440;  // twips
} // namespace

QMargins RichEditView::MaxMargins() const
{
    const QSize paper = GetPaperSize();
    const int across = (paper.width() - kInch) / 2, down = (paper.height() - kInch) / 2;
    return QMargins(across, down, across, down);
}

// Margins that would leave less than an inch to print in are cut down to leave that inch:
// a stored margin of any size still prints the text on pages that hold some of it.
QRectF RichEditView::PrintArea(const QPrinter *printer) const
{
    const QMargins most = MaxMargins();
    const QSize paper = GetPaperSize();
    const int left = std::clamp(m_rectMargin.left(), 0, most.left());
    const int right = std::clamp(m_rectMargin.right(), 0, most.right());
    const int top = std::clamp(m_rectMargin.top(), 0, most.top());
    const int bottom = std::clamp(m_rectMargin.bottom(), 0, most.bottom());
    const qreal x = printer->logicalDpiX() / qreal(kInch);
    const qreal y = printer->logicalDpiY() / qreal(kInch);
    return QRectF(left * x, top * y, (paper.width() - left - right) * x, (paper.height() - top - bottom) * y);
}

// The view's font sized in the printer's pixels: a page then measures and draws the same on the
// printer and, scaled down, on the screen, where a font in points would be sized for the screen.
QFont RichEditView::PrintFont(const QPrinter *printer) const
{
    QFont printFont = font();
    if (printFont.pointSizeF() > 0)
        printFont.setPixelSize(std::max(1, qRound(printFont.pointSizeF() * printer->logicalDpiY() / 72)));
    return printFont;
}

QColor RichEditView::PrintColor() const
{
    const CharFormat format = GetWholeTextFormat();
    const bool autoColor = format.dwEffects & CharFormat::CFE_AUTOCOLOR;
    return autoColor ? QColor(Qt::black) : ColorFromRef(format.crTextColor);
}

// Pages are laid out in order, each from where the one before it ended.
void RichEditView::OnPrint(QPainter *painter, PrintInfo *info)
{
    painter->setPen(PrintColor());
    LayOutPage(painter, info);
}

// Lays out the page info names, drawing it when painter is given; records where the next
// page starts.
void RichEditView::LayOutPage(QPainter *painter, PrintInfo *info)
{
    const qsizetype length = buffer()->length();
    const int page = info->m_nCurPage;
    const qsizetype from = page <= m_aPageStart.size() ? m_aPageStart.at(page - 1) : length;
    const qsizetype next = PageLayout::drawPage(*buffer(), from, painter, info->m_pPrinter,
                                                PrintArea(info->m_pPrinter), PrintFont(info->m_pPrinter));
    if (page == m_aPageStart.size())
        m_aPageStart.append(next);
    info->m_bContinuePrinting = next < length;
}

// The pages the print dialog asked for, all of them unless a range was chosen; the first page
// printed always comes out, so an empty text prints one empty page. Pages before the range
// are laid out only, to know where the range begins. A modal window names the page being
// printed; between pages the event loop runs, so the windows repaint and its Cancel is seen
// after the page that was printing.
void RichEditView::PrintPages(QPrinter *printer, PrintInfo *info)
{
    QPainter painter;
    if (!painter.begin(printer)) {
        MsgBox::show(this, QStringLiteral("印刷を開始できませんでした。"));
        return;
    }
    PrintProgressDialog progress(info->m_strDocName.isEmpty() ? window()->windowTitle() : info->m_strDocName, this);
    progress.show();
    m_aPageStart = {0};
    info->m_pPrinter = printer;
    const bool range = printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0;
    const int first = range ? printer->fromPage() : 1;
    const int last = range && printer->toPage() >= first ? printer->toPage() : INT_MAX;
    for (info->m_nCurPage = 1; info->m_nCurPage <= last; ++info->m_nCurPage) {
        if (info->m_nCurPage < first) {
            LayOutPage(nullptr, info);
        } else {
            progress.SetPage(info->m_nCurPage);
            if (info->m_nCurPage > first && !printer->newPage())
                break;
            OnPrint(&painter, info);
        }
        QCoreApplication::processEvents();
        if (progress.Cancelled())
            break;
        if (!info->m_bContinuePrinting)
            break;
    }
    // A printer that cannot abort (a file, or a queue that takes the job whole) still gets the
    // pages printed so far as the painter ends; the user is told so rather than left to think
    // nothing comes out.
    const bool kept = progress.Cancelled() && !printer->abort();
    painter.end();
    if (kept)
        MsgBox::show(this, QStringLiteral("印刷を中止しました。\nこのプリンタでは、印刷済みの %1 ページは取り消せません。")
                               .arg(info->m_nCurPage - first + 1),
                     QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Information);
}

void RichEditView::Print(bool direct)
{
    PrintInfo info;
    info.m_bDirect = direct;
    info.m_pPrinter = Printer();
    if (!OnPreparePrinting(&info))
        return;
    info.m_pPrinter->setFullPage(true);  // margins count from the paper's edge
    if (direct)
        info.m_pPrinter->setPrintRange(QPrinter::AllPages);
    OnBeginPrinting(info.m_pPrinter, &info);
    PrintPages(info.m_pPrinter, &info);
    OnEndPrinting(info.m_pPrinter, &info);
    // A range chosen in the dialog is for this run only.
    info.m_pPrinter->setPrintRange(QPrinter::AllPages);
}

void RichEditView::OnFilePrint()
{
    Print(false);
}

void RichEditView::OnFilePrintDirect()
{
    Print(true);
}

// The preview shows one page or two side by side, as it was last closed. Its pages are the
// printed ones: laid out with the same area, font and colour, for the printer's paper. Printing
// from it closes it, ends its run, and runs the print command as the menu would.
void RichEditView::OnFilePrintPreview()
{
    PrintInfo info;
    info.m_bPreview = true;
    info.m_pPrinter = Printer();
    if (!OnPreparePrinting(&info))
        return;
    QPrinter *printer = info.m_pPrinter;
    printer->setFullPage(true);
    printer->setPrintRange(QPrinter::AllPages);  // the preview shows every page
    OnBeginPrinting(printer, &info);
    const TextBuffer *text = buffer();
    const QRectF area = PrintArea(printer);
    const QFont printFont = PrintFont(printer);
    const QColor color = PrintColor();
    PrintPreview dialog(
        printer->paperRect(QPrinter::DevicePixel).size(), text->length(),
        [=](qsizetype from) { return PageLayout::drawPage(*text, from, nullptr, printer, area, printFont); },
        [=](QPainter &painter, qsizetype from) {
            painter.setPen(color);
            PageLayout::drawPage(*text, from, &painter, printer, area, printFont);
        },
        this);
    dialog.setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    dialog.setGeometry(window()->geometry());
    PrintSettings *settings = m_pPrintSettings;
    dialog.SetFacing(settings && settings->PreviewPages() == 2);
    const int result = dialog.exec();
    if (settings)
        settings->SetPreviewPages(dialog.Facing() ? 2 : 1);
    OnEndPrinting(printer, &info);
    if (CommandRouter *router = CommandRouter::Of(this); router && result == PrintPreview::Print)
        router->Execute(ID_FILE_PRINT);
}
