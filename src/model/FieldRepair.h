#pragma once

#include "model/ExtensionTexts.h"

#include <QString>
#include <initializer_list>

class FeedElement;

// The repairs after reading that fill an empty core field of the channel, its image or an item
// from its namespace extensions. Each field it fills is recorded on the owner as the repair
// "<subject> <name> was blank, used the contents of <tag>".
class FieldRepair
{
public:
    using Candidates = std::initializer_list<ExtensionTexts::Candidate>;

    // The subject names the owner in the messages ("Feed", "Item", "Image").
    FieldRepair(FeedElement &owner, const ExtensionTexts &texts, const char *subject);

    // What a field holds: plain text (a title), or HTML (a description), which takes a
    // candidate's plain text escaped so that it shows as the same text.
    enum class Holds { PlainText, HTML };
    // An empty field takes the text of the first candidate that has one.
    void fromFirst(QString &field, const char *name, Candidates candidates,
                   Holds holds = Holds::PlainText) const;
    // An empty field looks only at the first candidate that has a text: it takes that text
    // when it is an e-mail address and otherwise stays empty. A Dublin Core name with its
    // address beside it is written address first ("jane@example.org (Jane Doe)").
    void fromFirstEMail(QString &field, const char *name, Candidates candidates) const;
    // The channel's and an item's title and description: from the iTunes subtitle or Dublin Core
    // title, and from the iTunes summary, the encoded content or the Dublin Core description.
    void titleAndDescription(QString &title, QString &description) const;
    // The title's half of it alone.
    void title(QString &title) const;

private:
    FeedElement &m_owner;
    const ExtensionTexts &m_texts;
    const char *m_subject;

    // The first candidate with a text, and that text; null when none has one.
    const ExtensionTexts::Candidate *firstWithText(Candidates candidates, QString *text) const;
    void record(const char *name, const char *tag) const;
};
