#pragma once

#include "extensions/FieldExtension.h"
#include "model/FieldRule.h"
#include "model/extensionNSItem.h"

#include <array>

// The iTunes podcast elements of one item: subtitle, summary, duration, keywords, author, block
// and explicit. Its fields are a table (see ExtensionField) with per-feed defaults over the
// all-feeds ones; what is its own: the duration rules (normal form, the check, the repair while
// reading, the edit) and the enclosure file-type checks the item model uses for podcasts.
class iTunesItem : public FieldExtension<extensionNSItem>
{
public:
    enum Field : int { kSubtitle, kSummary, kDuration, kKeywords, kAuthor, kBlock, kExplicit };

    iTunesItem();

    static const ExtensionDescriptor &classDescriptor();

    QString subtitle() const { return text(kSubtitle); }
    void setSubtitle(const QString &value) { setText(kSubtitle, value); }
    QString summary() const { return text(kSummary); }
    void setSummary(const QString &value) { setText(kSummary, value); }
    // Any text; reading and editing bring it to the normal form M:SS or H:MM:SS.
    QString duration() const { return text(kDuration); }
    void setDuration(const QString &value) { setText(kDuration, value); }
    QString keywords() const { return text(kKeywords); }
    void setKeywords(const QString &value) { setText(kKeywords, value); }
    QString author() const { return text(kAuthor); }
    void setAuthor(const QString &value) { setText(kAuthor, value); }
    int block() const { return number(kBlock); }
    void setBlock(int value) { setNumber(kBlock, value); }
    // 1 yes, 0 no, -1 clean.
    int explicitValue() const { return number(kExplicit); }
    void setExplicit(int value) { setNumber(kExplicit, value); }

    static bool validateSubtitle(const QString &value, VLXError *error);
    static bool validateSummary(const QString &value, VLXError *error);
    static bool validateDuration(const QString &value, VLXError *error);
    static bool validateKeywords(const QString &value, VLXError *error);
    static bool validateAuthor(const QString &value, VLXError *error);
    VLX_FIELD_RULE_TRIO(Subtitle)
    VLX_FIELD_RULE_TRIO(Summary)
    VLX_FIELD_RULE_TRIO(Duration)
    VLX_FIELD_RULE_TRIO(Keywords)
    // A long author is a warning, not an error.
    void validateAndLogAuthor(const QString &value);
    static bool validateAndInformAuthor(const QString &value, QObject *interface);

    // Hours, minutes and seconds as a duration text spells them: one number is seconds, two are
    // minutes and seconds, three or more hours, minutes and seconds; each is the leading integer
    // of its piece, with its sign.
    static std::array<int, 3> durationParts(const QString &text);
    // Whether the duration says the same time as its normal form, part by part.
    static bool sameAsNormalForm(const QString &duration);
    // A duration read from a feed in its normal form: "" for a blank text; "" and an error entry
    // on the owner for four or more parts; a repair entry when the normal form says another
    // time than the text.
    static QString convertStringToHHMMSS(FeedElement &owner, const QString &text,
                                         QLatin1StringView tagName);
    // A typed duration on leaving its field: blank stays blank, four or more parts keep the
    // user in the field, anything else becomes its normal form.
    static bool normaliseTypedDuration(QString &value, QObject *interface);

    // YES when the text is a URL with a scheme whose path ends in one of the iTunes media types
    // (m4a, m4b, mp3, mov, mp4, m4v, pdf; exactly, lower case).
    static bool checkURLForFileTypes(const QString &text);
    // The same tests, explaining the first failure in a "Warning" alert that starts with the
    // field message; answers 1 when the URL passes, else the chosen button (-1 "More Info.").
    static int checkURLForFileTypesAndInform(const QString &text, const QString &fieldMessage,
                                             bool useMoreInfo);

    QVariantMap findSortableTags() const override;

    static QString classDescriptionOfNamespace();

protected:
    iTunesItem(const iTunesItem &) = default;
    extensionNSRaw *newCopy() const override { return new iTunesItem(*this); }
    // Block and explicit, read in any of the ways feeds spell them (see iTunesFlagWords).
    void parseCustom(int field, const vlxXMLNode *node) override;

private:
    bool m_explicitRead = false; // an explicit element was read: a later one is a repeat
};
