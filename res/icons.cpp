// The program icon (128) and the document icon (129), drawn at the sizes the window system
// asks for most: 16 and 32 pixels, plus 48 for large icon views.
#include "res/resources.h"
#include "res/resource.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Res {
namespace {

const QColor kInk(0x1a, 0x1a, 0x1a);
const QColor kRule(0x9a, 0xa4, 0xb0);
const QColor kBlueLight(0x3d, 0x7f, 0xe0);
const QColor kBlueDark(0x18, 0x3f, 0x8c);
const QColor kPencil(0xf0, 0x9a, 0x20);
const QColor kPencilDark(0xb0, 0x60, 0x10);

// Both icons are drawn on a 32 by 32 grid and scaled; the sheet edges stay on whole pixels
// at 16 and 32 so that the small icon is crisp.
void drawSheet(QPainter &p, const QRectF &r, qreal fold, int rules)
{
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    if (fold > 0) {
        QPainterPath corner;
        corner.moveTo(r.right() - fold, r.top());
        corner.lineTo(r.right() - fold, r.top() + fold);
        corner.lineTo(r.right(), r.top() + fold);
        corner.closeSubpath();
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        p.drawPath(corner);
    }
    p.setPen(QPen(kRule, 2.0, Qt::SolidLine, Qt::FlatCap));
    const qreal step = (r.height() - 6) / (rules + 1);
    for (int i = 1; i <= rules; ++i) {
        const qreal y = r.top() + 3 + i * step;
        const qreal end = (i == rules) ? r.left() + r.width() * 0.55 : r.right() - 4;
        p.drawLine(QPointF(r.left() + 4, y), QPointF(end, y));
    }
}

void drawTile(QPainter &p, const QRectF &r, qreal radius)
{
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, kBlueLight);
    fill.setColorAt(1, kBlueDark);
    p.setPen(QPen(kBlueDark.darker(130), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void drawPencil(QPainter &p)
{
    // A pencil lying from the lower right towards the sheet, point at the last rule.
    p.save();
    p.translate(28, 28);
    p.rotate(-135);
    p.setPen(QPen(kPencilDark, 1.0));
    p.setBrush(kPencil);
    p.drawRect(QRectF(0, -2, 9, 4));
    QPainterPath tip;
    tip.moveTo(9, -2);
    tip.lineTo(13, 0);
    tip.lineTo(9, 2);
    tip.closeSubpath();
    p.setBrush(QColor(0xf4, 0xd9, 0xa8));
    p.drawPath(tip);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(12.3, 0), 0.8, 0.8);
    p.restore();
}

void paintProgramIcon(QPainter &p)
{
    drawTile(p, QRectF(1.5, 1.5, 29, 29), 6);
    drawSheet(p, QRectF(6.5, 4.5, 17, 22), 0, 4);
    drawPencil(p);
}

void paintDocumentIcon(QPainter &p)
{
    drawSheet(p, QRectF(4.5, 1.5, 21, 29), 7, 5);
    drawTile(p, QRectF(17.5, 19.5, 12, 11), 3);
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(20.5, 23), QPointF(26.5, 23));
    p.drawLine(QPointF(20.5, 27), QPointF(24.5, 27));
}

} // namespace

QImage iconImage(int resourceId, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    if (resourceId == IDR_MAINFRAME)
        paintProgramIcon(p);
    else
        paintDocumentIcon(p);
    p.end();
    return image;
}

QIcon icon(int resourceId)
{
    if (resourceId != IDR_MAINFRAME && resourceId != IDR_NYOTYPE)
        return {};
    QIcon result;
    for (int size : {16, 32, 48})
        result.addPixmap(QPixmap::fromImage(iconImage(resourceId, size)));
    return result;
}

} // namespace Res
