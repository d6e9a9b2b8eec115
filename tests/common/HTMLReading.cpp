#include "HTMLReading.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

namespace {

void walk(xmlNodePtr node, HTMLReading::Reading &reading)
{
    for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            reading.elements.append(QString::fromUtf8(reinterpret_cast<const char *>(child->name)));
            walk(child, reading);
        } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            reading.text += QString::fromUtf8(reinterpret_cast<const char *>(child->content));
        }
    }
}

xmlNodePtr childNamed(xmlNodePtr node, const char *name)
{
    for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, BAD_CAST name))
            return child;
    }
    return nullptr;
}

} // namespace

HTMLReading::Reading HTMLReading::read(const QString &fragment)
{
    // In a body, so that the fragment's first element is not taken for the document's head.
    const QByteArray page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
        + fragment.toUtf8() + "</body></html>";
    Reading reading;
    htmlDocPtr doc = htmlReadMemory(page.constData(), int(page.size()), nullptr, "UTF-8",
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
                                        | HTML_PARSE_NONET);
    if (!doc)
        return reading;
    walk(childNamed(xmlDocGetRootElement(doc), "body"), reading);
    xmlFreeDoc(doc);
    return reading;
}
