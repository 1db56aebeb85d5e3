#include "SearchDialog.h"

#include "Application.h"
#include "SearchModel.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

SearchDialog::SearchDialog(const TDataSet& dataSet, const QString& title, QWidget* parent)
    : QDialog(parent), model_(new SearchModel(dataSet, this)), filter_(new QLineEdit(this)),
      list_(new QTableView(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("SearchDialog"));
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->setAccessibleName(QStringLiteral("Filtro"));
    filter_->setPlaceholderText(QStringLiteral("Digite parte do código ou do nome"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);

    list_->setObjectName(QStringLiteral("list"));
    list_->setAccessibleName(QStringLiteral("Registros encontrados"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setTabKeyNavigation(false);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->horizontalHeader()->setResizeContentsPrecision(200);
    list_->resizeColumnsToContents();
    list_->installEventFilter(this);

    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Escolher"));
    buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));

    auto* label = new QLabel(QStringLiteral("&Procurar:"), this);
    label->setBuddy(filter_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(filter_);
    layout->addWidget(list_);
    layout->addWidget(buttons_);
    resize(520, 360);

    connect(filter_, &QLineEdit::textChanged, this, &SearchDialog::filterChanged);
    connect(list_, &QTableView::doubleClicked, this, &SearchDialog::choose);
    connect(buttons_, &QDialogButtonBox::accepted, this, &SearchDialog::choose);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Application::instance().Guard([this] { updateChoice(); }); });
    filterChanged({});
    filter_->setFocus();
}

void SearchDialog::filterChanged(const QString& text)
{
    Application::instance().Guard([&] {
        model_->setFilter(text);
        if (model_->rowCount() > 0)
            list_->setCurrentIndex(model_->index(0, 0));
        updateChoice();
    });
}

void SearchDialog::updateChoice()
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(list_->currentIndex().isValid());
}

void SearchDialog::choose()
{
    Application::instance().Guard([this] {
        const QModelIndex current = list_->currentIndex();
        if (!current.isValid())
            return;
        chosenRow_ = model_->dataSetRow(current.row());
        accept();
    });
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    bool handled = false;
    Application::instance().Guard([&] {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == filter_)
            handled = forwardToList(key);
        else if (watched == list_)
            handled = forwardToFilter(key);
    });
    return handled;
}

// From the filter line the list still moves, so the hands never leave the keys.
bool SearchDialog::forwardToList(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        QKeyEvent copy(QEvent::KeyPress, event->key(), event->modifiers());
        QCoreApplication::sendEvent(list_, &copy);
        return true;
    }
    default:
        return false;
    }
}

// Letters typed in the list go on filtering.
bool SearchDialog::forwardToFilter(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    filter_->setFocus();
    filter_->insert(text);
    return true;
}
