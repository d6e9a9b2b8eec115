#include "document/ItemLimit.h"

#include "io/VLXParseFeed.h"
#include "platform/AlertService.h"

#include <QLocale>

bool ItemLimit::refuses(qint64 count, qint64 adding)
{
    const qint64 total = count + adding;
    if (adding <= 0 || total <= VLXParseFeed::kMaximumItems)
        return false;
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = QStringLiteral("Feed Too Large");
    alert.message = message(adding, total);
    alert.defaultButton = QStringLiteral("OK");
    AlertService::show(alert);
    return true;
}

QString ItemLimit::message(qint64 adding, qint64 total)
{
    // Worded as the import words its refusal, with the counts written the English way.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString limit = english.toString(VLXParseFeed::kMaximumItems);
    if (adding == 1)
        return QStringLiteral("With the new item this feed would have %1 items. Vellumcast opens "
                              "feeds of up to %2 items, so it was not added.")
            .arg(english.toString(total), limit);
    return QStringLiteral("With the %1 new items this feed would have %2 items. Vellumcast opens "
                          "feeds of up to %3 items, so they were not added.")
        .arg(english.toString(adding), english.toString(total), limit);
}
