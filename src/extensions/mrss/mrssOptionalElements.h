#pragma once

#include "platform/KeyedArchivable.h"

#include <QList>
#include <QMetaType>
#include <QSharedData>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <array>

class FeedElement;
class UTF8Writer;
class vlxXMLNode;

// The Media RSS elements that may stand beside or inside media:content (rating, title,
// description, keywords, thumbnail, category, hash, player, credit, copyright, text, restriction,
// and media:adult), as one set: of a channel, of an item's media:group, or nested in one
// media:content. Each kind has a Used flag that decides whether it takes part at all, and a value:
// a list of element dictionaries, or one dictionary for title, description and copyright. An
// element dictionary maps "elementDescription" (the element's text) and one key per attribute
// ("attributeScheme", "attributeURL", ...) to strings, and "ElementTypeNumber" to the kind number.
//
// The set is shown as rows, one per element, in kind order (adult has no row). A value type:
// copies share nothing; keyed-archivable as "mrssOptionalElements".
class mrssOptionalElements : public KeyedArchivable
{
public:
    // Kind numbers, as "ElementTypeNumber" holds them, and the row order.
    enum Kind : int {
        kRating,
        kTitle,
        kDescription,
        kKeywords,
        kThumbnail,
        kCategory,
        kHash,
        kPlayer,
        kCredit,
        kCopyright,
        kText,
        kRestriction,
    };
    static constexpr int kKindCount = 12;
    // Position of media:adult in an element-name list (after the twelve kinds).
    static constexpr int kAdultPosition = 12;

    mrssOptionalElements();

    // Local element names in element-name-list order ("rating" ... "restriction", "adult").
    static const std::array<const char *, 13> &elementNames();
    // Whether the kind keeps one dictionary (title, description, copyright) instead of a list.
    static bool isSingle(int kind);
    // The row label of a kind ("Rating"); "" for a number outside the kinds.
    static QString label(int kind);
    // The kind number of an element dictionary; -1 when it has none.
    static int kindOf(const QVariantMap &element);

    // media:adult: written, repaired into a rating after reading, never shown.
    bool mediaAdultUsed() const { return m_adultUsed; }
    void setMediaAdultUsed(bool used) { m_adultUsed = used; }
    bool mediaAdultValue() const { return m_adultValue; }
    void setMediaAdultValue(bool value) { m_adultValue = value; }

    // Every other kind, by number (numbers outside the kinds are ignored, answered empty).
    bool used(int kind) const;
    void setUsed(int kind, bool used);
    // List kinds.
    const QList<QVariantMap> &values(int kind) const;
    void setValues(int kind, const QList<QVariantMap> &list);
    void addValue(int kind, const QVariantMap &element);
    // Out-of-range indexes do nothing.
    void deleteValueAtIndex(int kind, int index);
    void replaceValueAtIndex(int kind, const QVariantMap &element, int index);
    // Single kinds.
    const QVariantMap &value(int kind) const;
    void setValue(int kind, const QVariantMap &element);

    // --- rows --------------------------------------------------------------------------------
    int objectCount() const;
    QString objectLabelAtIndex(int row) const;
    QString objectShortDescriptionAtIndex(int row) const;
    // An empty dictionary when there is no such row.
    QVariantMap dictionaryAtIndex(int row) const;
    // Adds by "ElementTypeNumber" and marks the kind used; other numbers do nothing.
    void addDictionary(const QVariantMap &element);
    // Puts the dictionary in the row's place; the row keeps its kind.
    void replaceDictionaryAtIndex(const QVariantMap &element, int row);
    // Removes the row's entry (a list kind clears its flag when the list runs empty); a single
    // kind only clears its flag, keeping its dictionary.
    void deleteObjectAtIndex(int row);
    // A table cell of the row: "type" its label, "value" its text; "" for another column.
    QString cellText(int row, const QString &column) const;
    // Labels of the used kinds joined by "," ("Rating,Title,Thumbnail").
    QString elementsUsed() const;
    QString description() const { return elementsUsed(); }

    // --- reading, writing, repairs, checks ---------------------------------------------------
    // The set's elements, one a line at the indent, always under the prefix "media".
    QString buildXML(const QString &indent) const;
    void appendXML(UTF8Writer &out, const QString &indent) const;
    // The indent one level (four spaces) deeper; asked with the same indent again, the same text
    // comes back shared instead of being built anew for every element written.
    static QString deeper(const QString &indent);
    // Takes an element whose lower-cased name is one of the thirteen names at positions 0..12 of
    // fieldNames ("prefix:rating" ... "prefix:adult"); anything else is ignored. Answers 0.
    int parseXMLNodeIfMine(const vlxXMLNode *node, const QStringList &fieldNames);
    // media:adult becomes a "urn:simple" rating unless one is there; the adult flag goes off.
    void finalProcessing();
    // No kind from rating to restriction in use (adult does not count).
    bool isEmpty() const;
    // Asks the processor for the set's data ahead of writing it (the data is in blocks of its own).
    void prefetch() const
    {
        if (m_kinds)
            __builtin_prefetch(m_kinds.constData());
    }
    // Checks and repairs; messages go to the owner when one is given.
    void validate(FeedElement *owner);

    // Same flags and values.
    bool operator==(const mrssOptionalElements &other) const;

    QString archiveClassName() const override { return kClassName; }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;
    // A set as an archivable object, and back from one (an empty set for anything else).
    QVariant toArchivable() const;
    static mrssOptionalElements fromArchivable(const QVariant &value);

    static const QString kClassName; // "mrssOptionalElements"
    static const QString kTypeKey; // "ElementTypeNumber"
    static const QString kTextKey; // "elementDescription"

private:
    // The kind and position in its list of a row; kind -1 when there is no such row.
    struct RowPlace
    {
        int kind = -1;
        int index = 0;
    };
    RowPlace placeOfRow(int row) const;
    static bool validKind(int kind) { return kind >= 0 && kind < kKindCount; }

    // The kinds' flags and values. Nearly every set of a feed (each media:content has one) uses
    // no kind at all: such a set holds no data, and copies share theirs until one changes.
    struct Kinds : QSharedData
    {
        std::array<bool, kKindCount> used {};
        std::array<QList<QVariantMap>, kKindCount> lists;
        std::array<QVariantMap, kKindCount> single;
    };
    const Kinds &kinds() const;
    // The kinds to change, made on first use and no longer shared with a copy.
    Kinds &changedKinds();

    bool m_adultUsed = false;
    bool m_adultValue = false;
    QSharedDataPointer<Kinds> m_kinds;
};

Q_DECLARE_METATYPE(mrssOptionalElements)
