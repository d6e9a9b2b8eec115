#include "model/LocalEnclosureFile.h"

#include "model/VLXItems.h"
#include "model/mimeTypes.h"
#include "platform/AlertService.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

QStringList LocalEnclosureFile::check(const QString &path, const QString &enclosureURL,
                                      Facts *facts)
{
    // A link is followed: the size and existence are those of the file it names.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QFileInfo info(canonical.isEmpty() ? path : canonical);
    if (path.isEmpty() || !info.exists())
        return {QStringLiteral("File not found"),
                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    const QString urlType = mimeTypes::sharedMimeTypeForPath(QUrl(enclosureURL).path());
    const QString fileType = mimeTypes::sharedMimeTypeForPath(path);
    if (!enclosureURL.isEmpty() && urlType != fileType) {
        Alert mismatch;
        mismatch.style = Alert::Style::Informational;
        mismatch.title = QStringLiteral("MIME Mismatch");
        // The types come from the user's URL and file name: filled in, never a format.
        mismatch.message = QStringLiteral("The MIME type for the URL, \"%1\", does not match the "
                                          "MIME type of the file just selected, \"%2\".  This "
                                          "will cause problems with feed readers.")
                               .arg(urlType, fileType);
        mismatch.defaultButton = QStringLiteral("Cancel");
        mismatch.alternateButton = QStringLiteral("Continue");
        if (AlertService::show(mismatch) == AlertService::kDefault)
            return {QStringLiteral("Canceled"), QStringLiteral("Field change canceled by user")};
    }
    if (facts) {
        facts->path = path;
        facts->length = QString::number(info.size());
        facts->type = fileType;
    }
    return {};
}

QStringList LocalEnclosureFile::attach(VLXItems &item, const QString &path, bool pathAlreadyShown)
{
    return attach(item, path, pathAlreadyShown, item.enclosureAttrURL());
}

QStringList LocalEnclosureFile::attach(VLXItems &item, const QString &path, bool pathAlreadyShown,
                                       const QString &enclosureURL)
{
    Facts facts;
    const QStringList refused = check(path, enclosureURL, &facts);
    if (!refused.isEmpty())
        return refused;
    item.setLocalEnclosureFilePath(facts.path);
    item.setEnclosureAttrLength(facts.length);
    item.setEnclosureAttrType(facts.type);
    if (!pathAlreadyShown)
        item.setLastUploaded(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    return {};
}
