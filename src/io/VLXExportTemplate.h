#pragma once

#include <QString>
#include <QStringView>
#include <QVariantList>
#include <functional>
#include <vector>

// The text side of template exports: which substitutions each export type applies, placeholder
// replacement, removal of the directives, the item records of a template, the item-choice rule
// shared with the feed writer, and the finishing of JavaScript output. It knows nothing of the
// feed model; the model classes feed it their values.
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

    // What a placeholder's value is: plain text (a title, an author, the namespace fields), an
    // address (a link, the enclosure's URL, the image's URL and link, a licence), or HTML (a
    // description, encoded content).
    enum class Holds { PlainText, Address, HTML };

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

    // Replaces every occurrence of the placeholder by the value as placedValue places it.
    static void replacePlaceholder(QString &text, QStringView placeholder, const QString &value,
                                   const QVariantList &substitutions,
                                   Holds holds = Holds::PlainText);

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

    // Fills every record block of the template. For the k-th chosen item (k from 0) the fill
    // function receives its position in the chosen list and the main record (even k) or the
    // alternate record (odd k), and answers the filled record. The end marker is searched
    // after the begin marker and the alternate marker only between them; a begin marker without
    // an end marker after it ends the work and stays in the text. Markers that filled values
    // bring in are not records: the search goes on after each inserted block.
    using RecordFill = std::function<QString(int chosenIndex, const QString &record)>;
    static void fillRecords(QString &text, int chosenCount, const RecordFill &fill);

    // JavaScript output: backslashes doubled, apostrophes and double quotes preceded by a
    // backslash, then each line (ended by LF, CR, CRLF, NEL, U+2028 or U+2029) written as
    // "document.write('…');\n". A final line feed does not start another line; "" stays "".
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
