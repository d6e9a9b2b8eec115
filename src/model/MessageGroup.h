#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <variant>

// One group of the message tree: a title and an ordered mix of message entries and nested
// groups. It converts to and from exactly the dictionary shape {"Group": title, "Entries": [...]}
// that the message-list panel and the outline views read.
class MessageGroup
{
public:
    using Member = std::variant<QString, MessageGroup>;

    MessageGroup() = default;
    explicit MessageGroup(QString title) : m_title(std::move(title)) { }
    MessageGroup(const MessageGroup &) = default;
    MessageGroup(MessageGroup &&) noexcept = default;
    MessageGroup &operator=(const MessageGroup &) = default;
    MessageGroup &operator=(MessageGroup &&) noexcept = default;
    ~MessageGroup();

    const QString &title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    const QList<Member> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    void addEntry(const QString &entry) { m_entries.append(entry); }
    void addEntries(const QStringList &entries);
    // Nests the group only when it has at least one entry (builders never add empty groups).
    void addGroup(const MessageGroup &group);
    void addGroup(MessageGroup &&group);
    // Room for that many more members, for builders that know how many they add.
    void reserve(qsizetype more) { m_entries.reserve(m_entries.size() + more); }
    // Builds a nested group where it stands: openGroup() appends an empty one and answers it
    // for filling, closeGroup() takes it away again if it stayed empty.
    MessageGroup &openGroup(const QString &title);
    void closeGroup();

    // {"Group": title, "Entries": [strings and dictionaries]}
    QVariantMap toVariant() const;
    // Reads a dictionary of that shape; members that are neither strings nor dictionaries are
    // dropped.
    static MessageGroup fromVariant(const QVariantMap &map);

    // Appends the group to a message tree (a list of group dictionaries) when it is not empty.
    void appendTo(QVariantList &tree) const;

    bool operator==(const MessageGroup &other) const = default;

private:
    QString m_title;
    QList<Member> m_entries;
};
