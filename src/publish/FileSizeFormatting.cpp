#include "publish/FileSizeFormatting.h"

#include <array>

QString FileSizeFormatting::formattedFileSizeWithBytes(qint64 bytes)
{
    static const std::array<const char *, 7> suffix {"B ", "KB", "MB", "GB",
                                                     "TB", "PB", "EB"};
    qint64 n = bytes;
    size_t unit = 0;
    while (n >= 1024 && unit + 1 < suffix.size()) {
        n >>= 10;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(suffix[unit]));
}
