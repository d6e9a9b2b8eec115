#include "model/VLXImage.h"
#include "model/VLXFeed.h"

#include <gtest/gtest.h>

TEST(VLXImage, SizeLimitsAreInclusiveAndDigitsOnly)
{
    VLXError error;
    EXPECT_TRUE(VLXImage::validateWidth(QStringLiteral("144"), nullptr));
    EXPECT_FALSE(VLXImage::validateWidth(QStringLiteral("145"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("RSS 2.0 specifications say the width of an image must be less then "
                             "144 pixels"));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Image Width is invalid"));
    EXPECT_FALSE(VLXImage::validateWidth(QStringLiteral("88 "), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Image Width has an invalid character, only digits 0 through 9 are "
                             "allowed"));
    EXPECT_TRUE(VLXImage::validateWidth(QStringLiteral("   "), nullptr));
    EXPECT_TRUE(VLXImage::validateWidth(QStringLiteral("0"), nullptr));
    EXPECT_FALSE(VLXImage::validateWidth(QStringLiteral("99999999999999"), nullptr));
    EXPECT_TRUE(VLXImage::validateHeight(QStringLiteral("400"), nullptr));
    EXPECT_FALSE(VLXImage::validateHeight(QStringLiteral("401"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("RSS 2.0 specifications say the height of an image must be less then "
                             "400 pixels"));
}

TEST(VLXImage, TitleAndLinkAreComparedWithTheChannel)
{
    VLXError error;
    EXPECT_FALSE(
        VLXImage::validateTitle(QStringLiteral("my feed"), QStringLiteral("My Feed"), &error));
    EXPECT_TRUE(error.isWarning());
    EXPECT_TRUE(VLXImage::validateTitle(QStringLiteral("x"), QString(), nullptr));

    EXPECT_FALSE(
        VLXImage::validateLink(QStringLiteral("not a url"), QStringLiteral("http://a/"), &error));
    EXPECT_FALSE(error.isWarning());
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Image link is not a valid URL"));
    EXPECT_FALSE(
        VLXImage::validateLink(QStringLiteral("http://b/"), QStringLiteral("http://a/"), &error));
    EXPECT_TRUE(error.isWarning());
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Image link should match the Feed's link"));

    VLXImage image;
    image.validateAndLogTitle(QStringLiteral("my feed"), QStringLiteral("My Feed"));
    EXPECT_EQ(image.warnCount(), 1);
    EXPECT_EQ(image.errorCount(), 0);
}

TEST(VLXImage, UsedImageNeedsUrlTitleAndLink)
{
    VLXFeed feed;
    VLXImage *image = feed.image();
    image->validate(&feed);
    EXPECT_EQ(image->parseXMLErrorCount() + image->parseXMLWarnCount(), 0);
    EXPECT_TRUE(image->parseXMLErrorList(true, true, true).isEmpty());

    image->setWidth(QStringLiteral("88"));
    image->validate(&feed);
    EXPECT_EQ(image->listOfErrors(true, true, true),
              (QStringList {
                  QStringLiteral("Validate Error::When an Image is used the URL is required"),
                  QStringLiteral("Validate Error::When an Image is used the Title is required"),
                  QStringLiteral("Validate Error::When an Image is used the Link is required")}));
    const QList<MessageGroup> tree = image->parseXMLErrorList(true, true, true);
    ASSERT_EQ(tree.size(), 1);
    EXPECT_EQ(tree.first().title(), QStringLiteral("Image - \"\""));
    image->clearParseXMLErrorList();
    EXPECT_EQ(image->parseXMLErrorCount(), 0);
}

TEST(VLXImage, WritesOnlyWhatIsSet)
{
    VLXImage image;
    EXPECT_EQ(image.buildXML(QStringLiteral("        ")), QStringLiteral(""));
    image.setWidth(QStringLiteral("88"));
    EXPECT_EQ(image.buildXML(QStringLiteral("  ")),
              QStringLiteral("  <image>\n      <width>88</width>\n  </image>\n"));
}

TEST(VLXImage, CopyIsDeep)
{
    VLXImage image;
    image.setTitle(QStringLiteral("t"));
    image.setXMLComments({QStringLiteral("c")});
    image.recordWarning(QStringLiteral("w"));
    const std::unique_ptr<VLXImage> copy = image.copy();
    EXPECT_EQ(copy->title(), QStringLiteral("t"));
    EXPECT_EQ(copy->warnCount(), 1);
    EXPECT_NE(copy->XMLExtensions(), image.XMLExtensions());
    copy->replaceXMLComments(QStringLiteral("d"), 0);
    EXPECT_EQ(image.XMLComments().first(), QStringLiteral("c"));
}

TEST(VLXImage, CopyKeepsSharedFieldsAndUploadDate)
{
    VLXImage image;
    EXPECT_FALSE(image.title().isNull());
    EXPECT_EQ(image.lastUploaded().toSecsSinceEpoch(), 0);
    const QDateTime uploaded(QDate(2006, 1, 2), QTime(10, 11, 12), Qt::UTC);
    image.setTitle(QStringLiteral("Logo"));
    image.setLink(QStringLiteral("http://example.com/"));
    image.addXMLComments({QStringLiteral("kept")});
    image.setLastUploaded(uploaded);

    const auto copy = image.copy();
    image.setTitle(QStringLiteral("Changed"));
    image.setLastUploaded(QDateTime());
    EXPECT_EQ(copy->title(), QStringLiteral("Logo"));
    EXPECT_EQ(copy->link(), QStringLiteral("http://example.com/"));
    EXPECT_EQ(copy->XMLComments(), QStringList {QStringLiteral("kept")});
    EXPECT_EQ(copy->lastUploaded(), uploaded);
    EXPECT_EQ(image.lastUploaded(), VLXImage::neverUploaded());
}
