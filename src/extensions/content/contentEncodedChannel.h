#pragma once

#include "extensions/FieldExtension.h"
#include "model/extensionNSChannel.h"

// The channel's content:encoded: one block of HTML, edited in an HTML view or the HTML editor.
class contentEncodedChannel : public FieldExtension<extensionNSChannel>
{
public:
    enum Field : int { kEncoded };

    contentEncodedChannel();

    static const ExtensionDescriptor &classDescriptor();

    QString encoded() const { return text(kEncoded); }
    void setEncoded(const QString &value) { setText(kEncoded, value); }

    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

protected:
    contentEncodedChannel(const contentEncodedChannel &) = default;
    extensionNSRaw *newCopy() const override { return new contentEncodedChannel(*this); }
    QString buildCustom(int field, const QString &prefix) const override;
    void appendCustom(UTF8Writer &out, int field, const QString &prefix) const override;
};
