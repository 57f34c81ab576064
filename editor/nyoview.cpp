#include "editor/nyoview.h"

#include "autosave/autosavedlg.h"
#include "autosave/autosavetimers.h"
#include "editor/autoindent.h"
#include "editor/fontexchange.h"
#include "editor/indentdlg.h"
#include "editor/jumpdlg.h"
#include "editor/nyodoc.h"
#include "pkl/pkleditdlg.h"
#include "pkl/pklpickdlg.h"
#include "pkl/pklregisterdlg.h"
#include "pkl/modulepath.h"
#include "pkl/pklstore.h"
#include "platform/dialogs/colordialog.h"
#include "platform/base/colorref.h"
#include "platform/framework/commandrouter.h"
#include "platform/dialogs/fontdialog.h"
#include "platform/dialogs/msgbox.h"
#include "platform/desktop/shell.h"
#include "platform/desktop/windowpos.h"
#include "platform/framework/winapp.h"
#include "res/resource.h"
#include "res/resources.h"
#include "res/webpage.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPointer>
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
        OnCommand<V>(ID_VIEW_TOPMOST, &V::OnViewTopMost),
        OnUpdateCommand<V>(ID_VIEW_TOPMOST, &V::OnUpdateViewTopMost),
        OnCommand<V>(ID_JUMP_TOP, &V::OnJumpTop),
        OnUpdateCommand<V>(ID_JUMP_TOP, &V::OnUpdateNeedText),
        OnCommand<V>(ID_JUMP_END, &V::OnJumpEnd),
        OnUpdateCommand<V>(ID_JUMP_END, &V::OnUpdateNeedText),
        OnCommand<V>(ID_JUMP_BACK, &V::OnJumpBack),
        OnUpdateCommand<V>(ID_JUMP_BACK, &V::OnUpdateNeedText),
        OnCommand<V>(ID_JUMP_GOTO, &V::OnJumpTo),
        OnUpdateCommand<V>(ID_JUMP_GOTO, &V::OnUpdateNeedText),
        OnCommand<V>(ID_JUMP_MARK, &V::OnJumpMark),
        OnUpdateCommand<V>(ID_JUMP_MARK, &V::OnUpdateNeedText),
        OnCommand<V>(ID_SETTINGS_INDENT, &V::OnIndentSettings),
        OnCommand<V>(ID_PKL_REGISTER, &V::OnPklRegister),
        OnCommand<V>(ID_PKL_EDIT, &V::OnPklEdit),
        OnCommand<V>(ID_PKL_PICK, &V::OnPklPick),
        OnCommand<V>(ID_SETTINGS_AUTOSAVE, &V::OnSettingsAutoSave),
        OnCommand<V>(ID_LINK_SENDTO, &V::OnSendToShortcut),
        OnUpdateCommandWhenShown<V>(ID_LINK_SENDTO, &V::OnUpdateSendToShortcut),
        OnCommand<V>(ID_LINK_DESKTOP, &V::OnDesktopShortcut),
        OnUpdateCommandWhenShown<V>(ID_LINK_DESKTOP, &V::OnUpdateDesktopShortcut),
        OnCommand<V>(ID_HELP_README, &V::OnHelpReadme),
        OnCommand<V>(ID_HELP_HELP, &V::OnHelpContents),
        OnCommand<V>(ID_HELP_HOMEPAGE, &V::OnHelpWebPage),
        OnCommand<V>(ID_FORMAT_PRINTFONT, &V::OnFormatPrintFont),
        OnCommand<V>(ID_FILE_PAGE_SETUP, &V::OnFilePageSetup),
    };
    return map;
}

CNYOView::CNYOView(QWidget *parent)
    : RichEditView(parent), m_pAutoSave(new CAutoSaveTimers(this)),
      m_rectPageMargin(Keys::MarginLeft.read(), Keys::MarginTop.read(), Keys::MarginRight.read(),
                       Keys::MarginBottom.read())
{
    connect(m_pAutoSave, &CAutoSaveTimers::timeout, this, &CNYOView::OnTimer);
    TakeAutoSaveSnapshot();
}

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
    if (m_nSaveInterval != 0)
        ArmAutoSaveTimers();
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

// --- printing ------------------------------------------------------------------------

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

