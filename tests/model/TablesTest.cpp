#include "model/VLXFeedLanguage.h"
#include "model/mimeTypes.h"

#include <gtest/gtest.h>

TEST(LanguageTable, LinesBecomeTitlesAndCodes)
{
    const VLXFeedLanguage table = VLXFeedLanguage::fromText(
        QStringLiteral("English :  en\n  German:de \nno colon here\n\n\n"));
    EXPECT_EQ(table.languageTitles(),
              QStringList({QStringLiteral("English"), QStringLiteral("German"),
                           QStringLiteral("no colon here")}));
    EXPECT_EQ(table.languageCodes(),
              QStringList({QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("")}));
    EXPECT_EQ(table.titleForCode(QStringLiteral("de")), QStringLiteral("German"));
    EXPECT_EQ(table.titleForCode(QStringLiteral("DE")), QStringLiteral(""));
    EXPECT_EQ(table.codeForTitle(QStringLiteral("English")), QStringLiteral("en"));
    EXPECT_EQ(table.codeForTitle(QStringLiteral("Klingon")), QStringLiteral(""));
}

TEST(LanguageTable, ShippedResourceIsComplete)
{
    const QStringList titles = VLXFeedLanguage::sharedLanguageTitles();
    const QStringList codes = VLXFeedLanguage::sharedLanguageCodes();
    ASSERT_GT(codes.size(), 100);
    EXPECT_EQ(titles.size(), codes.size());
    EXPECT_FALSE(codes.contains(QString()));
    EXPECT_FALSE(titles.contains(QString()));
    EXPECT_EQ(VLXFeedLanguage::sharedTitleForCode(QStringLiteral("en-us")),
              QStringLiteral("English (United States)"));
    EXPECT_EQ(VLXFeedLanguage::sharedCodeForTitle(QStringLiteral("German")), QStringLiteral("de"));
    EXPECT_EQ(&VLXFeedLanguage::sharedInstance(), &VLXFeedLanguage::sharedInstance());
}

TEST(MimeTable, ShippedTablesCoverTheEnclosureTypes)
{
    for (const char *extension :
         {"mp3", "m4a", "m4b", "mp4", "m4v", "mov", "pdf", "jpg", "jpeg", "png", "gif", "ogg",
          "oga", "opus", "wav", "aac", "flac", "webm", "epub"}) {
        const QString type = mimeTypes::sharedMimeTypeForExtension(QString::fromLatin1(extension));
        EXPECT_TRUE(type.contains(u'/')) << extension;
        EXPECT_TRUE(mimeTypes::sharedIsKnownMIMEType(type)) << extension;
    }
    EXPECT_EQ(mimeTypes::sharedMimeTypeForExtension(QStringLiteral("MP3")),
              QStringLiteral("audio/mpeg"));
    EXPECT_EQ(mimeTypes::sharedMimeTypeForExtension(QString()), QStringLiteral(""));
    EXPECT_EQ(mimeTypes::sharedMimeTypeForExtension(QStringLiteral("nope")), QStringLiteral(""));
    EXPECT_FALSE(mimeTypes::sharedInstance().noExtensionTypeDictionary().isEmpty());
}

TEST(MimeTable, PathsValidityAndMatching)
{
    const mimeTypes table
        = mimeTypes::fromTables({{QStringLiteral("mp3"), QStringLiteral("audio/mpeg")},
                                 {QStringLiteral("m4a"), QStringLiteral("audio/x-m4a")}},
                                {{QStringLiteral("m4a"), QStringLiteral("audio/mp4")}});
    EXPECT_EQ(table.mimeTypeForPath(QStringLiteral("http://a/b/Show%201.MP3?x=1.m4a#t.pdf")),
              QStringLiteral("audio/mpeg"));
    EXPECT_EQ(table.mimeTypeForPath(QStringLiteral("/Users/me/my show.mp3")),
              QStringLiteral("audio/mpeg"));
    EXPECT_EQ(table.mimeTypeForPath(QStringLiteral("http://a/b/")), QStringLiteral(""));

    EXPECT_TRUE(table.isValidMIMEType(QStringLiteral("audio/mp4"), true));
    EXPECT_TRUE(table.isValidMIMEType(QStringLiteral("audio/x-special"), false));
    EXPECT_FALSE(table.isValidMIMEType(QStringLiteral("audio/x-special"), true));
    EXPECT_TRUE(table.isValidMIMEType(QStringLiteral("x-own/x-thing"), false));
    EXPECT_FALSE(table.isValidMIMEType(QStringLiteral("x-own/thing"), false));
    EXPECT_FALSE(table.isValidMIMEType(QStringLiteral("weird/x-thing"), false));
    EXPECT_FALSE(table.isValidMIMEType(QStringLiteral("audio"), false));
    EXPECT_TRUE(table.isKnownMIMEType(QStringLiteral("audio/mpeg")));
    EXPECT_FALSE(table.isKnownMIMEType(QStringLiteral("audio/mp4")));

    EXPECT_TRUE(
        table.verifyPath(QStringLiteral("http://a/x.mp3"), QStringLiteral("audio/mpeg"), true));
    EXPECT_TRUE(
        table.verifyPath(QStringLiteral("http://a/x.M4A"), QStringLiteral("audio/mp4"), true));
    EXPECT_FALSE(
        table.verifyPath(QStringLiteral("http://a/x.mp3"), QStringLiteral("audio/mp4"), true));
    EXPECT_FALSE(
        table.verifyPath(QStringLiteral("http://a/x.mp3"), QStringLiteral("audio/x-m"), true));
    EXPECT_FALSE(
        table.verifyPath(QStringLiteral("http://a/x"), QStringLiteral("audio/mpeg"), true));
}

TEST(MimeTable, PropertyListReaderTakesOnlyAStringDictionary)
{
    const auto table = mimeTypes::readStringDictionary(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>mp3</key>"
        "<string>audio/mpeg</string><key>x</key><string>a/b</string></dict></plist>");
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.value(QStringLiteral("mp3")), QStringLiteral("audio/mpeg"));
    EXPECT_TRUE(mimeTypes::readStringDictionary("<plist><dict><key>a</key>").isEmpty());
}
