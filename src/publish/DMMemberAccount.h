#pragma once

#include <QSet>
#include <QString>
#include <functional>
#include <memory>

#include "publish/AccountCheck.h"

class VLXSite;

// A member account of the online disk: a WebDAV server reached over HTTP(S) with Basic
// authentication. The server's address is a setting; where it holds "%@", the member name takes
// its place (servers that give each member a folder of their own).
//
// The "system account" is the default account kept in the settings: the member name there, its
// password in the secret service under "Vellumcast disk account" and the name. Sites with an
// account of their own name another member on the same server; their passwords are items of
// their own ("Vellumcast .Mac"), so a site that clears its password never clears the default
// account's, even for the same member.
class DMMemberAccount
{
public:
    // Answers of validateCredentials() besides the HTTP status of anything unexpected.
    static constexpr int kValid = 1;
    static constexpr int kNoAccount = 100;
    static constexpr int kInvalidCredentials = 101;
    static constexpr int kOutOfSpace = 102;
    static constexpr int kNetworkError = 103;
    // The user stopped the check before the server answered.
    static constexpr int kCancelled = -1;

    // Keys of the settings store.
    static const QString kServerURLKey; // "DM_ServerURL"
    static const QString kSystemAccountNameKey; // "DM_SystemAccountName"
    // Service of the system account's password in the secret service.
    static const QString kSystemAccountService; // "Vellumcast disk account"

    // The system account; null when no server or member name is set.
    static std::shared_ptr<DMMemberAccount>
    accountFromPreferencesWithApplicationID(const QString &applicationID);
    // Another member's account on the configured server; null when no server is set.
    static std::shared_ptr<DMMemberAccount>
    accountWithName(const QString &name, const QString &password, const QString &applicationID);

    // The account a site publishes and browses with: the site's own member, whose stored
    // password is first put into *password when the site keeps one (the password field the user
    // sees), or the system account. The server checks it; null, with the log line "Account not
    // good, error was %d" (100 when there is no account at all), when it is not valid. The
    // server is asked on a worker thread while the indicator (may be null) shows the check; a
    // cancelled check gives null without the log line.
    static std::shared_ptr<DMMemberAccount>
    validatedAccountForSite(const VLXSite &site, QString *password,
                            AccountCheck::Indicator *indicator = nullptr);

    // Asks the server for the member's root, on the calling thread: 1 when it answers as WebDAV
    // with these credentials, 101 refused credentials, 103 no (whole) answer, else the HTTP
    // status; kCancelled once cancelled() says so (asked at least once a second).
    int validateCredentials(const std::function<bool()> &cancelled = {}) const;
    // An answer of validateCredentials() in words for the user.
    static QString answerText(int answer);

    const QString &name() const { return m_name; }
    const QString &password() const { return m_password; }
    const QString &applicationID() const { return m_applicationID; }
    // The member's root folder, ending in "/".
    QString baseURL() const;

    // Collections this account has seen exist during its life, so a run makes each only once.
    bool knowsCollection(const QString &path) const { return m_collections.contains(path); }
    void rememberCollection(const QString &path) { m_collections.insert(path); }

    // --- Settings of the system account ----------------------------------------------------------
    static QString serverURL();
    static void setServerURL(const QString &url);
    // What is wrong with an address typed for the server, in words for the user; "" when it can
    // be used: an http or https address with a host, no user name or password in it (they belong
    // to the account, and the address is kept in the settings file), no query or fragment.
    static QString serverURLProblem(const QString &url);
    static QString systemAccountName();
    // The password the secret service keeps for the system account of that name; "" when none.
    static QString systemAccountPassword(const QString &name);
    // Stores the name in the settings (an empty name removes the account) and the password in
    // the secret service when it differs from the one kept; false (with the reason) when the
    // secret service refused.
    static bool setSystemAccount(const QString &name, const QString &password,
                                 QString *error = nullptr);
    // A certificate authority file for HTTPS servers; "" for the system's store.
    static void setCertificateAuthorityFile(const QString &path);
    static QString certificateAuthorityFile();

    DMMemberAccount(QString name, QString password, QString applicationID, QString serverURL);

private:
    QString m_name;
    QString m_password;
    QString m_applicationID;
    QString m_serverURL;
    QSet<QString> m_collections;
};
