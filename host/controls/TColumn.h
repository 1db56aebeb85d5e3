#pragma once

#include "TColumnTitle.h"
#include "host_controls_export.h"

#include <QString>

class TColumns;
class TField;

// What a column's cell editor offers besides typing: nothing, or a button with an ellipsis that raises
// the grid's OnEditButtonClick.
enum class TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

// A column of a TDBGrid: the field it shows, its title, width, alignment and cell button. Made and
// owned by the grid's TColumns.
class HOST_CONTROLS_EXPORT TColumn {
public:
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    TColumns& Collection() const { return owner_; }
    int Index() const;

    QString FieldName() const { return fieldName_; }
    void SetFieldName(const QString& fieldName);
    // The field of that name in the grid's data set; null when there is none.
    TField* Field() const;

    TColumnTitle& Title() { return title_; }
    const TColumnTitle& Title() const { return title_; }

    // The width given, or one that fits the field's usual text and the title.
    int Width() const;
    bool HasWidth() const { return width_ >= 0; }
    void SetWidth(int width);
    // The alignment given, or right for numbers and left for the rest.
    Qt::Alignment Alignment() const;
    void SetAlignment(Qt::Alignment alignment);
    TColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyle style);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

private:
    friend class TColumns;
    friend class TColumnTitle;
    friend class TDBGrid;

    explicit TColumn(TColumns& owner) : owner_(owner), title_(*this) {}
    void changed();
    int defaultWidth() const;

    TColumns& owner_;
    TColumnTitle title_;
    QString fieldName_;
    int width_ = -1;
    Qt::Alignment alignment_;
    bool hasAlignment_ = false;
    TColumnButtonStyle buttonStyle_ = TColumnButtonStyle::cbsAuto;
    bool readOnly_ = false;
    bool visible_ = true;
};
