#include "publish/DMMemberAccount.h"

#include "platform/DefaultsStore.h"
#include "platform/PasswordStore.h"
#include "publish/DMTransaction.h"
#include "publish/VLXSite.h"
#include "settings/VLXPreferences.h"

#include <QUrl>
#include <QtDebug>

const QString DMMemberAccount::kServerURLKey = QStringLiteral("DM_ServerURL");
const QString DMMemberAccount::kSystemAccountNameKey = QStringLiteral("DM_SystemAccountName");

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
    QString password;
    PasswordStore::instance().readPassword(VLXSite::kDotMacService, name, &password);
    return std::make_shared<DMMemberAccount>(name, password, applicationID, serverURL());
}

std::shared_ptr<DMMemberAccount> DMMemberAccount::validatedAccountForSite(const VLXSite &site,
                                                                         QString *password)
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
    const int answer = account ? account->validateCredentials() : kNoAccount;
    if (answer == kValid)
        return account;
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

int DMMemberAccount::validateCredentials() const
{
    return DMTransaction::validate(*this);
}

QString DMMemberAccount::serverURL()
{
    return storedText(kServerURLKey);
}

void DMMemberAccount::setServerURL(const QString &url)
{
    storeText(kServerURLKey, url.trimmed());
}

QString DMMemberAccount::systemAccountName()
{
    return storedText(kSystemAccountNameKey);
}

bool DMMemberAccount::setSystemAccount(const QString &name, const QString &password, QString *error)
{
    storeText(kSystemAccountNameKey, name.trimmed());
    if (name.trimmed().isEmpty())
        return true;
    return PasswordStore::instance().writePassword(VLXSite::kDotMacService, name.trimmed(),
                                                   password, error);
}

void DMMemberAccount::setCertificateAuthorityFile(const QString &path)
{
    caFile() = path;
}

QString DMMemberAccount::certificateAuthorityFile()
{
    return caFile();
}
