#include "TBtnPesquisa.h"

#include "Application.h"
#include "Exception.h"
#include "TDataSource.h"
#include "UserPrompts.h"

#include <QPainter>

namespace {

// A magnifying glass, normal then greyed, on a background that the glyph strip treats as clear.
QPixmap magnifierGlyph()
{
    QPixmap strip(32, 16);
    strip.fill(Qt::magenta);
    QPainter painter(&strip); // no antialiasing: blended edges would keep a tint of the clear colour
    const QColor inks[] = {QColor(0, 0, 128), QColor(128, 128, 128)};
    for (int image = 0; image < 2; ++image) {
        const int left = image * 16;
        painter.setPen(QPen(inks[image], 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(left + 2, 2, 8, 8));
        painter.setPen(QPen(inks[image], 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(left + 10, 10), QPointF(left + 13.5, 13.5));
    }
    return strip;
}

} // namespace

TBtnPesquisa::TBtnPesquisa(QWidget* parent) : TButtonFlat(parent)
{
    SetGlyph(magnifierGlyph());
    SetHint(QStringLiteral("Pesquisar"));
    // The base raises OnClick on a click; the search follows it.
    connect(this, &QToolButton::clicked, this,
            [this] { Application::instance().Guard([this] { search(); }); });
}

void TBtnPesquisa::Click()
{
    TButtonFlat::Click();
    search();
}

void TBtnPesquisa::search()
{
    bool proceed = true;
    OnBeforePesq(this, proceed);
    if (!proceed)
        return;
    if (!dataSource_)
        throw Exception(QStringLiteral("A pesquisa \"%1\" não tem fonte de dados.").arg(title_));
    if (!Application::instance().Prompts().ChooseRecord(*dataSource_, title_, emptyError_)) {
        OnCancelPesq(this);
        return;
    }
    OnAfterPesq(this);
    // Back to the field, its new text selected, as if the user had come in by the keyboard.
    if (associate_ && associate_->isEnabled() && associate_->isVisible())
        associate_->setFocus(Qt::ShortcutFocusReason);
}
