#pragma once

#include <QFlags>

// What a TDBGrid allows and shows.
enum TDBGridOption {
    dgEditing = 0x0001,             // cells can be typed into
    dgAlwaysShowEditor = 0x0002,    // the cell editor stays open
    dgTitles = 0x0004,              // the title row
    dgIndicator = 0x0008,           // the row indicator column
    dgColumnResize = 0x0010,        // columns can be resized and moved by the user
    dgColLines = 0x0020,            // lines between columns
    dgRowLines = 0x0040,            // lines between rows
    dgTabs = 0x0080,                // Tab and Shift+Tab move between cells
    dgRowSelect = 0x0100,           // the whole row is selected
    dgAlwaysShowSelection = 0x0200, // the selection shows without the focus too
    dgConfirmDelete = 0x0400,       // Ctrl+Delete asks before deleting a line
    dgCancelOnExit = 0x0800,        // an untouched new line is cancelled when the grid loses the focus
    dgMultiSelect = 0x1000,         // several rows can be selected
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)
