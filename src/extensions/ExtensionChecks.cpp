#include "extensions/ExtensionChecks.h"

#include "model/FieldRule.h"
#include "model/VLXError.h"

bool ExtensionChecks::notBlank(const QString &value, const char *title, const char *text,
                               VLXError *error)
{
    if (!FieldRule::isBlank(value))
        return true;
    return fail(error, VLXError::kContent, QString::fromUtf8(title), QString::fromUtf8(text));
}

bool ExtensionChecks::atMost(const QString &value, int limit, const char *title, const char *text,
                             VLXError *error)
{
    if (value.size() <= limit)
        return true;
    return fail(error, VLXError::kTooLong, QString::fromUtf8(title),
                QString::fromUtf8(text).arg(value.size()));
}

bool ExtensionChecks::fail(VLXError *error, int code, const QString &title, const QString &text)
{
    if (error)
        *error = VLXError::error(code, text, title);
    return false;
}
