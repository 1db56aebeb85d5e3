#pragma once

#include "host_controls_export.h"

#include <QObject>
#include <memory>
#include <vector>

class TColumn;
class TDBGrid;

// The columns of a TDBGrid. While none were added, the grid shows one default column per visible field
// of its data set; adding a column replaces those.
class HOST_CONTROLS_EXPORT TColumns : public QObject {
    Q_OBJECT

public:
    explicit TColumns(TDBGrid* grid);
    ~TColumns() override;

    TDBGrid* Grid() const { return grid_; }
    TColumn* Add();
    int Count() const { return int(items_.size()); }
    TColumn* Items(int index) const;
    TColumn* operator[](int index) const { return Items(index); }
    int IndexOf(const TColumn* column) const;
    void Clear();
    // True while the columns are the default ones made from the fields.
    bool IsDefault() const { return default_; }
    // Makes the default columns for these field names (only while no column was added).
    void SetDefaults(const QStringList& fieldNames);

signals:
    void columnChanged(int index);
    void columnsReset();

private:
    friend class TColumn;
    void notifyChanged(const TColumn* column);

    TDBGrid* grid_;
    std::vector<std::unique_ptr<TColumn>> items_;
    bool default_ = true;
};
