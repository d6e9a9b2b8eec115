#include "model/DateForms.h"
#include "model/DatePattern.h"
#include "model/FeedElement.h"
#include "model/VLXLogic.h"
#include "model/W3CDateReader.h"
#include "platform/AlertService.h"

#include <QStringBuilder>

#include <span>

using namespace Qt::StringLiterals;

// Date repair: well-formed dates out of loosely written ones, recorded on an owner or explained
// in an alert.
//
// Where a text reads as free text, the repairs keep the date the text names, also in strict
// mode: strict validation runs on every save, and replacing a readable date with the moment
// of saving would silently lose what the user typed. Only text that no reader understands can
// become the current time (the strict W3C recording repair), and that is recorded as a repair.

namespace {
struct Month
{
    const char16_t *full;
    const char16_t *abbreviation;
};
constexpr Month kLongMonths[] = {
    {u"January", u"Jan"}, {u"February", u"Feb"}, {u"March", u"Mar"},    {u"April", u"Apr"},
    {u"June", u"Jun"},    {u"July", u"Jul"},     {u"August", u"Aug"},   {u"September", u"Sep"},
    {u"October", u"Oct"}, {u"November", u"Nov"}, {u"December", u"Dec"},
};

// Whether four letters follow each other somewhere: every month written out has four or more,
// while a date in the proper form has only three-letter names.
bool hasLetterRunOfFour(QStringView text)
{
    int run = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        run = ((u | 0x20) >= u'a' && (u | 0x20) <= u'z') ? run + 1 : 0;
        if (run == 4)
            return true;
    }
    return false;
}

enum class Outcome { Keep, WeekdayFixed, Now, FreeText, Unfixable };

struct RFCResult
{
    Outcome outcome = Outcome::Unfixable;
    QString text; // the text to answer; null for a WeekdayFixed that changes the name alone
    QStringView weekday; // for WeekdayFixed: the day's name in the table of names
};

// Steps 3 to 10 of the RFC 822 repair on an already cleaned text.
RFCResult repairRFC822(const QString &working, bool strict)
{
    DateFields fields;
    const int form = DateForms::readRFC822(working, fields);
    if (form == 2 || form == 4)
        return {Outcome::Keep, working, {}};
    if (form == 1 || form == 3) {
        // The weekday in the date's own zone, from the calendar fields alone.
        const int day = DateFields::weekdayOfDays(
            DateFields::daysFromCivil(fields.year, fields.month, fields.day));
        const QStringView weekday(DatePattern::weekdayName(day), 3);
        if (weekday.startsWith(QStringView(working).left(3)))
            return {Outcome::Keep, working, {}};
        DatePattern::Written written;
        DateForms::rfc822(1).write(fields, written);
        const QStringView text(written.constData(), written.size());
        // Most such dates are written as the form writes them but for the day's name: the
        // text is then left for the caller to mend where it stands.
        if (text.size() == working.size() && text.startsWith(weekday)
            && text.sliced(3) == QStringView(working).sliced(3))
            return {Outcome::WeekdayFixed, QString(), weekday};
        return {Outcome::WeekdayFixed, text.toString(), weekday};
    }
    if (working == u"now")
        return {Outcome::Now, DateForms::rfc822(1).write(DateForms::now()), {}};
    const QDateTime named = DateForms::naturalDate(working, strict);
    if (!named.isValid())
        return {Outcome::Unfixable, working, {}};
    return {Outcome::FreeText, DateForms::rfc822(1).write(named), {}};
}

void recordFixedFormat(FeedElement &owner, const QString &from, const QString &to)
{
    owner.recordRepair(QStringLiteral("Fixed bad date format from \"%1\" to \"%2\""), from, to);
}

void recordUnfixable(FeedElement &owner, const QString &text)
{
    owner.recordError(QStringLiteral("Date format \"%1\" was unfixable"), text);
}

void warn(const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QStringLiteral("Warning");
    alert.message = message;
    AlertService::show(alert);
}

QString impossibleAlert(const QString &field, const QString &text, const QString &weekday)
{
    return QStringLiteral("The value of %1, \"%2\", is an impossible date.  The correct day of the "
                          "week is \"%3\".")
        .arg(field, text, weekday);
}

QString invalidAlert(const QString &field, const QString &text)
{
    return QStringLiteral("The value of %1, \"%2\", does not seem to be a valid date format.")
        .arg(field, text);
}

QString fixedAlert(const QString &field, const QString &text, const QString &fixed)
{
    return QStringLiteral("The value of %1, \"%2\", was able to be fixed to a proper value of "
                          "\"%3\".")
        .arg(field, text, fixed);
}

enum class W3CZone { Own, Local, UTC };

