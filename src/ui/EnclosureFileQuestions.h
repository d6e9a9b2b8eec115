#pragma once

#include <QString>
#include <QStringList>

// The two questions every place that describes a media file asks the same way: the item's
// enclosure, a Media RSS content, the wizard's episode page and the preferences' MIME fields.
class EnclosureFileQuestions
{
public:
    EnclosureFileQuestions() = delete;

    // The MIME type known for the URL's extension, offered in "Suggested MIME Type". Answers the
    // type when the user applies it; "" when no type is known (after a beep: the application's,
    // or the one given) or the user closes.
    static QString suggestMIMEType(const QString &url, void (*beep)() = nullptr);

    // The chooser titled "Select Enclosure File", opened beside the current local file (or in
    // the home folder when there is none). Answers the chosen path, "" when cancelled.
    static QString chooseEnclosureFile(const QString &currentPath);
    // Shows why a chosen or dropped file was not attached ([short title, message], as
    // LocalEnclosureFile gives it), unless the user refused it himself in the MIME question.
    static void tellRefusal(const QStringList &refused);
};
