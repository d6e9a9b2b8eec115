#pragma once

#include <QHash>
#include <QStringList>
#include <QStringView>

#include <vector>

// The names of the tags a walk of a feed's text meets, each given a number the first time it is
// seen, so that the walk compares and counts numbers rather than texts. Names that differ in the
// letter case of ASCII letters alone get one number ("<Item>", "<item>"), as the repairs read
// them. The names point into the text, which must outlive the table.
class TagNames
{
public:
    // `valueTags`: the names of the values the repairs escape (see valueOf).
    explicit TagNames(const QStringList &valueTags);

    int idOf(QStringView name);
    int count() const { return int(m_valueOf.size()); }
    // The index in `valueTags` of the value a name stands for, or -1.
    int valueOf(int id) const { return m_valueOf[std::size_t(id)]; }
    // Whether the name, without whatever stands before its last ":", is "item" or "entry":
    // what a feed's items are.
    bool isItem(int id) const { return m_item[std::size_t(id)] != Item::None; }
    // Whether the parser names an element of this name an item or entry: the name alone or
    // after one prefix ("rss:item"), in any letter case of ASCII letters. It reads ":item",
    // "a:b:item" and "a::item" as other names.
    bool isItemElement(int id) const { return m_item[std::size_t(id)] == Item::Element; }

private:
    // A name compared and hashed with its ASCII letters folded to lower case.
    struct Key
    {
        QStringView name;
        static char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
        friend bool operator==(const Key &a, const Key &b)
        {
            if (a.name.size() != b.name.size())
                return false;
            for (qsizetype i = 0; i < a.name.size(); ++i) {
                if (folded(a.name[i].unicode()) != folded(b.name[i].unicode()))
                    return false;
            }
            return true;
        }
        friend size_t qHash(const Key &key, size_t salt)
        {
            // FNV-1a over the folded units, its bits mixed at the end (MurmurHash3's finish):
            // names that differ in a digit alone ("n1", "n2") spread over the whole table. Read
            // a unit at a time, never past the name's end: the name is a view into the text.
            quint64 hash = quint64(salt) ^ 0xcbf29ce484222325ULL;
            for (const QChar c : key.name)
                hash = (hash ^ folded(c.unicode())) * 0x100000001b3ULL;
            hash ^= hash >> 33;
            hash *= 0xff51afd7ed558ccdULL;
            hash ^= hash >> 33;
            hash *= 0xc4ceb9fe1a85ec53ULL;
            hash ^= hash >> 33;
            return size_t(hash);
        }
    };

    QStringList m_valueTags;
    QHash<Key, int> m_ids;
    std::vector<int> m_valueOf;
    enum class Item : quint8 { None, Named, Element };
    std::vector<Item> m_item;
    // The last name asked about: an end tag mostly follows its start tag's text.
    Key m_last {};
    int m_lastId = -1;
};
