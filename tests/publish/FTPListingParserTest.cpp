// The LIST reply parser: the column forms servers use, links, permissions, dates without a year.
#include "publish/FTPListingParser.h"
#include "platform/Clock.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

using P = FTPListingParser;

class FTPListingParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // 1 March 2007, noon local time: "Dec 24 10:00" lies in the previous year.
        clock = std::make_shared<FixedClock>(QDateTime(QDate(2007, 3, 1), QTime(12, 0)));
        Clock::setInstance(clock);
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    static QVariantMap only(const QString &line, P::DateStyle style = P::DateStyle::Value)
    {
        const QVariantList entries = P::parseLines(line, style);
        EXPECT_EQ(entries.size(), 1) << line.toStdString();
        return entries.isEmpty() ? QVariantMap() : entries.first().toMap();
    }

    std::shared_ptr<FixedClock> clock;
};

TEST_F(FTPListingParserTest, ReadsTheNineAndEightColumnForms)
{
    const QVariantMap file
        = only(QStringLiteral("-rw-r--r-- 1 user staff 1234 Jan 15 10:30 feed.xml"));
    EXPECT_EQ(file.value(P::kFileType), P::kTypeRegular);
    EXPECT_EQ(file.value(P::kPosixPermissions).toUInt(), 0644u);
    EXPECT_EQ(file.value(P::kReferenceCount).toLongLong(), 1);
    EXPECT_EQ(file.value(P::kOwnerAccountID), QStringLiteral("user"));
    EXPECT_EQ(file.value(P::kGroupOwnerAccountID), QStringLiteral("staff"));
    EXPECT_EQ(file.value(P::kSize).toDouble(), 1234.0);
    EXPECT_EQ(file.value(P::kFilenameKey), QStringLiteral("feed.xml"));
    EXPECT_EQ(file.value(P::kModificationDate).toDateTime(),
              QDateTime(QDate(2007, 1, 15), QTime(10, 30)));

    const QVariantMap noGroup = only(QStringLiteral("-rw-r--r-- 1 user 1234 Mar 3 2005 feed.xml"));
    EXPECT_EQ(noGroup.value(P::kSize).toDouble(), 1234.0);
    EXPECT_FALSE(noGroup.contains(P::kGroupOwnerAccountID));
    EXPECT_EQ(noGroup.value(P::kModificationDate).toDateTime(),
              QDateTime(QDate(2005, 3, 3), QTime(0, 0)));

    const QVariantMap folder
        = only(QStringLiteral("drwxr-xr-x 2 user group 4096 Jan 15 10:30 www/"));
    EXPECT_EQ(folder.value(P::kFileType), P::kTypeDirectory);
    EXPECT_EQ(folder.value(P::kFilenameKey), QStringLiteral("www"));
    EXPECT_EQ(folder.value(P::kSize).toDouble(), 4096.0);
}

TEST_F(FTPListingParserTest, ChoosesTheFormByWhereTheDateReadsNotByTheOwner)
{
    // vsftpd's default: numeric owner and group in nine columns.
    const QVariantMap numeric
        = only(QStringLiteral("drwxr-xr-x 2 1000 1000 4096 Jan 15 10:30 www"));
    EXPECT_EQ(numeric.value(P::kSize).toDouble(), 4096.0);
    EXPECT_EQ(numeric.value(P::kFilenameKey), QStringLiteral("www"));
    EXPECT_EQ(numeric.value(P::kOwnerAccountID), QStringLiteral("1000"));
    EXPECT_EQ(numeric.value(P::kGroupOwnerAccountID), QStringLiteral("1000"));
    EXPECT_TRUE(numeric.value(P::kModificationDate).toDateTime().isValid());

    // A numeric owner without a group column keeps its old reading.
    const QVariantMap eight = only(QStringLiteral("-rw-r--r-- 1 501 1234 Jan 15 2005 a.xml"));
    EXPECT_EQ(eight.value(P::kSize).toDouble(), 1234.0);
    EXPECT_EQ(eight.value(P::kFilenameKey), QStringLiteral("a.xml"));

    // Where no date reads at all, a line still gives an entry, without a date.
    const QVariantMap noDate
        = only(QStringLiteral("-rw-r--r-- 1 user staff 12 Foo 99 xx:yy odd.txt"));
    EXPECT_EQ(noDate.value(P::kFilenameKey), QStringLiteral("odd.txt"));
    EXPECT_FALSE(noDate.contains(P::kModificationDate));
}

