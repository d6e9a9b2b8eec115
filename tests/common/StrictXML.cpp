#include "StrictXML.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

namespace {

struct Complaints
{
    QString first;
};

void collect(void *context, xmlErrorPtr error)
{
    auto *complaints = static_cast<Complaints *>(context);
    if (!error || !complaints->first.isEmpty())
        return;
    // Namespace warnings (a relative default namespace URI among them) count like errors.
    if (error->level < XML_ERR_ERROR && error->domain != XML_FROM_NAMESPACE)
        return;
    complaints->first = QStringLiteral("line %1: %2")
                            .arg(error->line)
                            .arg(QString::fromUtf8(error->message ? error->message : "").trimmed());
}

} // namespace

QString StrictXML::problem(const QByteArray &document)
{
    Complaints complaints;
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        return QStringLiteral("the XML parser could not be started");
    const xmlStructuredErrorFunc previousHandler = xmlStructuredError;
    void *const previousContext = xmlStructuredErrorContext;
    xmlSetStructuredErrorFunc(&complaints, collect);
    xmlDocPtr doc = xmlCtxtReadMemory(context, document.constData(), int(document.size()), nullptr,
                                      "UTF-8", XML_PARSE_NONET);
    const bool wellFormed = doc && context->wellFormed != 0 && context->nsWellFormed != 0;
    xmlSetStructuredErrorFunc(previousContext, previousHandler);
    xmlFreeDoc(doc);
    xmlFreeParserCtxt(context);
    if (!complaints.first.isEmpty())
        return complaints.first;
    if (!wellFormed)
        return QStringLiteral("not namespace-well-formed");
    return QString();
}
