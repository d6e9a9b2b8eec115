#pragma once

#include "model/extensionNSRaw.h"

#include <QVariantMap>

class VLXItems;

// An extension object of an item. Its default text comes from the feed's own item defaults first,
// then from the all-feeds item defaults. It also reports the sortable tags of its elements.
class extensionNSItem : public extensionNSRaw
{
public:
    extensionNSItem() = default;
    explicit extensionNSItem(const extensionNSName &identity) : extensionNSRaw(identity) { }

    void populateWithDefaults(const QString &uniqueKey) override;
    QString rawXMLHelpAnchor() const override { return QStringLiteral("ItemRawXML"); }

    // Validation with the owning item; here the plain validation.
    virtual void validate(VLXFeed *feed, VLXItems *parent);
    using extensionNSRaw::validate;

    // {name: {"displayName", "DTDURL", "wellSupported": NO, "sortTags": {tag: {"children"}}}}
    // built from the elements this extension writes. A tag is the element's name after its
    // prefix and colon; an unprefixed name is its own tag.
    virtual QVariantMap findSortableTags() const;

    // The local copies of the enclosures the extension holds itself (the Media RSS contents), in
    // a dictionary {URL: [path, last upload]} (entries read by LocalEnclosureFile::readEntry):
    // added to one, and taken from one. None here.
    virtual void addLocalEnclosureFiles(QVariantMap &info) const { Q_UNUSED(info); }
    virtual void takeLocalEnclosureFiles(const QVariantMap &info) { Q_UNUSED(info); }

protected:
    extensionNSItem(const extensionNSItem &) = default;
    extensionNSRaw *newCopy() const override { return new extensionNSItem(*this); }
};