TEST_F(FTPListingParserTest, SplitsLinksAndKeepsBlanksInNames)
{
    const QVariantMap link
        = only(QStringLiteral("lrwxrwxrwx 1 user group 11 Jan 15 10:30 www -> public_html"));
    EXPECT_EQ(link.value(P::kFileType), P::kTypeSymbolicLink);
    EXPECT_EQ(link.value(P::kFilenameKey), QStringLiteral("www"));
    EXPECT_EQ(link.value(P::kSymbolicLinkTargetKey), QStringLiteral("-> public_html"));

    const QVariantMap numericLink
        = only(QStringLiteral("lrwxrwxrwx 1 0 0 9 Jan 15 10:30 My  Site -> /var/www"));
    EXPECT_EQ(numericLink.value(P::kFilenameKey), QStringLiteral("My Site"));
    EXPECT_EQ(numericLink.value(P::kSymbolicLinkTargetKey), QStringLiteral("-> /var/www"));

    const QVariantMap spaced
        = only(QStringLiteral("-rw-r--r--  1 user  staff  10 Jan 15 10:30 My   Site.html"));
    EXPECT_EQ(spaced.value(P::kFilenameKey), QStringLiteral("My Site.html"));
}

TEST_F(FTPListingParserTest, ReadsTheFolderForm)
{
    const QVariantMap entry = only(QStringLiteral("drwxrwxrwx folder 2 May 10 1996 network"));
    EXPECT_EQ(entry.value(P::kFileType), P::kTypeDirectory);
    EXPECT_EQ(entry.value(P::kReferenceCount).toLongLong(), 2);
    EXPECT_EQ(entry.value(P::kFilenameKey), QStringLiteral("network"));
    EXPECT_FALSE(entry.contains(P::kSize));
    EXPECT_EQ(entry.value(P::kModificationDate).toDateTime().date(), QDate(1996, 5, 10));
}

TEST_F(FTPListingParserTest, PutsDatesWithoutAYearWithinTheLastYear)
{
    EXPECT_EQ(only(QStringLiteral("-rw-r--r-- 1 u g 1 Dec 24 10:00 a")).value(P::kModificationDate),
              QDateTime(QDate(2006, 12, 24), QTime(10, 0)));
    // Exactly now stays in this year; a minute later is last year's.
    EXPECT_EQ(only(QStringLiteral("-rw-r--r-- 1 u g 1 Mar 1 12:00 a")).value(P::kModificationDate),
              QDateTime(QDate(2007, 3, 1), QTime(12, 0)));
    EXPECT_EQ(only(QStringLiteral("-rw-r--r-- 1 u g 1 Mar 1 12:01 a")).value(P::kModificationDate),
              QDateTime(QDate(2006, 3, 1), QTime(12, 1)));
    // The browser's copy keeps the text of the date.
    EXPECT_EQ(only(QStringLiteral("-rw-r--r-- 1 u g 1 Jan 5 2005 a"), P::DateStyle::Text)
                  .value(P::kModificationDate),
              QStringLiteral("05 Jan 2005 00:00"));
}

