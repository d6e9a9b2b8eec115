#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/mrss/mrssOptionalElements.h"
#include "model/extensionNSChannel.h"
#include "settings/ExtensionDefaultsObject.h"

// The Media RSS elements of a feed's channel: one set of optional elements (rating, title,
// thumbnail, ...), read, written, repaired and checked by the set. Its one field is that set, a
// list field whose rows the pane's table shows with their kind and value; new feeds take a copy
// of the set of the all-feeds default object.
class mrssChannel : public FieldExtension<extensionNSChannel>, public ExtensionDefaultsObject
{
public:
    enum Field : int { kOptionalElements };

    mrssChannel();

    static const ExtensionDescriptor &classDescriptor();

    const mrssOptionalElements &mediaOptionalElements() const { return m_elements; }
    void setMediaOptionalElements(const mrssOptionalElements &set);

    int parseXMLNodeIfMine(const vlxXMLNode *node) override;
    QString buildXML(const QString &prefix) const override;
    void appendXML(UTF8Writer &out, const QString &prefix) const override;
    void finalProcessing(VLXFeed *feed) override;
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;

    QStringList listDisplayValues(int field) const override;
    int listCount(int field) const override;
    // The optional elements' table by column: "type" the row's kind, "value" its text.
    QString listCellText(int field, int row, const QString &column) const override;
    bool isExtensionDefaultEmpty() const override { return m_elements.isEmpty(); }

    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

protected:
    mrssChannel(const mrssChannel &) = default;
    extensionNSRaw *newCopy() const override { return new mrssChannel(*this); }

    QVariant customValue(int field) const override;
    void setCustomValue(int field, const QVariant &value) override;
    QVariant archiveCustom(int field) const override;
    void applyCustomDefault(int field, const QVariant &setting) override;
    bool customIsEmpty(int field) const override;

private:
    mrssOptionalElements m_elements;
};
