#include "model/DateForms.h"
#include "model/DatePattern.h"
#include "model/VLXLogic.h"
#include "model/W3CDateReader.h"

// Date texts: RFC 822 for the RSS dates, W3C date-time for Dublin Core and syndication.

const QString VLXLogic::kRFC822Format = QStringLiteral("%a, %d %b %Y %H:%M:%S %z");

QString VLXLogic::cleanUpRFC822Date(const QString &text)
{
    QString cleaned = text.trimmed();
    bool doubled = false;
    for (qsizetype i = 1; i < cleaned.size() && !doubled; ++i)
        doubled = cleaned.at(i) == u' ' && cleaned.at(i - 1) == u' ';
    if (!doubled)
        return cleaned;
    qsizetype before;
    do {
        before = cleaned.size();
        cleaned.replace(QStringLiteral("  "), QStringLiteral(" "));
    } while (cleaned.size() != before);
    return cleaned;
}

bool VLXLogic::isValidInternetDateTime(const QString &text)
{
    DateFields fields;
    return text.isEmpty() || DateForms::readRFC822(text, fields) != 0;
}

bool VLXLogic::isValidRDFInternetDateTime(const QString &text)
{
    DateFields fields;
    return text.isEmpty() || W3CDateReader::read(text, fields)
        || DateForms::readRFC822(text, fields) != 0;
}

double VLXLogic::InternetDateTime(const QString &text)
{
    if (text.isEmpty())
        return 0;
    DateFields fields;
    if (DateForms::readRFC822(text, fields))
        return fields.instant();
    const QDateTime date = DateForms::naturalDate(text, false);
    return date.isValid() ? date.toMSecsSinceEpoch() / 1000.0 : 0;
}

double VLXLogic::RDFInternetDateTime(const QString &text)
{
    DateFields fields;
    if (W3CDateReader::read(text, fields) || DateForms::readRFC822(text, fields))
        return fields.instant();
    const QDateTime date = DateForms::naturalDate(text, false);
    return date.isValid() ? date.toMSecsSinceEpoch() / 1000.0 : 0;
}

QString VLXLogic::internetDateStringFromInterval(double instant)
{
    return DateForms::rfc822(1).write(DateForms::fromInstant(instant));
}

QString VLXLogic::RDFInternetDateStringFromInterval(double instant)
{
    return DateForms::w3c().write(DateForms::fromInstant(instant));
}

QString VLXLogic::createRDFDateString(const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    QString text = DateForms::w3c().write(date);
    text.insert(22, u':');
    return text;
}

QString VLXLogic::convertValidDateToRFC822(const QString &text)
{
    double instant = 0;
    if (text.size() > 10 && text.at(10) == u'T')
        instant = RDFInternetDateTime(text);
    if (instant == 0)
        instant = InternetDateTime(text);
    if (instant == 0)
        instant = RDFInternetDateTime(text);
    return instant == 0 ? text : internetDateStringFromInterval(instant);
}

QDateTime VLXLogic::dateFromRFC822(const QString &text)
{
    DateFields fields;
    return DateForms::readRFC822(text, fields) ? fields.toDateTime() : QDateTime();
}

QDateTime VLXLogic::dateFromW3C(const QString &text)
{
    DateFields fields;
    return W3CDateReader::read(text, fields) ? fields.toDateTime() : QDateTime();
}

QDateTime VLXLogic::dateFromNaturalLanguage(const QString &text)
{
    return DateForms::naturalDate(text, false);
}

QString VLXLogic::rfc822String(const QDateTime &date)
{
    return date.isValid() ? DateForms::rfc822(1).write(date) : QString();
}