void CNYOView::OnBeginPrinting(QPrinter *printer, PrintInfo *info)
{
    const CharFormat printFont = ReadFontRecord(QString::fromLatin1(Keys::kPrintFont));
    const QMargins &m = m_rectPageMargin;
    m_rectPrintMargin = QMargins(TwipsFromHundredthsMM(m.left()), TwipsFromHundredthsMM(m.top()),
                                 TwipsFromHundredthsMM(m.right()), TwipsFromHundredthsMM(m.bottom()));
    SetMargins(m_rectPrintMargin);
    m_cfBeforePrinting = GetWholeTextFormat();
    ApplyFormatToAll(printFont);
    RichEditView::OnBeginPrinting(printer, info);
}

// The stored display font goes over the format the text had before the run, so a store
// without a display font leaves the text as it was rather than in the print font.
void CNYOView::OnEndPrinting(QPrinter *printer, PrintInfo *info)
{
    ApplyFormatToAll(m_cfBeforePrinting);
    ApplyFormatToAll(ReadFontRecord(QString::fromLatin1(Keys::kFont)));
    RichEditView::OnEndPrinting(printer, info);
}

// The dialog starts from the stored print font, not from the text; the text keeps its font.
void CNYOView::OnFormatPrintFont()
{
    const QString section = QString::fromLatin1(Keys::kPrintFont);
    const std::optional<CharFormat> chosen = RunFontDialog(ReadFontRecord(section), this);
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
void CNYOView::OnFilePageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    if (WinApp *app = WinApp::Get())
        printer.setPrinterName(app->GetPrinter()->printerName());
    printer.setFullPage(true);
    const QMargins &m = m_rectPageMargin;
    printer.setPageMargins(QMarginsF(m.left(), m.top(), m.right(), m.bottom()) / 100.0, QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("ページ設定"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Millimeter) * 100.0;
    const QMargins most = MaxMargins();
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
    MsgBox::show(this, text, QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Information);
}

// --- jumps ---------------------------------------------------------------------------

// The start of the caret's line, as the control counts lines (rows with wrap on).
qsizetype CNYOView::CaretLineStart() const
{
    return LineIndex(LineFromChar(-1));
}

// A position the control has no line for (past the last line) goes to the end.
void CNYOView::PlaceCaret(qsizetype pos)
{
    if (pos < 0 || pos > GetTextLength())
        pos = GetTextLength();
    SetSel(pos, pos);
}

void CNYOView::OnJumpTop()
{
    m_nMarkPos = CaretLineStart();
    PlaceCaret(0);
}

void CNYOView::OnJumpEnd()
{
    m_nMarkPos = CaretLineStart();
    PlaceCaret(LineIndex(GetLineCount() - 1));
}

void CNYOView::OnJumpBack()
{
    const qsizetype back = m_nMarkPos;
    m_nMarkPos = CaretLineStart();
    PlaceCaret(back);
}

void CNYOView::OnJumpMark()
{
    m_nMarkPos = CaretLineStart();
}

void CNYOView::OnJumpTo()
{
    const qsizetype oldMark = m_nMarkPos;
    m_nMarkPos = CaretLineStart();
    CJumpDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        m_nMarkPos = oldMark;
        return;
    }
    const qsizetype number = dialog.m_nValue;
    PlaceCaret(dialog.m_nMode == 0 ? LineIndex(number - 1) : number - 1);
}

// --- auto-indent -----------------------------------------------------------------------

void CNYOView::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const qsizetype start = selectionStart();
    RichEditView::keyPressEvent(event);
    // Indent only where the control has put the break in: the break stands where the selection
    // began and the caret right after it. The length says nothing (a break replacing one
    // character leaves it as it was); a refused break (read-only, the text limit) leaves the
    // selection and the caret where they were.
    const bool broke = !hasSelection() && position() == start + 1 && buffer()->at(start) == TextBuffer::kBreak;
    if (enter && broke)
        OnChar(u'\r', event->modifiers() & Qt::ShiftModifier);
}

// After the control's own processing of a character: Enter gives the new line the indent of
// the line before, as the settings (read at every character) ask. The indent joins the
// break's undo step, so one undo takes both back.
void CNYOView::OnChar(char16_t ch, bool shift)
{
    if (shift || Keys::Indent.read() != 2 || ch != u'\r')
        return;
    const int kind = Keys::Indent2.read();
    if (kind != AutoIndent::Tabs && kind != AutoIndent::Spaces && kind != AutoIndent::Copy)
        return;
    const QString previous = GetLine(LineFromChar(-1) - 1, AutoIndent::kLookedAt);
    replaceSelection(AutoIndent::IndentFor(previous, kind), TextBuffer::Undo::Typing);
}

void CNYOView::OnIndentSettings()
{
    CIndentDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Keys::Indent.write(dialog.m_nIndent);
    if (dialog.m_nIndent == 2)
        Keys::Indent2.write(dialog.m_nIndent2);
}

