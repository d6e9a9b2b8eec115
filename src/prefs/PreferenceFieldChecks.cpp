#include "prefs/PreferenceFieldChecks.h"

#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"

#include <QHash>
#include <QLineEdit>
#include <functional>

namespace {

// Answers the text the field keeps. (The Dublin Core dates of the extension pages are mended by
// their rows when the user leaves them, not here.)
using Check = std::function<QString(const QString &text, QObject *interface)>;

template<bool (*Inform)(const QString &, QObject *)> Check informing()
{
    return [](const QString &text, QObject *interface) {
        Inform(text, interface);
        return text;
    };
}

const QHash<QString, Check> &checks()
{
    static const QHash<QString, Check> table = [] {
        QHash<QString, Check> t;
        const auto add = [&t](std::initializer_list<const char *> controls, const Check &check) {
            for (const char *control : controls)
                t.insert(QLatin1String(control), check);
        };
        add({"FD_AF_FF_Title"}, informing<&VLXFeed::validateAndInformTitle>());
        add({"FD_AF_FF_Link"}, informing<&VLXFeed::validateAndInformLink>());
        add({"FD_AF_FF_TextInput_Link"}, informing<&VLXFeed::validateAndInformTextInputAttrLink>());
        add({"FD_AF_FF_Cloud_Domain"}, informing<&VLXFeed::validateAndInformCloudAttrDomain>());
        add({"FD_AF_FF_Cloud_Port"}, informing<&VLXFeed::validateAndInformCloudAttrPort>());
        add({"FD_AF_FF_Cloud_Path"}, informing<&VLXFeed::validateAndInformCloudAttrPath>());
        add({"FD_AF_FF_Cloud_RegProc"}, informing<&VLXFeed::validateAndInformCloudAttrRegProc>());
        add({"FD_AF_FF_Cloud_Protocol"}, informing<&VLXFeed::validateAndInformCloudAttrProtocol>());
        add({"FD_AF_FF_Webmaster"}, informing<&VLXFeed::validateAndInformWebMaster>());
        add({"FD_AF_FF_Editor"}, informing<&VLXFeed::validateAndInformEditor>());
        add({"FD_AF_FF_Copyright"}, [](const QString &text, QObject *interface) {
            VLXFeed::validateAndInformCopyright(text, interface);
            return text;
        });
        add({"FD_AF_FF_Docs"}, informing<&VLXFeed::validateAndInformDocs>());
        add({"FD_AF_FF_TTL"}, informing<&VLXFeed::validateAndInformTTL>());
        add({"FD_AF_FF_AD_StyleSheet"}, informing<&VLXFeed::validateAndInformStyleSheet>());
        add({"FD_AF_FF_AD_StyleSheetCSS"}, informing<&VLXFeed::validateAndInformStyleSheetCSS>());
        add({"FD_AF_FF_EX_ITCSubtitle"}, informing<&iTunesChannel::validateAndInformSubtitle>());
        add({"FD_AF_FF_EX_ITCKeywords"}, informing<&iTunesChannel::validateAndInformKeywords>());
        add({"FD_AF_FF_EX_ITCAuthor"}, informing<&iTunesChannel::validateAndInformAuthor>());
        add({"FD_AF_FF_EX_ITCOwnerName"}, informing<&iTunesChannel::validateAndInformOwnerName>());
        add({"FD_AF_FF_EX_ITCOwnerEmail"},
            informing<&iTunesChannel::validateAndInformOwnerEmail>());
        add({"FD_AF_FF_EX_ITCImage"}, informing<&iTunesChannel::validateAndInformImage>());
        add({"FD_AF_IM_Title"}, [](const QString &text, QObject *interface) {
            VLXImage::validateAndInformTitle(text, QString(), interface);
            return text;
        });
        add({"FD_AF_IM_Link"}, [](const QString &text, QObject *interface) {
            VLXImage::validateAndInformLink(text, QString(), interface);
            return text;
        });
        add({"FD_AF_IM_URL"}, informing<&VLXImage::validateAndInformURL>());
        add({"FD_AF_IM_Height"}, informing<&VLXImage::validateAndInformHeight>());
        add({"FD_AF_IM_Width"}, informing<&VLXImage::validateAndInformWidth>());
        add({"FD_AF_IF_Title", "FD_CF_IF_Title"}, informing<&VLXItems::validateAndInformTitle>());
        add({"FD_AF_IF_Link", "FD_CF_IF_Link"}, informing<&VLXItems::validateAndInformLink>());
        // The GUID is typed in its box; the line above it only sums the box up.
        add({"FD_AF_IF_GUID", "FD_CF_IF_GUID", "FD_AF_IF_GUID_GUID", "FD_CF_IF_GUID_GUID"},
            [](const QString &text, QObject *interface) {
                VLXItems::validateAndInformGUID(text, 0, interface);
                return text;
            });
        add({"FD_AF_IF_Source_URL", "FD_CF_IF_Source_URL"},
            informing<&VLXItems::validateAndInformSourceAttr>());
        add({"FD_AF_IF_Enclosure_URL", "FD_CF_IF_Enclosure_URL"},
            [](const QString &text, QObject *interface) {
                VLXItems::validateAndInformEnclosureAttrURL(text, interface);
                return text;
            });
        add({"FD_AF_IF_Enclosure_Length", "FD_CF_IF_Enclosure_Length"},
            informing<&VLXItems::validateAndInformEnclosureAttrLength>());
        add({"FD_AF_IF_Author", "FD_CF_IF_Author"},
            informing<&VLXItems::validateAndInformAuthor>());
        add({"FD_AF_IF_Comments", "FD_CF_IF_Comments"},
            informing<&VLXItems::validateAndInformComments>());
        add({"FD_AF_IF_EX_ITISubtitle", "FD_CF_IF_EX_ITISubtitle"},
            informing<&iTunesItem::validateAndInformSubtitle>());
        add({"FD_AF_IF_EX_ITIDuration", "FD_CF_IF_EX_ITIDuration"},
            informing<&iTunesItem::validateAndInformDuration>());
        add({"FD_AF_IF_EX_ITIKeywords", "FD_CF_IF_EX_ITIKeywords"},
            informing<&iTunesItem::validateAndInformKeywords>());
        add({"FD_AF_IF_EX_ITIAuthor", "FD_CF_IF_EX_ITIAuthor"},
            informing<&iTunesItem::validateAndInformAuthor>());
        return t;
    }();
    return table;
}

QString trimmedText(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).isSpace())
        ++start;
    while (end > start && text.at(end - 1).isSpace())
        --end;
    return text.mid(start, end - start);
}

} // namespace

bool PreferenceFieldChecks::hasCheck(const QString &control)
{
    return checks().contains(control);
}

void PreferenceFieldChecks::endEditing(QLineEdit *field)
{
    const QString text = trimmedText(field->text());
    if (text != field->text())
        field->setText(text);
    if (text.isEmpty())
        return;
    const auto it = checks().constFind(field->objectName());
    if (it == checks().cend())
        return;
    const QString kept = it.value()(text, field);
    if (kept != text)
        field->setText(kept);
}
