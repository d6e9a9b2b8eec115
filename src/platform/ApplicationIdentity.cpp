#include "platform/ApplicationIdentity.h"

#include "VLXVersion.h"

#include <QDir>
#include <QStringList>

namespace {
QString veryShortVersion()
{
    const QStringList parts
        = QString::fromLatin1(VLXVersion::kVersionString).split(QLatin1Char('.'));
    return parts.mid(0, 2).join(QLatin1Char('.'));
}
} // namespace

QString ApplicationIdentity::userFolder()
{
    return QDir(QDir::homePath()).filePath(QStringLiteral("Documents/Vellumcast"));
}

QString ApplicationIdentity::signature()
{
    return QStringLiteral("Vellumcast Mac v%1 (%2)")
        .arg(veryShortVersion(), QLatin1String(VLXVersion::kVersionString));
}
