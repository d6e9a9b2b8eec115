// Class-level access, per-feed entries, publishing sites and the preferences window's copy.
#include "settings/VLXPreferences.h"

#include "platform/KeyedArchivable.h"
#include "platform/SettingsEquality.h"
#include "settings/ExtensionDefaultsObject.h"
#include "settings/SettingEmptiness.h"
#include "settings/VLXSite.h"

#include <QtDebug>

namespace {

bool objectDefaultsEmpty(const QVariant &value)
{
    const auto probe
        = std::dynamic_pointer_cast<ExtensionDefaultsObject>(KeyedArchivable::fromVariant(value));
    return !probe || probe->isExtensionDefaultEmpty();
}

} // namespace

// ---- Class-level forms ----

QVariant VLXPreferences::objectForKey(const QString &key)
{
    return sharedInstance().preferences().value(key);
}

QVariant VLXPreferences::objectForKey(const QString &key, const QString &uniqueKey)
{
    return sharedInstance().objectForKeyImpl(key, uniqueKey);
}

void VLXPreferences::setObjectForKey(const QVariant &value, const QString &key,
                                     const QString &uniqueKey)
{
    sharedInstance().setObjectForKeyImpl(value, key, uniqueKey);
}

void VLXPreferences::setObjectForKey(const QVariant &value, const QString &key)
{
    sharedInstance().setGlobalObjectImpl(value, key);
}

void VLXPreferences::removeUniqueKey(const QString &uniqueKey)
{
    sharedInstance().removeUniqueKeyImpl(uniqueKey);
}

void VLXPreferences::cleanupOrphans(const std::optional<QStringList> &uniqueKeys)
{
    sharedInstance().cleanupOrphansImpl(uniqueKeys);
}

void VLXPreferences::saveDefaults()
{
    sharedInstance().saveDefaultsImpl();
}

bool VLXPreferences::isExtensionEmpty(const QString &prefix)
{
    return sharedInstance().isExtensionEmptyImpl(prefix);
}

std::shared_ptr<VLXSite> VLXPreferences::pubSiteWithID(const QString &siteIdentifier)
{
    return sharedInstance().pubSiteWithIDImpl(siteIdentifier);
}

std::shared_ptr<VLXSite> VLXPreferences::findPubSiteWithHost(const QString &host,
                                                             const QString &andUsername)
{
    return sharedInstance().findPubSiteImpl(host, andUsername);
}

void VLXPreferences::updatePubSite(const std::shared_ptr<VLXSite> &site)
{
    sharedInstance().updatePubSiteImpl(site);
}

// ---- Per-feed entries ----

QVariant VLXPreferences::objectForKeyImpl(const QString &key, const QString &uniqueKey)
{
    if (m_FDCF_dict && entryMatches(*m_FDCF_dict, uniqueKey))
        return m_FDCF_dict->value(key);
    m_FDCF_dict.reset();
    const QVariantList list = m_curValues.value(kFeedArray).toList();
    for (const QVariant &entry : list) {
        if (entryMatches(entry, uniqueKey)) {
            m_FDCF_dict = getCFPreferences(entry.toMap());
            return m_FDCF_dict->value(key);
        }
    }
    return FDCFdefaultValues().value(key);
}

void VLXPreferences::setObjectForKeyImpl(const QVariant &value, const QString &key,
                                         const QString &uniqueKey)
{
    if (uniqueKey.isNull()) {
        qWarning().noquote() << "Settings: a per-feed value of" << key
                             << "was written without a feed identifier and is ignored";
        return;
    }
    QVariantList list = m_curValues.value(kFeedArray).toList();
    if (!m_FDCF_dict || !entryMatches(*m_FDCF_dict, uniqueKey)) {
        m_FDCF_dict.reset();
        for (const QVariant &entry : list) {
            if (entryMatches(entry, uniqueKey)) {
                m_FDCF_dict = getCFPreferences(entry.toMap());
                break;
            }
        }
        if (!m_FDCF_dict) {
            QVariantMap full = FDCFdefaultValues();
            full.insert(kUniqueKey, uniqueKey);
            list.append(setCFPreferences(full));
            m_FDCF_dict = full;
        }
    }
    m_FDCF_dict->insert(key, value.isValid() ? value : FDCFdefaultValues().value(key));
    if (!value.isValid() && !FDCFdefaultValues().contains(key))
        m_FDCF_dict->remove(key);

    for (QVariant &entry : list) {
        if (entryMatches(entry, uniqueKey)) {
            entry = setCFPreferences(*m_FDCF_dict);
            break;
        }
    }
    m_curValues.insert(kFeedArray, list);
    if (m_displayedValues)
        m_displayedValues->insert(kFeedArray, list);
    save();
    m_FDCF_dict.reset();
}

