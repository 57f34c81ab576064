#pragma once
// The print settings every print run of the program shares: the printer chosen with Print
// Setup and how many pages the preview shows side by side. The application owns them; the
// template hands them to each view it makes.
#include <memory>

class QPrinter;

class PrintSettings {
public:
    PrintSettings();
    ~PrintSettings();

    // The printer print runs use; made on first use.
    QPrinter *Printer();
    // Pages the print preview shows side by side (1 or 2; 0 until a preview has closed).
    int PreviewPages() const { return m_nPreviewPages; }
    void SetPreviewPages(int pages) { m_nPreviewPages = pages; }

private:
    std::unique_ptr<QPrinter> m_pPrinter;
    int m_nPreviewPages = 0;
};
