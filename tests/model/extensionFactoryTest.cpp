#include "model/extensionFactory.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"

#include <gtest/gtest.h>
#include <string>

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

TEST(extensionFactory, RegisteredClassesAreMadeAndNothingElse)
{
    extensionFactory factory;
    factory.registerClass(KnownNamespace::dublinCore, ExtensionPlace::Channel,
                          [] { return std::make_shared<registeredChannel>(); });
    EXPECT_TRUE(factory.hasClass(KnownNamespace::dublinCore, ExtensionPlace::Channel));
    const auto dc = factory.create(KnownNamespace::dublinCore, ExtensionPlace::Channel);
    EXPECT_NE(dynamic_cast<registeredChannel *>(dc.get()), nullptr);

    // Not registered: nothing is made, not even raw text under the namespace's name.
    EXPECT_FALSE(factory.hasClass(KnownNamespace::mediaRSS, ExtensionPlace::Item));
    EXPECT_EQ(factory.create(KnownNamespace::mediaRSS, ExtensionPlace::Item), nullptr);

    // No class at that place at all, even when one is registered there by mistake.
    factory.registerClass(KnownNamespace::syndication, ExtensionPlace::Item,
                          [] { return std::make_shared<extensionNSItem>(); });
    EXPECT_EQ(factory.create(KnownNamespace::syndication, ExtensionPlace::Item), nullptr);
    EXPECT_EQ(factory.create(KnownNamespace::iTunes, ExtensionPlace::Image), nullptr);
}

TEST(extensionFactory, SharedFactoryHasAClassForEveryPlaceOfEveryKnownNamespace)
{
    // A place without its class would drop the namespace's elements of every feed read.
    const extensionFactory &factory = extensionFactory::shared();
    for (const knownNamespaces::Entry &e : knownNamespaces::table()) {
        for (ExtensionPlace place :
             {ExtensionPlace::Channel, ExtensionPlace::Item, ExtensionPlace::Image}) {
            SCOPED_TRACE(e.prefix.toStdString() + " at place "
                         + std::to_string(static_cast<int>(place)));
            const auto made = factory.create(e.ns, place);
            if (!knownNamespaces::existsAt(e.ns, place)) {
                EXPECT_EQ(made, nullptr);
                continue;
            }
            ASSERT_NE(made, nullptr);
            EXPECT_EQ(made->extensionName(), e.prefix);
            EXPECT_EQ(made->DTDURL(), e.uri);
            EXPECT_EQ(made->displayName(), knownNamespaces::displayName(e.ns, place));
            EXPECT_TRUE(made->wellSupported());
            EXPECT_EQ(factory.freshProcessingName(e.ns, place), e.prefix);
            switch (place) {
            case ExtensionPlace::Channel:
                EXPECT_NE(dynamic_cast<extensionNSChannel *>(made.get()), nullptr);
                break;
            case ExtensionPlace::Item:
                EXPECT_NE(dynamic_cast<extensionNSItem *>(made.get()), nullptr);
                break;
            default:
                EXPECT_NE(dynamic_cast<extensionNSImage *>(made.get()), nullptr);
            }
            // Another URI given to a class does not change the namespace it writes.
            made->setDTDURL(QStringLiteral("urn:other"));
            EXPECT_EQ(made->copyExtension()->DTDURL(), e.uri);
        }
    }
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
              QString());
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
