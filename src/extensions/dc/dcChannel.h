#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/dc/DublinCoreRows.h"
#include "model/extensionNSChannel.h"

// The Dublin Core elements of the channel, and a second set of the same fifteen for the
// channel's textInput block, written inside it. Fields 0 to 14 are the channel's set, 15 to 29
// the textInput set, each in element order. Both sets are archived, copied, defaulted and
// searched together; only the channel's set has export tokens and is compared with the feed's
// publication date.
class dcChannel : public FieldExtension<extensionNSChannel>
{
public:
    static constexpr int kTextInput = DublinCoreRows::kCount; // first field of the textInput set

    dcChannel();

    static const ExtensionDescriptor &classDescriptor();

    VLX_DC_ACCESSORS(0, )
    VLX_DC_ACCESSORS(kTextInput, TI)

    // Elements found inside textInput, written with the literal prefix "dc" (the channel's
    // manager routes them here); a name that is not one of the fifteen is ignored.
    int parseXMLNodeIfMineTI(const vlxXMLNode *node) override;
    QString buildXMLTI(const QString &prefix) const override;

    // The channel's date brought to the W3C form, then compared with the feed's publication
    // date; the textInput date is only repaired.
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;

    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

protected:
    dcChannel(const dcChannel &) = default;
    extensionNSRaw *newCopy() const override { return new dcChannel(*this); }
    // The textInput set is read and written apart (parseXMLNodeIfMineTI, buildXMLTI).
    void parseCustom(int field, const vlxXMLNode *node) override;
    QString buildCustom(int field, const QString &prefix) const override;
};
