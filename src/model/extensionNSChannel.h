#pragma once

#include "model/extensionNSRaw.h"

// An extension object of the channel. Used directly it is the channel's raw extension (the
// user-defined one, or a namespace without a class of its own); concrete channel classes derive
// from it. Its default text comes from "FD_AF_FF_EX_Extensions".
class extensionNSChannel : public extensionNSRaw
{
public:
    extensionNSChannel() = default;
    explicit extensionNSChannel(const extensionNSName &identity) : extensionNSRaw(identity) { }

    void populateWithDefaults(const QString &uniqueKey) override;
    QString rawXMLHelpAnchor() const override { return QStringLiteral("FeedRawXML"); }

    // Elements of the namespace found inside textInput (only Dublin Core has any); a channel
    // extension without such elements ignores them.
    virtual int parseXMLNodeIfMineTI(const vlxXMLNode *node);
    virtual QString buildXMLTI(const QString &prefix) const;

protected:
    extensionNSChannel(const extensionNSChannel &) = default;
    extensionNSRaw *newCopy() const override { return new extensionNSChannel(*this); }
};
