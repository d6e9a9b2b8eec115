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
    // A name whose bytes are not UTF-8 comes as replacement characters, which name nothing.
    if (!path.isEmpty() && !info.exists() && path.contains(QChar::ReplacementCharacter))
        return {QStringLiteral("Unusable file name"),
                QStringLiteral("The name of the file \"%1\" holds bytes that are not UTF-8 "
                               "text, so it cannot be found again or written in the feed. Rename "
                               "the file and choose it again.")
                    .arg(path)};
    if (path.isEmpty() || !info.exists())
        return {QStringLiteral("File not found"),
                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    // Only an ordinary file has the length an enclosure announces and can be uploaded.
    if (info.isDir())
        return {QStringLiteral("Not a file"),
                QStringLiteral("\"%1\" is a folder; an enclosure is one file.").arg(path)};
    if (!info.isFile()) {
        QString message = QStringLiteral("\"%1\" is not an ordinary file (it is a device, a pipe "
                                         "or a socket) and cannot be an enclosure.")
                              .arg(path);
        if (!canonical.isEmpty() && canonical != path)
            message += QStringLiteral(" It links to \"%1\".").arg(canonical);
        return {QStringLiteral("Not a file"), message};
    }
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

bool LocalEnclosureFile::readEntry(const QVariant &value, QString *path, QDateTime *date)
{
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return false;
    const QVariantList list = value.toList();
    if (list.size() < 2 || !list.at(0).canConvert<QString>())
        return false;
    *path = list.at(0).toString();
    *date = list.at(1).toDateTime();
    return true;
}
