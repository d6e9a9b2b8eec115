#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PasswordStore.h"
#include "platform/PropertyList.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QUuid>
#include <gtest/gtest.h>

namespace {

class VLXSiteTest : public ::testing::Test
{
protected:
    void SetUp() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
};

std::shared_ptr<VLXSite> filledSite()
{
    auto site = std::make_shared<VLXSite>();
    int n = 2;
    site->setType(1);
    site->setSiteName(QStringLiteral("Name"));
    site->setFtpServer(QStringLiteral("ftp.example.org"));
    site->setFtpUsername(QStringLiteral("user"));
    site->setFtpProtocol(n++);
    site->setFtpUsePASV(n++);
    site->setFtpUseEPSV(n++);
    site->setFtpUseEPRT(n++);
    site->setFtpUserHomeDir(QStringLiteral("home"));
    site->setFtpDefaultXMLDir(QStringLiteral("xml"));
    site->setFtpDefaultEnclosureDir(QStringLiteral("enc"));
    site->setFtpEnclosureDirSameAsXML(0);
    site->setFtpDefaultImageDir(QStringLiteral("img"));
    site->setFtpImageDirSameAsXML(-3);
    site->setFtpWebRootDir(QStringLiteral("root"));
    site->setDmAccount(n++);
    site->setDmUsername(QStringLiteral("dm"));
    site->setDmStorePassword(0);
    site->setDmDefaultXMLDir(QStringLiteral("dmx"));
    site->setDmDefaultEnclosureDir(QStringLiteral("dme"));
    site->setDmEnclosureDirSameAsXML(n++);
    site->setDmDefaultImageDir(QStringLiteral("dmi"));
    site->setDmImageDirSameAsXML(n++);
    site->setLclDefaultXMLDir(QStringLiteral("lx"));
    site->setLclDefaultEnclosureDir(QStringLiteral("le"));
    site->setLclEnclosureDirSameAsXML(n++);
    site->setLclDefaultImageDir(QStringLiteral("li"));
    site->setLclImageDirSameAsXML(n++);
    return site;
}

TEST_F(VLXSiteTest, ANewSiteTakesItsFlagsFromTheSettings)
{
    const VLXSite a;
    const VLXSite b;
    EXPECT_NE(a.siteIdentifier(), b.siteIdentifier());
    EXPECT_FALSE(a.siteIdentifier().isEmpty());
    EXPECT_EQ(a.type(), 0);
    EXPECT_EQ(a.ftpStorePassword(), 1);
    EXPECT_EQ(a.dmStorePassword(), 1);
    for (int flag :
         {a.ftpEnclosureDirSameAsXML(), a.ftpImageDirSameAsXML(), a.dmEnclosureDirSameAsXML(),
          a.dmImageDirSameAsXML(), a.lclEnclosureDirSameAsXML(), a.lclImageDirSameAsXML()})
        EXPECT_EQ(flag, 1);
    VLXPreferences::setObjectForKey(0, QStringLiteral("M_UseKeychain"));
    EXPECT_EQ(VLXSite().ftpStorePassword(), 0);
    EXPECT_EQ(a.copy()->siteIdentifier(), a.siteIdentifier());
}

TEST_F(VLXSiteTest, KeyedArchiveRoundTripsAllThirtyFields)
{
    const auto site = filledSite();
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(
        QVariantList {KeyedArchivable::toVariant(site)});
    const QVariantMap top
        = PropertyList::parse(bytes).toMap().value(QStringLiteral("$top")).toList().at(0).toMap();
    EXPECT_EQ(top.size(), 31); // 30 fields and the class name
    EXPECT_EQ(top.value(QStringLiteral("FTPPassive")).toInt(), site->ftpUsePASV());

    const auto back = KeyedArchivable::objectAs<VLXSite>(
        KeyedUnarchiver::unarchiveObjectWithData(bytes).toList().value(0));
    ASSERT_TRUE(back);
    EXPECT_EQ(
        KeyedArchiver::archivedDataWithRootObject(QVariantList {KeyedArchivable::toVariant(back)}),
        bytes);
    EXPECT_EQ(back->ftpImageDirSameAsXML(), -3);
    EXPECT_EQ(back->siteIdentifier(), site->siteIdentifier());
    EXPECT_EQ(back->lclDefaultImageDir(), QStringLiteral("li"));
}

TEST_F(VLXSiteTest, MissingKeysDecodeAsZeroAndEmpty)
{
    QVariantMap fields {{QStringLiteral("$class"), QStringLiteral("VLXSite")},
                        {QStringLiteral("SiteType"), 1},
                        {QStringLiteral("FTPServer"), QStringLiteral("h")}};
    QVariantMap archive {{QStringLiteral("$archiver"), KeyedArchiver::kArchiverName},
                         {QStringLiteral("$version"), 1},
                         {QStringLiteral("$top"), fields}};
    const auto site = KeyedArchivable::objectAs<VLXSite>(KeyedUnarchiver::unarchiveObjectWithData(
        PropertyList::serialize(archive, PropertyList::Format::Binary)));
    ASSERT_TRUE(site);
    EXPECT_EQ(site->ftpUseEPSV(), 0);
    EXPECT_EQ(site->ftpImageDirSameAsXML(), 0); // not the initial 1: decoding starts empty
    EXPECT_EQ(site->siteName(), QString(QLatin1String("")));
    EXPECT_FALSE(site->siteName().isNull());
}

TEST_F(VLXSiteTest, TypeNamesAndDescription)
{
    EXPECT_EQ(VLXSite::stringForSiteType(0), QStringLiteral("Unknown"));
    EXPECT_EQ(VLXSite::stringForSiteType(1), QStringLiteral("FTP"));
    EXPECT_EQ(VLXSite::stringForSiteType(2), QStringLiteral(".Mac"));
    EXPECT_EQ(VLXSite::stringForSiteType(3), QStringLiteral("Local"));
    EXPECT_EQ(VLXSite::stringForSiteType(4), QStringLiteral("Unknown"));
    auto site = filledSite();
    site->setSiteIdentifier(QStringLiteral("ID"));
    EXPECT_EQ(site->description(),
              QStringLiteral("FTP: ID=ID, server=ftp.example.org, user=user, XMLDir=xml, "
                             "EnclosureDir=enc, ImageDir=img"));
    site->setType(3);
    EXPECT_EQ(site->description(), QStringLiteral("Unknown"));
}

// The password lives in the real secret service started by scripts/test.
class VLXSitePassword : public VLXSiteTest
{
protected:
    void SetUp() override
    {
        VLXSiteTest::SetUp();
        if (!PasswordStore::sessionBusAvailable())
            GTEST_SKIP() << "no D-Bus session: run through scripts/test, which starts a private "
                            "secret service";
        host = QStringLiteral("%1.vellumcast-test.invalid")
                   .arg(QUuid::createUuid().toString(QUuid::Id128));
    }
    void TearDown() override
    {
        if (!host.isEmpty())
            PasswordStore::instance().deletePassword(QStringLiteral("ftp://%1:22").arg(host),
                                                     QStringLiteral("user"));
    }
    QString host;
};

TEST_F(VLXSitePassword, StoredInTheSecretServiceNeverInTheSettings)
{
    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setFtpServer(host);
    site->setFtpUsername(QStringLiteral("user"));
    QString error;
    ASSERT_TRUE(site->savePassword(QStringLiteral("pa55"), &error)) << error.toStdString();
    EXPECT_EQ(site->getPassword(), QStringLiteral("pa55"));

    // The archive (what the settings file holds) carries no password.
    const QByteArray archive
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(site));
    EXPECT_FALSE(archive.contains("pa55"));

