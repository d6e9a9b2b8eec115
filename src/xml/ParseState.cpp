#include "xml/ParseState.h"

#include "xml/LiftedCData.h"
#include "xml/XMLentities.h"

#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/entities.h>
#include <libxml/globals.h>
#include <libxml/hash.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <new>

namespace {

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
ParseState *stateOf(void *ctx)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    return ctxt ? static_cast<ParseState *>(ctxt->_private) : nullptr;
}

// The callbacks below build our tree for the document itself. libxml2 also calls them, through
// a second context, while it checks the content of an entity the DOCTYPE declared; that content
// is not part of the document, so it goes to libxml2's own builder as usual.
ParseState *builderFor(void *ctx)
{
    ParseState *state = stateOf(ctx);
    return state && ctx == state->mainContext && !state->tooLarge ? state : nullptr;
}

// libxml2 is C: nothing may be thrown through it. A callback that runs out of memory stops the
// parse instead, and the document fails with a clear message.
template<typename Callback, Callback callback> struct Guarded;

template<typename... Args, void (*callback)(void *, Args...)>
struct Guarded<void (*)(void *, Args...), callback>
{
    static void call(void *ctx, Args... args)
    {
        try {
            callback(ctx, args...);
        } catch (const std::bad_alloc &) {
            if (ParseState *state = stateOf(ctx)) {
                state->outOfMemory = true;
                xmlStopParser(state->mainContext);
            }
        }
    }
};

#define VLX_GUARDED(function) (&Guarded<decltype(&function), &function>::call)

// A name as the tree keeps it: prefixed, from the parse's dictionary. The dictionary has no
// limit of its own, so a null answer means memory ran out: the parse stops then, rather than
// keep the name without its prefix.
const char *qualifiedName(ParseState *state, const xmlChar *prefix, const xmlChar *local)
{
    const xmlChar *name = prefix ? xmlDictQLookup(state->tree->dict, prefix, local) : local;
    if (!name) {
        state->outOfMemory = true;
        xmlStopParser(state->mainContext);
    }
    return reinterpret_cast<const char *>(name);
}

void startElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri,
                  int namespaceCount, const xmlChar **namespaces, int attributeCount, int defaulted,
                  const xmlChar **attributes)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2StartElementNs(ctx, localname, prefix, uri, namespaceCount, namespaces,
                                  attributeCount, defaulted, attributes);
        return;
    }
    state->flushText();
    DocumentTree *tree = state->tree;
    const char *name = qualifiedName(state, prefix, localname);
    if (!name)
        return;
    const quint32 index = state->addNode(vlxXMLDOM::Element, name, std::strlen(name));
    if (index == kNone)
        return;
    if (namespaceCount + attributeCount > 0xFFFF) {
        state->tooLarge = true;
        xmlStopParser(state->mainContext);
        return;
    }
    // Most names start with neither letter, and cost one comparison.
    const auto *local = reinterpret_cast<const char *>(localname);
    const char initial = char(local[0] | 0x20);
    if ((initial == 'i' && qstricmp(local, "item") == 0)
        || (initial == 'e' && qstricmp(local, "entry") == 0))
        tree->itemLines.push_back(static_cast<xmlParserCtxtPtr>(ctx)->input->line);
    TreeNode &node = tree->nodes[index];
    node.ns = state->namespaceNumber(reinterpret_cast<const char *>(uri));
    node.firstAttribute = quint32(tree->attributes.size());
    node.attributeCount = quint16(namespaceCount + attributeCount);
    for (int i = 0; i < namespaceCount; ++i) {
        const xmlChar *declaredPrefix = namespaces[2 * i];
        const char *declaredName
            = declaredPrefix ? qualifiedName(state, BAD_CAST "xmlns", declaredPrefix) : "xmlns";
        if (!declaredName)
            return;
        const char *href = reinterpret_cast<const char *>(namespaces[2 * i + 1]);
        const std::size_t hrefLength = href ? std::strlen(href) : 0;
        tree->attributes.push_back(
            TreeAttribute {declaredName, tree->text.store(href, hrefLength, index),
                           quint32(std::strlen(declaredName)), quint32(hrefLength), true},
            index);
    }
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar **attribute = attributes + 5 * i;
        const char *attributeName = qualifiedName(state, attribute[1], attribute[0]);
        if (!attributeName)
            return;
        const auto *value = reinterpret_cast<const char *>(attribute[3]);
        const auto valueLength = std::size_t(attribute[4] - attribute[3]);
        tree->attributes.push_back(
            TreeAttribute {attributeName, tree->text.store(value, valueLength, index),
                           quint32(std::strlen(attributeName)), quint32(valueLength), false},
            index);
    }
    state->open.push_back(index);
}

void endElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2EndElementNs(ctx, localname, prefix, uri);
        return;
    }
    state->flushText();
    if (state->open.size() > 1)
        state->open.pop_back();
}

