#pragma once

#include <QHash>
#include <QString>

// The named character references the XML layer resolves by itself: the five XML entities, the
// Latin-1 letters and signs from 161 to 255 and a few punctuation marks. Everything else (nbsp
// included) is deliberately absent, so such references survive reading as written.
class XMLentities
{
public:
    // The one table; built on first use (thread-safe) and kept until the program ends.
    static const XMLentities &sharedInstance();
    // Entity name (case-sensitive) to its code point.
    static const QHash<QString, char32_t> &entities() { return sharedInstance().m_entities; }
    const QHash<QString, char32_t> &entityTable() const { return m_entities; }

    XMLentities(const XMLentities &) = delete;
    XMLentities &operator=(const XMLentities &) = delete;

private:
    XMLentities();
    QHash<QString, char32_t> m_entities;
};
