#include "settings/VLXSite.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PasswordStore.h"
#include "settings/VLXPreferences.h"

#include <QUuid>

const QString VLXSite::kDotMacService = QStringLiteral("Vellumcast .Mac");

namespace {
// Decoding must not touch the settings (the settings are what is being decoded), so the
// registry makes an empty record and initWithCoder() fills it.
[[maybe_unused]] const bool kRegistered = KeyedUnarchiver::registerClass(
    QStringLiteral("VLXSite"), [] { return VLXSite::emptyRecord(); });

struct IntField
{
    const char *key;
    int (VLXSite::*get)() const;
    void (VLXSite::*set)(int);
};
struct TextField
{
    const char *key;
    const QString &(VLXSite::*get)() const;
    void (VLXSite::*set)(const QString &);
};

// The archive keys; fields are written in the record's order, integers and texts apart.
const IntField kIntFields[] = {
    {"SiteType", &VLXSite::type, &VLXSite::setType},
    {"FTPStorePassword", &VLXSite::ftpStorePassword, &VLXSite::setFtpStorePassword},
    {"FTPProtocol", &VLXSite::ftpProtocol, &VLXSite::setFtpProtocol},
    {"FTPPassive", &VLXSite::ftpUsePASV, &VLXSite::setFtpUsePASV},
    {"FTPEPSV", &VLXSite::ftpUseEPSV, &VLXSite::setFtpUseEPSV},
    {"FTPEPRT", &VLXSite::ftpUseEPRT, &VLXSite::setFtpUseEPRT},
    {"FTPEnclosureSameAsXML", &VLXSite::ftpEnclosureDirSameAsXML,
     &VLXSite::setFtpEnclosureDirSameAsXML},
    {"FTPImageSameAsXML", &VLXSite::ftpImageDirSameAsXML, &VLXSite::setFtpImageDirSameAsXML},
    {"DMAccount", &VLXSite::dmAccount, &VLXSite::setDmAccount},
    {"DMStorePassword", &VLXSite::dmStorePassword, &VLXSite::setDmStorePassword},
    {"DMEnclosureSameAsXML", &VLXSite::dmEnclosureDirSameAsXML,
     &VLXSite::setDmEnclosureDirSameAsXML},
    {"DMImageSameAsXML", &VLXSite::dmImageDirSameAsXML, &VLXSite::setDmImageDirSameAsXML},
    {"LCLEnclosureSameAsXML", &VLXSite::lclEnclosureDirSameAsXML,
     &VLXSite::setLclEnclosureDirSameAsXML},
    {"LCLImageSameAsXML", &VLXSite::lclImageDirSameAsXML, &VLXSite::setLclImageDirSameAsXML},
};

const TextField kTextFields[] = {
    {"SiteName", &VLXSite::siteName, &VLXSite::setSiteName},
    {"SiteIdentifier", &VLXSite::siteIdentifier, &VLXSite::setSiteIdentifier},
    {"FTPServer", &VLXSite::ftpServer, &VLXSite::setFtpServer},
    {"FTPUsername", &VLXSite::ftpUsername, &VLXSite::setFtpUsername},
    {"FTPUserHomeDir", &VLXSite::ftpUserHomeDir, &VLXSite::setFtpUserHomeDir},
    {"FTPDefaultXMLDir", &VLXSite::ftpDefaultXMLDir, &VLXSite::setFtpDefaultXMLDir},
    {"FTPDefaultEnclosureDir", &VLXSite::ftpDefaultEnclosureDir,
     &VLXSite::setFtpDefaultEnclosureDir},
    {"FTPDefaultImageDir", &VLXSite::ftpDefaultImageDir, &VLXSite::setFtpDefaultImageDir},
    {"FTPWebRootDir", &VLXSite::ftpWebRootDir, &VLXSite::setFtpWebRootDir},
    {"DMUsername", &VLXSite::dmUsername, &VLXSite::setDmUsername},
    {"DMDefaultXMLDir", &VLXSite::dmDefaultXMLDir, &VLXSite::setDmDefaultXMLDir},
    {"DMDefaultEnclosureDir", &VLXSite::dmDefaultEnclosureDir, &VLXSite::setDmDefaultEnclosureDir},
    {"DMDefaultImageDir", &VLXSite::dmDefaultImageDir, &VLXSite::setDmDefaultImageDir},
    {"LCLDefaultXMLDir", &VLXSite::lclDefaultXMLDir, &VLXSite::setLclDefaultXMLDir},
    {"LCLDefaultEnclosureDir", &VLXSite::lclDefaultEnclosureDir,
     &VLXSite::setLclDefaultEnclosureDir},
    {"LCLDefaultImageDir", &VLXSite::lclDefaultImageDir, &VLXSite::setLclDefaultImageDir},
};
} // namespace

