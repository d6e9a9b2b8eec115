#include "io/VLXExportTemplate.h"
#include "resources/TemplateResources.h"

#include <QDir>
#include <QRegularExpression>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

using T = VLXExportTemplate;

// Fills records the way the model does: the item's title into its placeholder.
QString fillTitles(const QString &text, const QStringList &titles, bool limit, int n)
{
    std::vector<int> candidates;
    for (int i = 0; i < titles.size(); ++i)
        candidates.push_back(i);
    const std::vector<int> chosen = T::chooseItems(candidates, limit, n);
    const TemplateValues::Names asked = T::placeholdersIn(text);
    const TemplateValues channel(&asked);
    return T::fillTemplate(text, channel, {}, int(chosen.size()),
                           [&](int k, TemplateValues &values) {
                               values.put(u"~~~ItemTitle~~~", titles.at(chosen[size_t(k)]));
                           });
}

const QStringList kFive = {"I1", "I2", "I3", "I4", "I5"};
const QString kMainAndAlternate = "[~~~BeginItemsRecord~~~M~~~ItemTitle~~~;"
                                  "~~~BeginAlternateItemsRecord~~~A~~~ItemTitle~~~;"
                                  "~~~EndItemsRecord~~~]";

} // namespace

TEST(VLXExportTemplate, SubstitutionListsPerType)
{
    for (int type : {0, 1, 2, 3})
        EXPECT_EQ(T::placedValue("it&apos;s", T::substitutionsForType(type)), "it's")
            << "type " << type;
    EXPECT_EQ(T::placedValue("He said \"x\"", T::substitutionsForType(3)), "He said \"\"x\"\"");
    // HTML keeps double quotes; RSS XML and unknown types substitute nothing.
    EXPECT_EQ(T::doSubstitution("a\"b", T::substitutionsForType(0)), "a\"b");
    EXPECT_TRUE(T::substitutionsForType(4).isEmpty());
    EXPECT_TRUE(T::substitutionsForType(9).isEmpty());
    // A null value gives an empty, non-null text; an empty find text is skipped.
    EXPECT_FALSE(T::doSubstitution(QString(), {}).isNull());
    EXPECT_EQ(T::doSubstitution("ab", {QString(), "x", "b", "c"}), "ac");
}

TEST(VLXExportTemplate, JavaScriptFinishing)
{
    EXPECT_EQ(T::finishJavaScript("say \"hi\"\nit's"),
              "document.write('say \\\"hi\\\"');\ndocument.write('it\\'s');\n");
    // Backslashes are doubled before the quotes get theirs.
    EXPECT_EQ(T::finishJavaScript("a\\'b"), "document.write('a\\\\\\'b');\n");
    // LF, CR and CRLF end a line; an empty line stays a line. NEL and the Unicode separators
    // end none: they stay in the string as escapes.
    EXPECT_EQ(T::finishJavaScript("a\r\nb\rc\n\nd\u2028e\u2029f\u0085g"),
              "document.write('a');\ndocument.write('b');\ndocument.write('c');\n"
              "document.write('');\ndocument.write('d\\u2028e\\u2029f\\u0085g');\n");
    EXPECT_EQ(T::finishJavaScript("last\n"), "document.write('last');\n");
    EXPECT_EQ(T::finishJavaScript(""), "");
}

TEST(VLXExportTemplate, ItemChoiceRule)
{
    const std::vector<int> five = {0, 1, 2, 3, 4};
    EXPECT_EQ(T::chooseItems(five, false, 2), five);
    EXPECT_EQ(T::chooseItems(five, true, 2), (std::vector<int> {0, 1}));
    EXPECT_EQ(T::chooseItems(five, true, -2), (std::vector<int> {4, 3}));
    EXPECT_EQ(T::chooseItems(five, true, -9), (std::vector<int> {4, 3, 2, 1, 0}));
    EXPECT_EQ(T::chooseItems(five, true, 0), five);
    EXPECT_EQ(T::chooseItems({7, 9, 11}, true, 10), (std::vector<int> {7, 9, 11}));
    EXPECT_EQ(T::chooseItems(five, true, std::numeric_limits<int>::min()).size(), 5u);
    EXPECT_TRUE(T::chooseItems({}, true, -3).empty());
}

