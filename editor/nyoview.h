#pragma once
// The editing view of a text document: the control inside a document window, and most of
// the program's commands.
#include "platform/framework/richeditview.h"

#include <cstdint>


class CAutoSaveTimers;
namespace Shell {
enum class Folder;
}
class CNYODoc;

class CNYOView : public RichEditView {
    Q_OBJECT
public:
    explicit CNYOView(QWidget *parent = nullptr);
    ~CNYOView() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;
    int OnCreate() override;

    CNYODoc *GetDocument() const;

    // Fonts and colours of the whole text.
    static std::optional<CharFormat> RunFontDialog(const CharFormat &start, QWidget *parent);
    void ApplyFormatToAll(CharFormat format);
    void ApplyDisplayFont();
    void ApplyBackColor();

    // Printing: the print font and margins are in place from the beginning of a print or
    // preview run to its end, then the display font comes back.
    void OnBeginPrinting(QPrinter *printer, PrintInfo *info) override;
    void OnEndPrinting(QPrinter *printer, PrintInfo *info) override;
    void OnFormatPrintFont();
    void OnFilePageSetup();
    // Page margins in hundredths of a millimetre.
    const QMargins &PageMargin() const { return m_rectPageMargin; }

    bool IsWordWrap() const { return m_bWordWrap; }

    // The right-button menu at a point of the view, in viewport coordinates.
    void OnRButtonUp(const QPoint &point);

    // Commands.
    void OnViewWordWrap();
    void OnUpdateViewWordWrap(CmdUI *ui);
    void OnUpdateNeedText(CmdUI *ui);
    void OnFileSendMail();
    void OnFormatFont();
    void OnFormatBackColor();
    void OnUpdateFormatBackColor(CmdUI *ui);
    // Always on top, for the main window.
    void OnViewTopMost();
    void OnUpdateViewTopMost(CmdUI *ui);
    void OnJumpTop();
    void OnJumpEnd();
    void OnJumpBack();
    void OnJumpTo();
    void OnJumpMark();
    void OnIndentSettings();
    // Paste Key List: register the selection, edit the entries, pick one into the text.
    void OnPklRegister();
    void OnPklEdit();
    void OnPklPick();
    void OnSettingsAutoSave();

    // Shell: the program's shortcut in the "Send To" folder and on the desktop, toggled on the
    // state their menu items last showed; the read-me, the help page and the maker's web page.
    void OnSendToShortcut();
    void OnUpdateSendToShortcut(CmdUI *ui);
    void OnDesktopShortcut();
    void OnUpdateDesktopShortcut(CmdUI *ui);
    void OnHelpReadme();
    void OnHelpContents();
    void OnHelpWebPage();

    // Auto-save: starts the save timer and, with a warning lead, the warning timer.
    void ArmAutoSaveTimers();
    // A timer of the view expired.
    void OnTimer(int id);
    int32_t SaveInterval() const { return m_nSaveInterval; }
    int32_t WarnLead() const { return m_nWarnLead; }
    int32_t AskSave() const { return m_bAskSave; }
    CAutoSaveTimers *AutoSaveTimers() const { return m_pAutoSave; }

    // The name the last pick list closed with (empty when it closed without one).
    const QString &LastPickedName() const { return m_strLastPick; }

    // The remembered position: always the start of a line.
    qsizetype MarkPos() const { return m_nMarkPos; }

    // Dropped files open as documents; pasted data goes in as text only.
    bool canInsertFromMimeData(const QMimeData *source) const override;

protected:
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;


private:
    void ApplyWrapMode();
    qsizetype CaretLineStart() const;
    void PlaceCaret(qsizetype pos);
    void OnChar(char16_t ch, bool shift);
    void TakeAutoSaveSnapshot();
    void OnAutoSaveDue();
    void OnWarningDue();

    bool m_bWordWrap = true;
    bool m_bTopMost = false;  // as stored; read again before each use of the command
    qsizetype m_nMarkPos = 0;
    QString m_strLastPick;

    // Auto-save state: the interval and the warning lead in seconds (lead 0: no warning
    // colour), and 1 when each save is asked first.
    int32_t m_nSaveInterval = 0;
    int32_t m_nWarnLead = 0;
    int32_t m_bAskSave = 0;
    CAutoSaveTimers *m_pAutoSave = nullptr;

    // 1 when the shortcut existed as its menu item was last updated.
    int32_t m_bSendToLink = 0;
    int32_t m_bDesktopLink = 0;
    void ToggleShortcut(Shell::Folder folder, int32_t linked);
    void OpenBesideProgram(const QString &name);

    QMargins m_rectPageMargin;
    QMargins m_rectPrintMargin;  // in twips, as the last run printed
    // The format the text had as the run began, for a store that holds no display font.
    CharFormat m_cfBeforePrinting;

    static const CommandMap<CNYOView> &messageMap();
};
