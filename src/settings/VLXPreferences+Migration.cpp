// Bringing settings written by older versions up to the current layout.
//
// Each step writes its version, then its keys. A step that would write an empty text, list or
// dictionary over a key that already holds something non-empty leaves that key alone: the global
// ladder runs on every refresh of the preferences window until its changes are accepted once,
// and would otherwise wipe values other parts of the program stored meanwhile (publishing sites,
// the OPML head). Version writes and the flag resets still happen.
#include "settings/VLXPreferences.h"

#include "platform/DefaultsStore.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/SettingsEquality.h"
#include "settings/SettingEmptiness.h"
#include "settings/categoryElement.h"

#include <QtDebug>
#include <cmath>

namespace {

struct Step
{
    double threshold;
    float version;
};

// The version as the single-precision number it is stored as, widened to double for comparing.
std::optional<double> storedVersion(const QVariant &value)
{
    if (!SettingsEquality::isNumber(value))
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d))
        return std::nullopt;
    if (std::fabs(d) > 1e30)
        return d; // beyond float's range; only its sign matters for the ladder
    return static_cast<double>(static_cast<float>(d));
}

const QString kEmpty = QString(QLatin1String(""));

QStringList prefixed(const char *prefix, std::initializer_list<const char *> names)
{
    QStringList keys;
    for (const char *name : names)
        keys.append(QLatin1String(prefix) + QLatin1String(name));
    return keys;
}

const std::initializer_list<const char *> kDublinCore
    = {"Title",     "Description", "Date",     "Subject",  "Creator",
       "Publisher", "Contributor", "Language", "Rights",   "Type",
       "Format",    "Identifier",  "Source",   "Relation", "Coverage"};

// The item's iTunes fields, in the all-feeds and the per-feed settings alike.
const std::initializer_list<const char *> kItemITunes
    = {"Subtitle", "Summary", "Duration", "Keywords", "Author", "BlockStr", "ExplicitStr"};

} // namespace

