#include "ImportGlyph.h"

#include "Colors.h"

#include <QPainter>

namespace {

void drawImport(QPainter& p, int left, const QColor& arrow, const QColor& ink)
{
    p.setPen(ink);
    p.setBrush(Qt::white);
    p.drawRect(left + 6, 1, 8, 13);
    for (int y = 4; y <= 11; y += 2)
        p.drawLine(left + 8, y, left + 12, y);
    p.fillRect(left + 1, 7, 6, 2, arrow);
    const QPoint head[] = {{left + 6, 4}, {left + 10, 8}, {left + 6, 11}};
    p.setPen(arrow);
    p.setBrush(arrow);
    p.drawPolygon(head, 3);
}

} // namespace

QPixmap importGlyph()
{
    QPixmap strip(32, 16);
    strip.fill(Colors::clOlive);
    QPainter p(&strip);
    drawImport(p, 0, Qt::red, Qt::black);
    drawImport(p, 16, Qt::gray, Qt::darkGray);
    return strip;
}
