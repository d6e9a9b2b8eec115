#include "HTMLReading.h"

#include <gtest/gtest.h>
#include <gumbo.h>

namespace {

QString textOf(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// An element's name as written, lower-cased: gumbo names only the elements HTML knows.
QString nameOf(const GumboElement &element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return textOf(gumbo_normalized_tagname(element.tag));
    GumboStringPiece original = element.original_tag;
    gumbo_tag_from_original_text(&original);
    return QString::fromUtf8(original.data, qsizetype(original.length)).toLower();
}

void walk(const GumboNode *node, HTMLReading::Reading &reading)
{
    const GumboVector &children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(children.data[i]);
        switch (child->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const QString name = nameOf(child->v.element);
            reading.elements.append(name);
            const GumboVector &attributes = child->v.element.attributes;
            for (unsigned a = 0; a < attributes.length; ++a) {
                const auto *attribute = static_cast<const GumboAttribute *>(attributes.data[a]);
                reading.attributes.append(
                    {name, textOf(attribute->name).toLower(), textOf(attribute->value)});
            }
            walk(child, reading);
            break;
        }
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            reading.text += textOf(child->v.text.text);
            break;
        default:
            break;
        }
    }
}

const GumboNode *childNamed(const GumboNode *node, GumboTag tag)
{
    const GumboVector &children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == tag)
            return child;
    }
    return nullptr;
}

// The scheme a browser takes from a link: blanks and controls around it dropped, tabs and line
// breaks inside it ignored.
QString schemeOf(const QString &link)
{
    QString cleaned;
    for (const QChar c : link) {
        if (c != u'\t' && c != u'\n' && c != u'\r' && (!cleaned.isEmpty() || c.unicode() > 0x20))
            cleaned += c;
    }
    const qsizetype colon = cleaned.indexOf(u':');
    return colon < 0 ? QString() : cleaned.first(colon).toLower();
}

} // namespace

HTMLReading::Reading HTMLReading::read(const QString &fragment)
{
    // In a body, so that the fragment's first element is not taken for the document's head.
    const QByteArray page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
        + fragment.toUtf8() + "</body></html>";
    Reading reading;
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, page.constData(),
                                                   std::size_t(page.size()));
    if (!output)
        return reading;
    if (const GumboNode *body = childNamed(output->root, GUMBO_TAG_BODY))
        walk(body, reading);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return reading;
}

QStringList HTMLReading::liveAttributes(const Reading &reading)
{
    static const QStringList links
        = {QStringLiteral("href"), QStringLiteral("src"), QStringLiteral("action"),
           QStringLiteral("formaction"), QStringLiteral("xlink:href")};
    static const QStringList scripts
        = {QStringLiteral("javascript"), QStringLiteral("vbscript"), QStringLiteral("data")};
    QStringList live;
    for (const Attribute &attribute : reading.attributes) {
        if (attribute.name.startsWith(u"on")
            || (links.contains(attribute.name) && scripts.contains(schemeOf(attribute.value))))
            live.append(attribute.element + u' ' + attribute.name + u'=' + attribute.value);
    }
    return live;
}

QString HTMLReading::pageOfScript(const QString &script)
{
    static const QLatin1String head("document.write('");
    static const QLatin1String tail("');");
    QString page;
    for (const QString &line : script.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(head) || !line.endsWith(tail)
            || line.size() < head.size() + tail.size()) {
            ADD_FAILURE() << "not a write: " << line.toStdString();
            continue;
        }
        const QStringView string
            = QStringView(line).sliced(head.size(), line.size() - head.size() - tail.size());
        for (qsizetype i = 0; i < string.size(); ++i) {
            if (string[i] != u'\\' || i + 1 == string.size()) {
                page += string[i];
                continue;
            }
            const QChar escaped = string[++i];
            bool hex = false;
            if (escaped == u'u' && i + 4 < string.size()) {
                const ushort unit = string.sliced(i + 1, 4).toUShort(&hex, 16);
                if (hex) {
                    page += QChar(unit);
                    i += 4;
                }
            }
            if (!hex)
                page += escaped; // \\, \' and \" stand for themselves
        }
    }
    return page;
}
