#pragma once

#include "extensions/FieldExtensionBase.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

// A namespace class of the feed's channel, item or image (Place is extensionNSChannel,
// extensionNSItem or extensionNSImage) whose elements are the fields of its descriptor: the
// operations the managers send are answered by FieldExtensionBase from the table. The object
// is also keyed-archivable under the descriptor's class name.
//
// A concrete class derives from it, states its descriptor, adds typed accessors and checks, and
// answers newCopy() with a copy of its own class.
template<class Place>
class FieldExtension : public Place, public FieldExtensionBase, public KeyedArchivable
{
public:
    extensionNSRaw &extension() override { return *this; }
    const extensionNSRaw &extension() const override { return *this; }

    // Identity: the namespace's constants, whatever was stored or declared.
    QString extensionName() const override { return knownNamespaces::prefix(descriptor().ns); }
    QString DTDURL() const override { return knownNamespaces::uri(descriptor().ns); }
    void setDTDURL(const QString &url) override { noteDeclaredURI(url); }
    bool wellSupported() const override { return true; }
    QString displayName() const override
    {
        return knownNamespaces::displayName(descriptor().ns, descriptor().place);
    }
    // The element names are rebuilt from the prefix the document uses.
    void setExtensionProcessingName(const QString &name) override
    {
        Place::setExtensionProcessingName(name);
        this->setFieldNames(fieldNamesFor(name));
    }

    // What the fields do not take is kept and written after them.
    int parseXMLNodeIfMine(const vlxXMLNode *node) override
    {
        if (!parseFieldNode(node))
            this->keepUnreadElement(node, *this);
        return 0;
    }
    QString buildXML(const QString &prefix) const override
    {
        return buildFieldsXML(prefix) + this->keptXML(prefix);
    }
    void appendXML(UTF8Writer &out, const QString &prefix) const override
    {
        appendFieldsXML(out, prefix);
        this->appendKeptXML(out, prefix);
    }
    void populateWithDefaults(const QString &uniqueKey) override { populateFields(uniqueKey); }
    void prefetchHeldData(bool texts) const override
    {
        texts ? prefetchValueTexts() : prefetchValues();
    }
    void validate(VLXFeed *feed) override
    {
        Q_UNUSED(feed);
        if (!isEmpty())
            validateFields();
    }
    using Place::validate;
    void actuallyBuildExport(TemplateValues &values) override { exportFields(values); }
    bool replace(const QString &search, const std::optional<QString> &replacement, bool thenSearch,
                 int options, QObject *onTab, QObject *underTab, int atIndex) override
    {
        return findInFields(search, replacement, thenSearch, options, onTab, underTab, atIndex);
    }
    int replaceAll(const QString &search, const QString &replacement, int options) override
    {
        return replaceAllFields(search, replacement, options);
    }
    bool holds(const QString &search, int options) const override
    {
        return fieldsHold(search, options);
    }
    std::optional<QString> elementText(const QString &path) const override
    {
        return fieldElementText(path);
    }

    // Archiving: the extension's own keys first, then one key per field.
    void encodeWithCoder(QVariantMap &coder) const override
    {
        Place::encodeWithCoder(coder);
        encodeFields(coder);
    }
    void initWithCoder(const QVariantMap &coder) override
    {
        Place::initWithCoder(coder);
        decodeFields(coder);
    }
    QString archiveClassName() const override
    {
        return QString::fromLatin1(descriptor().className);
    }
    void encodeWithCoder(KeyedArchiver &coder) const override
    {
        QVariantMap fields;
        encodeWithCoder(fields);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            coder.encodeObject(it.value(), it.key());
    }
    bool initWithCoder(const KeyedUnarchiver &coder) override
    {
        initWithCoder(coder.decodedFields());
        return true;
    }

protected:
    explicit FieldExtension(const ExtensionDescriptor &descriptor) : FieldExtensionBase(descriptor)
    {
        const QString prefix = knownNamespaces::prefix(descriptor.ns);
        Place::setExtensionName(prefix);
        Place::setDTDURL(knownNamespaces::uri(descriptor.ns));
        this->setStoredWellSupported(true);
        // Elements reach a fresh object under the namespace's own prefix until a document
        // declares another.
        setExtensionProcessingName(prefix);
    }
    FieldExtension(const FieldExtension &other)
        : Place(other), FieldExtensionBase(other), KeyedArchivable(other)
    {
    }
};
