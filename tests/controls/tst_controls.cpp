#include "ButtonGlyph.h"
#include "Exception.h"
#include "RecordingPrompts.h"
#include "TButtonFlat.h"
#include "TDBText.h"
#include "TEdit.h"
#include "TForm.h"
#include "TLabel.h"
#include "TMainMenu.h"
#include "TMenuItem.h"
#include "TPageControl.h"
#include "TPanel.h"
#include "TScrollBox.h"
#include "TTabSheet.h"
#include "TestLines.h"

#include <QTabBar>
#include <QtTest>

namespace {

// Red mark on the normal image, grey mark on the disabled one, olive background.
QPixmap twoImageGlyph()
{
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 0));
    image.setPixelColor(4, 4, Qt::red);
    image.setPixelColor(20, 4, Qt::gray);
    return QPixmap::fromImage(image);
}

void showAndActivate(QWidget& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

class TstControls : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts_ = nullptr;

private slots:
    void init()
    {
        prompts_ = &installRecordingPrompts();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }

    void glyphSplitsNormalAndDisabledWithBottomLeftTransparent()
    {
        const QPixmap strip = twoImageGlyph();
        QCOMPARE(ButtonGlyph::ImageCount(strip), 2);
        const QImage normal = ButtonGlyph::Image(strip, 0).toImage();
        const QImage disabled = ButtonGlyph::Image(strip, 1).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        QCOMPARE(normal.pixelColor(4, 4), QColor(Qt::red));
        QCOMPARE(normal.pixelColor(0, 15).alpha(), 0);
        QCOMPARE(disabled.pixelColor(4, 4), QColor(Qt::gray));
        QCOMPARE(disabled.pixelColor(8, 8).alpha(), 0);

        TButtonFlat button;
        button.SetGlyph(strip);
        const QImage shownDisabled = button.icon().pixmap(16, 16, QIcon::Disabled).toImage();
        QCOMPARE(shownDisabled.pixelColor(4, 4), QColor(Qt::gray));
    }

    void buttonClickAndClickFromCodeRunOnClick()
    {
        QWidget top;
        auto* button = new TButtonFlat(&top);
        button->setGeometry(10, 10, 21, 21);
        button->SetHint(QStringLiteral("Importa Efetivos do Faturamento"));
        QCOMPARE(button->toolTip(), QStringLiteral("Importa Efetivos do Faturamento"));
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        int clicks = 0;
        button->OnClick = [&](QObject* sender) {
            QCOMPARE(sender, button);
            ++clicks;
            if (clicks == 2)
                throw Exception(QStringLiteral("falhou"));
        };
        showAndActivate(top);
        QTest::mouseClick(top.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        QCOMPARE(clicks, 1);
        QTest::mouseClick(top.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        QCOMPARE(prompts_->errors, QStringList({"falhou"}));
        button->SetEnabled(false);
        QTest::mouseClick(top.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        QCOMPARE(clicks, 2);
        button->Click();
        QCOMPARE(clicks, 3);
    }

    void menuItems()
    {
        TForm form;
        auto* menu = new TMainMenu(&form);
        auto* maintenance = new TMenuItem(&form);
        maintenance->SetCaption(QStringLiteral("&Manutenção"));
        menu->Add(maintenance);
        auto* line = new TMenuItem(&form);
        line->SetCaption(QStringLiteral("-"));
        auto* import = new TMenuItem(&form);
        import->SetCaption(QStringLiteral("Importa Efetivos do &Faturamento"));
        maintenance->Add(line);
        maintenance->Add(import);
        QCOMPARE(menu->Count(), 1);
        QCOMPARE(maintenance->Count(), 2);
        QVERIFY(line->isSeparator());
        QCOMPARE(maintenance->Items(1), import);
        int clicks = 0;
        import->OnClick = [&](QObject*) { ++clicks;
    };
    import->trigger();
    import->Click();
    QCOMPARE(clicks, 2);
    import->SetEnabled(false);
    import->trigger();
    QCOMPARE(clicks, 2);
}

    void hiddenTabShowsThePageAlone()
{
    TPageControl pages;
    auto* sheet = new TTabSheet(&pages);
    sheet->SetCaption(QStringLiteral("tsh"));
    sheet->SetTabVisible(false);
    pages.SetActivePage(sheet);
    pages.resize(300, 200);
    showAndActivate(pages);
    QVERIFY(pages.TabBar()->isHidden());
    QCOMPARE(pages.ActivePage(), sheet);
    QVERIFY(sheet->isVisible());
    QVERIFY(sheet->height() > 190);
}

void labelAcceleratorFocusesItsControl()
{
    TForm form;
    auto* first = new TEdit(&form);
    first->setGeometry(0, 0, 50, 20);
    auto* label = new TLabel(&form);
    label->SetCaption(QStringLiteral("&Filial"));
    label->setGeometry(0, 30, 105, 13);
    auto* target = new TEdit(&form);
    target->setGeometry(60, 30, 50, 20);
    label->SetFocusControl(target);
    showAndActivate(form);
    first->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), target);
    QCOMPARE(label->width(), 105); // no fitting to the text
}

void topAndClientAlignment()
{
    TForm form;
    auto* bar = new TPanel(&form);
    bar->resize(10, 28);
    bar->SetAlign(TAlign::alTop);
    auto* filter = new TPanel(&form);
    filter->resize(10, 60);
    filter->SetAlign(TAlign::alTop);
    auto* pages = new TPageControl(&form);
    pages->SetAlign(TAlign::alClient);
    auto* box = new TScrollBox(pages);
    Q_UNUSED(box);
    form.resize(594, 309);
    showAndActivate(form);
    form.resize(700, 500);
    QTRY_COMPARE(pages->geometry(), QRect(0, 88, 700, 412));
    QCOMPARE(filter->geometry(), QRect(0, 28, 700, 60));
}

void dbTextFollowsTheCurrentLine()
{
    QObject owner;
    TestLines lines(&owner);
    lines.loadThree();
    TDBText text;
    text.SetDataSource(lines.source);
    text.SetDataField(QStringLiteral("QTY"));
    QCOMPARE(text.text(), QStringLiteral("1.234,500"));
    lines.cds->Next();
    QCOMPARE(text.text(), QStringLiteral("2,000"));
    lines.source->SetEnabled(false);
    QCOMPARE(text.text(), QString());
}
}
;

QTEST_MAIN(TstControls)
#include "tst_controls.moc"
