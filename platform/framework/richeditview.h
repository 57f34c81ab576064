#pragma once
// The framework's editing view: the control, its document, the edit commands every
// editing view offers (undo, cut, copy, paste, clear, select all, find, replace, find next)
// and printing: the text laid out on pages of a fixed paper size less the print margins.
#include "platform/framework/commandtarget.h"
#include "platform/framework/printinfo.h"
#include "platform/engine/richedit.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QMargins>
#include <QSize>

class QPainter;
class QPrinter;
class QRectF;
class PrintSettings;
class RichEditDoc;

class RichEditView : public RichEdit, public CommandTarget {
    Q_OBJECT
public:
    explicit RichEditView(QWidget *parent = nullptr);
    ~RichEditView() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    RichEditDoc *GetDocument() const { return m_pDocument; }
    void SetDocument(RichEditDoc *document) { m_pDocument = document; }

    // Called once the view is placed in its frame; -1 fails the window's creation. The text
    // limit is the document's, set as the view joins it.
    virtual int OnCreate();
    // Called after the document has been loaded or made new.
    virtual void OnInitialUpdate() {}
    // Called as the view's frame is destroyed.
    virtual void OnDestroy() {}

    // Where the state of this view's commands can change.
    Q_SIGNAL void commandStateChanged();

    // The printer and preview settings the view's print runs use and keep; without them a run
    // uses a printer of the view's own and the preview shows one page.
    void SetPrintSettings(PrintSettings *settings) { m_pPrintSettings = settings; }
    PrintSettings *GetPrintSettings() const { return m_pPrintSettings; }

    // Print margins in twips, 0 on every side until set.
    void SetMargins(const QMargins &twips) { m_rectMargin = twips; }
    // The paper the text is laid out for, in twips: 8.5 by 11 inches whatever the printer holds.
    QSize GetPaperSize() const { return {12240, 15840}; }

    // A print or preview run calls these in order: prepare (false ends the run before it
    // starts), begin once, print each page, end once, also when the run failed or was
    // cancelled after beginning.
    virtual bool OnPreparePrinting(PrintInfo *info);
    virtual void OnBeginPrinting(QPrinter *printer, PrintInfo *info);
    virtual void OnPrint(QPainter *painter, PrintInfo *info);
    virtual void OnEndPrinting(QPrinter *printer, PrintInfo *info);

    // The rectangle of a page that text is printed in, in the printer's pixels.
    QRectF PrintArea(const QPrinter *printer) const;
    // The largest print margins, in twips, that the text is laid out with: a larger one is cut
    // to leave an inch of the paper to print on.
    QMargins MaxMargins() const;

protected:
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    void OnUpdateNeedSel(CmdUI *ui);
    void OnUpdateEditUndo(CmdUI *ui);
    void OnUpdateEditPaste(CmdUI *ui);
    void OnUpdateNeedFind(CmdUI *ui);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // The print dialog, unless the run is a preview or prints directly.
    bool DoPreparePrinting(PrintInfo *info);

private:
    QPrinter *Printer();
    QFont PrintFont(const QPrinter *printer) const;
    QColor PrintColor() const;
    void Print(bool direct);
    void PrintPages(QPrinter *printer, PrintInfo *info);
    void LayOutPage(QPainter *painter, PrintInfo *info);

    RichEditDoc *m_pDocument = nullptr;
    PrintSettings *m_pPrintSettings = nullptr;
    QMargins m_rectMargin;
    QList<qsizetype> m_aPageStart;  // where each page laid out so far starts

    static const CommandMap<RichEditView> &messageMap();
};