TEST(VLXExportTemplate, MainAndAlternateRecords)
{
    EXPECT_EQ(fillTitles(kMainAndAlternate, kFive, true, -3), "[MI5;AI4;MI3;]");
    EXPECT_EQ(fillTitles(kMainAndAlternate, kFive, false, 0), "[MI1;AI2;MI3;AI4;MI5;]");
    // Without an alternate record every item uses the main one.
    EXPECT_EQ(
        fillTitles("<~~~BeginItemsRecord~~~~~~ItemTitle~~~,~~~EndItemsRecord~~~>", kFive, true, 2),
        "<I1,I2,>");
    // No chosen item: the block disappears.
    EXPECT_EQ(fillTitles(kMainAndAlternate, {}, false, 0), "[]");
    // Two blocks are both filled with the same items.
    EXPECT_EQ(fillTitles("~~~BeginItemsRecord~~~a~~~ItemTitle~~~~~~EndItemsRecord~~~|"
                         "~~~BeginItemsRecord~~~b~~~ItemTitle~~~~~~EndItemsRecord~~~",
                         {"1", "2"}, false, 0),
              "a1a2|b1b2");
}

TEST(VLXExportTemplate, MarkersAreSearchedInOrder)
{
    // An end marker standing before the begin marker belongs to no block: the text stays.
    const QString backwards = "x~~~EndItemsRecord~~~y~~~BeginItemsRecord~~~z";
    EXPECT_EQ(fillTitles(backwards, kFive, false, 0), backwards);
    // A stray end marker first, then a proper block: only the block is filled.
    EXPECT_EQ(fillTitles("~~~EndItemsRecord~~~|~~~BeginItemsRecord~~~~~~ItemTitle~~~"
                         "~~~EndItemsRecord~~~",
                         {"1"}, false, 0),
              "~~~EndItemsRecord~~~|1");
    // The alternate marker of a later block does not split an earlier one.
    EXPECT_EQ(fillTitles("~~~BeginItemsRecord~~~m~~~EndItemsRecord~~~|~~~BeginItemsRecord~~~M"
                         "~~~BeginAlternateItemsRecord~~~A~~~EndItemsRecord~~~",
                         {"1", "2"}, false, 0),
              "mm|MA");
    // A begin marker without an end marker after it stays, and the work ends there.
    const QString open = "~~~BeginItemsRecord~~~~~~ItemTitle~~~";
    EXPECT_EQ(fillTitles(open, kFive, false, 0), open);
    // Markers brought in by a value are text, not a new block (and cannot loop).
    EXPECT_EQ(fillTitles("~~~BeginItemsRecord~~~(~~~ItemTitle~~~)~~~EndItemsRecord~~~",
                         {"~~~BeginItemsRecord~~~x~~~EndItemsRecord~~~"}, false, 0),
              "(~~~BeginItemsRecord~~~x~~~EndItemsRecord~~~)");
}

TEST(VLXExportTemplate, DirectivesAreRemoved)
{
    QString text = "~~~FeedXMLFilename~~~a~~~FeedMaxItems=15~~~b~~~NoFutureItems~~~c"
                   "~~~SortByPubDate~~~d~~~FeedMaxItems=3~~~";
    T::removeDirectives(text);
    // Only the first FeedMaxItems directive goes.
    EXPECT_EQ(text, "abcd~~~FeedMaxItems=3~~~");

    // The closing marker must start within the ten characters from the "=".
    QString far = "~~~FeedMaxItems=1234567890~~~x";
    T::removeDirectives(far);
    EXPECT_EQ(far, "~~~FeedMaxItems=1234567890~~~x");
    QString nearEnd = "x~~~FeedMaxItems=12";
    T::removeDirectives(nearEnd);
    EXPECT_EQ(nearEnd, "x~~~FeedMaxItems=12");
    QString edge = "~~~FeedMaxItems=123456~~~!";
    T::removeDirectives(edge);
    EXPECT_EQ(edge, "!");
    QString straddling = "~~~FeedMaxItems=1234567~~~!";
    T::removeDirectives(straddling);
    EXPECT_EQ(straddling, "~~~FeedMaxItems=1234567~~~!");
}

