#include "publish/DMMemberAccount.h"

#include "platform/DefaultsStore.h"
#include "platform/PasswordStore.h"
#include "publish/DMTransaction.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QCoreApplication>
#include <QUrl>
#include <QtDebug>

const QString DMMemberAccount::kServerURLKey = QStringLiteral("DM_ServerURL");
const QString DMMemberAccount::kSystemAccountNameKey = QStringLiteral("DM_SystemAccountName");
const QString DMMemberAccount::kSystemAccountService = QStringLiteral("Vellumcast disk account");

namespace {

QString &caFile()
{
    static QString path;
    return path;
}

QString storedText(const QString &key)
{
    return VLXPreferences::sharedInstance().store().string(key).value_or(QString()).trimmed();
}

void storeText(const QString &key, const QString &value)
{
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    if (value.isEmpty())
        store.remove(key);
    else
        store.setObject(value, key);
    QString error;
    if (!store.sync(&error))
        qWarning().noquote() << "Settings: could not write the settings:" << error;
}

} // namespace

DMMemberAccount::DMMemberAccount(QString name, QString password, QString applicationID,
                                 QString serverURL)
    : m_name(std::move(name)), m_password(std::move(password)),
      m_applicationID(std::move(applicationID)), m_serverURL(std::move(serverURL))
{
}

std::shared_ptr<DMMemberAccount>
DMMemberAccount::accountFromPreferencesWithApplicationID(const QString &applicationID)
{
    const QString name = systemAccountName();
    if (name.isEmpty() || serverURL().isEmpty())
        return nullptr;
    return std::make_shared<DMMemberAccount>(name, systemAccountPassword(name), applicationID,
                                             serverURL());
}

std::shared_ptr<DMMemberAccount>
DMMemberAccount::validatedAccountForSite(const VLXSite &site, QString *password,
                                         AccountCheck::Indicator *indicator)
{
    static const QString kApplicationID = QStringLiteral("XMLf");
    std::shared_ptr<DMMemberAccount> account;
    if (site.dmAccount() != 0) {
        if (site.dmStorePassword() != 0 && !site.dmUsername().isEmpty()) {
            const QString stored = site.getPassword();
            if (!stored.isEmpty())
                *password = stored;
        }
        account = accountWithName(site.dmUsername(), *password, kApplicationID);
    } else {
        account = accountFromPreferencesWithApplicationID(kApplicationID);
    }
    const int answer = AccountCheck::validate(account, indicator);
    if (answer == kValid)
        return account;
    if (answer == kCancelled)
        return nullptr;
    qWarning("Account not good, error was %d", answer);
    return nullptr;
}

std::shared_ptr<DMMemberAccount> DMMemberAccount::accountWithName(const QString &name,
                                                                  const QString &password,
                                                                  const QString &applicationID)
{
    if (serverURL().isEmpty())
        return nullptr;
    return std::make_shared<DMMemberAccount>(name, password, applicationID, serverURL());
}

QString DMMemberAccount::baseURL() const
{
    QString url = m_serverURL;
    url.replace(QStringLiteral("%@"), QString::fromLatin1(QUrl::toPercentEncoding(m_name)));
    if (!url.endsWith(u'/'))
        url += u'/';
    return url;
}

int DMMemberAccount::validateCredentials(const std::function<bool()> &cancelled) const
{
    return DMTransaction::validate(*this, cancelled);
}

QString DMMemberAccount::answerText(int answer)
{
    switch (answer) {
    case kValid:
        return QString();
    case kNoAccount:
        return QStringLiteral("No account for the disk is set up");
    case kInvalidCredentials:
    case kOutOfSpace:
    case kNetworkError:
        return DMTransaction::errorTypeText(answer);
    default:
        return QCoreApplication::translate("DMMemberAccount",
                                           "The disk's server answered with the HTTP status %1 "
                                           "instead of a WebDAV folder: check the server address.")
            .arg(answer);
    }
}

QString DMMemberAccount::serverURL()
{
    return storedText(kServerURLKey);
}

void DMMemberAccount::setServerURL(const QString &url)
{
    storeText(kServerURLKey, url.trimmed());
}

QString DMMemberAccount::serverURLProblem(const QString &url)
{
    const auto say
        = [](const char *text) { return QCoreApplication::translate("DMMemberAccount", text); };
    const QString typed = url.trimmed();
    if (typed.isEmpty())
        return say("You must enter the address of the disk's server, such as "
                   "https://dav.example.com/.");
    // "%@" stands for the member name; it is not a valid escape of an address by itself.
    QString probe = typed;
    probe.replace(QStringLiteral("%@"), QStringLiteral("member"));
    const QUrl parsed(probe, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (scheme != u"https" && scheme != u"http")
        return say("The disk's server address \"%1\" must begin with https:// (or http://), "
                   "such as https://dav.example.com/.")
            .arg(typed);
    if (!parsed.isValid())
        return say("The disk's server address \"%1\" is not a valid web address: %2.")
            .arg(typed, parsed.errorString());
    if (parsed.host().isEmpty())
        return say("The disk's server address \"%1\" names no server: a host name must follow "
                   "%2://.")
            .arg(typed, scheme);
    if (!parsed.userInfo().isEmpty())
        return say("The disk's server address must not hold a user name or password: give the "
                   "account in its own fields.");
    if (parsed.hasQuery() || parsed.hasFragment())
        return say("The disk's server address \"%1\" must end with its folder: it cannot hold a "
                   "query (?) or a fragment (#).")
            .arg(typed);
    return QString();
}

QString DMMemberAccount::systemAccountName()
{
    return storedText(kSystemAccountNameKey);
}

QString DMMemberAccount::systemAccountPassword(const QString &name)
{
    QString password;
    if (!name.isEmpty()
        && !PasswordStore::instance().readPassword(kSystemAccountService, name, &password))
        password.clear();
    return password;
}

bool DMMemberAccount::setSystemAccount(const QString &name, const QString &password, QString *error)
{
    if (error)
        error->clear();
    const QString member = name.trimmed();
    storeText(kSystemAccountNameKey, member);
    if (member.isEmpty())
        return true;
    // Unchanged, nothing is written: a desktop without a secret service keeps working with
    // the account as it was.
    QString kept;
    const bool found
        = PasswordStore::instance().readPassword(kSystemAccountService, member, &kept);
    if (found ? kept == password : password.isEmpty())
        return true;
    return PasswordStore::instance().writePassword(kSystemAccountService, member, password,
                                                   error);
}

void DMMemberAccount::setCertificateAuthorityFile(const QString &path)
{
    caFile() = path;
}

QString DMMemberAccount::certificateAuthorityFile()
{
    return caFile();
}
