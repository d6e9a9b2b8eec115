#pragma once

#include "platform/KeyedArchivable.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class VLXFeed;

// A further file published with a feed: an export of the feed through a template (HTML,
// JavaScript, text, CSV), the feed's own RSS 2.0 text, a local file taken as it is, or the OPML
// list of the user's feeds; with the folder of the site it goes to, its remote name and when it
// was last uploaded. It makes its own bytes at publish time (dataForFile).
//
// Each feed keeps an ordered list of records in its feed-list entry under "additionalFiles", as
// the keyed archive of the list (archiveList / unarchiveList).
class additionalFiles : public KeyedArchivable
{
public:
    enum FileType {
        HTMLExport = 0,
        JavaScriptExport = 1,
        TextExport = 2,
        CSVExport = 3,
        XMLExport = 4,
        LocalFile = 5,
        OPMLList = 6,
    };
    // Which default folder of the site receives the file; OtherDestination uses
    // fileOtherDestination().
    enum Destination { XMLFolder = 0, ImageFolder = 1, EnclosureFolder = 2, OtherDestination = 3 };

    // Makes the OPML document of the user's feed list, or nothing when it cannot. The OPML
    // export installs it; until then an OPML record yields no data and says why.
    using OPMLBuilder = std::function<std::optional<QByteArray>()>;
    static void setOPMLBuilder(OPMLBuilder builder);

    additionalFiles();
    std::shared_ptr<additionalFiles> copy() const;

    int fileType() const { return m_fileType; }
    void setFileType(int value) { m_fileType = value; }
    int fileDestination() const { return m_fileDestination; }
    void setFileDestination(int value) { m_fileDestination = value; }
    const QString &fileOtherDestination() const { return m_fileOtherDestination; }
    void setFileOtherDestination(const QString &value) { m_fileOtherDestination = text(value); }
    const QString &exportTemplate() const { return m_exportTemplate; }
    void setExportTemplate(const QString &value) { m_exportTemplate = text(value); }
    int limitNumber() const { return m_limitNumber; }
    void setLimitNumber(int value) { m_limitNumber = value; }
    int limitNumberValue() const { return m_limitNumberValue; }
    void setLimitNumberValue(int value) { m_limitNumberValue = value; }
    int noFuture() const { return m_noFuture; }
    void setNoFuture(int value) { m_noFuture = value; }
    const QString &localFile() const { return m_localFile; }
    void setLocalFile(const QString &value) { m_localFile = text(value); }
    const QString &filename() const { return m_filename; }
    void setFilename(const QString &value) { m_filename = text(value); }
    const QDateTime &lastUploaded() const { return m_lastUploaded; }
    // An invalid date stores "never" (1970-01-01 00:00:00 UTC).
    void setLastUploaded(const QDateTime &value);

    // What the file is made from, for the file table and the transfer log: "HTML Export with
    // ~/Templates/page.html", "XML Export", the local path, "OPML list of feeds"; "" for an
    // unknown type. Paths inside the home folder are written with "~".
    QString fileSource() const;

    // The file's bytes for the feed being published, or nothing (with the reason in *failure)
    // when they cannot be made: an unreadable local file, an export without a feed, a template
    // that does not exist (the export engine would quietly make an empty page of it), no OPML.
    std::optional<QByteArray> dataForFile(const VLXFeed *feed, QString *failure = nullptr) const;
    // Whether the file is a local file the publisher streams instead of asking for its bytes.
    bool isLocalFile() const { return m_fileType == LocalFile; }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    // Absent keys give 0, "" and "never"; a record always decodes.
    bool initWithCoder(const KeyedUnarchiver &coder) override;

    // The keyed archive of a feed's list of records, and back. Undecodable data gives an empty
    // list; elements of other classes are dropped.
    static QByteArray archiveList(const QList<std::shared_ptr<additionalFiles>> &list);
    static QList<std::shared_ptr<additionalFiles>> unarchiveList(const QByteArray &data);

private:
    static QString text(const QString &value)
    {
        return value.isNull() ? QStringLiteral("") : value;
    }

    int m_fileType = 0;
    int m_fileDestination = 0;
    QString m_fileOtherDestination = QStringLiteral("");
    QString m_exportTemplate = QStringLiteral("");
    int m_limitNumber = 0;
    int m_limitNumberValue = 0;
    int m_noFuture = 0;
    QString m_localFile = QStringLiteral("");
    QString m_filename = QStringLiteral("");
    QDateTime m_lastUploaded;
};
