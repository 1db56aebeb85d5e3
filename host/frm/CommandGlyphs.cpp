#include "CommandGlyphs.h"

#include "Colors.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace CommandGlyphs {

namespace {

using Draw = void (*)(QPainter&, const QColor& ink, const QColor& paper);

void sheet(QPainter& p, const QColor& ink, const QColor& paper)
{
    p.setPen(ink);
    p.setBrush(paper);
    p.drawRect(3, 1, 9, 13);
}

void insert(QPainter& p, const QColor& ink, const QColor& paper)
{
    sheet(p, ink, paper);
    p.fillRect(6, 7, 7, 2, ink);
    p.fillRect(8, 5, 2, 6, ink);
}

void edit(QPainter& p, const QColor& ink, const QColor& paper)
{
    sheet(p, ink, paper);
    p.setPen(QPen(ink, 2));
    p.drawLine(6, 11, 13, 4);
    p.drawPoint(5, 12);
}

void remove(QPainter& p, const QColor& ink, const QColor& paper)
{
    sheet(p, ink, paper);
    p.setPen(QPen(ink, 2));
    p.drawLine(5, 4, 11, 11);
    p.drawLine(11, 4, 5, 11);
}

void search(QPainter& p, const QColor& ink, const QColor&)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(2, 2, 8, 8);
    p.drawLine(9, 9, 13, 13);
}

void refresh(QPainter& p, const QColor& ink, const QColor&)
{
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(3, 3, 10, 10, 30 * 16, 280 * 16);
    p.fillRect(11, 2, 3, 4, ink);
}

void confirm(QPainter& p, const QColor& ink, const QColor&)
{
    p.setPen(QPen(ink, 2));
    p.drawLine(2, 8, 6, 12);
    p.drawLine(6, 12, 13, 3);
}

void cancel(QPainter& p, const QColor& ink, const QColor&)
{
    p.setPen(QPen(ink, 2));
    p.drawLine(3, 3, 12, 12);
    p.drawLine(12, 3, 3, 12);
}

void print(QPainter& p, const QColor& ink, const QColor& paper)
{
    p.setPen(ink);
    p.setBrush(paper);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(ink);
    p.drawRect(1, 6, 13, 6);
    p.setBrush(paper);
    p.drawRect(4, 10, 7, 4);
}

void help(QPainter& p, const QColor& ink, const QColor&)
{
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

void close(QPainter& p, const QColor& ink, const QColor& paper)
{
    p.setPen(ink);
    p.setBrush(paper);
    p.drawRect(2, 1, 8, 13);
    p.setPen(QPen(ink, 2));
    p.drawLine(8, 8, 14, 8);
    p.drawLine(12, 6, 14, 8);
    p.drawLine(12, 10, 14, 8);
}

Draw drawing(Command command)
{
    switch (command) {
    case Command::Insert:
        return insert;
    case Command::Edit:
        return edit;
    case Command::Delete:
        return remove;
    case Command::Search:
        return search;
    case Command::Refresh:
        return refresh;
    case Command::Confirm:
        return confirm;
    case Command::Cancel:
        return cancel;
    case Command::Print:
        return print;
    case Command::Help:
        return help;
    case Command::Close:
        return close;
    }
    return help;
}

QColor inkOf(Command command)
{
    switch (command) {
    case Command::Delete:
    case Command::Cancel:
        return QColor(192, 0, 0);
    case Command::Confirm:
    case Command::Insert:
        return QColor(0, 128, 0);
    default:
        return QColor(0, 0, 128);
    }
}

} // namespace

QPixmap Glyph(Command command)
{
    QPixmap strip(32, 16);
    strip.fill(Colors::clOlive);
    QPainter painter(&strip);
    const Draw draw = drawing(command);
    painter.setClipRect(0, 0, 16, 16);
    // The command's colour, lightened where the desktop's buttons are dark.
    draw(painter, Colors::Readable(inkOf(command), QApplication::palette().color(QPalette::Button)),
         Qt::white);
    painter.translate(16, 0);
    painter.setClipRect(0, 0, 16, 16);
    draw(painter, QColor(128, 128, 128), Qt::white);
    painter.end();
    // Keep the bottom-left pixel olive whatever the drawing did: it names the transparent colour.
    QImage image = strip.toImage();
    image.setPixelColor(0, 15, Colors::clOlive);
    return QPixmap::fromImage(image);
}

} // namespace CommandGlyphs
