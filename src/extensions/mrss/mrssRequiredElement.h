#pragma once

#include "extensions/mrss/mrssOptionalElements.h"
#include "xml/KeptAttributes.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>
#include <array>
#include <memory>

class extensionNSRaw;

// One media:content element: its fourteen attributes (a dictionary from "attributeURL",
// "attributeFileSize", ... to their texts, "" when absent), the optional elements nested in it,
// and the local file published for it with its last upload date. A value type; keyed-archivable
// as "mrssRequiredElement".
//
// A feed holds tens of thousands of these: the attributes are not kept as a dictionary (made
// only for the archive and the dialogs) but as one text holding all fourteen one after the
// other, the url first, so that an element's texts are one block of memory.
class mrssRequiredElement : public KeyedArchivable
{
public:
    mrssRequiredElement();

    // The attribute keys in writing order, and the XML attribute each one is.
    struct Attribute
    {
        const char *key;
        const char *xml;
    };
    static const std::array<Attribute, 14> &attributes();

    // The attributes as a dictionary of all fourteen keys (none for an element without
    // attributes). Setting one takes the texts of the fourteen keys, "" for a key it lacks;
    // other keys are not kept. An empty dictionary leaves the element without attributes.
    QVariantMap mediaContentElement() const;
    void setMediaContentElement(const QVariantMap &attributes);
    // One attribute ("" when it is missing) and setting one; keys outside the table answer ""
    // and are not set.
    QString attribute(const char *key) const;
    void setAttribute(const char *key, const QString &value);

    const mrssOptionalElements &mediaOptionalElements() const { return m_elements; }
    mrssOptionalElements &mediaOptionalElements() { return m_elements; }
    void setMediaOptionalElements(const mrssOptionalElements &set) { m_elements = set; }

    const QString &localEnclosureFilePath() const { return m_localPath; }
    void setLocalEnclosureFilePath(const QString &path);
    const QDateTime &lastUploaded() const { return m_lastUpload; }
    // An invalid date stores "never" (1970-01-01 00:00:00 UTC).
    void setLastUploaded(const QDateTime &date);

    // The element at the indent, its nested set four blanks deeper.
    QString buildXML(const QString &indent) const;
    void appendXML(UTF8Writer &out, const QString &indent) const;
    // Fills the element from a node named "prefix:content" (any case); answers 0. The children
    // the set does not take are kept under the names of `extension`, what had to be left out
    // of them logged on it.
    int parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames,
                           const QString &prefix, extensionNSRaw &extension);

    // The children it does not read (a name the set does not know, another namespace's, a
    // second title), as they were read, written after the set: they show nowhere and no edit
    // touches them. Copies share them. "" when there are none.
    QString keptXML() const;
    void setKeptXML(const QString &xml);
    // The attributes outside the fourteen (another tool's, xml:lang), as they were read,
    // written after the fourteen; kept like the children: no edit touches them.
    KeptAttributes keptAttributes() const;
    void setKeptAttributes(const KeptAttributes &attributes);
    void finalProcessing() { m_elements.finalProcessing(); }
    // No attribute at all (an element made here always has all fourteen).
    bool isEmpty() const { return !m_hasAttributes; }
    // Whether it is written with children: a set that holds anything, or kept children.
    bool holdsChildren() const { return !m_elements.isEmpty() || m_kept; }
    // Asks the processor for the texts ahead of writing them (they are a block of their own).
    void prefetch() const { __builtin_prefetch(m_texts.constData()); }
    void validate(FeedElement *owner);
    // Whether validate() has anything to check (and may change): nested elements.
    bool needsValidation() const { return !isEmpty() && !m_elements.isEmpty(); }
    // attribute("attributeURL").isEmpty(), without making the text.
    bool urlIsEmpty() const { return m_ends[0] == 0; }

    // The content table's two lines, and the one-line form.
    QString objectShortDescription() const;
    QString objectLongDescription() const;
    QString description() const { return objectLongDescription(); }

    bool operator==(const mrssRequiredElement &other) const;

    QString archiveClassName() const override { return kClassName; }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;
    // Lists in archives and settings: archivable objects, and back (anything else is skipped).
    static QVariantList toArchivable(const QList<mrssRequiredElement> &list);
    static QList<mrssRequiredElement> fromArchivable(const QVariant &value);

    static const QString kClassName; // "mrssRequiredElement"

private:
    static constexpr int kAttributeCount = 14;
    // The table position of an attribute key; -1 for a key outside the table.
    static int indexOf(const char *key);
    // The text of the attribute at a table position, and all of them.
    QStringView value(size_t index) const;
    std::array<QString, kAttributeCount> values() const;
    // The element on one line, when it is plain and holds no optional element.
    void appendPlainXML(UTF8Writer &out, QStringView indent) const;
    void assign(const std::array<QString, kAttributeCount> &values);
    // An empty keeper of elements under an extension's names.
    static std::shared_ptr<extensionNSRaw> keeper(const QString &name,
                                                  const QString &processingName);
    // Takes the texts whose ends m_ends holds already.
    void setTexts(const QString &texts);

    QString m_texts; // the texts of the fourteen positions, one after the other
    std::array<quint32, kAttributeCount> m_ends {}; // where each of them ends in m_texts
    bool m_hasAttributes = true;
    // The url needs no change to be written (the usual case), so writing skips looking at it.
    bool m_urlPlain = true;
    // Besides, no other text needs an entity or a character encoded: the usual case again, in
    // which the element is one measured line copied byte for byte.
    bool m_plain = true;
    mrssOptionalElements m_elements;
    QString m_localPath;
    QDateTime m_lastUpload;
    std::shared_ptr<const extensionNSRaw> m_kept; // none in nearly every feed
    std::shared_ptr<const KeptAttributes> m_keptAttributes; // the same
};

Q_DECLARE_METATYPE(mrssRequiredElement)
