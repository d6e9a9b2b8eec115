#pragma once

#include <QString>
#include <QStringList>

// The identity of one XML namespace as a feed uses it, and the namespace description string
// that names a namespace in the registry: prefix, URI and well-supported flag joined by "||" and
// ended by "||", with an optional display name as a fourth part:
//     "itunes||http://...||1||iTunes®||"   "abc||urn:x||0||"
// Splitting never fails: a malformed description reads as an empty prefix and URI, flag false
// and the display text " - ".
class extensionNSName
{
public:
    extensionNSName();
    virtual ~extensionNSName() = default;

    virtual QString extensionName() const { return m_extensionName; }
    virtual void setExtensionName(const QString &name);
    virtual QString DTDURL() const { return m_DTDURL; }
    virtual void setDTDURL(const QString &url);
    // False here; every concrete namespace class answers true.
    virtual bool wellSupported() const { return false; }

    // "%@||%@||%d||" of extensionName(), DTDURL() and wellSupported(), through the virtual
    // getters so a subclass's answers are used.
    QString descriptionOfNamespace() const;
    QString descriptionOfNamespaceShort() const { return descriptionOfNamespace(); }

    // Builds a description: the three-part form, or the long form when a display name is given.
    static QString makeDescription(const QString &prefix, const QString &url, bool wellSupported);
    static QString makeDescription(const QString &prefix, const QString &url, bool wellSupported,
                                   const QString &displayName);

    static QString extensionNameFromDescription(const QString &description);
    static QString DTDURLFromDescription(const QString &description);
    static bool wellSupportedFromDescription(const QString &description);
    // The display name when the description has one (it may be empty), else "prefix - URI".
    static QString displayDescriptionFromDescription(const QString &description);

    static const QString kUserDefined;

protected:
    QString m_extensionName;
    QString m_DTDURL;

private:
    static QStringList splitDescription(const QString &description);
};
