#pragma once

#include "model/TemplateValues.h"

#include <QString>
#include <QStringView>
#include <QVariantList>
#include <functional>
#include <vector>

// The text side of template exports: which substitutions each export type applies, the placing
// of a value, the one pass that fills a template and its item records, removal of the
// directives, the item-choice rule shared with the feed writer, and the finishing of JavaScript
// output. It knows nothing of the feed model; the model classes hand it their values.
class VLXExportTemplate
{
public:
    VLXExportTemplate() = delete;

    enum ExportType { HTML = 0, JavaScript = 1, Text = 2, CSV = 3, RSSXML = 4 };

    // The placeholders and directives of a template.
    static const QString kBeginItemsRecord; // "~~~BeginItemsRecord~~~"
    static const QString kBeginAlternateItemsRecord; // "~~~BeginAlternateItemsRecord~~~"
    static const QString kEndItemsRecord; // "~~~EndItemsRecord~~~"

    // The flat (find, replace) list of an export type; empty for RSS XML and unknown types.
    static QVariantList substitutionsForType(int type);

    // The value with each (find, replace) pair of the list applied in turn: literal,
    // case-sensitive, every occurrence. A null value gives "".
    static QString doSubstitution(const QString &value, const QVariantList &substitutions);

    using Holds = TemplateValues::Holds;

    // The substitutions an export of that type hands its placeholders: the type's list, and for
    // an export that writes HTML (a page, or JavaScript that writes one) a last pair that says so.
    // Its find text is empty, so it replaces nothing.
    static QVariantList substitutionsForExport(int type);
    // Whether the list is that of an export that writes HTML.
    static bool writesHTML(const QVariantList &substitutions);

    // The value as the export places it: the list applied, then, where the export writes HTML,
    // plain text written as the HTML that shows it, quotes included (HTMLText), so that no "<"
    // of a title turns into markup and no quote of a link ends the attribute a template put it
    // in. An address a page may not follow (HTMLText::isSafeLink: a script or data link) is
    // placed as "#". HTML is placed as it is.
    static QString placedValue(const QString &value, const QVariantList &substitutions,
                               Holds holds = Holds::PlainText);

    // The placeholders a template's text may hold: at each "~~~", the text up to and with the
    // next "~~~". The values an export gathers are those of these alone.
    static TemplateValues::Names placeholdersIn(QStringView text);

    // The text with each placeholder the values hold replaced by its value as placedValue places
    // it, in one pass: at each "~~~" the walk takes the placeholder that starts there when the
    // values hold it and goes on after it, else goes on at the next character. A placed value is
    // final: it is never read again for placeholders.
    static QString fill(QStringView text, const TemplateValues &values,
                        const QVariantList &substitutions);

    // A whole template in that one pass: the channel's placeholders, and each item record block
    // (from "~~~BeginItemsRecord~~~" to "~~~EndItemsRecord~~~") written once for each chosen
    // item, the 1st, 3rd, 5th… with the main record and the others with the alternate record
    // (after "~~~BeginAlternateItemsRecord~~~") when the block has one. itemValues gathers the
    // values of the k-th chosen item (k from 0); inside a record the channel's values come
    // first. The markers are read from the template alone, in the same walk, so a value that
    // names one brings in no record. A begin marker without an end marker after it stays in the
    // text, and no record follows it.
    using ItemValues = std::function<void(int chosenIndex, TemplateValues &values)>;
    static QString fillTemplate(QStringView text, const TemplateValues &channel,
                                const QVariantList &substitutions, int chosenCount,
                                const ItemValues &itemValues);

    // Drops the directives the export sheet reads ("~~~FeedXMLFilename~~~",
    // "~~~NoFutureItems~~~", "~~~SortByPubDate~~~" and the first "~~~FeedMaxItems=…~~~"). A
    // "~~~FeedMaxItems=" without its closing "~~~" within ten characters is left as written so
    // the user sees the broken directive in the output.
    static void removeDirectives(QString &text);

    // The item-choice rule of exports and of the feed writer, over candidate positions in list
    // order: without a limit, all forward; with one, a positive n takes the first n forward, a
    // negative n the last |n| backward (the last candidate first), and 0 means no limit.
    static std::vector<int> chooseItems(const std::vector<int> &candidates, bool limitItems,
                                        int limitNumber);

    // JavaScript output: backslashes doubled, apostrophes and double quotes preceded by a
    // backslash, then each line (ended by LF, CR or CRLF) written as "document.write('…');\n".
    // NEL, U+2028 and U+2029 end no line: they are written as their escapes, so that the page
    // the lines write holds them where they stood and a value holding one is never cut in two.
    // A final line feed does not start another line; "" stays "".
    static QString finishJavaScript(const QString &text);

    // Reads a template file: UTF-8, UTF-16 or UTF-32 when a byte-order mark says so, else UTF-8
    // when the bytes are valid UTF-8, else Windows-1252 (the usual encoding of older templates).
    // False when the file does not exist or cannot be read.
    static bool readTemplate(const QString &path, QString *text);

    // A feed's or item's publication date (RFC 822 text) for the date placeholders, in the
    // local zone with the system locale's formats; "" for an empty or unreadable date.
    enum class DateStyle { Long, Short, Time };
    static QString formatPubDate(const QString &pubDate, DateStyle style);
};
