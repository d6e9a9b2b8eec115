#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>

// Stateless text, XML, URL, e-mail and date helpers used all over the program. Everything here
// is a class-level operation; the only process-wide input is the "EncodeApos" setting, read
// through the installed setting reader.
class VLXLogic
{
public:
    VLXLogic() = delete;

    // --- Settings access -------------------------------------------------------------------
    // How the escapers read a setting ("EncodeApos"). The settings store installs
    // `[](const QString &key) { return VLXPreferences::objectForKey(key); }` at start-up;
    // without a reader every setting counts as absent.
    using SettingReader = std::function<QVariant(const QString &key)>;
    static void setSettingReader(SettingReader reader);
    // True when the "EncodeApos" setting holds a non-zero integer.
    static bool encodeApos();

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
    static QString decodeNumericEncodedCharacters(const QString &text);

    // --- Links, URLs and e-mail --------------------------------------------------------------
    // The text unchanged (kept for callers that unescape before escaping).
    static QString unescapeURLString(const QString &text);
    // Percent-escapes in ISO Latin-1 everything RFC 2396 does not allow (keeping "#" and "%"),
    // then writes every ampersand once as "&amp;" whether it came as "&" or "&amp;". A text
    // holding characters outside Latin-1 is not percent-escaped.
    static QString createSafeLink(const QString &link);
    // YES for a text that is blank or whose safe link parses with a scheme.
    static bool checkURL(const QString &text);
    // As checkURL, explaining a failure in a "Warning" alert; answers 1 for a passing text, else
    // the chosen button's code (-1 for "More Info.", offered when useMoreInfo is set).
    static int checkURLAndInform(const QString &text, const QString &fieldMessage, bool useMoreInfo);
    // YES for a blank text or one holding "@" with a "." somewhere after the first "@".
    static bool checkEMail(const QString &text);
    static int checkEMailAndInform(const QString &text, const QString &fieldMessage,
                                   bool useMoreInfo);

    // --- Generated GUIDs ---------------------------------------------------------------------
    // YES for 62 characters ending "-VLX" with "-" at 8, 13, 18, 23, 36 and 41 and only
    // upper-case hexadecimal digits and "-" before the suffix.
    static bool isAutoGenGUID(const QString &guid);
    // A new GUID of that form: a process-unique upper-case string followed by "-VLX".
    static QString generateGUID();
};