void VLXPreferences::setGlobalObjectImpl(const QVariant &value, const QString &key)
{
    if (value.isValid())
        m_curValues.insert(key, value);
    else if (defaultValues().contains(key))
        m_curValues.insert(key, defaultValues().value(key));
    else
        m_curValues.remove(key);
    save();
}

void VLXPreferences::removeUniqueKeyImpl(const QString &uniqueKey)
{
    QVariantList kept;
    const QVariantList list = m_curValues.value(kFeedArray).toList();
    for (const QVariant &entry : list) {
        if (!entryMatches(entry, uniqueKey))
            kept.append(entry);
    }
    m_curValues.insert(kFeedArray, kept);
    // A removed feed must not keep answering from the cache.
    m_FDCF_dict.reset();
    save();
}

void VLXPreferences::cleanupOrphansImpl(const std::optional<QStringList> &uniqueKeys)
{
    m_FDCF_dict.reset();
    if (!uniqueKeys) {
        m_curValues.remove(kFeedArray);
        save();
        return;
    }
    const QVariantList list = m_curValues.value(kFeedArray).toList();
    QVariantList kept;
    for (const QString &id : *uniqueKeys) {
        for (const QVariant &entry : list) {
            if (entryMatches(entry, id)) {
                kept.append(entry);
                break;
            }
        }
    }
    m_curValues.insert(kFeedArray, kept);
    save();
}

void VLXPreferences::saveDefaultsImpl()
{
    if (!SettingsEquality::equal(m_origValues, m_curValues))
        save();
}

// ---- Extension emptiness ----

bool VLXPreferences::isExtensionEmptyImpl(const QString &prefix) const
{
    const auto allEmpty = [this](const QStringList &keys) {
        for (const QString &key : keys) {
            if (!SettingEmptiness::isEmptyTextOrList(m_curValues.value(key)))
                return false;
        }
        return true;
    };
    if (prefix == QLatin1String("itunes")) {
        return allEmpty(
            {QStringLiteral("FD_AF_FF_EX_ITCSubtitle"), QStringLiteral("FD_AF_FF_EX_ITCSummary"),
             QStringLiteral("FD_AF_FF_EX_ITCCategory"), QStringLiteral("FD_AF_FF_EX_ITCKeywords"),
             QStringLiteral("FD_AF_FF_EX_ITCAuthor"), QStringLiteral("FD_AF_FF_EX_ITCOwnerName"),
             QStringLiteral("FD_AF_FF_EX_ITCOwnerEmail"), QStringLiteral("FD_AF_FF_EX_ITCImage"),
             QStringLiteral("FD_AF_FF_EX_ITCBlockStr"),
             QStringLiteral("FD_AF_FF_EX_ITCExplicitStr"),
             QStringLiteral("FD_AF_IF_EX_ITISubtitle"), QStringLiteral("FD_AF_IF_EX_ITISummary"),
             QStringLiteral("FD_AF_IF_EX_ITIDuration"), QStringLiteral("FD_AF_IF_EX_ITIKeywords"),
             QStringLiteral("FD_AF_IF_EX_ITIAuthor"), QStringLiteral("FD_AF_IF_EX_ITIBlockStr"),
             QStringLiteral("FD_AF_IF_EX_ITIExplicitStr")});
    }
    if (prefix == QLatin1String("media")) {
        return objectDefaultsEmpty(m_curValues.value(QStringLiteral("FD_AF_FF_EX_mrssChannel")))
            && objectDefaultsEmpty(m_curValues.value(QStringLiteral("FD_AF_IF_EX_mrssItem")));
    }
    if (prefix == QLatin1String("content")) {
        return allEmpty({QStringLiteral("FD_AF_FF_EX_ContentEncoded"),
                         QStringLiteral("FD_AF_IF_EX_ContentEncoded")});
    }
    if (prefix == QLatin1String("sy")) {
        return allEmpty({QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"),
                         QStringLiteral("FD_AF_FF_EX_SyndicationUpdateFrequency"),
                         QStringLiteral("FD_AF_FF_EX_SyndicationUpdateBase")});
    }
    if (prefix == QLatin1String("dc")) {
        QStringList keys;
        for (const char *group :
             {"FD_AF_FF_EX_DC", "FD_AF_FF_EX_TIDC", "FD_AF_IF_EX_DC", "FD_AF_IM_EX_DC"}) {
            for (const char *element : {"Title", "Description", "Date", "Subject", "Creator",
                                        "Publisher", "Contributor", "Language", "Rights", "Type",
                                        "Format", "Identifier", "Source", "Relation", "Coverage"})
                keys.append(QLatin1String(group) + QLatin1String(element));
        }
        return allEmpty(keys);
    }
    if (prefix == QLatin1String("creativeCommons")) {
        return allEmpty(
            {QStringLiteral("FD_AF_FF_EX_CCLicense"), QStringLiteral("FD_AF_IF_EX_CCLicense")});
    }
    // Raw namespaces: only the first raw-extension dictionary present decides.
    for (const char *key :
         {"FD_AF_FF_EX_Extensions", "FD_AF_IF_EX_Extensions", "FD_AF_IM_EX_Extensions"}) {
        const auto it = m_curValues.constFind(QLatin1String(key));
        if (it != m_curValues.cend())
            return !it.value().toMap().contains(prefix);
    }
    return true;
}

