#include "platform/framework/previewcanvas.h"

#include "platform/framework/pagestarts.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kGap = 12;  // screen pixels around and between pages
}

PreviewCanvas::PreviewCanvas(const QSizeF &paper, const PageStarts *starts, PaintPage paint, QWidget *parent)
    : QWidget(parent), m_paper(paper), m_pStarts(starts), m_paint(std::move(paint))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Resize();
}

void PreviewCanvas::Show(int page, bool facing)
{
    m_nPage = page;
    if (m_bFacing != facing) {
        m_bFacing = facing;
        Resize();
    }
    update();
}

void PreviewCanvas::SetZoom(qreal zoom)
{
    m_zoom = std::clamp(zoom, 0.01, 2.0);
    Resize();
    update();
}

qreal PreviewCanvas::ZoomToFit(const QSize &room, bool widthOnly) const
{
    const qreal across = (room.width() - kGap * (PagesAcross() + 1)) / (m_paper.width() * PagesAcross());
    const qreal down = (room.height() - 2 * kGap) / m_paper.height();
    return std::max<qreal>(0.01, widthOnly ? across : std::min(across, down));
}

void PreviewCanvas::Resize()
{
    const int width = qCeil(m_paper.width() * m_zoom);
    const int height = qCeil(m_paper.height() * m_zoom);
    resize(width * PagesAcross() + kGap * (PagesAcross() + 1), height + 2 * kGap);
}

void PreviewCanvas::RenderPage(QPainter &painter, int page) const
{
    const qsizetype from = m_pStarts->StartOf(page);
    if (from < 0)
        return;
    const QRectF paper(QPointF(0, 0), m_paper);
    painter.save();
    painter.fillRect(paper, Qt::white);
    painter.setClipRect(paper, Qt::IntersectClip);
    m_paint(painter, from);
    painter.restore();
}

void PreviewCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().dark());
    const QSizeF shown = m_paper * m_zoom;
    for (int i = 0; i < PagesAcross(); ++i) {
        const int page = m_nPage + i;
        if (m_pStarts->StartOf(page) < 0)
            continue;
        const QPointF corner(kGap + i * (shown.width() + kGap), kGap);
        if (!event->rect().intersects(QRectF(corner, shown).toAlignedRect()))
            continue;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(corner);
        painter.scale(m_zoom, m_zoom);
        RenderPage(painter, page);
        painter.restore();
        painter.setPen(palette().shadow().color());
        painter.drawRect(QRectF(corner, shown));
    }
}
