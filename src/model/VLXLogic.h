#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>

class FeedElement;
class UTF8Writer;

// Stateless text, XML, URL, e-mail and date helpers used all over the program. Everything here
// is a class-level operation; the only process-wide input is the "EncodeApos" setting, read
// through the installed setting reader.
class VLXLogic
{
public:
    VLXLogic() = delete;

    // --- Settings access -------------------------------------------------------------------
    // How the escapers read a setting ("EncodeApos"): the settings' store reader
    // (VLXPreferences::storeReader), which every settings object installs when made; without a
    // reader every setting counts as absent.
    using SettingReader = std::function<QVariant(const QString &key)>;
    static void setSettingReader(SettingReader reader);
    // True when the "EncodeApos" setting holds a non-zero integer.
    static bool encodeApos();
    // The choice of the document being written into out, else the setting.
    static bool encodeApos(const UTF8Writer &out);

    // --- RSS fragment builders ---------------------------------------------------------------
    // Attribute lists: every argument that is not exactly "" gives one piece in its format;
    // a final blank piece follows and all are joined with blanks. " " means nothing is set.
    static QString buildCategoryString(const QString &value, const QString &domain);
    static QString buildCloudString(const QString &domain, const QString &port, const QString &path,
                                    const QString &regProc, const QString &protocol);
    static QString buildTextInputString(const QString &title, const QString &description,
                                        const QString &name, const QString &link);
    static QString buildSourceString(const QString &source, const QString &url);
    static QString buildEnclosureString(const QString &url, const QString &length,
                                        const QString &type);
    // Skipped hours 0 to 23 (flag index = hour) and days from Sunday, joined by "," with no
    // blank; " " when no flag is set.
    static QString buildSkipHoursString(const std::array<int, 24> &hours);
    static QString buildSkipDaysString(const std::array<int, 7> &days);
    // `guid isPermaLink="true"` (or "false"); " " for an empty GUID.
    static QString buildGUIDString(const QString &guid, int isPerma);
    // The prefixes of `xmlns:prefix="uri"` declarations joined by ", ".
    static QString buildNameSpaceListString(const QStringList &declarations);

    // --- XML escaping ------------------------------------------------------------------------
    // "&", "<", ">", "'" (only with EncodeApos) and '"' replaced by their entities, "&" first.
    // A null text gives "".
    static QString encodeSpecialXMLChars(const QString &text);
    // Escapes like encodeSpecialXMLChars while that takes at most 20 replacements; otherwise a
    // CDATA section. A "]]>" inside the text survives either way ("]]&gt;" when escaped, the
    // section split around it otherwise).
    static QString encodeDescriptionWithBestEncoding(const QString &text);
    // Replaces numeric character references of 5 to 8 characters ("&#65;", "&#x41;") whose value
    // is a legal XML character up to 255 by that character; anything else stays as written.
    // 128 to 159 give the windows-1252 characters HTML reads for them ("&#146;" is U+2019).
    static QString decodeNumericEncodedCharacters(const QString &text);
    // The same for text that holds HTML: references to "&", "<", ">", '"' and "'" stay as
    // written, since there they stand for the character as text, not as markup.
    static QString decodeNumericEncodedCharactersInHTML(const QString &text);

    // --- Links, URLs and e-mail --------------------------------------------------------------
    // The text unchanged (kept for callers that unescape before escaping).
    static QString unescapeURLString(const QString &text);
    // Percent-escapes in ISO Latin-1 everything RFC 2396 does not allow (keeping "#" and "%"),
    // then writes every ampersand once as "&amp;" whether it came as "&" or "&amp;". A text
    // holding characters outside Latin-1 is not percent-escaped.
    static QString createSafeLink(const QString &link);
    static QString makeSafeLink(const QString &link);
    // YES for a text that is blank or whose safe link parses with a scheme.
    static bool checkURL(const QString &text);
    // As checkURL, explaining a failure in a "Warning" alert; answers 1 for a passing text, else
    // the chosen button's code (-1 for "More Info.", offered when useMoreInfo is set).
    static int checkURLAndInform(const QString &text, const QString &fieldMessage,
                                 bool useMoreInfo);
    // YES for a blank text or one holding "@" with a "." somewhere after the first "@".
    static bool checkEMail(const QString &text);
    static int checkEMailAndInform(const QString &text, const QString &fieldMessage,
                                   bool useMoreInfo);
    // The "Warning" alert of the link and address tests (critical or informational), with "OK"
    // and, when useMoreInfo is set, "More Info."; answers the chosen button's code.
    static int informWarning(bool critical, const QString &message, bool useMoreInfo);

    // --- Generated GUIDs ---------------------------------------------------------------------
    // YES for 62 characters ending "-VLX" with "-" at 8, 13, 18, 23, 36 and 41 and only
    // upper-case hexadecimal digits and "-" before the suffix.
    static bool isAutoGenGUID(const QString &guid);
    // A new GUID of that form: a process-unique upper-case string followed by "-VLX".
    static QString generateGUID();

