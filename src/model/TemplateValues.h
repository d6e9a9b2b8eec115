#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <unordered_map>
#include <unordered_set>

// The values of a template export's placeholders ("~~~FeedTitle~~~"), gathered from the feed,
// its image, an item and their extensions before any of them is placed. The export then fills
// the template in one pass over the template's own text, so that no value is ever read again
// for placeholders: a link that names a placeholder stays that name, whatever the placeholder
// would have brought in.
class TemplateValues
{
public:
    // What a value is: plain text (a title, an author, the namespace fields), an address (a
    // link, the enclosure's URL, the image's URL and link, a licence), or HTML (a description,
    // encoded content). The export places each kind its own way.
    enum class Holds { PlainText, Address, HTML };
    struct Value
    {
        QString text;
        Holds holds = Holds::PlainText;
    };

    // Hashing and comparison that look a QString key up by a view, without a copy.
    struct KeyHash
    {
        using is_transparent = void;
        size_t operator()(QStringView key) const noexcept { return qHash(key); }
    };
    struct KeyEqual
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    using Names = std::unordered_set<QString, KeyHash, KeyEqual>;

    // asked: the placeholders the template may hold (null: every one); a value for any other is
    // not kept. before: values that take precedence over these, as the channel's do over an
    // item's inside an item record.
    explicit TemplateValues(const Names *asked = nullptr, const TemplateValues *before = nullptr);

    // Whether the template may hold the placeholder: a value that is costly to compute is
    // computed only then.
    bool asks(QStringView placeholder) const;
    const Names *asked() const { return m_asked; }
    // Keeps the value unless the placeholder has one already: the first source to give one wins
    // (the channel's fields before its extensions', those before the image's).
    void put(QStringView placeholder, const QString &value, Holds holds = Holds::PlainText);
    // The value of the placeholder, from the values before these first; null when none has one.
    const Value *find(QStringView placeholder) const;

private:
    const Names *m_asked;
    const TemplateValues *m_before;
    std::unordered_map<QString, Value, KeyHash, KeyEqual> m_values;
};
