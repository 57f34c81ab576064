#pragma once
// Printing for one editor view: the print font and page margins, their commands, and the
// hooks that put them in place from the beginning of a print or preview run to its end, after
// which the display font comes back.
#include "platform/engine/charformat.h"
#include "platform/framework/commandtarget.h"

#include <QMargins>

class RichEditView;

class CPrintSetup : public CommandTarget {
public:
    // The page margins start as stored.
    explicit CPrintSetup(RichEditView *view);

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The view's hooks at the beginning and end of each run.
    void BeginRun();
    void EndRun();

    // Page margins in hundredths of a millimetre.
    const QMargins &PageMargin() const { return m_rectPageMargin; }

private:
    void OnFormatPrintFont();
    void OnFilePageSetup();

    RichEditView *m_pView;
    QMargins m_rectPageMargin;
    QMargins m_rectPrintMargin;  // in twips, as the last run printed
    // The format the text had as the run began, for a store that holds no display font.
    CharFormat m_cfBeforePrinting;

    static const CommandMap<CPrintSetup> &messageMap();
};
