#include "io/FeedCredentials.h"

#include "platform/PasswordStore.h"

#include <QRegularExpression>

const QString FeedCredentials::kService = QStringLiteral("Vellumcast feed address");

bool FeedCredentials::hasCredentials(const QUrl &url)
{
    return !url.userInfo().isEmpty();
}

QUrl FeedCredentials::withoutCredentials(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveUserInfo);
}

QString FeedCredentials::displayString(const QUrl &url)
{
    return url.toString(QUrl::RemoveUserInfo);
}

QString FeedCredentials::scrubbed(const QString &text)
{
    // The user information ends at the last "@" before the host; it holds no "/" of its own.
    static const QRegularExpression userInfo(
        QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*://)[^/?#\\s]*@"));
    QString out = text;
    return out.replace(userInfo, QStringLiteral("\\1"));
}

bool FeedCredentials::remember(const QString &uniqueIdentifier, const QUrl &url, QString *error)
{
    if (error)
        error->clear();
    if (!hasCredentials(url) || uniqueIdentifier.isEmpty())
        return true;
    // Kept as written in an address, so that any character survives the way back.
    return PasswordStore::instance().writePassword(
        kService, uniqueIdentifier, url.userInfo(QUrl::FullyEncoded), error);
}

QUrl FeedCredentials::withRemembered(const QString &uniqueIdentifier, const QUrl &url)
{
    if (hasCredentials(url) || uniqueIdentifier.isEmpty())
        return url;
    QString userInfo;
    if (!PasswordStore::instance().readPassword(kService, uniqueIdentifier, &userInfo)
        || userInfo.isEmpty())
        return url;
    QUrl withThem = url;
    withThem.setUserInfo(userInfo, QUrl::StrictMode);
    return withThem.isValid() ? withThem : url;
}

void FeedCredentials::forget(const QString &uniqueIdentifier)
{
    if (!uniqueIdentifier.isEmpty())
        PasswordStore::instance().deletePassword(kService, uniqueIdentifier);
}
