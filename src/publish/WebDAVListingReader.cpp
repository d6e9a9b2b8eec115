#include "publish/WebDAVListingReader.h"

#include "model/DateFields.h"
#include "model/DatePattern.h"
#include "publish/DMTransaction.h"
#include "publish/PublishPaths.h"

#include <QDateTime>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

// No href, status, length or date of a real answer comes near this; an answer with a longer one
// is not a listing.
constexpr qsizetype kLongestValue = 64 * 1024;

enum class Name {
    Other,
    Multistatus,
    Response,
    Href,
    Propstat,
    Status,
    Prop,
    ResourceType,
    Collection,
    ContentLength,
    LastModified
};

Name nameOf(const xmlChar *localName, const xmlChar *uri)
{
    if (!uri || std::strcmp(reinterpret_cast<const char *>(uri), "DAV:") != 0)
        return Name::Other;
    static const struct
    {
        const char *text;
        Name name;
    } kNames[] = {{"multistatus", Name::Multistatus},
                  {"response", Name::Response},
                  {"href", Name::Href},
                  {"propstat", Name::Propstat},
                  {"status", Name::Status},
                  {"prop", Name::Prop},
                  {"resourcetype", Name::ResourceType},
                  {"collection", Name::Collection},
                  {"getcontentlength", Name::ContentLength},
                  {"getlastmodified", Name::LastModified}};
    for (const auto &known : kNames) {
        if (std::strcmp(reinterpret_cast<const char *>(localName), known.text) == 0)
            return known.name;
    }
    return Name::Other;
}

QDateTime httpDate(const QString &text)
{
    static const DatePattern pattern(u"%a, %d %b %Y %H:%M:%S %Z");
    DateFields fields;
    if (!pattern.read(text, fields))
        return QDateTime();
    return fields.toDateTime();
}

struct PropertySet
{
    QByteArray status;
    bool collection = false;
    bool hasLength = false;
    QByteArray length;
    QByteArray modified;
};

struct ReadState
{
    xmlParserCtxtPtr context = nullptr;
    QString basePath;
    QString listed;
    qsizetype limit = 0;
    WebDAVListingReader::Listing listing;
    bool refused = false;

    std::vector<Name> open;
    // The value being collected and the depth of its element: text of that element only.
    QByteArray *collecting = nullptr;
    std::size_t collectingDepth = 0;
    QByteArray href;
    PropertySet properties;
    QVariantMap entry;

    bool within(std::initializer_list<Name> path) const
    {
        if (open.size() < path.size())
            return false;
        return std::equal(path.begin(), path.end(), open.end() - qsizetype(path.size()));
    }

    void stop(bool refuse)
    {
        refused = refused || refuse;
        xmlStopParser(context);
    }

    void startResponse()
    {
        href.clear();
        entry = {{DMTransaction::kDMURI, QString()},
                 {DMTransaction::kDMIsCollection, false},
                 {DMTransaction::kDMContentLength, qint64(0)}};
    }

    void endPropertySet()
    {
        const PropertySet set = std::exchange(properties, {});
        if (!set.status.isEmpty() && !set.status.contains(" 200"))
            return;
        if (set.collection)
            entry.insert(DMTransaction::kDMIsCollection, true);
        if (set.hasLength)
            entry.insert(DMTransaction::kDMContentLength,
                         QString::fromUtf8(set.length).trimmed().toLongLong());
        const QDateTime modified = httpDate(QString::fromUtf8(set.modified).trimmed());
        if (modified.isValid())
            entry.insert(DMTransaction::kDMLastModified, modified);
    }

    void endResponse()
    {
        QString path = QUrl(QString::fromUtf8(href).trimmed()).path(QUrl::FullyDecoded);
        if (path.startsWith(basePath))
            path = path.mid(basePath.size());
        path = PublishPaths::trimSlashes(path);
        if (path == listed)
            return;
        entry.insert(DMTransaction::kDMURI, path);
        listing.entries.append(std::exchange(entry, {}));
    }
};