VLXSite::VLXSite(EmptyTag) { }

VLXSite::VLXSite()
{
    m_siteIdentifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const int useKeychain = VLXPreferences::objectForKey(QStringLiteral("M_UseKeychain")).toInt();
    m_ftpStorePassword = useKeychain;
    m_dmStorePassword = useKeychain;
    m_ftpEnclosureDirSameAsXML = 1;
    m_ftpImageDirSameAsXML = 1;
    m_dmEnclosureDirSameAsXML = 1;
    m_dmImageDirSameAsXML = 1;
    m_lclEnclosureDirSameAsXML = 1;
    m_lclImageDirSameAsXML = 1;
}

std::shared_ptr<VLXSite> VLXSite::emptyRecord()
{
    return std::shared_ptr<VLXSite>(new VLXSite(EmptyTag {}));
}

std::shared_ptr<VLXSite> VLXSite::copy() const
{
    return std::make_shared<VLXSite>(*this);
}

QString VLXSite::stringForSiteType(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("FTP");
    case 2:
        return QStringLiteral(".Mac");
    case 3:
        return QStringLiteral("Local");
    default:
        return QStringLiteral("Unknown");
    }
}

QString VLXSite::description() const
{
    if (m_type != 1)
        return QStringLiteral("Unknown");
    return QStringLiteral("FTP: ID=%1, server=%2, user=%3, XMLDir=%4, EnclosureDir=%5, ImageDir=%6")
        .arg(m_siteIdentifier, m_ftpServer, m_ftpUsername, m_ftpDefaultXMLDir,
             m_ftpDefaultEnclosureDir, m_ftpDefaultImageDir);
}

QString VLXSite::archiveClassName() const
{
    return QStringLiteral("VLXSite");
}

void VLXSite::encodeWithCoder(KeyedArchiver &coder) const
{
    for (const IntField &field : kIntFields)
        coder.encodeInt((this->*field.get)(), QLatin1String(field.key));
    for (const TextField &field : kTextFields)
        coder.encodeString((this->*field.get)(), QLatin1String(field.key));
}

bool VLXSite::initWithCoder(const KeyedUnarchiver &coder)
{
    for (const IntField &field : kIntFields) {
        const qint64 value = coder.decodeIntForKey(QLatin1String(field.key));
        const bool fits
            = value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
        (this->*field.set)(fits ? static_cast<int>(value) : 0);
    }
    for (const TextField &field : kTextFields)
        (this->*field.set)(coder.decodeStringForKey(QLatin1String(field.key)));
    return true;
}

bool VLXSite::passwordItem(QString *service, QString *account) const
{
    if (m_type == 1) {
        *service = QStringLiteral("ftp://%1:22").arg(m_ftpServer);
        *account = m_ftpUsername;
        return true;
    }
    if (m_type == 2 && m_dmAccount != 0) {
        *service = kDotMacService;
        *account = m_dmUsername;
        return true;
    }
    return false;
}

QString VLXSite::getPassword() const
{
    if (m_type == 1
        && (m_ftpStorePassword == 0 || m_ftpServer.isEmpty() || m_ftpUsername.isEmpty()))
        return QString(QLatin1String(""));
    if (m_type == 2 && (m_dmAccount == 0 || m_dmStorePassword == 0 || m_dmUsername.isEmpty()))
        return QString(QLatin1String(""));
    QString service;
    QString account;
    if (!passwordItem(&service, &account))
        return QString(QLatin1String(""));
    QString password;
    if (!PasswordStore::instance().readPassword(service, account, &password))
        return QString(QLatin1String(""));
    return password;
}

bool VLXSite::savePassword(const QString &typedPassword, QString *error) const
{
    if (error)
        error->clear();
    QString service;
    QString account;
    if (!passwordItem(&service, &account))
        return true; // nothing of this site lives in the secret service
    const bool storeFlag = m_type == 1 ? m_ftpStorePassword != 0 : m_dmStorePassword != 0;
    PasswordStore &store = PasswordStore::instance();
    QString stored;
    const bool found = store.readPassword(service, account, &stored);
    if (storeFlag) {
        // An empty password with nothing stored leaves nothing to keep: no false alarm when
        // the secret service is out of reach.
        if ((found && stored == typedPassword) || (!found && typedPassword.isEmpty()))
            return true;
        return store.writePassword(service, account, typedPassword, error);
    }
    if (found && !stored.isEmpty())
        return store.writePassword(service, account, QString(QLatin1String("")), error);
    return true;
}