// The W3C forms and RFC 822 forms both repairs accept silently, with the zone each answers in;
// a null string when none reads. `zForms` is the zone for the forms written with "Z".
QString readW3CForms(const QString &text, W3CZone zForms)
{
    DateFields fields;
    if (W3CDateReader::read(text, fields)) {
        if (W3CDateReader::isPlainOffsetForm(fields))
            return VLXLogic::createRDFDateString(fields.toDateTime());
        if (fields.zone == DateFields::Zone::UTC && zForms == W3CZone::UTC)
            return VLXLogic::createRDFDateString(fields.toDateTime().toOffsetFromUtc(0));
        return VLXLogic::createRDFDateString(fields.toDateTime().toLocalTime());
    }
    if (DateForms::readRFC822(text, fields))
        return VLXLogic::createRDFDateString(fields.toDateTime().toLocalTime());
    return QString();
}
} // namespace

QString VLXLogic::FixInternetDateTime(const QString &text, bool strict, FeedElement *owner)
{
    QString date = text;
    repairInternetDateTime(date, strict, owner);
    return date;
}

void VLXLogic::repairInternetDateTime(QString &date, bool strict, FeedElement *owner)
{
    QString working = cleanUpRFC822Date(date);
    if (working.isEmpty()) {
        date = working;
        return;
    }
    // The usual case, no word long enough to be a month written out, skips the search.
    for (const Month &month :
         hasLetterRunOfFour(working) ? kLongMonths : std::span<const Month>()) {
        if (working.contains(QStringView(month.full))) {
            const QString full = QString::fromUtf16(month.full);
            const QString abbreviation = QString::fromUtf16(month.abbreviation);
            working.replace(full, abbreviation);
            if (owner)
                owner->recordRepair(
                    QStringLiteral("Month must be abbrivated, fixed \"%1\" to \"%2\"")
                        .arg(full, abbreviation));
            break;
        }
    }
    RFCResult result = repairRFC822(working, strict);
    if (owner) {
        switch (result.outcome) {
        case Outcome::WeekdayFixed:
            // The text names the date, so it is rarely met twice: the entry is made in one
            // piece, not looked for among the shared ones. Most feeds have a few of these; a
            // feed of wrong weekdays has one an item.
            owner->addObjectToListOfErrors(
                FeedElement::kAutomaticRepair % "::Fixed impossible date \""_L1
                % FeedElement::quoted(working) % "\" the correct day of week is \""_L1
                % result.weekday % u'"');
            owner->incrementRepairCount();
            break;
        case Outcome::FreeText:
            recordFixedFormat(*owner, working, result.text);
            break;
        case Outcome::Unfixable:
            recordUnfixable(*owner, working);
            break;
        case Outcome::Keep:
        case Outcome::Now:
            break;
        }
    }
    if (!result.text.isNull()) {
        date = std::move(result.text);
        return;
    }
    // Only the day's name changes. The field is written over when the cleaned text is the
    // field itself, let go first so that the field is not shared on its account.
    if (working.constData() != date.constData())
        date = std::move(working);
    working = QString();
    std::copy_n(result.weekday.utf16(), 3, reinterpret_cast<char16_t *>(date.data()));
}

QString VLXLogic::FixInternetDateTimeAndInform(const QString &text, bool strict,
                                               const QString &fieldName)
{
    const QString cleaned = cleanUpRFC822Date(text);
    if (cleaned.isEmpty())
        return cleaned;
    const RFCResult result = repairRFC822(cleaned, strict);
    switch (result.outcome) {
    case Outcome::WeekdayFixed:
        warn(impossibleAlert(fieldName, cleaned, result.weekday.toString()));
        if (result.text.isNull())
            return result.weekday % QStringView(cleaned).sliced(3);
        break;
    case Outcome::FreeText:
        warn(fixedAlert(fieldName, cleaned, result.text));
        break;
    case Outcome::Unfixable:
        warn(invalidAlert(fieldName, cleaned));
        break;
    case Outcome::Keep:
    case Outcome::Now:
        break;
    }
    return result.text;
}

QString VLXLogic::FixRDFInternetDateTime(const QString &text, bool strict, FeedElement *owner)
{
    const QString read = readW3CForms(text, W3CZone::Local);
    if (!read.isNull())
        return read;
    if (text == u"now")
        return createRDFDateString(DateForms::now());
    const QDateTime named = DateForms::naturalDate(text, strict);
    if (named.isValid()) {
        const QString fixed = createRDFDateString(named);
        if (owner)
            recordFixedFormat(*owner, text, fixed);
        return fixed;
    }
    if (strict) {
        // Nothing readable: strict validation never leaves a bad date behind.
        const QString now = createRDFDateString(DateForms::now());
        if (owner)
            recordFixedFormat(*owner, text, now);
        return now;
    }
    if (owner)
        recordUnfixable(*owner, text);
    return text;
}

QString VLXLogic::FixRDFInternetDateTimeAndInform(const QString &text, bool strict,
                                                  const QString &fieldName)
{
    const QString read = readW3CForms(text, W3CZone::UTC);
    if (!read.isNull())
        return read;
    if (text == u"now")
        return createRDFDateString(DateForms::now());
    const QDateTime named = DateForms::naturalDate(text, strict);
    if (!named.isValid()) {
        warn(invalidAlert(fieldName, text));
        return text;
    }
    const QString fixed = createRDFDateString(named);
    warn(fixedAlert(fieldName, text, fixed));
    return fixed;
}
