#pragma once

#include <QString>
#include <QStringList>

class QDateTime;
class QVariant;
class VLXItems;

// The one rule for making a file on this computer the local copy of an enclosure, shared by
// every place that attaches one (the item's file field, its drop target and chooser, the
// wizard): the file must exist and be an ordinary file (not a folder, a device or a pipe, also
// behind a link), under a name that is UTF-8 text; when the enclosure already has a URL whose
// MIME type differs from the file's, the user says whether to go on; the file then gives the
// length and the type.
class LocalEnclosureFile
{
public:
    LocalEnclosureFile() = delete;

    // What the file gives the enclosure.
    struct Facts
    {
        QString path;
        QString length; // the file size as decimal text
        QString type; // the MIME type of the file's extension, "" when unknown
    };

    // Checks the file for an enclosure with that URL, asking about a MIME mismatch. An empty
    // answer means it may be attached (facts filled); otherwise [short title, message].
    static QStringList check(const QString &path, const QString &enclosureURL, Facts *facts);

    // The check, then the item's local path, length and type from the file. A file newly shown
    // in the field has never been uploaded: its last-upload date goes back to the epoch unless
    // the field already showed exactly this path. Nothing changes when the check refuses.
    static QStringList attach(VLXItems &item, const QString &path, bool pathAlreadyShown);
    // The same against the enclosure URL the user sees, which may not be stored yet.
    static QStringList attach(VLXItems &item, const QString &path, bool pathAlreadyShown,
                              const QString &enclosureURL);

    // One entry of a dictionary of local copies {URL: [path, last upload]}. Stored settings can
    // hold anything, so a value of another shape is reported as unusable (false) instead of
    // being indexed blindly.
    static bool readEntry(const QVariant &value, QString *path, QDateTime *date);
};
