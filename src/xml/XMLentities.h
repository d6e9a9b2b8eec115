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

    // The character a numeric reference stands for as HTML reads it: 128 to 159 are the
    // windows-1252 characters (146 is U+2019), not the C1 controls XML would make of them,
    // because that is what the feeds writing them mean and what every browser shows. Other
    // values, and the five that windows-1252 leaves undefined, stand for themselves.
    static constexpr char32_t htmlCharacter(char32_t code)
    {
        constexpr char32_t windows1252[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
        };
        return code >= 0x80 && code <= 0x9F ? windows1252[code - 0x80] : code;
    }

    XMLentities(const XMLentities &) = delete;
    XMLentities &operator=(const XMLentities &) = delete;

private:
    XMLentities();
    QHash<QString, char32_t> m_entities;
};