TEST_F(FTPListingParserTest, ReadsPermissionsLetterByLetter)
{
    QVariantMap entry;
    P::parsePermissions(QStringLiteral("-rwsr-xr-x"), entry);
    EXPECT_EQ(entry.value(P::kPosixPermissions).toUInt(), 0655u);
    entry.clear();
    P::parsePermissions(QStringLiteral("drwxrwxrwt"), entry);
    EXPECT_EQ(entry.value(P::kPosixPermissions).toUInt(), 0776u);
    EXPECT_EQ(entry.value(P::kFileType), P::kTypeDirectory);
    entry.clear();
    P::parsePermissions(QStringLiteral("pxyz"), entry);
    EXPECT_EQ(entry.value(P::kFileType), P::kTypeUnknown);
    EXPECT_FALSE(entry.contains(P::kPosixPermissions));
}

TEST_F(FTPListingParserTest, ReadsWholeRepliesAndRendersTheirFolders)
{
    EXPECT_TRUE(P::parseLines(QString()).isEmpty());
    EXPECT_TRUE(P::parseLines(QStringLiteral("total 0\r\n")).isEmpty());

    const QByteArray reply = "total 24\r\n"
                             "drwxr-xr-x 2 1000 1000 4096 Jan 15 10:30 www\r\n\r\n"
                             "-rw-r--r-- 1 user staff 1234 Jan 15 10:30 feed.xml\r"
                             "drwxr-xr-x 2 user staff 4096 Jan 15 10:30 Images\n";
    const QVariantList entries = P::parseLines(QString::fromLatin1(reply));
    ASSERT_EQ(entries.size(), 3);
    QStringList names;
    for (const QVariant &entry : entries)
        names.append(entry.toMap().value(P::kFilenameKey).toString());
    EXPECT_EQ(names,
              (QStringList {QStringLiteral("feed.xml"), QStringLiteral("Images"),
                            QStringLiteral("www")}));
    EXPECT_EQ(P::directoriesOnly(reply), QStringLiteral("        Images/\n        www/"));
    EXPECT_EQ(P::directoriesOnly("-rw-r--r-- 1 u g 1 Jan 5 2005 a\n"), QString());
}

// A reply as it arrived: the same entries as the text gives, UTF-8 names read as such, and no
// more than the limit of them, the first ones the server sent.
TEST_F(FTPListingParserTest, KeepsTheFirstEntriesOfAReplyUpToTheLimit)
{
    const QByteArray reply = "total 24\r\n"
                             "-rw-r--r-- 1 user staff 1 Jan 15 10:30 zulu.txt\r\n\r\n"
                             "drwxr-xr-x 2 user staff 4096 Jan 15 10:30 caf\xc3\xa9\r"
                             "-rw-r--r-- 1 user staff 3 Jan 15 10:30 Bravo\n"
                             "short line\n"
                             "-rw-r--r-- 1 user staff 4 Jan 15 10:30 alpha\n";
    const auto namesOf = [](const QVariantList &entries) {
        QStringList names;
        for (const QVariant &entry : entries)
            names.append(entry.toMap().value(P::kFilenameKey).toString());
        return names;
    };

    const P::Listing whole = P::parseListing(reply, P::DateStyle::Text, 4);
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.entries, P::parseLines(QString::fromUtf8(reply), P::DateStyle::Text));
    EXPECT_EQ(namesOf(whole.entries),
              (QStringList {"alpha", "Bravo", QStringLiteral("caf\u00e9"), "zulu.txt"}));

    const P::Listing cut = P::parseListing(reply, P::DateStyle::Text, 2);
    EXPECT_TRUE(cut.truncated);
    EXPECT_EQ(namesOf(cut.entries), (QStringList {QStringLiteral("caf\u00e9"), "zulu.txt"}));

    // Lines that are no entries never count against the limit.
    EXPECT_FALSE(P::parseListing("total 0\r\nshort\r\n", P::DateStyle::Value, 0).truncated);
    EXPECT_TRUE(P::parseListing(QByteArray(), P::DateStyle::Value, 0).entries.isEmpty());
}

} // namespace
