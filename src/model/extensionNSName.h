#pragma once

#include "model/FeedElement.h"

#include <QString>
#include <QStringList>

// The identity of one XML namespace as a feed uses it: its prefix (which is also the extension's
// name), the prefix the document being read actually used, the namespace URI (the "DTD URL"),
// the element names an extension handles, and whether the namespace has a class of its own.
// Every extension object descends from it.
//
// It also makes and splits namespace description strings: prefix, URI, well-supported flag and
// an optional display name, each followed by "||".
class extensionNSName : public FeedElement
{
public:
    extensionNSName();
    ~extensionNSName() override = default;

    // Identity. Concrete extension classes answer their own constants for the name and the URI
    // and rebuild the field names when the processing name changes.
    virtual QString extensionName() const { return m_extensionName; }
    virtual void setExtensionName(const QString &name);
    virtual QString extensionProcessingName() const { return m_extensionProcessingName; }
    virtual void setExtensionProcessingName(const QString &name);
    virtual QString DTDURL() const { return m_DTDURL; }
    virtual void setDTDURL(const QString &url);

    // "prefix:element" names the extension handles, in its own order (an empty list for none).
    const QStringList &fieldNames() const { return m_fieldNames; }
    void setFieldNames(const QStringList &names) { m_fieldNames = names; }

    // NO here; every class with an editor of its own answers YES. The operation, not the stored
    // flag, decides what descriptions and copies say; archiving writes the stored flag.
    virtual bool wellSupported() const { return false; }
    bool storedWellSupported() const { return m_wellSupported; }

    // "%@||%@||%d||" of extensionName(), DTDURL() and wellSupported().
    QString descriptionOfNamespace() const;
    QString descriptionOfNamespaceShort() const { return descriptionOfNamespace(); }

    // Same name and URI, compared exactly; processing name and flag do not count.
    bool isEqualToNamespace(const extensionNSName &other) const;

    std::unique_ptr<FeedElement> clone() const override;
    // After the FeedElement keys: "ExtensionName", "ExtensionProcessingName", "DTDURL",
    // "wellSupported" (0 or 1 from the stored flag), "FieldNames".
    void encodeWithCoder(QVariantMap &coder) const override;
    void initWithCoder(const QVariantMap &coder) override;

    // Class-level identity, which every concrete namespace class provides; reaching these base
    // versions is a programming error and raises VLXUnoverriddenMethod.
    static QString classExtensionName();
    static QString classDTDURL();
    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

    // Description strings. Fewer than four "||"-separated parts (the trailing separator counts)
    // read as an empty prefix and URI, flag NO and the display text " - ".
    //     "itunes||http://...||1||iTunes®||"   "abc||urn:x||0||"
    // Builds a description: the three-part form, or the long form when a display name is given.
    static QString makeDescription(const QString &prefix, const QString &url, bool wellSupported);
    static QString makeDescription(const QString &prefix, const QString &url, bool wellSupported,
                                   const QString &displayName);
    static QString extensionNameFromDescription(const QString &description);
    static QString DTDURLFromDescription(const QString &description);
    static bool wellSupportedFromDescription(const QString &description);
    // The display name when the description has one (it may be empty), else "prefix - URI".
    static QString displayDescriptionFromDescription(const QString &description);

    static const QString &kUserDefined; // "User Defined"

protected:
    extensionNSName(const extensionNSName &other) = default;
    extensionNSName &operator=(const extensionNSName &other) = default;

    // The second half of a copy: the identity set again through the (possibly overridden)
    // setters from the source's getters, and the stored flag from the source's wellSupported().
    // Every clone runs it once the new object exists, so virtual setters apply.
    void copyIdentityFrom(const extensionNSName &source);
    void setStoredWellSupported(bool flag) { m_wellSupported = flag; }

    QString m_extensionName;
    QString m_DTDURL;

private:
    QString m_extensionProcessingName;
    QStringList m_fieldNames;
    bool m_wellSupported = false;
};