// The command always runs after its state handler, so it toggles what is stored.
void CNYOView::OnUpdateViewTopMost(CmdUI *ui)
{
    m_bTopMost = Keys::TUNE.read() != 0;
    ui->SetCheck(m_bTopMost);
}

// Off, the main window ends its topmost state and comes to the front as an ordinary window.
void CNYOView::OnViewTopMost()
{
    QWidget *frame = WinApp::Get() && WinApp::Get()->GetMainWnd() ? WinApp::Get()->GetMainWnd() : window();
    m_bTopMost = !m_bTopMost;
    WindowPos::SetTopMost(frame, m_bTopMost);
    if (!m_bTopMost)
        WindowPos::SetForegroundWindow(frame);
    Keys::TUNE.write(m_bTopMost ? 1 : 0);
}

// --- Paste Key List ----------------------------------------------------------------------

// The dialogs belong to the main window, like every dialog of the program.
void CNYOView::OnPklRegister()
{
    CPklRegisterDlg dialog(window());
    dialog.m_strText = GetSelText();
    dialog.exec();
}

void CNYOView::OnPklEdit()
{
    CPklEditDlg dialog(window());
    dialog.exec();
}

// The list opens one line below the selection's first character. That character's place is
// taken in the client area and offset by the corner of the whole view window, frame included,
// so the popup sits the frame's width up and left of where the character is. The entry
// replaces the selection without an undo step; a list closed without a name, or an entry that
// cannot be read, inserts nothing.
void CNYOView::OnPklPick()
{
    CPklPickDlg dialog(window());
    qsizetype start = 0;
    qsizetype end = 0;
    GetSel(start, end);
    dialog.m_ptCaret = PosFromChar(start) - viewport()->pos();
    dialog.m_ptViewOrigin = mapToGlobal(QPoint(0, 0));
    dialog.exec();

    m_strLastPick = dialog.m_strName;
    QString text;
    if (PklStore::ReadEntry(m_strLastPick, &text) != FileError::None)
        return;
    ReplaceSel(text, false);
    viewport()->update();
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
    event->setDropAction(Qt::CopyAction);  // opened, never moved: the source keeps its files
    event->accept();
    for (const QString &file : files)
        WinApp::Get()->OpenDocumentFile(file);
}

// --- Auto-save -----------------------------------------------------------------------------

// The settings as they are when the view is made; later changes reach only views made after
// them, or the view whose dialog made them. An interval below 1 second (an edited store)
// counts as 1 second, so that no view saves in a loop.
void CNYOView::TakeAutoSaveSnapshot()
{
    const int32_t mode = Keys::Jidou.read();
    const int32_t colorFlag = Keys::Cch.read();
    if (mode != 2 && mode != 3) {
        m_nSaveInterval = m_nWarnLead = m_bAskSave = 0;
        return;
    }
    m_nSaveInterval = std::max<int32_t>(Keys::Jidou1.read(), 1);
    m_nWarnLead = colorFlag != 0 ? std::max<int32_t>(Keys::Jidou2.read(), 0) : 0;
    m_bAskSave = mode == 3 ? 1 : 0;
}

// A lead larger than the interval gives a negative warning period, which the timers take as
// 0: the warning shows at once.
void CNYOView::ArmAutoSaveTimers()
{
    m_pAutoSave->Start(CAutoSaveTimers::ID_TIMER_AUTOSAVE, m_nSaveInterval);
    if (m_nWarnLead != 0)
        m_pAutoSave->Start(CAutoSaveTimers::ID_TIMER_WARNING, int64_t(m_nSaveInterval) - m_nWarnLead);
}

void CNYOView::OnTimer(int id)
{
    if (id == CAutoSaveTimers::ID_TIMER_AUTOSAVE)
        OnAutoSaveDue();
    else if (id == CAutoSaveTimers::ID_TIMER_WARNING)
        OnWarningDue();
}

// Both timers stay stopped while the question and the save run, so the next cycle counts
// from the moment the save has finished. The view may be closed while the question or the
// Save As dialog is open; then nothing more is done.
void CNYOView::OnAutoSaveDue()
{
    m_pAutoSave->Stop(CAutoSaveTimers::ID_TIMER_AUTOSAVE);
    const QPointer<CNYOView> self(this);
    bool save = true;
    if (m_bAskSave == 1)
        save = MsgBox::show(window(), QStringLiteral("保存しますか"), QStringLiteral("確認"), MsgBox::Buttons::YesNo,
                            MsgBox::Icon::None) == MsgBox::IDYES;
    if (!self)
        return;
    if (save && GetDocument())
        GetDocument()->OnFileSave();
    if (!self)
        return;
    if (m_nWarnLead != 0) {
        ApplyBackColor();
        m_pAutoSave->Start(CAutoSaveTimers::ID_TIMER_WARNING, int64_t(m_nSaveInterval) - m_nWarnLead);
    }
    m_pAutoSave->Start(CAutoSaveTimers::ID_TIMER_AUTOSAVE, m_nSaveInterval);
}

