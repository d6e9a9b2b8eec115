#include "io/TagNames.h"

TagNames::TagNames(const QStringList &valueTags) : m_valueTags(valueTags) { }

int TagNames::idOf(QStringView name)
{
    const Key key {name};
    if (m_lastId >= 0 && key == m_last)
        return m_lastId;
    auto it = m_ids.constFind(key);
    if (it == m_ids.constEnd()) {
        const int id = count();
        it = m_ids.insert(key, id);
        int value = -1;
        for (qsizetype i = 0; i < m_valueTags.size() && value < 0; ++i) {
            if (name.compare(m_valueTags[i], Qt::CaseInsensitive) == 0)
                value = int(i);
        }
        const qsizetype colon = name.lastIndexOf(u':');
        const QStringView local = name.sliced(colon + 1);
        Item item = Item::None;
        if (local.compare(u"item", Qt::CaseInsensitive) == 0
            || local.compare(u"entry", Qt::CaseInsensitive) == 0)
            item = Item::Named;
        // The parser compares ASCII letters alone, in the name after a single prefix.
        if ((Key {local} == Key {u"item"} || Key {local} == Key {u"entry"}) && colon != 0
            && name.indexOf(u':') == colon)
            item = Item::Element;
        m_valueOf.push_back(value);
        m_item.push_back(item);
    }
    m_last = key;
    m_lastId = *it;
    return m_lastId;
}