// ---- Publishing sites ----

std::shared_ptr<VLXSite> VLXPreferences::pubSiteWithIDImpl(const QString &siteIdentifier) const
{
    if (siteIdentifier.isEmpty())
        return {};
    const QVariantList sites = m_curValues.value(QStringLiteral("Pub_Sites")).toList();
    for (const QVariant &value : sites) {
        const auto site = KeyedArchivable::objectAs<VLXSite>(value);
        if (site && site->siteIdentifier() == siteIdentifier)
            return site;
    }
    return {};
}

std::shared_ptr<VLXSite> VLXPreferences::findPubSiteImpl(const QString &host,
                                                         const QString &user) const
{
    const QVariantList sites = m_curValues.value(QStringLiteral("Pub_Sites")).toList();
    for (const QVariant &value : sites) {
        const auto site = KeyedArchivable::objectAs<VLXSite>(value);
        if (site && site->ftpServer() == host && site->ftpUsername() == user)
            return site;
    }
    return {};
}

void VLXPreferences::updatePubSiteImpl(const std::shared_ptr<VLXSite> &site)
{
    if (!site)
        return;
    const QVariant value = KeyedArchivable::toVariant(site);
    const auto it = m_curValues.constFind(QStringLiteral("Pub_Sites"));
    if (it == m_curValues.cend()) {
        m_curValues.insert(QStringLiteral("Pub_Sites"), QVariantList {value});
        return;
    }
    QVariantList sites = it.value().toList();
    for (QVariant &existing : sites) {
        const auto other = KeyedArchivable::objectAs<VLXSite>(existing);
        if (other && other->siteIdentifier() == site->siteIdentifier()) {
            existing = value;
            m_curValues.insert(QStringLiteral("Pub_Sites"), sites);
            return;
        }
    }
    sites.append(value);
    m_curValues.insert(QStringLiteral("Pub_Sites"), sites);
}

// ---- The preferences window's working copy ----

void VLXPreferences::beginEditing(const QString &uniqueKey)
{
    // The baseline of the save at quit stays the one taken at loading: resetting it here would
    // make values accepted at an earlier opening look unchanged, and they would never be saved.
    m_uniqueKey = uniqueKey;
    m_displayedValues = m_curValues;
}

QVariantMap &VLXPreferences::displayedValues()
{
    if (!m_displayedValues)
        m_displayedValues = QVariantMap();
    return *m_displayedValues;
}

QVariantMap &VLXPreferences::editedFeedEntry()
{
    QVariantMap &displayed = displayedValues();
    if (m_FDCF_dict && entryMatches(*m_FDCF_dict, m_uniqueKey))
        return *m_FDCF_dict;
    m_FDCF_dict.reset();
    QVariantList list = displayed.value(kFeedArray).toList();
    for (const QVariant &entry : list) {
        if (entryMatches(entry, m_uniqueKey)) {
            m_FDCF_dict = getCFPreferences(entry.toMap());
            return *m_FDCF_dict;
        }
    }
    QVariantMap full = FDCFdefaultValues();
    full.insert(kUniqueKey, m_uniqueKey);
    list.append(full);
    displayed.insert(kFeedArray, list);
    m_FDCF_dict = full;
    return *m_FDCF_dict;
}

void VLXPreferences::commitDisplayedValues()
{
    QVariantMap &displayed = displayedValues();
    if (m_FDCF_dict && entryMatches(*m_FDCF_dict, m_uniqueKey)) {
        QVariantList list = displayed.value(kFeedArray).toList();
        for (QVariant &entry : list) {
            if (entryMatches(entry, m_uniqueKey)) {
                entry = setCFPreferences(*m_FDCF_dict);
                break;
            }
        }
        displayed.insert(kFeedArray, list);
    }
    if (SettingsEquality::equal(displayed, m_curValues))
        return;
    m_curValues = displayed;
    // Accepted values are written at once: a crash or a kill before quitting must not lose them.
    save();
}

void VLXPreferences::revertToDefault()
{
    // Only what the window shows: the live settings change at OK, and Cancel brings back what
    // was there before.
    m_displayedValues = defaultValues();
    // The edited feed starts again from the per-feed defaults too (a fresh entry is made for it
    // when the window refreshes its pages).
    m_FDCF_dict.reset();
}

void VLXPreferences::discardDisplayedValues()
{
    m_displayedValues = m_curValues;
    // Discarded per-feed edits live in the cache; drop them with the rest.
    m_FDCF_dict.reset();
}
