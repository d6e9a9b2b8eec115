#pragma once

#include <QString>
#include <QVariant>

// How long a text kept in the settings may be: what a person would type or paste, far below
// what would make the settings file too large to be read back (PlistDefaultsStore refuses to
// write such a file at all). What comes from elsewhere (a web service's answer, a feed file)
// is held to the same bounds before it is stored.
class SettingTextLimits
{
public:
    SettingTextLimits() = delete;

    enum class Kind {
        Line, // a name, a title, an e-mail address, a language
        Address, // a URL or a path
        Passage, // any other text: a description, HTML, raw XML
    };

    // The most characters a text of the kind may have.
    static qsizetype limit(Kind kind);
    static bool fits(Kind kind, const QString &text) { return text.size() <= limit(kind); }
    // The sentence that refuses the text, which `what` names ("The licence name"); empty when it
    // fits.
    static QString problem(Kind kind, const QString &what, const QString &text);
    // Whether a text anywhere in the value (lists and dictionaries walked) is longer than a
    // passage may be.
    static bool holdsOverlongText(const QVariant &value);
};