    // --- Text helpers ------------------------------------------------------------------------
    // The plain text of an HTML fragment (tags removed, entities resolved, blocks on their own
    // lines); the input itself when it has no markup or nothing readable.
    static QString stripHTML(const QString &text);
    // YES when stripping the markup changes the text beyond white space.
    static bool containsHTML(const QString &text);
    // Seconds, m:s or h:m:s normalised with carries to "m:ss" or "h:mm:ss"; "" for a blank text
    // or more than three parts.
    static QString convertStringToHHMMSS(const QString &text);
    // Each line feed and carriage return becomes U+21A9, each tab a blank.
    static QString convertCRLFtoSymbols(const QString &text);
    // n blanks, at most 96; "" for n <= 0.
    static QString stringOfSpace(int n);
    // Pretty-prints XML written without white space between tags, 4 blanks per level.
    static QString formatXML(const QString &xml) { return formatXML(xml, 0); }
    static QString formatXML(const QString &xml, int startIndentAt);
    // What formatXML met on its way, for a caller that wants to know whether the text it made
    // can be indented further by indenting each line: the levels it indented at, and whether it
    // copied a line break of the text itself or added one of its own without indent.
    struct FormatFacts
    {
        int lowestLevel = 0;
        int highestLevel = 0;
        int endLevel = 0;
        bool copiedLineBreak = false; // a line break of the text (in content, CDATA, comments)
        bool unindentedBreak = false; // the line break added after "</item>"
    };
    static QString formatXML(const QString &xml, int startIndentAt, FormatFacts *facts);

    // --- Date texts --------------------------------------------------------------------------
    // Instants are seconds since 1970-01-01 00:00:00 UTC; the readers answer 0 for no date.
    // Calendar dates are QDateTimes: read dates keep the zone their text names, dates made from
    // instants or from now are in the machine's local zone.
    static const QString kRFC822Format; // "%a, %d %b %Y %H:%M:%S %z"

    // Trims both ends and reduces every run of blanks inside to one blank.
    static QString cleanUpRFC822Date(const QString &text);
    // YES for "" and for a text in one of the four RFC 822 forms.
    static bool isValidInternetDateTime(const QString &text);
    // YES for "", any RFC 822 form and any W3C date-time form.
    static bool isValidRDFInternetDateTime(const QString &text);
    // Instant of an RFC 822 text (free text as a last resort); 0 for "" or no date.
    static double InternetDateTime(const QString &text);
    // Instant of a W3C text (RFC 822 and free text also read); 0 for no date.
    static double RDFInternetDateTime(const QString &text);
    // The instant in RFC 822 form 1 in the local zone.
    static QString internetDateStringFromInterval(double instant);
    // The instant in W3C form in the local zone, offset without colon (…T10:11:12+0100).
    static QString RDFInternetDateStringFromInterval(double instant);
    // The date in W3C form in its own zone, offset with colon (…T10:11:12+01:00); a null
    // string for an invalid date.
    static QString createRDFDateString(const QDateTime &date);
    // The date a text names, as RFC 822 form 1 in the local zone; the text itself when it
    // names no date.
    static QString convertValidDateToRFC822(const QString &text);

    // Calendar-date forms of the readers and writers above, for callers that keep zones.
    // An invalid QDateTime means no date.
    static QDateTime dateFromRFC822(const QString &text); // the four forms only
    static QDateTime dateFromW3C(const QString &text); // the W3C forms only
    // Free text as the last resort (relative words, month names, ISO forms); a reading of
    // exactly the reference instant 2001-01-01 00:00:00 UTC counts as none.
    static QDateTime dateFromNaturalLanguage(const QString &text);
    // RFC 822 form 1 in the date's own zone.
    static QString rfc822String(const QDateTime &date);

    // --- Date repair -------------------------------------------------------------------------
    // Turn a loosely written date into a well-formed one. The recording forms add message
    // entries (and counts) to the owner when one is given; the informing forms explain in a
    // "Warning" alert naming the field. Both answer the text to keep.
    static QString FixInternetDateTime(const QString &text, bool strict, FeedElement *owner);
    // The recording form on a field the caller owns, changed where it stands: validation
    // repairs a wrong weekday in every item of some feeds, and only three letters change.
    static void repairInternetDateTime(QString &date, bool strict, FeedElement *owner);
    static QString FixInternetDateTimeAndInform(const QString &text, bool strict,
                                                const QString &fieldName);
    static QString FixRDFInternetDateTime(const QString &text, bool strict, FeedElement *owner);
    static QString FixRDFInternetDateTimeAndInform(const QString &text, bool strict,
                                                   const QString &fieldName);

private:
    static QString decodeNumericReferences(const QString &text, bool html);
};
