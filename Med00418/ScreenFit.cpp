#include "ScreenFit.h"

#include "TColumn.h"
#include "TColumnTitle.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TLabel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace ScreenFit {

namespace {

constexpr int SmallestFont = 7;

int textWidth(const QFont& font, const QString& text)
{
    // Rounded up: a fraction of a pixel short is enough to clip the last letter.
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

} // namespace

void FitLabel(TLabel& label, int room)
{
    QFont font = label.font();
    while (textWidth(font, label.text()) > room && font.pixelSize() > SmallestFont)
        font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
    label.resize(std::clamp(textWidth(font, label.text()), label.width(), std::max(room, label.width())),
                 label.height());
}

void WidenColumn(TDBGrid& grid, int index, int content)
{
    TColumn* column = grid.Columns()[index];
    const QStyle* style = grid.style();
    const int headerMargins = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &grid);
    const int cellMargins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    const int title = textWidth(grid.TitleFont(), column->Title().Caption()) + headerMargins;
    const int needed = std::max(title, content + cellMargins) + 1; // the column line
    if (column->Width() < needed)
        column->SetWidth(needed);
}

void StretchColumn(TDBGrid& grid, int index)
{
    grid.horizontalHeader()->setSectionResizeMode(index, QHeaderView::Stretch);
}

} // namespace ScreenFit