    // Port 22 is part of the item: one made for port 21 is another item.
    QString other;
    EXPECT_FALSE(PasswordStore::instance().readPassword(QStringLiteral("ftp://%1:21").arg(host),
                                                        QStringLiteral("user"), &other));

    // Flag off: the stored password is emptied, the item kept.
    site->setFtpStorePassword(0);
    EXPECT_EQ(site->getPassword(), QString(QLatin1String("")));
    ASSERT_TRUE(site->savePassword(QStringLiteral("ignored"), &error));
    site->setFtpStorePassword(1);
    EXPECT_EQ(site->getPassword(), QString(QLatin1String("")));
    EXPECT_TRUE(PasswordStore::instance().readPassword(QStringLiteral("ftp://%1:22").arg(host),
                                                       QStringLiteral("user"), &other));
}

TEST_F(VLXSitePassword, SitesWithoutAnItemAnswerEmpty)
{
    auto local = std::make_shared<VLXSite>();
    local->setType(3);
    EXPECT_EQ(local->getPassword(), QString(QLatin1String("")));
    auto dotMac = std::make_shared<VLXSite>();
    dotMac->setType(2);
    dotMac->setDmAccount(0);
    dotMac->setDmUsername(QStringLiteral("someone"));
    EXPECT_EQ(dotMac->getPassword(), QString(QLatin1String("")));
    EXPECT_TRUE(dotMac->savePassword(QStringLiteral("x")));
}

} // namespace
