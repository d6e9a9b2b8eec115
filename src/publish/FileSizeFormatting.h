#pragma once

#include <QString>

// The size column of the folder browsers: the byte count in the largest unit it reaches,
// rounded down ("1023 B ", "1 KB", "4 MB"). The byte unit carries a trailing blank so that
// the two-letter units line up with it.
class FileSizeFormatting
{
public:
    static QString formattedFileSizeWithBytes(qint64 bytes);
};
