#pragma once

#include "extensions/FieldExtension.h"

#include <QStringList>

// The body shared by the channel's and the items' Creative Commons extension: one ordered list
// of licence URLs, read from and written as creativeCommons:license elements (whatever prefix the
// document used), validated as URLs and exported as its first entry. Entries may repeat and may
// be empty (an empty element reads as ""); empty entries are never written.
template<class Place> class CreativeCommonsLicences : public FieldExtension<Place>
{
public:
    enum Field : int { kLicense };

    // The list itself; the name is the one the rest of the program knows it by.
    const QStringList &licenseString() const { return m_license; }
    void setLicenseString(const QStringList &list)
    {
        if (list == m_license)
            return;
        m_license = list;
        this->fieldChanged(kLicense);
    }
    void addLicenseString(const QString &url)
    {
        m_license.append(url);
        this->fieldChanged(kLicense);
    }
    void replaceLicenseString(const QString &url, int index)
    {
        if (index < 0 || index >= m_license.size())
            return;
        m_license[index] = url;
        this->fieldChanged(kLicense);
    }
    void removeLicenseStringAtIndex(int index)
    {
        if (index < 0 || index >= m_license.size())
            return;
        m_license.removeAt(index);
        this->fieldChanged(kLicense);
    }

    QStringList listDisplayValues(int field) const override
    {
        return field == kLicense ? m_license : QStringList();
    }

    // "The Creative Commons License URL, "…" does not appear to be valid" for each entry that is
    // not blank and fails the URL check, in list order.
    static QStringList invalidLicenseMessages(const QStringList &list);

protected:
    explicit CreativeCommonsLicences(const ExtensionDescriptor &descriptor)
        : FieldExtension<Place>(descriptor)
    {
    }
    CreativeCommonsLicences(const CreativeCommonsLicences &) = default;

    // The export token of the place ("~~~FeedCreativeCommons~~~").
    virtual QString exportToken() const = 0;

    void parseCustom(int field, const vlxXMLNode *node) override;
    QString buildCustom(int field, const QString &prefix) const override;
    QVariant customValue(int field) const override
    {
        return field == kLicense ? QVariant(m_license) : QVariant();
    }
    void setCustomValue(int field, const QVariant &value) override
    {
        if (field == kLicense)
            setLicenseString(value.toStringList());
    }
    // Archived as a plain list of strings.
    QVariant archiveCustom(int field) const override
    {
        return field == kLicense ? QVariant(QVariantList(m_license.cbegin(), m_license.cend()))
                                 : QVariant();
    }
    void applyCustomDefault(int field, const QVariant &setting) override
    {
        const QStringList list = setting.toStringList();
        if (field == kLicense && !list.isEmpty())
            setLicenseString(list);
    }
    bool customIsEmpty(int field) const override
    {
        return field != kLicense || m_license.isEmpty();
    }
    QList<FieldExtensionBase::ExportedValue> exportCustom(int field) const override
    {
        if (field != kLicense)
            return {};
        // The licence is the address of its deed.
        return {{exportToken(), m_license.isEmpty() ? QString() : m_license.first(),
                 TemplateValues::Holds::Address}};
    }
    void validateCustom(int field) override
    {
        if (field != kLicense)
            return;
        for (const QString &message : invalidLicenseMessages(m_license))
            this->recordError(message);
    }

private:
    QStringList m_license;
};
