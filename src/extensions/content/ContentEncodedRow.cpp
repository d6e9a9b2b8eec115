#include "extensions/content/ContentEncodedRow.h"

#include "model/UTF8Writer.h"

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

void ContentEncodedRow::appendCDATALine(UTF8Writer &out, const QString &indent, const QString &text)
{
    if (text.isEmpty())
        return;
    out.append(indent);
    out.append(QLatin1StringView("<content:encoded><![CDATA["));
    // Each "]]>" is split between two sections: "]]" ends one, ">" starts the next. Found
    // through its first "]", which the single-character search finds quickly.
    const QStringView all(text);
    const auto sectionEnd = [&all](qsizetype from) {
        for (qsizetype at = all.indexOf(u']', from); at >= 0 && at + 2 < all.size();
             at = all.indexOf(u']', at + 1)) {
            if (all[at + 1] == u']' && all[at + 2] == u'>')
                return at;
        }
        return qsizetype(-1);
    };
    qsizetype from = 0;
    for (qsizetype end = sectionEnd(0); end >= 0; end = sectionEnd(from)) {
        out.append(all.sliced(from, end + 2 - from));
        out.append(QLatin1StringView("]]><![CDATA["));
        from = end + 2;
    }
    out.append(all.sliced(from));
    out.append(QLatin1StringView("]]></content:encoded>\n"));
}
