#pragma once

#include "model/extensionNSRaw.h"

// The raw extension that edits a default text in the preferences window. Its edits register no
// undo on the feed window.
class extensionNSPrefs : public extensionNSRaw
{
public:
    extensionNSPrefs() = default;
    explicit extensionNSPrefs(const extensionNSName &identity) : extensionNSRaw(identity) { }

    bool allowsUndo() const override { return false; }
    QString rawXMLHelpAnchor() const override { return QStringLiteral("FeedRawXML"); }

protected:
    extensionNSPrefs(const extensionNSPrefs &) = default;
    extensionNSRaw *newCopy() const override { return new extensionNSPrefs(*this); }
};
