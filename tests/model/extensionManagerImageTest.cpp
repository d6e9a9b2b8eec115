#include "model/extensionManagerImage.h"
#include "extensionTestSupport.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/dc/DublinCoreRows.h"
#include "model/extensionManagerChannel.h"

using extensionManagerImageTest = ExtensionTest;

TEST_F(extensionManagerImageTest, UndeclaredDublinCoreReachesTheImageExtension)
{
    FeedElement image;
    extensionManagerImage manager;
    ASSERT_TRUE(manager.dublinCoreExtension());
    EXPECT_FALSE(manager.dublinCoreExtensionUsed());
    manager.parseXMLNodeIfMine(
        elements(QStringLiteral("<rss><dc:rights>r</dc:rights></rss>")).at(0), image);
    EXPECT_TRUE(manager.dublinCoreExtensionUsed());
    EXPECT_EQ(FieldExtensionBase::from(manager.dublinCoreExtension().get())
                  ->text(DublinCoreRows::kRights),
              QStringLiteral("r"));
    EXPECT_EQ(image.errorList(),
              QStringList {QStringLiteral("Automatic Repair::Add missing namespace declaration "
                                          "(dc)")});
}

TEST_F(extensionManagerImageTest, OtherKnownNamespacesAreKeptAsUserDefinedXML)
{
    extensionManagerChannel channel; // makes the registry know the built-in namespaces
    FeedElement image;
    extensionManagerImage manager;
    manager.createExtensionWithNamespace(QStringLiteral("trackback"),
                                         QStringLiteral("http://madskills.com/public/xml/rss/"
                                                        "module/trackback/"));
    EXPECT_EQ(manager.countOfExtensions(), 0);
    EXPECT_TRUE(manager.notWellSupportedArray().isEmpty());

    for (const vlxXMLNode *node : elements(
             QStringLiteral("<rss><itunes:image>i</itunes:image><itunes:x>x</itunes:x></rss>")))
        manager.parseXMLNodeIfMine(node, image);
    EXPECT_FALSE(manager.iTunesExtensionUsed());
    EXPECT_EQ(image.repairCount(), 2);
    // Kept apart from the document, they carry the namespace the repair gave their prefix.
    EXPECT_EQ(manager.unknownExtension()->rawXML(),
              QStringLiteral("<itunes:image xmlns:itunes=\"%1\">i</itunes:image>"
                             "<itunes:x xmlns:itunes=\"%1\">x</itunes:x>")
                  .arg(QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd")));
}

TEST_F(extensionManagerImageTest, DeclaredOtherNamespaceGetsItsOwnListedExtension)
{
    FeedElement image;
    extensionManagerImage manager;
    manager.createExtensionsFromArray({QStringLiteral("xmlns:geo=\"urn:geo\"")});
    manager.parseXMLNodeIfMine(elements(QStringLiteral("<rss><geo:lat>1</geo:lat></rss>")).at(0),
                               image);
    EXPECT_FALSE(manager.unknownExtensionUsed());
    EXPECT_EQ(manager.notWellSupportedArray().at(0)->rawXML(),
              QStringLiteral("<geo:lat>1</geo:lat>"));
    EXPECT_EQ(manager.arrayOfExtensionDescriptions(),
              QStringList {QStringLiteral("geo||urn:geo||0||")});
}