// The code of a character reference from &#128; to &#159; that libxml2 has just decoded, or 0.
// libxml2 hands a character reference to characters() on its own, as the character's two UTF-8
// bytes, right after reading the reference's ";"; a literal character never comes alone with a
// ";" just before the parser's position.
char32_t c1CharacterReference(void *ctx, const xmlChar *text, int length)
{
    if (length != 2 || text[0] != 0xC2 || text[1] < 0x80 || text[1] > 0x9F)
        return 0;
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    const xmlParserInputPtr input = ctxt ? ctxt->input : nullptr;
    if (!input || !input->cur || !input->base || input->cur <= input->base || input->cur[-1] != ';')
        return 0;
    return char32_t(text[1]);
}

void characters(void *ctx, const xmlChar *text, int length)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2Characters(ctx, text, length);
        return;
    }
    if (state->open.size() <= 1)
        return;
    // A feed writing &#146; means the character HTML and every browser show for it (U+2019),
    // not the C1 control XML makes of it.
    if (const char32_t code = c1CharacterReference(ctx, text, length)) {
        const char32_t shown = XMLentities::htmlCharacter(code);
        state->pendingText.append(QString::fromUcs4(&shown, 1).toUtf8());
        return;
    }
    state->pendingText.append(reinterpret_cast<const char *>(text), length);
}

void cdataBlock(void *ctx, const xmlChar *text, int length)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2CDataBlock(ctx, text, length);
        return;
    }
    state->flushText();
    QByteArrayView content(reinterpret_cast<const char *>(text), length);
    if (state->lifted) {
        const std::optional<LiftedCData::Content> kept = state->lifted->take(content);
        if (!kept) {
            // Never for a text the source and the parser read alike; refused rather than read
            // with a content that is not the document's.
            state->liftMismatch = true;
            xmlStopParser(state->mainContext);
            return;
        }
        // A content as the document's bytes hold it is not copied: the tree keeps the bytes.
        if (kept->borrowed) {
            state->addNode(vlxXMLDOM::CDATASection, kept->text.data(),
                           std::size_t(kept->text.size()));
            return;
        }
        content = kept->text;
    }
    state->addCopy(vlxXMLDOM::CDATASection, content.data(), std::size_t(content.size()));
}

void comment(void *ctx, const xmlChar *text)
{
    ParseState *state = builderFor(ctx);
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (!state || ctxt->inSubset != 0) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext || ctxt->inSubset != 0)
            xmlSAX2Comment(ctx, text);
        return;
    }
    state->flushText();
    const char *content = reinterpret_cast<const char *>(text ? text : BAD_CAST "");
    if (state->addCopy(vlxXMLDOM::Comment, content, std::strlen(content)) != kNone)
        ++state->tree->comments;
}

void processingInstruction(void *ctx, const xmlChar *target, const xmlChar *data)
{
    ParseState *state = builderFor(ctx);
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (!state || ctxt->inSubset != 0) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext || ctxt->inSubset != 0)
            xmlSAX2ProcessingInstruction(ctx, target, data);
        return;
    }
    state->flushText();
    const char *name = reinterpret_cast<const char *>(target ? target : BAD_CAST "");
    const quint32 index = state->addCopy(vlxXMLDOM::ProcessingInstruction, name, std::strlen(name));
    if (index == kNone)
        return;
    DocumentTree *tree = state->tree;
    const char *content = reinterpret_cast<const char *>(data ? data : BAD_CAST "");
    const std::size_t contentLength = std::strlen(content);
    tree->nodes[index].firstAttribute = quint32(tree->attributes.size());
    tree->nodes[index].attributeCount = 1;
    tree->attributes.push_back(TreeAttribute {"", tree->text.store(content, contentLength, index),
                                              0, quint32(contentLength), false},
                               index);
}

void reference(void *ctx, const xmlChar *name)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2Reference(ctx, name);
        return;
    }
    state->flushText();
    const char *text = reinterpret_cast<const char *>(name ? name : BAD_CAST "");
    state->addCopy(vlxXMLDOM::EntityReference, text, std::strlen(text));
}

void internalSubset(void *ctx, const xmlChar *name, const xmlChar *externalId,
                    const xmlChar *systemId)
{
    xmlSAX2InternalSubset(ctx, name, externalId, systemId);
    ParseState *state = builderFor(ctx);
    if (!state)
        return;
    const char *text = reinterpret_cast<const char *>(name ? name : BAD_CAST "");
    state->addCopy(vlxXMLDOM::DocumentType, text, std::strlen(text));
}

// The declared content of an entity is parsed as markup where the entity is used: its start tags
// are counted like those of the document before libxml2 sees them.
void entityDecl(void *ctx, const xmlChar *name, int type, const xmlChar *publicId,
                const xmlChar *systemId, xmlChar *content)
{
    ParseState *state = stateOf(ctx);
    if (state && content) {
        StartTagScanner scanner;
        if (!scanner.scan(reinterpret_cast<const char *>(content))) {
            auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
            state->crowdedTagLine = ctxt && ctxt->input ? ctxt->input->line : 1;
            xmlStopParser(state->mainContext);
            return;
        }
    }
    xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
}

