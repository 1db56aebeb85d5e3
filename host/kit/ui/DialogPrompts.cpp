#include "DialogPrompts.h"

#include "BusyIndicator.h"
#include "SearchDialog.h"
#include "Showavi.h"
#include "TDataSet.h"
#include "TDataSource.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>

namespace {

// Dialogs belong to whatever the user is looking at.
QWidget* dialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QString caption()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Atenção") : name;
}

} // namespace

int DialogPrompts::TitleWidth(const QWidget& window)
{
    // The window manager draws the title in its own bold face, beside an icon and three buttons.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int buttons = 4 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + buttons;
}

namespace {

// A short message makes a box narrower than its title: a spacer across the layout keeps the title whole.
void fitTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int inner = DialogPrompts::TitleWidth(box) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(inner, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

QString busyText(int kind)
{
    return kind == Showavi::Connecting ? QStringLiteral("Conectando ao servidor...")
                                       : QStringLiteral("Processando...");
}

void inform(const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption(), text, QMessageBox::Ok, dialogParent());
    fitTitle(box);
    box.exec();
}

} // namespace

DialogPrompts::DialogPrompts() = default;

DialogPrompts::~DialogPrompts()
{
    HideBusy();
    HideProgress();
}

void DialogPrompts::ShowError(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, caption(), message, QMessageBox::Ok, dialogParent());
    fitTitle(box);
    box.exec();
}

bool DialogPrompts::Confirm(const QString& question)
{
    QMessageBox box(QMessageBox::Question, caption(), question, QMessageBox::NoButton, dialogParent());
    QPushButton* yes = box.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    fitTitle(box);
    box.exec();
    return box.clickedButton() == yes;
}

UserPrompts::OpenLineAnswer DialogPrompts::AskOpenLine(const QString& question)
{
    QMessageBox box(QMessageBox::Question, caption(), question, QMessageBox::NoButton, dialogParent());
    QPushButton* save = box.addButton(QStringLiteral("&Gravar"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("&Descartar"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("&Continuar editando"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(stay);
    fitTitle(box);
    box.exec();
    if (box.clickedButton() == save)
        return OpenLineAnswer::Save;
    return box.clickedButton() == discard ? OpenLineAnswer::Discard : OpenLineAnswer::Stay;
}

bool DialogPrompts::ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText)
{
    TDataSet* const dataSet = source.DataSet();
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty()) {
        if (!emptyText.isEmpty())
            inform(emptyText);
        return false;
    }
    SearchDialog dialog(*dataSet, title, dialogParent());
    if (dialog.exec() != QDialog::Accepted || dialog.chosenRow() < 0)
        return false;
    dataSet->SetRecNo(dialog.chosenRow() + 1);
    return true;
}

void DialogPrompts::ShowBusy(QWidget* over, int kind)
{
    if (busy_ && busy_->parentWidget() != over)
        HideBusy();
    if (!busy_)
        busy_ = new BusyIndicator(over, busyText(kind)); // owned by `over`, or deleted in HideBusy
    else
        busy_->setText(busyText(kind));
    busy_->show();
    busy_->raise();
    busy_->repaint(); // a synchronous wait may not reach the event loop before it ends
}

void DialogPrompts::ShowBusyFor(QWidget* over, int, const QString& waitingFor)
{
    HideBusy();
    // Hidden until the wait passes the threshold: a quick call does not flash it.
    busy_ = new BusyIndicator(over, waitingFor, ShowWaitAfterMs); // owned by `over`, or deleted in HideBusy
}

void DialogPrompts::HideBusy()
{
    delete busy_.data();
}

bool DialogPrompts::ShowProgress(QWidget* over, const QString& text, qsizetype done, qsizetype total)
{
    if (!progress_) {
        // Owned by `over`'s window, or deleted in HideProgress.
        progress_ =
            new QProgressDialog(text, QStringLiteral("Cancelar"), 0, 1000, over ? over->window() : nullptr);
        progress_->setWindowTitle(caption());
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
    }
    progress_->setLabelText(text);
    // In thousandths, so that any count fits the dialog's int range; a modal dialog's setValue lets
    // "Cancelar" be pressed.
    progress_->setValue(total > 0 ? int(done * 1000 / total) : 0);
    return !progress_->wasCanceled();
}

void DialogPrompts::HideProgress()
{
    delete progress_.data();
}

QWidget* DialogPrompts::BusyWidget() const
{
    return busy_.data();
}
