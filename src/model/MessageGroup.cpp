#include "model/MessageGroup.h"

namespace {
const QString kGroupKey = QStringLiteral("Group");
const QString kEntriesKey = QStringLiteral("Entries");
} // namespace

MessageGroup::~MessageGroup()
{
    // The log of a long feed holds a group for each of tens of thousands of items, each in
    // blocks of its own: they are let go in order, the blocks of the groups some members ahead
    // asked for first (the group's title and list, then the list's first entry).
    constexpr qsizetype kAhead = 8;
    const qsizetype count = m_entries.size();
    if (count <= 2 * kAhead || !m_entries.isDetached())
        return;
    Member *const members = m_entries.data();
    for (qsizetype i = 0; i < count; ++i) {
        if (i + 2 * kAhead < count) {
            if (const auto *group = std::get_if<MessageGroup>(&members[i + 2 * kAhead])) {
                __builtin_prefetch(group->m_title.constData());
                __builtin_prefetch(group->m_entries.constData());
            }
        }
        if (i + kAhead < count) {
            if (const auto *group = std::get_if<MessageGroup>(&members[i + kAhead]);
                group && !group->m_entries.isEmpty()) {
                if (const auto *entry = std::get_if<QString>(group->m_entries.constData()))
                    __builtin_prefetch(entry->constData());
            }
        }
        members[i] = QString();
    }
}

void MessageGroup::addEntries(const QStringList &entries)
{
    reserve(entries.size());
    for (const QString &entry : entries)
        m_entries.append(entry);
}

void MessageGroup::addGroup(const MessageGroup &group)
{
    if (!group.isEmpty())
        m_entries.append(group);
}

void MessageGroup::addGroup(MessageGroup &&group)
{
    if (!group.isEmpty())
        m_entries.append(std::move(group));
}

MessageGroup &MessageGroup::openGroup(const QString &title)
{
    m_entries.append(MessageGroup(title));
    return std::get<MessageGroup>(m_entries.last());
}

void MessageGroup::closeGroup()
{
    if (const auto *last = std::get_if<MessageGroup>(&m_entries.last()); last && last->isEmpty())
        m_entries.removeLast();
}

QVariantMap MessageGroup::toVariant() const
{
    QVariantList entries;
    entries.reserve(m_entries.size());
    for (const Member &member : m_entries) {
        if (const QString *text = std::get_if<QString>(&member))
            entries.append(*text);
        else
            entries.append(std::get<MessageGroup>(member).toVariant());
    }
    return {{kGroupKey, m_title}, {kEntriesKey, entries}};
}

MessageGroup MessageGroup::fromVariant(const QVariantMap &map)
{
    MessageGroup group(map.value(kGroupKey).toString());
    const QVariantList entries = map.value(kEntriesKey).toList();
    for (const QVariant &member : entries) {
        if (member.typeId() == QMetaType::QVariantMap)
            group.m_entries.append(fromVariant(member.toMap()));
        else if (member.typeId() == QMetaType::QString)
            group.m_entries.append(member.toString());
    }
    return group;
}

void MessageGroup::appendTo(QVariantList &tree) const
{
    if (!isEmpty())
        tree.append(toVariant());
}
