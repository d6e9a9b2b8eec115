#include "model/extensionFactory.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSItem.h"

#include <gtest/gtest.h>

namespace {
// What a concrete namespace class looks like to the factory.
class registeredChannel : public extensionNSChannel
{
public:
    bool wellSupported() const override { return true; }

protected:
    extensionNSRaw *newCopy() const override { return new registeredChannel(*this); }
};
} // namespace

TEST(extensionFactory, RegisteredClassesAreMadeAndOthersKeptRawUnderTheirIdentity)
{
    extensionFactory factory;
    factory.registerClass(KnownNamespace::dublinCore, ExtensionPlace::Channel,
                          [] { return std::make_shared<registeredChannel>(); });
    EXPECT_TRUE(factory.hasClass(KnownNamespace::dublinCore, ExtensionPlace::Channel));
    const auto dc = factory.create(KnownNamespace::dublinCore, ExtensionPlace::Channel);
    EXPECT_NE(dynamic_cast<registeredChannel *>(dc.get()), nullptr);

    // Not registered: a raw stand-in of the right place with the namespace's own identity.
    const auto media = factory.create(KnownNamespace::mediaRSS, ExtensionPlace::Item);
    ASSERT_NE(dynamic_cast<extensionNSItem *>(media.get()), nullptr);
    EXPECT_EQ(media->extensionName(), QStringLiteral("media"));
    EXPECT_EQ(media->DTDURL(), QStringLiteral("http://search.yahoo.com/mrss/"));
    EXPECT_EQ(media->displayName(), QStringLiteral("Media"));
    EXPECT_EQ(media->descriptionOfNamespace(),
              QStringLiteral("media||http://search.yahoo.com/mrss/||1||"));
    media->setDTDURL(QStringLiteral("urn:other"));
    EXPECT_EQ(media->DTDURL(), QStringLiteral("http://search.yahoo.com/mrss/"));
    EXPECT_EQ(media->copyExtension()->displayName(), QStringLiteral("Media"));

    // No class at that place at all.
    EXPECT_EQ(factory.create(KnownNamespace::syndication, ExtensionPlace::Item), nullptr);
    EXPECT_EQ(factory.create(KnownNamespace::iTunes, ExtensionPlace::Image), nullptr);
}

TEST(extensionFactory, KnownNamespaceTableHoldsTheEightStandards)
{
    const QStringList expected = {
        QStringLiteral("itunes http://www.itunes.com/dtds/podcast-1.0.dtd"),
        QStringLiteral("media http://search.yahoo.com/mrss/"),
        QStringLiteral("content http://purl.org/rss/1.0/modules/content/"),
        QStringLiteral("dc http://purl.org/dc/elements/1.1/"),
        QStringLiteral("sy http://purl.org/rss/1.0/modules/syndication/"),
        QStringLiteral("creativeCommons http://backend.userland.com/creativeCommonsRssModule"),
        QStringLiteral("cf http://www.microsoft.com/schemas/rss/core/2005"),
        QStringLiteral("trackback http://madskills.com/public/xml/rss/module/trackback/"),
    };
    QStringList actual;
    for (const knownNamespaces::Entry &e : knownNamespaces::table())
        actual.append(e.prefix + u' ' + e.uri);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::syndication),
              QStringLiteral("sy||http://purl.org/rss/1.0/modules/syndication/||1||"));
    EXPECT_EQ(knownNamespaces::displayOrder(ExtensionPlace::Image),
              QList<KnownNamespace> {KnownNamespace::dublinCore});
}

TEST(extensionFactory, FreshProcessingNameFollowsTheRegisteredClass)
{
    extensionFactory factory;
    EXPECT_EQ(factory.freshProcessingName(KnownNamespace::mediaRSS, ExtensionPlace::Item),
              QStringLiteral("media"));
    EXPECT_EQ(factory.freshProcessingName(KnownNamespace::syndication, ExtensionPlace::Item),
              QString());
    factory.registerClass(KnownNamespace::mediaRSS, ExtensionPlace::Item, [] {
        auto item = std::make_shared<extensionNSItem>();
        item->setExtensionProcessingName(QStringLiteral("mrss"));
        return item;
    });
    EXPECT_EQ(factory.freshProcessingName(KnownNamespace::mediaRSS, ExtensionPlace::Item),
              QStringLiteral("mrss"));
}
