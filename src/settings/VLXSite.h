#pragma once

#include "platform/KeyedArchivable.h"

#include <QString>
#include <memory>

// One publishing site: an FTP/FTPS server (type 1), a .Mac iDisk (type 2) or local folders
// (type 3), with its default folders and options. Sites are held by reference in the settings
// ("Pub_Sites") and compare equal only to themselves.
//
// The record never holds a password. An FTP site's password lives in the secret service under
// the service "ftp://<ftpServer>:22" and the account ftpUsername (port 22 in every lookup and
// addition, so an item made for port 21 is not found); a .Mac site with its own account
// (dmAccount non-zero) under the service "Vellumcast .Mac" and the account dmUsername.
class VLXSite : public KeyedArchivable
{
public:
    // A new site: a new identifier, both store-password flags from "M_UseKeychain", the six
    // same-as-feed-folder flags on, everything else empty or 0.
    VLXSite();
    // A record with every field empty or 0 and no identifier, the starting point of decoding.
    static std::shared_ptr<VLXSite> emptyRecord();

    std::shared_ptr<VLXSite> copy() const;

    static QString stringForSiteType(int type);
    QString description() const;

    // The password from the secret service, or "" when the site keeps none or the lookup fails.
    QString getPassword() const;
    // Saves the password typed in the site editor. With the store flag on: adds the item, or
    // replaces its password when it differs. With the flag off: empties a stored non-empty
    // password, keeping the item. Answers false with a message when the secret service refused.
    bool savePassword(const QString &typedPassword, QString *error = nullptr) const;
    // The secret-service item of this site; false when the site has none (local sites, .Mac
    // with the system's account).
    bool passwordItem(QString *service, QString *account) const;

    static const QString kDotMacService;

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;

#define VLX_SITE_INT(getter, setter, member)                                                       \
    int getter() const                                                                             \
    {                                                                                              \
        return member;                                                                             \
    }                                                                                              \
    void setter(int value)                                                                         \
    {                                                                                              \
        member = value;                                                                            \
    }
#define VLX_SITE_TEXT(getter, setter, member)                                                      \
    const QString &getter() const                                                                  \
    {                                                                                              \
        return member;                                                                             \
    }                                                                                              \
    void setter(const QString &value)                                                              \
    {                                                                                              \
        member = value.isNull() ? QString(QLatin1String("")) : value;                              \
    }

