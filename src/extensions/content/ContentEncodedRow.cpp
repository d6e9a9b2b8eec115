#include "extensions/content/ContentEncodedRow.h"

#include "extensions/FieldExtensionBase.h"
#include "xml/UTF8Writer.h"

const char *const ContentEncodedRow::kElements[1] = {"encoded"};

ExtensionField ContentEncodedRow::row(const char *outlet, const char *archiveKey,
                                      const char *defaultKey, const char *feedDefaultKey,
                                      const char *sortType)
{
    using F = ExtensionField;
    return {.name = "encoded",
            .outlet = outlet,
            .element = "encoded",
            .read = F::Read::HTML,
            .write = F::Write::Custom,
            .archiveKey = archiveKey,
            .defaultKey = defaultKey,
            .feedDefaultKey = feedDefaultKey,
            .searchable = true,
            .sortType = sortType,
            .undoName = "content:encoded",
            .helpAnchor = "ContentEncoded",
            .label = "content:encoded:",
            .widget = F::Widget::HTML,
            .keepsMarkup = true};
}

QString ContentEncodedRow::cdataLine(const QString &indent, const QString &text)
{
    UTF8Writer out;
    appendCDATALine(out, indent, text);
    return QString::fromUtf8(out.view());
}

namespace {
// The element around the text in CDATA sections; nothing for an empty text.
template<class Text> void appendLine(UTF8Writer &out, const QString &indent, Text text)
{
    if (text.isEmpty())
        return;
    out.append(indent);
    out.append(QLatin1StringView("<content:encoded>"));
    out.appendCDATA(text);
    out.append(QLatin1StringView("</content:encoded>\n"));
}
} // namespace

void ContentEncodedRow::appendCDATALine(UTF8Writer &out, const QString &indent, const QString &text)
{
    appendLine(out, indent, QStringView(text));
}

void ContentEncodedRow::appendFieldLine(UTF8Writer &out, const QString &indent,
                                        const FieldExtensionBase &fields, int field)
{
    const QByteArrayView utf8 = fields.textUTF8(field);
    if (utf8.isNull())
        appendCDATALine(out, indent, fields.text(field));
    else
        appendLine(out, indent, utf8);
}
