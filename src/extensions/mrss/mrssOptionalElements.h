#pragma once

#include "platform/KeyedArchivable.h"

#include <QList>
#include <QMetaType>
#include <QSharedData>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <array>
#include <memory>

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
    // List kinds. The dictionaries are made on request from the kept form (see Element).
    QList<QVariantMap> values(int kind) const;
    void setValues(int kind, const QList<QVariantMap> &list);
    void addValue(int kind, const QVariantMap &element);
    // Out-of-range indexes do nothing.
    void deleteValueAtIndex(int kind, int index);
    void replaceValueAtIndex(int kind, const QVariantMap &element, int index);
    // Single kinds.
    QVariantMap value(int kind) const;
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
    // The same in two steps, for owners that keep what the set does not take: the position of
    // the element in fieldNames (-1 for none of the thirteen), and taking it.
    static int positionOf(const vlxXMLNode *node, const QStringList &fieldNames);
    void take(const vlxXMLNode *node, int position);
    // Whether the set holds the element of that position once and has it already (title,
    // description, copyright, adult): a second one would replace it.
    bool holds(int position) const;
    // media:adult becomes a "urn:simple" rating unless one is there; the adult flag goes off.
    void finalProcessing();
    // No kind from rating to restriction in use (adult does not count).
    bool isEmpty() const { return m_used == 0; }
    // Asks the processor for the set's data ahead of writing it (the data is in blocks of its own).
    void prefetch() const
    {
        if (m_kinds)
            __builtin_prefetch(m_kinds.constData());
    }
    // The same for the texts of the title, description and copyright in use, once the set's
    // data has come (asked for after other reads, so that both waits overlap).
    void prefetchTexts() const
    {
        if (!(m_used & kSingleKinds) || !m_kinds)
            return;
        for (const Element &element : m_kinds->single)
            __builtin_prefetch(element.texts.constData());
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

    // How an element is kept. A feed holds an element per title or thumbnail of every item, so
    // instead of a dictionary (a node per key) an element is one text holding its fields one
    // after the other: field 0 the element's text, then the kind's attributes in writing order.
    // A dictionary that does not fit (a key of no field, a value that is no text, a kind number
    // other than its own) is kept as it is.
    struct Element
    {
        static constexpr int kFieldCount = 5;
        QString texts;
        std::array<quint32, kFieldCount> ends {};
        quint8 present = 0; // a bit per field whose key the dictionary has
        bool typed = false; // has "ElementTypeNumber" holding the element's own kind
        bool kept = false; // kept as the dictionary below
        QVariantMap dictionary;

        // The field's text ("" when missing); field 0 is the element's text.
        QStringView field(int index) const
        {
            const quint32 begin = index == 0 ? 0 : ends[size_t(index - 1)];
            return QStringView(texts).mid(begin, ends[size_t(index)] - begin);
        }
        // The text under a key of the dictionary the element stands for.
        QString text(int kind, const QString &key) const;
        QVariantMap toMap(int kind) const;
        static Element fromMap(int kind, const QVariantMap &map);
        // Adds a field's text; fields are added in increasing order, those skipped stay "".
        void add(int index, QStringView text)
        {
            texts.append(text);
            for (size_t i = size_t(index); i < ends.size(); ++i)
                ends[i] = quint32(texts.size());
            present |= quint8(1u << index);
        }
        bool operator==(const Element &other) const = default;
    };
    // The dictionary key of each field of a kind, field 0 being kTextKey; count in fieldCount.
    static int fieldCount(int kind);
    static const QString &fieldKey(int kind, int index);

private:
    // The kind and position in its list of a row; kind -1 when there is no such row.
    struct RowPlace
    {
        int kind = -1;
        int index = 0;
    };
    RowPlace placeOfRow(int row) const;
    static bool validKind(int kind) { return kind >= 0 && kind < kKindCount; }

    // The kinds' values: a list per list kind, one element for title, description and copyright
    // (an empty one for an empty dictionary), kept here to be read with the block. Nearly every set
    // of a feed (each media:content has one) uses no kind at all: such a set holds no data, and
    // copies share theirs until one changes. The flags are kept beside, so that an unused set is
    // answered without reading another block.
    //
    // The lists are a block of their own, made when a list kind is first given an element: a
    // feed's sets mostly hold a title alone, and twelve empty lists beside it would more than
    // double what every item holds.
    class Lists
    {
    public:
        using Array = std::array<QList<Element>, kKindCount>;
        Lists() = default;
        Lists(const Lists &other)
            : m_lists(other.m_lists ? std::make_unique<Array>(*other.m_lists) : nullptr)
        {
        }
        Lists &operator=(const Lists &other)
        {
            m_lists = other.m_lists ? std::make_unique<Array>(*other.m_lists) : nullptr;
            return *this;
        }
        const QList<Element> &operator[](size_t kind) const
        {
            static const QList<Element> none;
            return m_lists ? (*m_lists)[kind] : none;
        }
        QList<Element> &operator[](size_t kind)
        {
            if (!m_lists)
                m_lists = std::make_unique<Array>();
            return (*m_lists)[kind];
        }
        bool operator==(const Lists &other) const
        {
            for (size_t kind = 0; kind < size_t(kKindCount); ++kind) {
                if ((*this)[kind] != other[kind])
                    return false;
            }
            return true;
        }

    private:
        std::unique_ptr<Array> m_lists;
    };
    struct Kinds : QSharedData
    {
        // First, so that the title shares the first line of the block with its count.
        std::array<Element, 3> single;
        Lists lists;
        bool operator==(const Kinds &other) const
        {
            return lists == other.lists && single == other.single;
        }
    };
    // The place in Kinds::single of a single kind.
    static constexpr quint16 kSingleKinds
        = (1u << kTitle) | (1u << kDescription) | (1u << kCopyright);
    static size_t singlePlace(int kind)
    {
        return kind == kTitle ? 0 : kind == kDescription ? 1 : 2;
    }
    const Kinds &kinds() const;
    // The kinds to change, made on first use and no longer shared with a copy.
    Kinds &changedKinds();

    bool m_adultUsed = false;
    bool m_adultValue = false;
    quint16 m_used = 0; // a bit per kind in use
    QSharedDataPointer<Kinds> m_kinds;
};

Q_DECLARE_METATYPE(mrssOptionalElements)
