#include "model/FieldRule.h"

#include "model/URLReference.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "platform/ContextHelp.h"

bool FieldRule::check(const QString &value, std::initializer_list<Step> steps, VLXError *error)
{
    for (const Step &step : steps) {
        if (!step.passes(value))
            return fail(error, step.failure);
    }
    return true;
}

bool FieldRule::fail(VLXError *error, const RuleFailure &failure)
{
    if (error)
        *error = failure.toError();
    return false;
}

bool FieldRule::fail(VLXError *error, const VLXError &made)
{
    if (error)
        *error = made;
    return false;
}

bool FieldRule::isBlank(QStringView value)
{
    for (QChar c : value) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

bool FieldRule::blankOrURL(const QString &value)
{
    // Checked for every item of a feed (its link, its enclosure): the usual link is settled
    // without the copies a full reading makes.
    return URLReference::isPlainWebLink(value) || VLXLogic::checkURL(value.trimmed());
}

bool FieldRule::blankOrEMail(const QString &value)
{
    return isBlank(value) || VLXLogic::checkEMail(value.trimmed());
}

bool FieldRule::blankOrDigits(const QString &value)
{
    if (isBlank(value))
        return true;
    for (QChar c : value) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

void FieldRule::logFailure(FeedElement &owner, const VLXError &error)
{
    if (error.isWarning())
        owner.recordWarning(error.localizedDescription());
    else
        owner.recordError(error.localizedDescription());
}

void FieldRule::informFailure(const VLXError &error, QObject *interface)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = error.localizedFailureReason();
    alert.message = error.localizedDescription();
    const bool help = ContextHelp::answers(interface);
    if (help)
        alert.otherButton = QStringLiteral("More Information");
    if (AlertService::show(alert) == AlertService::kOther && help)
        ContextHelp::show(interface);
}
