#pragma once

#include "model/extensionNSRaw.h"

// An extension object of the channel image; its default text comes from
// "FD_AF_IM_EX_Extensions".
class extensionNSImage : public extensionNSRaw
{
public:
    extensionNSImage() = default;
    explicit extensionNSImage(const extensionNSName &identity) : extensionNSRaw(identity) { }

    void populateWithDefaults(const QString &uniqueKey) override;
    QString rawXMLHelpAnchor() const override { return QStringLiteral("ImageRawXML"); }

protected:
    extensionNSImage(const extensionNSImage &) = default;
    extensionNSRaw *newCopy() const override { return new extensionNSImage(*this); }
};
