#include "Consiste.h"
#include "DateText.h"
#include "TField.h"

namespace Consiste {

void DateSetText(TField* field, const QString& text)
{
    Q_ASSERT(field);
    if (DateText::isBlank(text)) {
        field->Clear();
        return;
    }
    const QDate date = DateText::parse(text);
    if (!date.isValid())
        DateText::raiseInvalid(text);
    field->SetAsDateTime(TDateTime::fromDate(date));
}

} // namespace Consiste
