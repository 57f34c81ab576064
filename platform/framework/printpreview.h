#pragma once
// The print preview window: the text's pages as they will print, one or two side by side, with
// zoom, page number and paging, and printing from the window. Pages are laid out only as they
// are shown; where each starts is found in the background, so the first page shows at once and
// the page count fills in while the window answers.
#include "platform/framework/pagestarts.h"
#include "platform/framework/previewcanvas.h"

#include <QDialog>

class QAction;
class QLabel;
class QScrollArea;
class QSpinBox;

class PrintPreview : public QDialog {
    Q_OBJECT
public:
    // exec()'s result when the window closed to print.
    enum { Print = 2 };

    // paper: the printer's paper in its pixels; length: the text's; next and paint lay out a
    // page from where it starts (measuring only, or drawing in the printer's pixels).
    PrintPreview(const QSizeF &paper, qsizetype length, PageStarts::NextStart next,
                 PreviewCanvas::PaintPage paint, QWidget *parent = nullptr);

    // Two pages side by side, or one.
    void SetFacing(bool facing);
    bool Facing() const { return m_bFacing; }
    // The page shown first (from 1); moving to a page not yet known stops at the last known.
    int CurrentPage() const { return m_nPage; }
    void SetCurrentPage(int page);
    const PageStarts &Starts() const { return m_starts; }
    const PreviewCanvas &Canvas() const { return *m_pCanvas; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Fit { Page, Width, None };
    QAction *AddAction(const QString &name, const QString &icon, const QString &text);
    void MakeToolBar();
    void Step(int pages);
    void SetFit(Fit fit);
    void Zoom(qreal factor);
    void Refit();
    void ShowCount();

    PageStarts m_starts;
    QScrollArea *m_pScroll;
    PreviewCanvas *m_pCanvas;
    QSpinBox *m_pPageNumber = nullptr;
    QLabel *m_pPageCount = nullptr;
    int m_nPage = 1;
    bool m_bFacing = false;
    Fit m_fit = Fit::Page;
};
