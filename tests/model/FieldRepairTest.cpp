#include "model/ExtensionTexts.h"
#include "model/FieldRepair.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

namespace {

const QString kDC = QStringLiteral("http://purl.org/dc/elements/1.1/");
using NS = KnownNamespace;

QStringList repairs(const FeedElement &element)
{
    return element.listOfErrors(false, false, true);
}

// Reads the elements into the Dublin Core extension, as the feed reader hands them on.
void readInto(extensionNSRaw &extension, const QString &elements)
{
    const vlxXMLDOM dom(
        QStringLiteral("<?xml version=\"1.0\"?><r xmlns:dc=\"%1\">%2</r>").arg(kDC, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_NE(root, nullptr);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}

} // namespace

TEST(FieldRepair, FillsOnlyEmptyFieldsFromTheFirstSourceWithText)
{
    VLXItems item;
    item.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    readInto(*item.XMLExtensions()->dublinCoreExtension(),
             QStringLiteral("<dc:title>DC title</dc:title>\n<dc:rights>Mine</dc:rights>"));
    const ExtensionTexts texts(*item.XMLExtensions());
    const FieldRepair repair(item, texts, "Item");

    QString filled;
    repair.fromFirst(filled, "title",
                     {{NS::iTunes, "subtitle", "itunes:subtitle"},
                      {NS::dublinCore, "description", "dc:description"},
                      {NS::dublinCore, "title", "dc:title"}});
    QString kept = QStringLiteral("Own");
    repair.fromFirst(kept, "copyright", {{NS::dublinCore, "rights", "dc:rights"}});

    EXPECT_EQ(filled, QStringLiteral("DC title"));
    EXPECT_EQ(kept, QStringLiteral("Own"));
    EXPECT_EQ(repairs(item),
              QStringList {
                  QStringLiteral("Automatic Repair::Item <title> was blank, used the contents of "
                                 "<dc:title>")});
    EXPECT_EQ(item.repairCount(), 1);
}

TEST(FieldRepair, EMailSourceDecidesAloneEvenWhenItIsNoAddress)
{
    VLXItems item;
    item.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    readInto(*item.XMLExtensions()->dublinCoreExtension(),
             QStringLiteral("<dc:creator>Jane</dc:creator>\n"
                            "<dc:publisher>pub@example.com</dc:publisher>"));
    const ExtensionTexts texts(*item.XMLExtensions());
    const FieldRepair repair(item, texts, "Item");

    QString author;
    repair.fromFirstEMail(
        author, "author",
        {{NS::dublinCore, "creator", "dc:creator"}, {NS::dublinCore, "publisher", "dc:publisher"}});
    EXPECT_TRUE(author.isEmpty());
    EXPECT_TRUE(repairs(item).isEmpty());

    repair.fromFirstEMail(author, "author",
                          {{NS::dublinCore, "contributor", "dc:contributor"},
                           {NS::dublinCore, "publisher", "dc:publisher"}});
    EXPECT_EQ(author, QStringLiteral("pub@example.com"));
    EXPECT_EQ(repairs(item),
              QStringList {
                  QStringLiteral("Automatic Repair::Item <author> was blank, used the contents of "
                                 "<dc:publisher>")});
}

TEST(FieldRepair, ImageTakesTitleAndDescriptionFromDublinCore)
{
    VLXImage image;
    image.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    readInto(*image.XMLExtensions()->dublinCoreExtension(),
             QStringLiteral("<dc:description>A logo</dc:description>"));
    image.setTitle(QStringLiteral("Kept"));
    image.finalProcessing(nullptr);

    EXPECT_EQ(image.title(), QStringLiteral("Kept"));
    EXPECT_EQ(image.descriptionElement(), QStringLiteral("A logo"));
    EXPECT_EQ(
        repairs(image),
        QStringList {QStringLiteral("Automatic Repair::Image <description> was blank, used the "
                                    "contents of <dc:description>")});
}