// The colour is read now, so a colour chosen in any view's dialog shows at the next warning.
void CNYOView::OnWarningDue()
{
    m_pAutoSave->Stop(CAutoSaveTimers::ID_TIMER_WARNING);
    SetBackgroundColor(uint32_t(Keys::JBK.read()));
}

// Made without an owner, the dialog belongs to the main window. While it is open this view
// neither saves nor warns; after Cancel it stays so.
void CNYOView::OnSettingsAutoSave()
{
    m_pAutoSave->StopAll();
    ApplyBackColor();
    const QPointer<CNYOView> self(this);
    CAutoSaveDlg dialog(nullptr);
    if (dialog.exec() != QDialog::Accepted || !self)
        return;
    Keys::Jidou.write(dialog.m_nSaveMode);
    if (dialog.m_nSaveMode == 1) {
        m_nSaveInterval = m_nWarnLead = m_bAskSave = 0;
        return;
    }
    m_nSaveInterval = int32_t(dialog.m_nInterval);
    Keys::Jidou1.write(int32_t(dialog.m_nInterval));
    Keys::Cch.write(dialog.m_bColorChange);
    m_nWarnLead = 0;
    if (dialog.m_bColorChange != 0) {
        m_nWarnLead = int32_t(dialog.m_nLead);
        Keys::Jidou2.write(int32_t(dialog.m_nLead));
    }
    m_bAskSave = dialog.m_nSaveMode == 3 ? 1 : 0;
    if (GetDocument())
        GetDocument()->OnFileSave();
    if (self)
        ArmAutoSaveTimers();
}

// --- Shell ---------------------------------------------------------------------------------

// The command acts on what the menu showed when it was opened, just before: it does not look
// at the folder again. A shortcut that cannot be deleted or made is told.
void CNYOView::ToggleShortcut(Shell::Folder folder, int32_t linked)
{
    const QString path = Shell::ShortcutPath(folder);
    const bool remove = linked == 1;
    if (remove ? Shell::DeleteFile(path) : Shell::CreateShortcut(path, QString(), Shell::ModuleFileName()))
        return;
    const QString text = remove ? QStringLiteral("ファイルの削除に失敗しました") : QStringLiteral("ショートカットの作成に失敗しました");
    MsgBox::show(window(), text, QStringLiteral("NYO"), MsgBox::Buttons::Ok, MsgBox::Icon::None);
}

void CNYOView::OnSendToShortcut()
{
    ToggleShortcut(Shell::Folder::SendTo, m_bSendToLink);
}

void CNYOView::OnUpdateSendToShortcut(CmdUI *ui)
{
    m_bSendToLink = Shell::FileExists(Shell::ShortcutPath(Shell::Folder::SendTo)) ? 1 : 0;
    ui->SetCheck(m_bSendToLink == 1);
}

void CNYOView::OnDesktopShortcut()
{
    ToggleShortcut(Shell::Folder::Desktop, m_bDesktopLink);
}

void CNYOView::OnUpdateDesktopShortcut(CmdUI *ui)
{
    m_bDesktopLink = Shell::FileExists(Shell::ShortcutPath(Shell::Folder::Desktop)) ? 1 : 0;
    ui->SetCheck(m_bDesktopLink == 1);
}

void CNYOView::OpenBesideProgram(const QString &name)
{
    if (!Shell::OpenFile(ModulePath::SharedFilePath(name)))
        MsgBox::show(window(), name + QStringLiteral("を開けませんでした"), QStringLiteral("NYO"), MsgBox::Buttons::Ok,
                     MsgBox::Icon::None);
}

void CNYOView::OnHelpReadme()
{
    OpenBesideProgram(QStringLiteral("NYO.html"));
}

void CNYOView::OnHelpContents()
{
    OpenBesideProgram(QStringLiteral("HELP.html"));
}

void CNYOView::OnHelpWebPage()
{
    const QString address = Res::webPageAddress();
    if (!Shell::OpenAddress(address))
        MsgBox::show(window(), address + QStringLiteral("を開けませんでした"), QStringLiteral("NYO"), MsgBox::Buttons::Ok,
                     MsgBox::Icon::None);
}
