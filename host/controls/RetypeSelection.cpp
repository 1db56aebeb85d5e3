#include "RetypeSelection.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

namespace {

const QString Name = QStringLiteral("selectOnReturn");

// Lives on the box until the focus comes back to it.
class SelectOnReturn : public QObject {
public:
    explicit SelectOnReturn(QLineEdit* box) : QObject(box), box_(box)
    {
        setObjectName(Name);
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != box_ || event->type() != QEvent::FocusIn)
            return false;
        // A click places the caret where the user pointed: that wins.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            box_->selectAll();
        box_->removeEventFilter(this);
        setObjectName(QString());
        deleteLater();
        return false;
    }

private:
    QLineEdit* box_;
};

} // namespace

void RetypeSelection::Select(QWidget* box)
{
    auto* edit = qobject_cast<QLineEdit*>(box);
    if (!edit)
        return;
    edit->selectAll();
    const bool focusedNow = edit->window()->isActiveWindow() && QApplication::focusWidget() == edit;
    if (!focusedNow && !edit->findChild<QObject*>(Name, Qt::FindDirectChildrenOnly))
        new SelectOnReturn(edit); // owned by the box
}
