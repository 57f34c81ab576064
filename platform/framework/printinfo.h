#pragma once
// What a print or preview run tells the view's printing hooks: the kind of run, the printer
// and the page being printed.
#include <QString>

class QPrinter;

struct PrintInfo {
    bool m_bPreview = false;          // laid out for the preview window
    bool m_bDirect = false;           // printed without the print dialog
    QPrinter *m_pPrinter = nullptr;
    QString m_strDocName;             // the name the progress window shows; the window's title when empty
    int m_nCurPage = 1;               // the page OnPrint draws, from 1
    bool m_bContinuePrinting = true;  // false once OnPrint has drawn the last page
};