// Called when the document type declaration has been read. Attribute defaults it declared are
// dropped before the first element: libxml2 would add every one of them to every such element
// (a few declarations then multiply the time and memory of a document of empty tags), and the
// tree keeps attributes as written anyway.
void externalSubset(void *ctx, const xmlChar *name, const xmlChar *externalId,
                    const xmlChar *systemId)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (ctxt && ctxt->attsDefault) {
        xmlHashFree(ctxt->attsDefault, xmlHashDefaultDeallocator);
        ctxt->attsDefault = nullptr;
    }
    xmlSAX2ExternalSubset(ctx, name, externalId, systemId);
}

// Entity lookup: declared entities as usual; a name the document never declared gets an empty
// internal stand-in kept outside the document, so the parser reports an ordinary reference and
// the text value later resolves the name from XMLentities or keeps it as written.
xmlEntityPtr lookUpEntity(void *ctx, const xmlChar *name)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (xmlEntityPtr declared = xmlSAX2GetEntity(ctx, name))
        return declared;
    ParseState *state = stateOf(ctx);
    if (!state || !ctxt || ctxt->inSubset != 0 || !name)
        return nullptr;
    if (!state->helperDoc) {
        state->helperDoc = xmlNewDoc(BAD_CAST "1.0");
        if (!state->helperDoc)
            return nullptr;
        if (!xmlCreateIntSubset(state->helperDoc, BAD_CAST "helper", nullptr, nullptr))
            return nullptr;
    }
    if (xmlEntityPtr known = xmlGetDocEntity(state->helperDoc, name))
        return known;
    return xmlAddDocEntity(state->helperDoc, name, XML_INTERNAL_GENERAL_ENTITY, nullptr, nullptr,
                           BAD_CAST "");
}

void recordError(void *ctx, xmlErrorPtr error)
{
    ParseState *state = stateOf(ctx);
    if (!state || !error)
        return;
    // Warnings do not fail a document, and an undeclared namespace prefix is accepted: names
    // are kept as written.
    if (error->level < XML_ERR_ERROR || error->domain == XML_FROM_NAMESPACE)
        return;
    if (!state->haveError) {
        state->haveError = true;
        state->description = QString::fromUtf8(error->message ? error->message : "").trimmed();
        if (state->description.isEmpty())
            state->description = QStringLiteral("The XML text is not well-formed.");
        auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
        state->line = error->line > 0 ? error->line : ctxt && ctxt->input ? ctxt->input->line : 0;
    }
    // A fatal error of the document's own parse refuses it, and only the first is reported:
    // the parse ends there. libxml2 would read on to find more, and some of its errors copy
    // all they have read so far (each "--" in a comment copies the comment), which made a
    // large broken file take the square of its size to be refused. Errors raised without the
    // parser (the document's encoding among them) and those of a declared entity's content,
    // which the parse reports again as its own, do not stop it.
    if (error->level == XML_ERR_FATAL && error->ctxt == state->mainContext) {
        state->stoppedAtError = true;
        xmlStopParser(state->mainContext);
    }
}

} // namespace

void ParseState::flushText()
{
    if (pendingText.isEmpty())
        return;
    bool blank = true;
    for (char c : std::as_const(pendingText))
        if (!isXmlSpace(c)) {
            blank = false;
            break;
        }
    addCopy(blank ? vlxXMLDOM::Whitespace : vlxXMLDOM::Text, pendingText.constData(),
            std::size_t(pendingText.size()));
    // Emptied, not freed: the next text is gathered in the same buffer.
    pendingText.truncate(0);
}

void ParseState::attachTo(xmlParserCtxtPtr context)
{
    mainContext = context;
    context->_private = this;
    xmlSAXHandlerPtr sax = context->sax;
    sax->getEntity = lookUpEntity;
    sax->startElementNs = VLX_GUARDED(startElement);
    sax->endElementNs = VLX_GUARDED(endElement);
    sax->characters = VLX_GUARDED(characters);
    sax->ignorableWhitespace = VLX_GUARDED(characters);
    sax->cdataBlock = VLX_GUARDED(cdataBlock);
    sax->comment = VLX_GUARDED(comment);
    sax->processingInstruction = VLX_GUARDED(processingInstruction);
    sax->reference = VLX_GUARDED(reference);
    sax->internalSubset = VLX_GUARDED(internalSubset);
    sax->externalSubset = VLX_GUARDED(externalSubset);
    sax->entityDecl = VLX_GUARDED(entityDecl);
    sax->serror = VLX_GUARDED(recordError);
    // Without a structured handler libxml2 would also print every error to stderr.
    sax->error = nullptr;
    sax->warning = nullptr;
    context->vctxt.error = nullptr;
    context->vctxt.warning = nullptr;
}

xmlStructuredErrorFunc ParseState::errorHandler()
{
    return VLX_GUARDED(recordError);
}
