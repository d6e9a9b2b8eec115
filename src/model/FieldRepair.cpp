#include "model/FieldRepair.h"

#include "model/FeedElement.h"
#include "model/VLXLogic.h"

FieldRepair::FieldRepair(FeedElement &owner, const ExtensionTexts &texts, const char *subject)
    : m_owner(owner), m_texts(texts), m_subject(subject)
{
}

void FieldRepair::fromFirst(QString &field, const char *name, Candidates candidates) const
{
    if (!field.isEmpty())
        return;
    QString value;
    if (const ExtensionTexts::Candidate *c = firstWithText(candidates, &value)) {
        record(name, c->tag);
        field = value;
    }
}

void FieldRepair::fromFirstEMail(QString &field, const char *name, Candidates candidates) const
{
    if (!field.isEmpty())
        return;
    QString value;
    const ExtensionTexts::Candidate *c = firstWithText(candidates, &value);
    if (c && VLXLogic::checkEMail(value)) {
        record(name, c->tag);
        field = value;
    }
}

void FieldRepair::titleAndDescription(QString &title, QString &description) const
{
    using NS = KnownNamespace;
    fromFirst(title, "title",
              {{NS::iTunes, "subtitle", "itunes:subtitle"}, {NS::dublinCore, "title", "dc:title"}});
    fromFirst(description, "description",
              {{NS::iTunes, "summary", "itunes:summary"},
               {NS::contentEncoded, "encoded", "content:encoded"},
               {NS::dublinCore, "description", "dc:description"}});
}

const ExtensionTexts::Candidate *FieldRepair::firstWithText(Candidates candidates,
                                                            QString *text) const
{
    for (const ExtensionTexts::Candidate &c : candidates) {
        *text = m_texts.text(c.ns, QLatin1String(c.path));
        if (!text->isEmpty())
            return &c;
    }
    return nullptr;
}

void FieldRepair::record(const char *name, const char *tag) const
{
    m_owner.recordRepair(
        QStringLiteral("%1 <%2> was blank, used the contents of <%3>")
            .arg(QLatin1String(m_subject), QLatin1String(name), QLatin1String(tag)));
}
