// The licence lists of the channel and the items: reading, writing, checks, export, archiving,
// defaults and the preferences twins.
#include "common/TestSupport.h"
#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/cc/creativeCommonsChannelPrefs.h"
#include "extensions/cc/creativeCommonsItem.h"
#include "extensions/cc/creativeCommonsItemPrefs.h"
#include "model/FeedElement.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

namespace {

const QString kURI = QStringLiteral("http://backend.userland.com/creativeCommonsRssModule");

// Hands the elements to the extension as its manager does while a feed is read, the namespace
// declared under the prefix given.
void readElements(extensionNSRaw &extension, const QString &prefix, const QString &elements)
{
    extension.setExtensionProcessingName(prefix);
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"%2\">%3</r>")
                            .arg(prefix, kURI, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_TRUE(root) << qPrintable(elements);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        EXPECT_EQ(extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root)), 0);
}

const QStringList kMixed {QString(), QStringLiteral("http://example.com/l?a=1&b=2"),
                          QStringLiteral("example.com/x")};

} // namespace

TEST(CreativeCommonsLicences, WritesEveryNonEmptyEntryEscapedUnderTheCanonicalName)
{
    creativeCommonsItem item;
    item.setLicenseString(kMixed);
    const QString xml = item.buildXML(QStringLiteral("\t"));
    EXPECT_EQ(
        xml,
        QStringLiteral("\t<creativeCommons:license>http://example.com/l?a=1&amp;b=2"
                       "</creativeCommons:license>\n"
                       "\t<creativeCommons:license>example.com/x</creativeCommons:license>\n"));
    item.setLicenseString({QString(), QString()});
    EXPECT_EQ(item.buildXML(QStringLiteral("\t")), QString());
    EXPECT_FALSE(item.isEmpty()) << "empty entries are still entries";
    item.setLicenseString({});
    EXPECT_TRUE(item.isEmpty());
    EXPECT_EQ(item.buildXML(QString()), QString());
}

TEST(CreativeCommonsLicences, ReadsUnderTheDocumentsPrefixAndWritesItsOwn)
{
    creativeCommonsChannel channel;
    readElements(channel, QStringLiteral("cc"),
                 QStringLiteral("<cc:license> &#104;ttp://a.example/by%2Dsa/ </cc:license>"
                                "<cc:license/><cc:other>x</cc:other>"));
    EXPECT_EQ(channel.licenseString(),
              (QStringList {QStringLiteral("http://a.example/by%2Dsa/"), QString()}));
    EXPECT_EQ(channel.buildXML(QString()),
              QStringLiteral("<creativeCommons:license>http://a.example/by%2Dsa/"
                             "</creativeCommons:license>\n"
                             "<creativeCommons:other>x</creativeCommons:other>\n"));
    EXPECT_EQ(channel.extensionName(), QStringLiteral("creativeCommons"));
    EXPECT_EQ(channel.DTDURL(), kURI);
    channel.setDTDURL(QStringLiteral("http://elsewhere.example/"));
    EXPECT_EQ(channel.DTDURL(), kURI) << "the namespace never changes";
}

TEST(CreativeCommonsLicences, ValidationNamesEachBadEntryOnce)
{
    creativeCommonsItem item;
    item.setLicenseString(kMixed + QStringList {QStringLiteral("   ")});
    item.validate(nullptr);
    EXPECT_EQ(item.errorList(),
              QStringList {QStringLiteral("Validate Error::The Creative Commons License URL, "
                                          "\"example.com/x\" does not appear to be valid")});
    EXPECT_EQ(item.errorCount(), 1);

    creativeCommonsChannel channel;
    channel.setLicenseString({QStringLiteral("a b"), QStringLiteral("c")});
    channel.validate(nullptr);
    EXPECT_EQ(channel.errorCount(), 2);
    creativeCommonsChannel empty;
    empty.validate(nullptr);
    EXPECT_TRUE(empty.errorList().isEmpty());
}

TEST(CreativeCommonsLicences, ExportsOnlyTheFirstEntry)
{
    creativeCommonsItem item;
    const QString itemTemplate = QStringLiteral("[~~~ItemCreativeCommons~~~]");
    EXPECT_EQ(TestSupport::exportedBy(itemTemplate, item), QStringLiteral("[]"));
    item.setLicenseString({QStringLiteral("http://one/"), QStringLiteral("http://two/")});
    EXPECT_EQ(TestSupport::exportedBy(itemTemplate, item), QStringLiteral("[http://one/]"));
    EXPECT_EQ(TestSupport::exportedBy(QStringLiteral("~~~FeedCreativeCommons~~~"), item),
              QStringLiteral("~~~FeedCreativeCommons~~~"));

    creativeCommonsChannel channel;
    channel.setLicenseString({QStringLiteral("http://one/")});
    EXPECT_EQ(TestSupport::exportedBy(QStringLiteral("<~~~FeedCreativeCommons~~~>"), channel),
              QStringLiteral("<http://one/>"));
}

