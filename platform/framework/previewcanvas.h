#pragma once
// The print preview's paper: the page shown (or two side by side) on a grey ground, at the
// zoom asked for. Each paint lays its pages out afresh from where they start, so the preview
// holds no page's layout between paints, whatever the length of the text.
#include <QWidget>

#include <functional>

class PageStarts;

class PreviewCanvas : public QWidget {
    Q_OBJECT
public:
    // Draws the page that starts at from onto a painter in the printer's pixels.
    using PaintPage = std::function<void(QPainter &painter, qsizetype from)>;

    // paper: the printer's paper in its pixels.
    PreviewCanvas(const QSizeF &paper, const PageStarts *starts, PaintPage paint, QWidget *parent = nullptr);

    // The first page shown (from 1) and whether the next is shown beside it.
    void Show(int page, bool facing);
    // Screen pixels to a printer pixel; the widget takes the size of its pages at that zoom.
    void SetZoom(qreal zoom);
    qreal Zoom() const { return m_zoom; }
    // The zoom at which the pages shown fit width by height, less the gaps around them.
    qreal ZoomToFit(const QSize &room, bool widthOnly) const;

    // Draws a page onto painter, in the printer's pixels as the printer has it: white paper,
    // then the text. Nothing for a page whose start is not known yet.
    void RenderPage(QPainter &painter, int page) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int PagesAcross() const { return m_bFacing ? 2 : 1; }
    void Resize();

    QSizeF m_paper;
    const PageStarts *m_pStarts;
    PaintPage m_paint;
    int m_nPage = 1;
    bool m_bFacing = false;
    qreal m_zoom = 0.1;
};
