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
    for (const ExtensionTexts::Candidate &c : candidates) {
        const QString value = m_texts.text(c.ns, QLatin1String(c.path));
        if (value.isEmpty())
            continue;
        record(name, c.tag);
        field = value;
        return;
    }
}

void FieldRepair::fromFirstEMail(QString &field, const char *name, Candidates candidates) const
{
    if (!field.isEmpty())
        return;
    for (const ExtensionTexts::Candidate &c : candidates) {
        const QString value = m_texts.text(c.ns, QLatin1String(c.path));
        if (value.isEmpty())
            continue;
        if (VLXLogic::checkEMail(value)) {
            record(name, c.tag);
            field = value;
        }
        return;
    }
}

void FieldRepair::record(const char *name, const char *tag) const
{
    m_owner.recordRepair(
        QStringLiteral("%1 <%2> was blank, used the contents of <%3>")
            .arg(QLatin1String(m_subject), QLatin1String(name), QLatin1String(tag)));
}