TEST(CreativeCommonsLicences, CopiesAndArchivesKeepEveryEntry)
{
    creativeCommonsItem item;
    item.setLicenseString({QString(), QStringLiteral("http://one/")});
    const std::shared_ptr<extensionNSRaw> copy = item.copyExtension();
    auto *copied = dynamic_cast<creativeCommonsItem *>(copy.get());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->licenseString(), item.licenseString());
    copied->addLicenseString(QStringLiteral("http://two/"));
    EXPECT_EQ(item.licenseString().size(), 2) << "a copy has a list of its own";

    auto shared = std::make_shared<creativeCommonsItem>();
    shared->setLicenseString(item.licenseString());
    const QByteArray data
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(shared));
    const auto back = KeyedArchivable::objectAs<creativeCommonsItem>(
        KeyedUnarchiver::unarchiveObjectWithData(data));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->licenseString(), item.licenseString());

    auto twin = std::make_shared<creativeCommonsChannelPrefs>();
    twin->setLicenseString({QStringLiteral("http://d/")});
    EXPECT_FALSE(twin->allowsUndo());
    const auto twinBack = KeyedArchivable::objectAs<creativeCommonsChannelPrefs>(
        KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin))));
    ASSERT_TRUE(twinBack) << "the twin is archived under its own class";
    EXPECT_EQ(twinBack->licenseString(), twin->licenseString());
    const std::shared_ptr<extensionNSRaw> twinCopy = twin->copyExtension();
    EXPECT_TRUE(dynamic_cast<creativeCommonsChannelPrefs *>(twinCopy.get()));
    EXPECT_TRUE(creativeCommonsItemPrefs().archiveClassName() == "creativeCommonsItemPrefs");
}

TEST(CreativeCommonsLicences, DefaultsFillOnlyFromANonEmptyList)
{
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    const QString feed = QStringLiteral("feed-1");
    creativeCommonsItem item;
    item.setLicenseString({QStringLiteral("http://kept/")});
    item.populateWithDefaults(feed);
    EXPECT_EQ(item.licenseString(), QStringList {QStringLiteral("http://kept/")});

    VLXPreferences::setObjectForKey(QVariantList {QStringLiteral("http://all/")},
                                    QStringLiteral("FD_AF_IF_EX_CCLicense"));
    item.populateWithDefaults(feed);
    EXPECT_EQ(item.licenseString(), QStringList {QStringLiteral("http://all/")});
    VLXPreferences::setObjectForKey(QVariantList {QStringLiteral("http://own/")},
                                    QStringLiteral("FD_CF_IF_EX_CCLicense"), feed);
    item.populateWithDefaults(feed);
    EXPECT_EQ(item.licenseString(), QStringList {QStringLiteral("http://own/")});
    item.populateWithDefaults(QString());
    EXPECT_EQ(item.licenseString(), QStringList {QStringLiteral("http://all/")});

    creativeCommonsChannel channel;
    channel.populateWithDefaults(feed);
    EXPECT_TRUE(channel.licenseString().isEmpty());
    VLXPreferences::setObjectForKey(QVariantList {QStringLiteral("http://c/")},
                                    QStringLiteral("FD_AF_FF_EX_CCLicense"));
    channel.populateWithDefaults(feed);
    EXPECT_EQ(channel.licenseString(), QStringList {QStringLiteral("http://c/")});
}

TEST(CreativeCommonsLicences, NamesItselfLikeTheRegistry)
{
    EXPECT_EQ(creativeCommonsChannel().displayName(), QStringLiteral("Creative Commons\u00AE"));
    EXPECT_EQ(creativeCommonsItem().displayName(), QStringLiteral("Creative Commons\u00AE"));
    EXPECT_EQ(creativeCommonsChannel::classDescriptionOfNamespace(),
              QStringLiteral("creativeCommons||%1||1||Creative Commons\u00AE||").arg(kURI));
    EXPECT_EQ(creativeCommonsItem::classDescriptionOfNamespace(),
              QStringLiteral("creativeCommons||%1||1||").arg(kURI));
}

TEST(CreativeCommonsLicences, ReplaceAllChangesEveryEntry)
{
    creativeCommonsChannel channel;
    channel.setLicenseString({QStringLiteral("http://a/"), QStringLiteral("http://b/http:")});
    EXPECT_EQ(channel.replaceAll(QStringLiteral("http:"), QStringLiteral("https:"), 0), 3);
    EXPECT_EQ(channel.licenseString(),
              (QStringList {QStringLiteral("https://a/"), QStringLiteral("https://b/https:")}));
    EXPECT_EQ(channel.replaceAll(QStringLiteral("HTTPS"), QStringLiteral("ftp"),
                                 extensionNSRaw::CaseInsensitive),
              3);
    EXPECT_EQ(channel.licenseString().first(), QStringLiteral("ftp://a/"));
}