ReadState *stateOf(void *context)
{
    return static_cast<ReadState *>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void startElement(void *context, const xmlChar *localName, const xmlChar *, const xmlChar *uri, int,
                  const xmlChar **, int, int, const xmlChar **)
{
    ReadState *state = stateOf(context);
    const Name name = nameOf(localName, uri);
    if (state->open.empty() && name != Name::Multistatus) {
        state->stop(true);
        return;
    }
    state->open.push_back(name);
    if (state->within({Name::Multistatus, Name::Response}) && state->open.size() == 2) {
        if (state->listing.entries.size() >= state->limit) {
            state->listing.truncated = true;
            state->stop(false);
            return;
        }
        state->startResponse();
    } else if (state->within({Name::Response, Name::Href})) {
        state->collecting = &state->href;
    } else if (state->within({Name::Propstat, Name::Status})) {
        state->collecting = &state->properties.status;
    } else if (state->within({Name::Prop, Name::ResourceType, Name::Collection})) {
        state->properties.collection = true;
    } else if (state->within({Name::Prop, Name::ContentLength})) {
        state->properties.hasLength = true;
        state->collecting = &state->properties.length;
    } else if (state->within({Name::Prop, Name::LastModified})) {
        state->collecting = &state->properties.modified;
    }
    if (state->collecting && state->collectingDepth == 0)
        state->collectingDepth = state->open.size();
}

void endElement(void *context, const xmlChar *, const xmlChar *, const xmlChar *)
{
    ReadState *state = stateOf(context);
    if (state->open.empty())
        return;
    if (state->collectingDepth == state->open.size()) {
        state->collecting = nullptr;
        state->collectingDepth = 0;
    }
    const bool response = state->open.size() == 2 && state->open.back() == Name::Response;
    const bool propertySet = state->within({Name::Response, Name::Propstat});
    state->open.pop_back();
    if (propertySet)
        state->endPropertySet();
    else if (response)
        state->endResponse();
}

void characters(void *context, const xmlChar *text, int length)
{
    ReadState *state = stateOf(context);
    if (!state->collecting || state->collectingDepth != state->open.size())
        return;
    if (state->collecting->size() + length > kLongestValue) {
        state->stop(true);
        return;
    }
    state->collecting->append(reinterpret_cast<const char *>(text), length);
}

// A DOCTYPE: refused before its declarations are read.
void internalSubset(void *context, const xmlChar *, const xmlChar *, const xmlChar *)
{
    stateOf(context)->stop(true);
}

// Only the predefined entities exist; any other reference makes the answer unreadable.
xmlEntityPtr predefinedEntity(void *, const xmlChar *name)
{
    return xmlGetPredefinedEntity(name);
}

void ignoreError(void *, xmlErrorPtr) { }

} // namespace

WebDAVListingReader::Listing WebDAVListingReader::read(const QByteArray &answer,
                                                       const QString &basePath,
                                                       const QString &listed, qsizetype limit)
{
    ReadState state;
    state.basePath = basePath;
    state.listed = listed;
    state.limit = limit;
    if (answer.isEmpty() || answer.size() > std::numeric_limits<int>::max())
        return state.listing;

    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(
        xmlCreateMemoryParserCtxt(answer.constData(), int(answer.size())), xmlFreeParserCtxt);
    if (!context)
        return state.listing;
    xmlParserCtxtPtr ctxt = context.get();
    state.context = ctxt;
    ctxt->_private = &state;
    // A handler of our own that builds nothing: only what a listing needs is kept.
    auto *sax = static_cast<xmlSAXHandler *>(xmlMalloc(sizeof(xmlSAXHandler)));
    if (!sax)
        return state.listing;
    std::memset(sax, 0, sizeof(xmlSAXHandler));
    sax->initialized = XML_SAX2_MAGIC;
    sax->startElementNs = startElement;
    sax->endElementNs = endElement;
    sax->characters = characters;
    sax->cdataBlock = characters;
    sax->internalSubset = internalSubset;
    sax->getEntity = predefinedEntity;
    sax->serror = ignoreError;
    xmlFree(ctxt->sax);
    ctxt->sax = sax;
    ctxt->userData = ctxt;
    // Deliberately absent: XML_PARSE_NOENT, XML_PARSE_HUGE, XML_PARSE_DTDLOAD, XML_PARSE_RECOVER.
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);

    // Errors raised without the context (encoding conversion) would reach stderr otherwise; the
    // handler is the thread's own.
    const xmlStructuredErrorFunc previousHandler = xmlStructuredError;
    void *const previousContext = xmlStructuredErrorContext;
    xmlSetStructuredErrorFunc(nullptr, ignoreError);
    xmlParseDocument(ctxt);
    xmlSetStructuredErrorFunc(previousContext, previousHandler);

    // A parse stopped at the limit ends before the document does; that is still a listing.
    state.listing.readable = !state.refused && (state.listing.truncated || ctxt->wellFormed != 0);
    if (!state.listing.readable)
        state.listing.entries.clear();
    return state.listing;
}
