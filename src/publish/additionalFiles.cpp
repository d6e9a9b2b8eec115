#include "publish/additionalFiles.h"

#include "model/TitledElement.h"
#include "model/VLXFeed.h"
#include "platform/BoundedFileReader.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "publish/PublishPaths.h"
#include "xml/vlxXMLDOM.h"

#include <QFileInfo>
#include <limits>

namespace {

[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("additionalFiles"), [] { return std::make_shared<additionalFiles>(); });

struct IntField
{
    const char *key;
    int (additionalFiles::*get)() const;
    void (additionalFiles::*set)(int);
};
struct TextField
{
    const char *key;
    const QString &(additionalFiles::*get)() const;
    void (additionalFiles::*set)(const QString &);
};

// The archive keys of the record's fields.
const IntField kIntFields[] = {
    {"AddFilesType", &additionalFiles::fileType, &additionalFiles::setFileType},
    {"AddFilesStdDest", &additionalFiles::fileDestination, &additionalFiles::setFileDestination},
    {"AddFilesExportLimit", &additionalFiles::limitNumber, &additionalFiles::setLimitNumber},
    {"AddFilesExportLimitValue", &additionalFiles::limitNumberValue,
     &additionalFiles::setLimitNumberValue},
    {"AddFilesExportNoFuture", &additionalFiles::noFuture, &additionalFiles::setNoFuture},
};
const TextField kTextFields[] = {
    {"AddFilesOtherDest", &additionalFiles::fileOtherDestination,
     &additionalFiles::setFileOtherDestination},
    {"AddFilesExportTemplate", &additionalFiles::exportTemplate,
     &additionalFiles::setExportTemplate},
    {"AddFilesLocalFile", &additionalFiles::localFile, &additionalFiles::setLocalFile},
    {"AddFilesRemoteFile", &additionalFiles::filename, &additionalFiles::setFilename},
};
const char *const kLastUploadedKey = "AddFilesLastUploaded";

// The source texts of the file types, with "%1" for the template path.
const char *const kSourceTexts[] = {"HTML Export with %1", "JavaScript Export with %1",
                                    "Text Export with %1", "CSV Export with %1", "XML Export"};

additionalFiles::OPMLBuilder &opmlBuilder()
{
    static additionalFiles::OPMLBuilder builder;
    return builder;
}

std::optional<QByteArray> fail(QString *failure, const QString &reason)
{
    if (failure)
        *failure = reason;
    return std::nullopt;
}

} // namespace

void additionalFiles::setOPMLBuilder(OPMLBuilder builder)
{
    opmlBuilder() = std::move(builder);
}

additionalFiles::additionalFiles() : m_lastUploaded(TitledElement::neverUploaded()) { }

std::shared_ptr<additionalFiles> additionalFiles::copy() const
{
    return std::make_shared<additionalFiles>(*this);
}

void additionalFiles::setLastUploaded(const QDateTime &value)
{
    m_lastUploaded = value.isValid() ? value : TitledElement::neverUploaded();
}

QString additionalFiles::fileSource() const
{
    if (m_fileType >= HTMLExport && m_fileType <= CSVExport)
        return QString::fromLatin1(kSourceTexts[m_fileType])
            .arg(PublishPaths::abbreviateWithTilde(m_exportTemplate));
    switch (m_fileType) {
    case XMLExport:
        return QString::fromLatin1(kSourceTexts[XMLExport]);
    case LocalFile:
        return PublishPaths::abbreviateWithTilde(m_localFile);
    case OPMLList:
        return QStringLiteral("OPML list of feeds");
    default:
        return QStringLiteral("");
    }
}

std::optional<QByteArray> additionalFiles::dataForFile(const VLXFeed *feed, QString *failure) const
{
    switch (m_fileType) {
    case LocalFile: {
        // Held whole in memory: only an ordinary file, and no larger than a feed may be.
        QString problem;
        std::optional<QByteArray> bytes
            = BoundedFileReader::read(m_localFile, vlxXMLDOM::maximumInputSize(), &problem);
        if (!bytes)
            return fail(failure, problem);
        return bytes;
    }
    case OPMLList: {
        std::optional<QByteArray> bytes;
        if (opmlBuilder())
            bytes = opmlBuilder()();
        if (!bytes)
            return fail(failure, QStringLiteral("The OPML list of feeds could not be made"));
        return bytes;
    }
    case HTMLExport:
    case JavaScriptExport:
    case TextExport:
    case CSVExport:
        if (!QFileInfo(m_exportTemplate).isFile() || !QFileInfo(m_exportTemplate).isReadable())
            return fail(failure,
                        QStringLiteral("The template %1 does not exist")
                            .arg(PublishPaths::abbreviateWithTilde(m_exportTemplate)));
        [[fallthrough]];
    case XMLExport: {
        if (!feed)
            return fail(failure, QStringLiteral("There is no feed to export"));
        const QString text = feed->buildExport(m_fileType, m_exportTemplate, m_noFuture != 0,
                                               m_limitNumber != 0, m_limitNumberValue);
        return text.toUtf8();
    }
    default:
        return fail(failure, QStringLiteral("Unknown kind of file (%1)").arg(m_fileType));
    }
}

QString additionalFiles::archiveClassName() const
{
    return QStringLiteral("additionalFiles");
}

void additionalFiles::encodeWithCoder(KeyedArchiver &coder) const
{
    for (const IntField &field : kIntFields)
        coder.encodeInt((this->*field.get)(), QLatin1String(field.key));
    for (const TextField &field : kTextFields)
        coder.encodeString((this->*field.get)(), QLatin1String(field.key));
    coder.encodeObject(m_lastUploaded, QLatin1String(kLastUploadedKey));
}

bool additionalFiles::initWithCoder(const KeyedUnarchiver &coder)
{
    for (const IntField &field : kIntFields) {
        const qint64 value = coder.decodeIntForKey(QLatin1String(field.key));
        const bool fits
            = value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
        (this->*field.set)(fits ? int(value) : 0);
    }
    // The typed read gives "" for an absent key, so no field is ever left null.
    for (const TextField &field : kTextFields)
        (this->*field.set)(coder.decodeStringForKey(QLatin1String(field.key)));
    setLastUploaded(coder.decodeObjectForKey(QLatin1String(kLastUploadedKey)).toDateTime());
    return true;
}

QByteArray additionalFiles::archiveList(const QList<std::shared_ptr<additionalFiles>> &list)
{
    QVariantList values;
    for (const auto &record : list)
        values.append(KeyedArchivable::toVariant(record));
    return KeyedArchiver::archivedDataWithRootObject(values);
}

QList<std::shared_ptr<additionalFiles>> additionalFiles::unarchiveList(const QByteArray &data)
{
    QList<std::shared_ptr<additionalFiles>> list;
    for (const QVariant &value : KeyedUnarchiver::unarchiveObjectWithData(data).toList()) {
        if (auto record = KeyedArchivable::objectAs<additionalFiles>(value))
            list.append(record);
    }
    return list;
}
