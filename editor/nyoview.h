#pragma once
// The editing view of a text document: the control inside a document window. Its commands
// stand in rooms by concern, each a command target with its own table that the view asks after
// its own; a command id stands in one table only.
#include "platform/framework/richeditview.h"

#include <QList>
#include <memory>

class CAutoSaveScheduler;
class CFontCommands;
class CHelpPageCommands;
class CIndentCommands;
class CJumpCommands;
class CNYODoc;
class CPrintSetup;
class CShortcutCommands;
class CSnippetCommands;

class CNYOView : public RichEditView {
    Q_OBJECT
public:
    explicit CNYOView(QWidget *parent = nullptr);
    ~CNYOView() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;
    // The rooms, in the order they are asked after the view's own table.
    const QList<CommandTarget *> &Rooms() const { return m_rooms; }
    int OnCreate() override;

    CNYODoc *GetDocument() const;

    // Printing: the print font and margins are in place from the beginning of a print or
    // preview run to its end, then the display font comes back.
    void OnBeginPrinting(QPrinter *printer, PrintInfo *info) override;
    void OnEndPrinting(QPrinter *printer, PrintInfo *info) override;
    // The print font and page margins with their commands.
    CPrintSetup *PrintSetup() const { return m_pPrintSetup.get(); }

    bool IsWordWrap() const { return m_bWordWrap; }

    // The right-button menu at a point of the view, in viewport coordinates.
    void OnRButtonUp(const QPoint &point);

    // Commands.
    void OnViewWordWrap();
    void OnUpdateViewWordWrap(CmdUI *ui);
    void OnFileSendMail();
    // Always on top, for the main window.
    void OnViewTopMost();
    void OnUpdateViewTopMost(CmdUI *ui);

    // Auto-save's settings and timers for this view.
    CAutoSaveScheduler *AutoSave() const { return m_pAutoSave; }

    // The Paste Key List's commands and the name its pick list last closed with.
    CSnippetCommands *Snippets() const { return m_pSnippets.get(); }

    // The jump commands and their mark.
    CJumpCommands *Jumps() const { return m_pJumps.get(); }

    // Dropped files open as documents; pasted data goes in as text only.
    bool canInsertFromMimeData(const QMimeData *source) const override;

protected:
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void ApplyWrapMode();

    bool m_bWordWrap = true;
    bool m_bTopMost = false;  // as stored; read again before each use of the command

    CAutoSaveScheduler *m_pAutoSave;  // a child of the view
    std::unique_ptr<CShortcutCommands> m_pShortcuts;
    std::unique_ptr<CHelpPageCommands> m_pHelpPages;
    std::unique_ptr<CPrintSetup> m_pPrintSetup;
    std::unique_ptr<CJumpCommands> m_pJumps;
    std::unique_ptr<CFontCommands> m_pFonts;
    std::unique_ptr<CIndentCommands> m_pIndent;
    std::unique_ptr<CSnippetCommands> m_pSnippets;
    QList<CommandTarget *> m_rooms;

    static const CommandMap<CNYOView> &messageMap();
};
