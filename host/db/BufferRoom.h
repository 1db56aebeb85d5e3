#pragma once

#include <QByteArray>

// Bytes that really follow a QByteArray's text inside its allocation, readable though not part of it.
// capacity() is no guide: it counts from the allocation's start, so once the array's front was removed
// (remove(0, n) moves data() forward) it promises room after the text that is not there.
inline qsizetype roomAfter(const QByteArray& text)
{
    // Only read here; Qt 6.4 has no const overload of data_ptr(). Raw data and empty arrays have none.
    return const_cast<QByteArray&>(text).data_ptr().freeSpaceAtEnd();
}
