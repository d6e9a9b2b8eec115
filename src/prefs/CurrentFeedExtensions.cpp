#include "prefs/CurrentFeedExtensions.h"

#include "model/extensionNSName.h"

CurrentFeedExtensions CurrentFeedExtensions::fromDescriptions(const QStringList &descriptions)
{
    CurrentFeedExtensions used;
    used.descriptions = descriptions;
    for (const QString &description : descriptions) {
        const QString prefix = extensionNSName::extensionNameFromDescription(description);
        const bool wellSupported = extensionNSName::wellSupportedFromDescription(description);
        // Only a well-supported description stands for an extension class of its own.
        const std::optional<KnownNamespace> ns
            = wellSupported ? knownNamespaces::fromPrefix(prefix) : std::nullopt;
        if (ns) {
            switch (*ns) {
            case KnownNamespace::iTunes:
                used.iTunes = true;
                break;
            case KnownNamespace::mediaRSS:
                used.mediaRSS = true;
                break;
            case KnownNamespace::contentEncoded:
                used.contentEncoded = true;
                break;
            case KnownNamespace::dublinCore:
                used.dublinCore = true;
                break;
            case KnownNamespace::creativeCommons:
                used.creativeCommons = true;
                break;
            default:
                break;
            }
        }
        // The raw user-defined text has no current-feed default, so no entry of its own.
        if (!wellSupported && !prefix.isEmpty() && prefix != extensionNSName::kUserDefined)
            used.otherNamespaces.append(description);
    }
    return used;
}

bool CurrentFeedExtensions::uses(KnownNamespace ns) const
{
    switch (ns) {
    case KnownNamespace::iTunes:
        return iTunes;
    case KnownNamespace::mediaRSS:
        return mediaRSS;
    case KnownNamespace::contentEncoded:
        return contentEncoded;
    case KnownNamespace::dublinCore:
        return dublinCore;
    case KnownNamespace::creativeCommons:
        return creativeCommons;
    default:
        return false;
    }
}

bool CurrentFeedExtensions::usesEverything() const
{
    return iTunes && mediaRSS && contentEncoded && dublinCore && creativeCommons
        && !otherNamespaces.isEmpty();
}