void VLXPreferences::checkVersion()
{
    if (!m_displayedValues)
        return;
    QVariantMap &values = *m_displayedValues;
    const auto write = [&values](const QString &key, const QVariant &value) {
        if (SettingEmptiness::isEmptyCollectionOrText(value)
            && SettingEmptiness::isNonEmptyCollectionOrText(values.value(key)))
            return;
        values.insert(key, value);
    };
    const auto writeAll = [&write](const QStringList &keys, const QVariant &value) {
        for (const QString &key : keys)
            write(key, value);
    };
    const auto convertCategory
        = [&values](const char *category, const char *domain, const char *listKey) {
              const QString text = values.value(QLatin1String(category)).toString();
              const QString dom = values.value(QLatin1String(domain)).toString();
              const QVariant list = values.value(QLatin1String(listKey));
              if (text.isEmpty() || dom.isEmpty() || !list.toList().isEmpty())
                  return;
              values.insert(QLatin1String(listKey),
                            QVariantList {KeyedArchivable::toVariant(
                                std::make_shared<categoryElement>(text, dom))});
          };

    std::optional<double> v = storedVersion(values.value(QStringLiteral("FD_Version")));
    const auto runs = [&v](double threshold, float version) {
        if (v && *v >= threshold)
            return false;
        v = static_cast<double>(version);
        return true;
    };
    const auto version = [&values](float number) {
        values.insert(QStringLiteral("FD_Version"), QVariant(number));
    };

    if (runs(1.0, 1.05f)) {
        version(1.05f);
        write(QStringLiteral("FD_AF_IF_GUID_GUID"), kEmpty);
        write(QStringLiteral("FD_AF_IF_GUID_Perma"), 0);
    }
    if (runs(1.1, 1.15f)) {
        version(1.15f);
        write(QStringLiteral("FD_AF_AD_Stylesheet"), kEmpty);
        write(QStringLiteral("FD_AF_AD_XMLComments"), QVariantList());
    }
    if (runs(1.2, 1.25f))
        version(1.25f);
    if (runs(1.3, 1.35f)) {
        version(1.35f);
        write(QStringLiteral("FD_AF_AD_XMLComments"), QVariantList());
        write(QStringLiteral("FD_AF_Namespaces"), QVariantList());
        writeAll(prefixed("FD_AF_FF_EX_ITC", {"Subtitle", "Summary"}), kEmpty);
        write(QStringLiteral("FD_AF_FF_EX_ITCCategory"), QVariantList());
        writeAll(prefixed("FD_AF_FF_EX_ITC",
                          {"Keywords", "Author", "OwnerName", "OwnerEmail", "Image", "BlockStr",
                           "ExplicitStr"}),
                 kEmpty);
        write(QStringLiteral("FD_AF_FF_EX_Extensions"), QVariantMap());
        writeAll(prefixed("FD_AF_IF_EX_ITI", kItemITunes), kEmpty);
        write(QStringLiteral("FD_AF_IF_EX_Extensions"), QVariantMap());
        write(QStringLiteral("FD_AF_IF_AD_XMLComments"), QVariantList());
        writeAll(
            prefixed("PrefFD_AF_IM_", {"Height", "Width", "URL", "Link", "Description", "Title"}),
            kEmpty);
        write(QStringLiteral("FD_AF_IM_EX_Extensions"), QVariantMap());
        write(QStringLiteral("FD_AF_IM_AD_XMLComments"), QVariantList());
    }
    if (runs(1.6, 1.65f)) {
        version(1.65f);
        write(QStringLiteral("FD_AF_FF_EX_ContentEncoded"), kEmpty);
        write(QStringLiteral("FD_AF_IF_EX_ContentEncoded"), kEmpty);
        writeAll(
            prefixed("FD_AF_FF_EX_Syndication", {"UpdatePeriod", "UpdateFrequency", "UpdateBase"}),
            kEmpty);
        for (const char *group :
             {"FD_AF_FF_EX_DC", "FD_AF_FF_EX_TIDC", "FD_AF_IF_EX_DC", "FD_AF_IM_EX_DC"})
            writeAll(prefixed(group, kDublinCore), kEmpty);
    }
    if (runs(1.7, 1.75f)) {
        version(1.75f);
        write(QStringLiteral("Pub_Sites"), QVariantList());
        write(QStringLiteral("FD_AF_AD_StylesheetCSS"), kEmpty);
        writeAll({QStringLiteral("OPML_Title"), QStringLiteral("OPML_OwnerName"),
                  QStringLiteral("OPML_OwnerEMail")},
                 kEmpty);
    }
    if (runs(1.8, 1.85f)) {
        version(1.85f);
        write(QStringLiteral("FD_AF_FF_EX_CCLicense"), QVariantList());
        write(QStringLiteral("FD_AF_IF_EX_CCLicense"), QVariantList());
        convertCategory("FD_AF_FF_Category_Category", "FD_AF_FF_Category_Domain",
                        "FD_AF_FF_Category_Array");
        convertCategory("FD_AF_IF_Category_Category", "FD_AF_IF_Category_Domain",
                        "FD_AF_IF_Category_Array");
        write(QStringLiteral("FD_AF_IF_GUID_AutoGenerate"), 0);
    }
    if (runs(2.0, 2.05f)) {
        version(2.05f);
        write(QStringLiteral("FD_AF_IF_GUID_AutoGenerate"), 1);
        write(QStringLiteral("M_ShowParseResults"), 0);
    }
}

void VLXPreferences::checkVersion(const QString &uniqueKey)
{
    sharedInstance().checkVersionImpl(uniqueKey);
}