TEST(VLXExportTemplate, ReadingTemplateFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString text;
    EXPECT_FALSE(T::readTemplate(dir.filePath("missing.html"), &text));
    EXPECT_FALSE(T::readTemplate(QString(), &text));

    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name);
    };
    ASSERT_TRUE(T::readTemplate(write("utf8.txt", "caf\xc3\xa9"), &text));
    EXPECT_EQ(text, QString::fromUtf8("caf\xc3\xa9"));
    ASSERT_TRUE(T::readTemplate(write("utf16.txt",
                                      QByteArray("\xff\xfe"
                                                 "a\0\xe9\0",
                                                 6)),
                                &text));
    EXPECT_EQ(text, QString::fromUtf8("a\xc3\xa9"));
    // Bytes that are not UTF-8 are read as Windows-1252 (0x80 is the euro sign there).
    ASSERT_TRUE(T::readTemplate(write("cp1252.txt", "\x80 caf\xe9"), &text));
    EXPECT_EQ(text, QString::fromUtf8("\xe2\x82\xac caf\xc3\xa9"));
    ASSERT_TRUE(T::readTemplate(write("empty.txt", ""), &text));
    EXPECT_TRUE(text.isEmpty());
}

TEST(VLXExportTemplate, PublicationDatePlaceholders)
{
    using S = T::DateStyle;
    // An empty or unreadable date gives no text at all, never the start of 1970.
    for (const QString &bad : {QString(), QString(""), QString("  "), QString("not a date")}) {
        EXPECT_EQ(T::formatPubDate(bad, S::Long), "") << bad.toStdString();
        EXPECT_EQ(T::formatPubDate(bad, S::Short), "");
        EXPECT_EQ(T::formatPubDate(bad, S::Time), "");
    }
    const QString date = "Tue, 03 Jun 2025 09:39:21 +0000";
    const QDateTime local = QDateTime::fromSecsSinceEpoch(1748943561).toLocalTime();
    EXPECT_EQ(T::formatPubDate(date, S::Long),
              QLocale::system().toString(local.date(), QLocale::LongFormat));
    EXPECT_EQ(T::formatPubDate(date, S::Short),
              QLocale::system().toString(local.date(), QLocale::ShortFormat));
    EXPECT_EQ(T::formatPubDate(date, S::Time),
              QLocale::system().toString(local.time(), QLocale::ShortFormat));
}

TEST(VLXExportTemplate, ShippedTemplatesUseOnlyKnownPlaceholders)
{
    // Start-up copies ":/templates" without asking for the resources first: they must be there.
    const QStringList names = QDir(QStringLiteral(":/templates")).entryList(QDir::Files);
    EXPECT_EQ(
        names,
        QStringList({"BasicCSVfile.csv", "BasicHtmlTable.html", "BasicJavaScript.js",
                     "BasicTextfile.txt", "BasicWebpage.html", "ContentEncodedWebpage.html"}));
    EXPECT_EQ(TemplateResources::templatePaths().size(), 6);

    const QStringList known = {"FeedTitle",
                               "FeedDescription",
                               "FeedContentEncoded",
                               "FeedLink",
                               "FeedPubDate",
                               "FeedPubLongDate",
                               "FeedPubShortDate",
                               "FeedPubLongTime",
                               "FeedPubShortTime",
                               "FeedImageUrl",
                               "FeedImageTitle",
                               "FeedImageLink",
                               "FeedImageDescription",
                               "FeedImageHeight",
                               "FeedImageWidth",
                               "ItemTitle",
                               "ItemDescription",
                               "ItemContentEncoded",
                               "ItemLink",
                               "ItemPubDate",
                               "ItemGuid",
                               "ItemPubLongDate",
                               "ItemPubShortDate",
                               "ItemPubLongTime",
                               "ItemPubShortTime",
                               "ItemEnclosureUrl",
                               "ItemEnclosureType",
                               "ItemEnclosureLength",
                               "ItemEnclosureLengthFormatted",
                               "ItemAuthor",
                               "ItemCategory",
                               "ItemCategoryDomain",
                               "BeginItemsRecord",
                               "BeginAlternateItemsRecord",
                               "EndItemsRecord"};
    const QRegularExpression placeholder(QStringLiteral("~~~([A-Za-z]+)~~~"));
    for (const QString &path : TemplateResources::templatePaths()) {
        SCOPED_TRACE(path.toStdString());
        QString text;
        ASSERT_TRUE(T::readTemplate(path, &text));
        auto matches = placeholder.globalMatch(text);
        while (matches.hasNext()) {
            const QString name = matches.next().captured(1);
            EXPECT_TRUE(known.contains(name)) << name.toStdString();
        }
        // Exactly one record block, in order, so every item is written once.
        const qsizetype begin = text.indexOf(T::kBeginItemsRecord);
        const qsizetype end = text.indexOf(T::kEndItemsRecord);
        EXPECT_EQ(text.count(T::kBeginItemsRecord), 1);
        EXPECT_EQ(text.count(T::kEndItemsRecord), 1);
        EXPECT_LT(begin, end);
    }
}