    VLX_SITE_INT(type, setType, m_type)
    VLX_SITE_TEXT(siteName, setSiteName, m_siteName)
    VLX_SITE_TEXT(siteIdentifier, setSiteIdentifier, m_siteIdentifier)
    VLX_SITE_TEXT(ftpServer, setFtpServer, m_ftpServer)
    VLX_SITE_TEXT(ftpUsername, setFtpUsername, m_ftpUsername)
    VLX_SITE_INT(ftpStorePassword, setFtpStorePassword, m_ftpStorePassword)
    VLX_SITE_INT(ftpProtocol, setFtpProtocol, m_ftpProtocol)
    VLX_SITE_INT(ftpUsePASV, setFtpUsePASV, m_ftpUsePASV)
    VLX_SITE_INT(ftpUseEPSV, setFtpUseEPSV, m_ftpUseEPSV)
    VLX_SITE_INT(ftpUseEPRT, setFtpUseEPRT, m_ftpUseEPRT)
    VLX_SITE_TEXT(ftpUserHomeDir, setFtpUserHomeDir, m_ftpUserHomeDir)
    VLX_SITE_TEXT(ftpDefaultXMLDir, setFtpDefaultXMLDir, m_ftpDefaultXMLDir)
    VLX_SITE_TEXT(ftpDefaultEnclosureDir, setFtpDefaultEnclosureDir, m_ftpDefaultEnclosureDir)
    VLX_SITE_INT(ftpEnclosureDirSameAsXML, setFtpEnclosureDirSameAsXML, m_ftpEnclosureDirSameAsXML)
    VLX_SITE_TEXT(ftpDefaultImageDir, setFtpDefaultImageDir, m_ftpDefaultImageDir)
    VLX_SITE_INT(ftpImageDirSameAsXML, setFtpImageDirSameAsXML, m_ftpImageDirSameAsXML)
    VLX_SITE_TEXT(ftpWebRootDir, setFtpWebRootDir, m_ftpWebRootDir)
    VLX_SITE_INT(dmAccount, setDmAccount, m_dmAccount)
    VLX_SITE_TEXT(dmUsername, setDmUsername, m_dmUsername)
    VLX_SITE_INT(dmStorePassword, setDmStorePassword, m_dmStorePassword)
    VLX_SITE_TEXT(dmDefaultXMLDir, setDmDefaultXMLDir, m_dmDefaultXMLDir)
    VLX_SITE_TEXT(dmDefaultEnclosureDir, setDmDefaultEnclosureDir, m_dmDefaultEnclosureDir)
    VLX_SITE_INT(dmEnclosureDirSameAsXML, setDmEnclosureDirSameAsXML, m_dmEnclosureDirSameAsXML)
    VLX_SITE_TEXT(dmDefaultImageDir, setDmDefaultImageDir, m_dmDefaultImageDir)
    VLX_SITE_INT(dmImageDirSameAsXML, setDmImageDirSameAsXML, m_dmImageDirSameAsXML)
    VLX_SITE_TEXT(lclDefaultXMLDir, setLclDefaultXMLDir, m_lclDefaultXMLDir)
    VLX_SITE_TEXT(lclDefaultEnclosureDir, setLclDefaultEnclosureDir, m_lclDefaultEnclosureDir)
    VLX_SITE_INT(lclEnclosureDirSameAsXML, setLclEnclosureDirSameAsXML, m_lclEnclosureDirSameAsXML)
    VLX_SITE_TEXT(lclDefaultImageDir, setLclDefaultImageDir, m_lclDefaultImageDir)
    VLX_SITE_INT(lclImageDirSameAsXML, setLclImageDirSameAsXML, m_lclImageDirSameAsXML)

#undef VLX_SITE_INT
#undef VLX_SITE_TEXT

private:
    struct EmptyTag
    {
    };
    explicit VLXSite(EmptyTag);

    int m_type = 0;
    QString m_siteName = QString(QLatin1String(""));
    QString m_siteIdentifier = QString(QLatin1String(""));
    QString m_ftpServer = QString(QLatin1String(""));
    QString m_ftpUsername = QString(QLatin1String(""));
    int m_ftpStorePassword = 0;
    int m_ftpProtocol = 0;
    int m_ftpUsePASV = 0;
    int m_ftpUseEPSV = 0;
    int m_ftpUseEPRT = 0;
    QString m_ftpUserHomeDir = QString(QLatin1String(""));
    QString m_ftpDefaultXMLDir = QString(QLatin1String(""));
    QString m_ftpDefaultEnclosureDir = QString(QLatin1String(""));
    int m_ftpEnclosureDirSameAsXML = 0;
    QString m_ftpDefaultImageDir = QString(QLatin1String(""));
    int m_ftpImageDirSameAsXML = 0;
    QString m_ftpWebRootDir = QString(QLatin1String(""));
    int m_dmAccount = 0;
    QString m_dmUsername = QString(QLatin1String(""));
    int m_dmStorePassword = 0;
    QString m_dmDefaultXMLDir = QString(QLatin1String(""));
    QString m_dmDefaultEnclosureDir = QString(QLatin1String(""));
    int m_dmEnclosureDirSameAsXML = 0;
    QString m_dmDefaultImageDir = QString(QLatin1String(""));
    int m_dmImageDirSameAsXML = 0;
    QString m_lclDefaultXMLDir = QString(QLatin1String(""));
    QString m_lclDefaultEnclosureDir = QString(QLatin1String(""));
    int m_lclEnclosureDirSameAsXML = 0;
    QString m_lclDefaultImageDir = QString(QLatin1String(""));
    int m_lclImageDirSameAsXML = 0;
};
