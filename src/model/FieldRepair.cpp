#include "model/FieldRepair.h"

#include "model/FeedElement.h"
#include "model/VLXLogic.h"
#include "xml/HTMLText.h"

namespace {

// A contact written as "Jane Doe <jane@example.org>" or "Jane Doe (jane@example.org)" in the
// form RSS 2.0 asks for: "jane@example.org (Jane Doe)". Anything else (the address already
// first, an address without a name, several addresses, an address that is a link) comes back
// as it is.
QString addressFirst(const QString &contact)
{
    const QString text = contact.trimmed();
    if (text.isEmpty() || (text.back() != u'>' && text.back() != u')'))
        return contact;
    const qsizetype open = text.lastIndexOf(text.back() == u'>' ? u'<' : u'(');
    if (open <= 0)
        return contact;
    const QString address = text.sliced(open + 1, text.size() - open - 2).trimmed();
    QString name = text.first(open).trimmed();
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
        name = name.sliced(1, name.size() - 2).trimmed();
    if (name.isEmpty() || name.contains(u'@') || address.count(u'@') != 1
        || !VLXLogic::checkEMail(address))
        return contact;
    for (const QChar c : address) {
        if (c.isSpace() || QStringView(u"<>()[],;:\"").contains(c))
            return contact;
    }
    return QStringLiteral("%1 (%2)").arg(address, name);
}

} // namespace

FieldRepair::FieldRepair(FeedElement &owner, const ExtensionTexts &texts, const char *subject)
    : m_owner(owner), m_texts(texts), m_subject(subject)
{
}

void FieldRepair::fromFirst(QString &field, const char *name, Candidates candidates,
                            Holds holds) const
{
    if (!field.isEmpty())
        return;
    QString value;
    if (const ExtensionTexts::Candidate *c = firstWithText(candidates, &value)) {
        record(name, c->tag);
        field = holds == Holds::HTML && c->plainText ? HTMLText::fromPlainText(value) : value;
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
        // Dublin Core gives a person as the name with the address beside it.
        field = c->ns == KnownNamespace::dublinCore ? addressFirst(value) : value;
    }
}

void FieldRepair::titleAndDescription(QString &title, QString &description) const
{
    using NS = KnownNamespace;
    this->title(title);
    fromFirst(description, "description",
              {{NS::iTunes, "summary", "itunes:summary", true},
               {NS::contentEncoded, "encoded", "content:encoded"},
               {NS::dublinCore, "description", "dc:description"}},
              Holds::HTML);
}

void FieldRepair::title(QString &title) const
{
    using NS = KnownNamespace;
    fromFirst(title, "title",
              {{NS::iTunes, "subtitle", "itunes:subtitle"}, {NS::dublinCore, "title", "dc:title"}});
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
