#include "extensions/content/ContentEncodedRow.h"

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
    if (text.isEmpty())
        return QString();
    QString inner = text;
    inner.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
    return indent + QLatin1String("<content:encoded><![CDATA[") + inner
        + QLatin1String("]]></content:encoded>\n");
}
