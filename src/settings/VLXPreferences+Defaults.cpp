// The key scheme and the two tables of built-in defaults.
#include "settings/VLXPreferences.h"

#include "platform/KeyedArchivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QDateTime>
#include <QStringList>

namespace {

using Kind = VLXPreferences::Kind;

struct Table
{
    QVariantMap values;
    QStringList keys;
    QHash<QString, Kind> kinds;

    void add(const QString &key, Kind kind, const QVariant &value)
    {
        keys.append(key);
        kinds.insert(key, kind);
        values.insert(key, value);
    }
    std::optional<Kind> kindOf(const QString &key) const
    {
        const auto it = kinds.constFind(key);
        if (it == kinds.cend())
            return std::nullopt;
        return it.value();
    }
    void text(const QString &key, const QString &value = QString(QLatin1String("")))
    {
        add(key, Kind::Text, value);
    }
    void texts(const QStringList &names)
    {
        for (const QString &name : names)
            text(name);
    }
    void integer(const QString &key, int value = 0) { add(key, Kind::Integer, value); }
    void flag(const QString &key, int value = 0) { add(key, Kind::Flag, value); }
};

QStringList prefixed(const QString &prefix, const QStringList &names)
{
    QStringList keys;
    for (const QString &name : names)
        keys.append(prefix + name);
    return keys;
}

const QStringList &dublinCoreElements()
{
    static const QStringList names = {
        QStringLiteral("Title"),       QStringLiteral("Description"), QStringLiteral("Date"),
        QStringLiteral("Subject"),     QStringLiteral("Creator"),     QStringLiteral("Publisher"),
        QStringLiteral("Contributor"), QStringLiteral("Language"),    QStringLiteral("Rights"),
        QStringLiteral("Type"),        QStringLiteral("Format"),      QStringLiteral("Identifier"),
        QStringLiteral("Source"),      QStringLiteral("Relation"),    QStringLiteral("Coverage"),
    };
    return names;
}

const QStringList &itemTextFields()
{
    static const QStringList names = {
        QStringLiteral("Title"),
        QStringLiteral("Description"),
        QStringLiteral("Link"),
        QStringLiteral("Category_Category"),
        QStringLiteral("Category_Domain"),
        QStringLiteral("GUID_GUID"),
        QStringLiteral("Source_Source"),
        QStringLiteral("Source_URL"),
        QStringLiteral("Enclosure_URL"),
        QStringLiteral("Enclosure_Length"),
        QStringLiteral("Enclosure_Type"),
        QStringLiteral("Author"),
        QStringLiteral("Comments"),
    };
    return names;
}

const QStringList &itunesItemFields()
{
    static const QStringList names = {
        QStringLiteral("Subtitle"),    QStringLiteral("Summary"), QStringLiteral("Duration"),
        QStringLiteral("Keywords"),    QStringLiteral("Author"),  QStringLiteral("BlockStr"),
        QStringLiteral("ExplicitStr"),
    };
    return names;
}

// A new object of a class that may live in a later module; null until that class registers.
QVariant newRegisteredObject(const QString &className)
{
    return KeyedArchivable::toVariant(KeyedUnarchiver::makeObject(className));
}

Table buildPerFeedTable()
{
    Table t;
    t.text(QStringLiteral("FD_CF_ArrayUniqueKey"), QStringLiteral("BLANK"));
    t.add(QStringLiteral("FD_CF_Version"), Kind::Float, QVariant(0.0f));

    t.texts(prefixed(QStringLiteral("FD_CF_IF_"), itemTextFields()));
    t.flag(QStringLiteral("FD_CF_IF_GUID_Perma"), 0);
    t.flag(QStringLiteral("FD_CF_IF_GUID_AutoGenerate"), 1);
    t.add(QStringLiteral("FD_CF_IF_Category_Array"), Kind::ArchivedData,
          KeyedArchiver::archivedDataWithRootObject(QVariantList()));

    t.add(QStringLiteral("FD_CF_SD_Enabled"), Kind::Flag, QVariant(false));
    for (const char *scope : {"F", "I"}) {
        const QString p = QStringLiteral("FD_CF_SD_%1_").arg(QLatin1String(scope));
        t.integer(p + QStringLiteral("DataTo"));
        t.integer(p + QStringLiteral("X"));
        t.integer(p + QStringLiteral("X_Val"), 1);
        t.integer(p + QStringLiteral("TimeTo"));
    }

    t.texts(prefixed(QStringLiteral("FD_CF_IF_EX_ITI"), itunesItemFields()));
    t.text(QStringLiteral("FD_CF_IF_EX_ContentEncoded"));
    t.texts(prefixed(QStringLiteral("FD_CF_IF_EX_DC"), dublinCoreElements()));
    t.add(QStringLiteral("FD_CF_IF_EX_Extensions"), Kind::Dictionary, QVariantMap());
    t.add(QStringLiteral("FD_CF_IF_EX_CCLicense"), Kind::TextArray, QVariantList());
    t.add(QStringLiteral("FD_CF_IF_AD_XMLComments"), Kind::TextArray, QVariantList());
    t.add(
        QStringLiteral("FD_CF_IF_EX_mrssItem"), Kind::ArchivedData,
        KeyedArchiver::archivedDataWithRootObject(newRegisteredObject(QStringLiteral("mrssItem"))));

    t.texts({QStringLiteral("FTP_CF_Host"), QStringLiteral("FTP_CF_Username"),
             QStringLiteral("FTP_CF_RemotePath"), QStringLiteral("FTP_CF_PubSiteID"),
             QStringLiteral("FTP_CF_RemoteImagePath"), QStringLiteral("FTP_CF_RemoteEnclosurePath"),
             QStringLiteral("DM_CF_RemotePath"), QStringLiteral("DM_CF_RemoteImagePath"),
             QStringLiteral("DM_CF_RemoteEnclosurePath"), QStringLiteral("LCL_CF_RemotePath"),
             QStringLiteral("LCL_CF_RemoteImagePath"),
             QStringLiteral("LCL_CF_RemoteEnclosurePath")});
    t.integer(QStringLiteral("FTP_CF_Passive"));
    t.integer(QStringLiteral("FTP_CF_SFTP"));
    t.integer(QStringLiteral("FTP_CF_PasswordToKeychain"), -1);

    t.texts({QStringLiteral("Export_CF_HTML_File"), QStringLiteral("Export_CF_HTML_Template"),
             QStringLiteral("Export_CF_JavaScript_File"),
             QStringLiteral("Export_CF_JavaScript_Template"), QStringLiteral("Export_CF_Text_File"),
             QStringLiteral("Export_CF_Text_Template"), QStringLiteral("Export_CF_CSV_File"),
             QStringLiteral("Export_CF_CSV_Template"), QStringLiteral("Export_CF_XML_File")});
    t.flag(QStringLiteral("Export_CF_NoFuture"));
    t.flag(QStringLiteral("Export_CF_LimitItems"));
    t.integer(QStringLiteral("Export_CF_LimitNumber"));

    t.integer(QStringLiteral("OPML_CF_Included"));
    t.add(QStringLiteral("OPML_CF_LastSaved"), Kind::Date,
          QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    t.texts({QStringLiteral("OPML_CF_RawTitle"), QStringLiteral("OPML_CF_Title"),
             QStringLiteral("OPML_CF_HTMLURL"), QStringLiteral("OPML_CF_RawHTMLURL"),
             QStringLiteral("OPML_CF_XMLURL"), QStringLiteral("OPML_CF_Language")});
    return t;
}

const Table &perFeedTable()
{
    static const Table table = buildPerFeedTable();
    return table;
}

Table buildGlobalTable()
{
    const Table &perFeed = perFeedTable();
    Table t;
    // The per-feed table itself, shared rather than copied.
    t.add(QStringLiteral("FD_CF_Array"), Kind::EntryArray, QVariantList {perFeed.values});
    t.add(QStringLiteral("FD_Version"), Kind::Float, QVariant(0.0f));

    t.texts(
        prefixed(QStringLiteral("FD_AF_FF_"),
                 {QStringLiteral("Title"), QStringLiteral("Description"), QStringLiteral("Link"),
                  QStringLiteral("Language"), QStringLiteral("Category_Category"),
                  QStringLiteral("Category_Domain"), QStringLiteral("Cloud_Domain"),
                  QStringLiteral("Cloud_Port"), QStringLiteral("Cloud_Path"),
                  QStringLiteral("Cloud_RegProc"), QStringLiteral("Cloud_Protocol"),
                  QStringLiteral("TextInput_Title"), QStringLiteral("TextInput_Description"),
                  QStringLiteral("TextInput_Name"), QStringLiteral("TextInput_Link"),
                  QStringLiteral("Webmaster"), QStringLiteral("Editor"),
                  QStringLiteral("Copyright"), QStringLiteral("Rating")}));
    t.text(QStringLiteral("FD_AF_FF_Docs"),
           QStringLiteral("http://blogs.law.harvard.edu/tech/rss"));
    t.text(QStringLiteral("FD_AF_FF_TTL"));
    t.add(QStringLiteral("FD_AF_FF_Category_Array"), Kind::ObjectArray, QVariantList());

    for (int hour = 0; hour < 24; ++hour)
        t.flag(QStringLiteral("FD_AF_FF_SkipHoursHr%1").arg(hour, 2, 10, QLatin1Char('0')));
    for (const char *day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
        t.flag(QStringLiteral("FD_AF_FF_SkipDays") + QLatin1String(day));

    t.texts(prefixed(QStringLiteral("FD_AF_IF_"), itemTextFields()));
    t.flag(QStringLiteral("FD_AF_IF_GUID_Perma"), 0);
    t.flag(QStringLiteral("FD_AF_IF_GUID_AutoGenerate"), 1);
    t.add(QStringLiteral("FD_AF_IF_Category_Array"), Kind::ObjectArray, QVariantList());

    for (const char *scope : {"F", "I"}) {
        const QString p = QStringLiteral("FD_AF_SD_%1_").arg(QLatin1String(scope));
        t.integer(p + QStringLiteral("DataTo"));
        t.integer(p + QStringLiteral("X"));
        t.integer(p + QStringLiteral("X_Val"), 1);
        t.integer(p + QStringLiteral("TimeTo"));
    }

    t.text(QStringLiteral("FD_AF_AD_Stylesheet"));
    t.text(QStringLiteral("FD_AF_AD_StylesheetCSS"));
    for (const char *key : {"FD_AF_AD_XMLComments", "FD_AF_IF_AD_XMLComments",
                            "FD_AF_IM_AD_XMLComments", "FD_AF_Namespaces", "General_XMLNamespaces"})
        t.add(QLatin1String(key), Kind::TextArray, QVariantList());

    t.texts(prefixed(
        QStringLiteral("FD_AF_FF_EX_ITC"),
        {QStringLiteral("Subtitle"), QStringLiteral("Summary"), QStringLiteral("Keywords"),
         QStringLiteral("Author"), QStringLiteral("OwnerName"), QStringLiteral("OwnerEmail"),
         QStringLiteral("Image"), QStringLiteral("BlockStr"), QStringLiteral("ExplicitStr")}));
    t.text(QStringLiteral("FD_AF_FF_EX_ContentEncoded"));
    t.texts(prefixed(QStringLiteral("FD_AF_FF_EX_Syndication"),
                     {QStringLiteral("UpdatePeriod"), QStringLiteral("UpdateFrequency"),
                      QStringLiteral("UpdateBase")}));
    t.texts(prefixed(QStringLiteral("FD_AF_FF_EX_DC"), dublinCoreElements()));
    t.texts(prefixed(QStringLiteral("FD_AF_FF_EX_TIDC"), dublinCoreElements()));
    t.add(QStringLiteral("FD_AF_FF_EX_ITCCategory"), Kind::ObjectArray, QVariantList());
    t.add(QStringLiteral("FD_AF_FF_EX_CCLicense"), Kind::TextArray, QVariantList());
    t.add(QStringLiteral("FD_AF_FF_EX_Extensions"), Kind::Dictionary, QVariantMap());
    t.add(QStringLiteral("FD_AF_FF_EX_mrssChannel"), Kind::Object,
          newRegisteredObject(QStringLiteral("mrssChannel")));

    t.texts(prefixed(QStringLiteral("FD_AF_IF_EX_ITI"), itunesItemFields()));
    t.text(QStringLiteral("FD_AF_IF_EX_ContentEncoded"));
    t.texts(prefixed(QStringLiteral("FD_AF_IF_EX_DC"), dublinCoreElements()));
    t.add(QStringLiteral("FD_AF_IF_EX_CCLicense"), Kind::TextArray, QVariantList());
    t.add(QStringLiteral("FD_AF_IF_EX_Extensions"), Kind::Dictionary, QVariantMap());
    t.add(QStringLiteral("FD_AF_IF_EX_mrssItem"), Kind::Object,
          newRegisteredObject(QStringLiteral("mrssItem")));

    t.texts(
        prefixed(QStringLiteral("PrefFD_AF_IM_"),
                 {QStringLiteral("Height"), QStringLiteral("Width"), QStringLiteral("URL"),
                  QStringLiteral("Link"), QStringLiteral("Description"), QStringLiteral("Title")}));
    t.texts(prefixed(QStringLiteral("FD_AF_IM_EX_DC"), dublinCoreElements()));
    t.add(QStringLiteral("FD_AF_IM_EX_Extensions"), Kind::Dictionary, QVariantMap());

    t.integer(QStringLiteral("M_HidePath"), 1);
    t.integer(QStringLiteral("M_UseKeychain"), 1);
    t.integer(QStringLiteral("M_ReturnIsNL"), 0);
    t.integer(QStringLiteral("M_ShowParseResults"), 0);
    t.integer(QStringLiteral("EncodeApos"), 0);

    t.add(QStringLiteral("Pub_Sites"), Kind::ObjectArray, QVariantList());
    t.texts({QStringLiteral("OPML_Title"), QStringLiteral("OPML_OwnerName"),
             QStringLiteral("OPML_OwnerEMail")});
    return t;
}

const Table &globalTable()
{
    static const Table table = buildGlobalTable();
    return table;
}

} // namespace

const QVariantMap &VLXPreferences::defaultValues()
{
    return globalTable().values;
}

const QVariantMap &VLXPreferences::FDCFdefaultValues()
{
    return perFeedTable().values;
}

const QStringList &VLXPreferences::globalKeys()
{
    return globalTable().keys;
}

const QStringList &VLXPreferences::loadedKeys()
{
    static const QStringList keys = [] {
        QStringList all = globalTable().keys;
        // The XML escaper reads "EncodeApos" on its own; the settings object never loads it.
        all.removeAll(QStringLiteral("EncodeApos"));
        return all;
    }();
    return keys;
}

const QStringList &VLXPreferences::perFeedKeys()
{
    return perFeedTable().keys;
}

std::optional<VLXPreferences::Kind> VLXPreferences::kindOfKey(const QString &key)
{
    return globalTable().kindOf(key);
}

std::optional<VLXPreferences::Kind> VLXPreferences::kindOfPerFeedKey(const QString &key)
{
    return perFeedTable().kindOf(key);
}
