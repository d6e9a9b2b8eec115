#include "prefs/PreferenceHelpAnchors.h"

#include "ui/VLXHelpAnchored.h"

#include <QWidget>

const QList<QPair<QString, QString>> &PreferenceHelpAnchors::table()
{
    static const QList<QPair<QString, QString>> rows = [] {
        QList<QPair<QString, QString>> t;
        const auto add = [&t](std::initializer_list<const char *> controls, const char *anchor) {
            for (const char *control : controls)
                t.append({QLatin1String(control), QLatin1String(anchor)});
        };
        add({"FD_CF_IF_Title", "FD_AF_IF_Title"}, "ItemTitle");
        add({"FD_CF_IF_Description", "FD_AF_IF_Description"}, "ItemDescription");
        add({"FD_CF_IF_Link", "FD_AF_IF_Link"}, "ItemLink");
        add({"FD_CF_IF_Category", "FD_AF_IF_Category"}, "ItemCategory");
        add({"FD_CF_IF_GUID", "FD_CF_IF_GUID_Box", "FD_AF_IF_GUID", "FD_AF_IF_GUID_Box"},
            "ItemGUID");
        add({"FD_CF_IF_Source", "FD_CF_IF_Source_Box", "FD_AF_IF_Source", "FD_AF_IF_Source_Box"},
            "ItemSource");
        add({"FD_CF_IF_Enclosure", "FD_CF_IF_Enclosure_Box", "FD_AF_IF_Enclosure",
             "FD_AF_IF_Enclosure_Box"},
            "RSSEnclosure");
        add({"FD_CF_IF_Enclosure_sugestMIMEType", "FD_AF_IF_Enclosure_sugestMIMEType"},
            "SuggestType");
        add({"FD_CF_IF_Author", "FD_AF_IF_Author"}, "ItemAuthor");
        add({"FD_CF_IF_Comments", "FD_AF_IF_Comments"}, "ItemComments");
        add({"FD_CF_SD_Enabled"}, "SmartDate");
        add({"FD_CF_SD_F_DateTo", "FD_CF_SD_F_X", "FD_CF_SD_F_X_Val", "FD_CF_SD_F_TimeTo",
             "FD_AF_SD_F_DateTo", "FD_AF_SD_F_X", "FD_AF_SD_F_X_Val", "FD_AF_SD_F_TimeTo"},
            "FeedPubDate");
        add({"FD_CF_SD_I_DateTo", "FD_CF_SD_I_X", "FD_CF_SD_I_X_Val", "FD_CF_SD_I_TimeTo",
             "FD_AF_SD_I_DateTo", "FD_AF_SD_I_X", "FD_AF_SD_I_X_Val", "FD_AF_SD_I_TimeTo"},
            "ItemPubDate");
        add({"FD_AF_FF_Title"}, "FeedTitle");
        add({"FD_AF_FF_Description"}, "FeedDescription");
        add({"FD_AF_FF_Link"}, "FeedLink");
        add({"FD_AF_FF_SkipHours", "FD_AF_FF_SkipHours_Box"}, "FeedSkipHours");
        add({"FD_AF_FF_SkipDays", "FD_AF_FF_SkipDays_Box"}, "FeedSkipDays");
        add({"FD_AF_FF_Language"}, "FeedLanguage");
        add({"FD_AF_FF_Category"}, "FeedCategory");
        add({"FD_AF_FF_Cloud", "FD_AF_FF_Cloud_Box"}, "FeedCloud");
        add({"FD_AF_FF_TextInput", "FD_AF_FF_TextInput_Box"}, "FeedTextInput");
        add({"FD_AF_FF_Webmaster"}, "FeedWebmaster");
        add({"FD_AF_FF_Editor"}, "FeedEditor");
        add({"FD_AF_FF_Copyright"}, "FeedCopyright");
        add({"FD_AF_FF_Rating"}, "FeedRating");
        add({"FD_AF_FF_Docs"}, "FeedDocs");
        add({"FD_AF_FF_TTL"}, "FeedTTL");
        add({"FD_AF_IM_Title"}, "ImageTitle");
        add({"FD_AF_IM_Description"}, "ImageDescription");
        add({"FD_AF_IM_Link"}, "ImageLink");
        add({"FD_AF_IM_URL"}, "ImageURL");
        add({"FD_AF_IM_Width"}, "ImageWidth");
        add({"FD_AF_IM_Height"}, "ImageHeight");
        add({"FD_AF_FF_AD_StyleSheet", "FD_AF_FF_AD_StyleSheetCSS"}, "FeedStyleSheet");
        add({"FD_AF_FF_AD_CommentsTable"}, "FeedXMLComments");
        add({"FD_AF_IF_AD_CommentsTable", "FD_CF_IF_AD_CommentsTable"}, "ItemXMLComments");
        add({"FD_AF_IM_AD_CommentsTable"}, "ImageXMLComments");
        add({"M_HidePath", "M_UseKeychain", "M_returnIsNL", "M_ShowParseErrorList"},
            "PreferencesMiscellaneous");
        add({"Pub_SitesTable"}, "PreferencesPublishing");
        add({"preferencesOutline"}, "Preferences");
        return t;
    }();
    return rows;
}

int PreferenceHelpAnchors::apply(QWidget *root)
{
    int set = 0;
    for (const auto &[control, anchor] : table()) {
        QWidget *widget = root->findChild<QWidget *>(control);
        if (auto *anchored = dynamic_cast<VLXHelpAnchored *>(widget)) {
            anchored->setHelpAnchor(anchor);
            ++set;
        }
    }
    return set;
}