void VLXPreferences::checkVersionImpl(const QString &uniqueKey)
{
    if (uniqueKey.isNull())
        return;
    // Every write of the ladder is saved into the store at once, but a new feed makes dozens of
    // them: the file is written once, after the last.
    ++m_deferSync;
    struct Flush
    {
        VLXPreferences *self;
        ~Flush()
        {
            if (--self->m_deferSync == 0) {
                QString error;
                if (!self->m_store->sync(&error))
                    qWarning().noquote() << "Settings: could not write the settings:" << error;
            }
        }
    } flush {this};
    const auto write = [this, &uniqueKey](const QString &key, const QVariant &value) {
        if (SettingEmptiness::isEmptyCollectionOrText(value)
            && SettingEmptiness::isNonEmptyCollectionOrText(objectForKeyImpl(key, uniqueKey)))
            return;
        setObjectForKeyImpl(value, key, uniqueKey);
    };
    const auto writeAll = [&write](const QStringList &keys, const QVariant &value) {
        for (const QString &key : keys)
            write(key, value);
    };
    std::optional<double> v
        = storedVersion(objectForKeyImpl(QStringLiteral("FD_CF_Version"), uniqueKey));
    const auto runs = [&v](double threshold, float version) {
        if (v && *v >= threshold)
            return false;
        v = static_cast<double>(version);
        return true;
    };
    const auto version = [this, &uniqueKey](float number) {
        setObjectForKeyImpl(QVariant(number), QStringLiteral("FD_CF_Version"), uniqueKey);
    };

    if (runs(1.0, 1.05f)) {
        version(1.05f);
        write(QStringLiteral("FD_CF_IF_GUID_GUID"), kEmpty);
        write(QStringLiteral("FD_CF_IF_GUID_Perma"), 0);
    }
    if (runs(1.1, 1.15f))
        version(1.15f);
    if (runs(1.2, 1.25f))
        version(1.25f);
    if (runs(1.3, 1.35f)) {
        version(1.35f);
        writeAll(prefixed("FD_CF_IF_EX_ITI", kItemITunes), kEmpty);
        write(QStringLiteral("FD_CF_IF_EX_Extensions"), QVariantMap());
        write(QStringLiteral("FD_CF_IF_AD_XMLComments"), QVariantList());
    }
    if (runs(1.4, 1.45f)) {
        version(1.45f);
        writeAll(prefixed("FD_CF_IF_", {"Title", "Description", "Link"}), kEmpty);
    }
    if (runs(1.5, 1.55f)) {
        version(1.55f);
        writeAll(prefixed("FD_CF_IF_EX_ITI", {"BlockStr", "ExplicitStr"}), kEmpty);
    }
    if (runs(1.6, 1.65f)) {
        version(1.65f);
        write(QStringLiteral("FD_CF_IF_EX_ContentEncoded"), kEmpty);
        writeAll(prefixed("FD_CF_IF_EX_DC", kDublinCore), kEmpty);
    }
    if (runs(1.8, 1.85f)) {
        version(1.85f);
        const QString text
            = objectForKeyImpl(QStringLiteral("FD_CF_IF_Category_Category"), uniqueKey).toString();
        const QString dom
            = objectForKeyImpl(QStringLiteral("FD_CF_IF_Category_Domain"), uniqueKey).toString();
        const QVariant archive
            = objectForKeyImpl(QStringLiteral("FD_CF_IF_Category_Array"), uniqueKey);
        // An absent value, or an archive that does not decode to a non-empty list, is empty.
        const bool listEmpty = archive.metaType().id() != QMetaType::QByteArray
            || KeyedUnarchiver::unarchiveObjectWithData(archive.toByteArray()).toList().isEmpty();
        if (!text.isEmpty() && !dom.isEmpty() && listEmpty) {
            const QVariantList list {
                KeyedArchivable::toVariant(std::make_shared<categoryElement>(text, dom))};
            setObjectForKeyImpl(KeyedArchiver::archivedDataWithRootObject(list),
                                QStringLiteral("FD_CF_IF_Category_Array"), uniqueKey);
        }
        write(QStringLiteral("FD_CF_IF_GUID_AutoGenerate"), 0);
    }
    if (runs(2.0, 2.05f)) {
        version(2.05f);
        write(QStringLiteral("FD_CF_IF_GUID_AutoGenerate"), 1);
    }
}
