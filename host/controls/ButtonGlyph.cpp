#include "ButtonGlyph.h"

#include <QBitmap>
#include <QImage>

namespace ButtonGlyph {

int ImageCount(const QPixmap& strip)
{
    if (strip.isNull() || strip.height() == 0)
        return 0;
    return std::max(1, strip.width() / strip.height());
}

QPixmap Image(const QPixmap& strip, int index)
{
    const int side = strip.height();
    QPixmap image = strip.copy(index * side, 0, side, side);
    const QColor transparent = strip.toImage().pixelColor(0, side - 1);
    image.setMask(image.createMaskFromColor(transparent, Qt::MaskInColor));
    return image;
}

QIcon ToIcon(const QPixmap& strip)
{
    QIcon icon;
    const int count = ImageCount(strip);
    if (count == 0)
        return icon;
    icon.addPixmap(Image(strip, 0), QIcon::Normal);
    if (count > 1)
        icon.addPixmap(Image(strip, 1), QIcon::Disabled);
    return icon;
}

} // namespace ButtonGlyph
