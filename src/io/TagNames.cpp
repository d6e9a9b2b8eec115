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
        const QStringView local = name.sliced(name.lastIndexOf(u':') + 1);
        m_valueOf.push_back(value);
        m_item.push_back(local.compare(u"item", Qt::CaseInsensitive) == 0
                         || local.compare(u"entry", Qt::CaseInsensitive) == 0);
    }
    m_last = key;
    m_lastId = *it;
    return m_lastId;
}
