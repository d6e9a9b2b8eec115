// Opening a feed through the core loader: its stages in order, stopping in each of them, alerts
// and settings changes handed back instead of shown or written, and the text it keeps or frees.
#include "io/FeedLoader.h"

#include "FeedReadTest.h"
#include "common/TestSupport.h"
#include "io/RepairCheck.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSName.h"
#include "model/extensionNSRaw.h"
#include "settings/VLXPreferences.h"
#include "xml/StopCheck.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>

#include <functional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Stage = FeedLoader::Stage;

// A feed with a namespace the program does not know (kept as read), a date that needs repair
// and enough items for every stage to report more than once.
QByteArray feedBytes(int items)
{
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<rss version=\"2.0\" xmlns:zz=\"http://example.org/zz/1.0\">\n"
                      "<channel><title>Loader</title><link>http://example.org/</link>"
                      "<description>d</description>\n";
    for (int i = 0; i < items; ++i)
        feed += "<item><title>Episode " + QByteArray::number(i)
            + "</title><link>http://example.org/" + QByteArray::number(i)
            + "</link><description>About it</description><pubDate>7 Dec 2026</pubDate>"
              "<zz:mark level=\""
            + QByteArray::number(i) + "\"/></item>\n";
    return feed + "</channel></rss>\n";
}

FeedLoader::Result load(const QByteArray &bytes, const FeedLoader::Progress &progress = {},
                        bool keepText = true)
{
    FeedLoader::Request request;
    request.bytes = bytes;
    request.keepText = keepText;
    FeedLoader loader(std::move(request));
    return loader.run(progress);
}

bool registered(const QString &prefix)
{
    const QStringList &known = VLXPreferences::sharedInstance().general_XMLNamespaces();
    return std::any_of(known.cbegin(), known.cend(), [&](const QString &entry) {
        return extensionNSName::extensionNameFromDescription(entry) == prefix;
    });
}

using FeedLoaderTest = FeedReadTest;

} // namespace

TEST_F(FeedLoaderTest, StagesComeInOrderAndTheFeedIsReadRepairedAndValidated)
{
    std::vector<Stage> stages;
    bool countsHold = true;
    const FeedLoader::Result result
        = load(feedBytes(300), [&](Stage stage, qint64 done, qint64 total) {
              countsHold = countsHold && done >= 0 && done <= total;
              if (stages.empty() || stages.back() != stage)
                  stages.push_back(stage);
              return true;
          });
    ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
    EXPECT_TRUE(countsHold);
    EXPECT_EQ(stages,
              (std::vector<Stage> {Stage::Decoding, Stage::Checking, Stage::Reading,
                                   Stage::Finishing, Stage::Validating}));
    ASSERT_EQ(result.feed->countOfItems(), 300);
    // Validation mended the dates and the text came back whole.
    EXPECT_TRUE(result.feed->itemAtIndex(0)->pubDate().startsWith(u"Mon, 07 Dec 2026"_s))
        << result.feed->itemAtIndex(0)->pubDate().toStdString();
    EXPECT_GT(result.feed->parseXMLRepairCount(), 0);
    EXPECT_EQ(result.text, QString::fromUtf8(feedBytes(300)));
}

TEST_F(FeedLoaderTest, StoppingInAnyStageHandsOutNothing)
{
    for (const Stage stopAt :
         {Stage::Decoding, Stage::Checking, Stage::Reading, Stage::Finishing, Stage::Validating}) {
        int reportsAfterStop = 0;
        bool stopped = false;
        const FeedLoader::Result result = load(feedBytes(300), [&](Stage stage, qint64, qint64) {
            reportsAfterStop += stopped ? 1 : 0;
            stopped = stopped || stage == stopAt;
            return !stopped;
        });
        EXPECT_EQ(result.outcome, FeedLoader::Outcome::Stopped) << int(stopAt);
        EXPECT_FALSE(result.feed) << int(stopAt);
        // Once told to stop, the load asks no more.
        EXPECT_EQ(reportsAfterStop, 0) << int(stopAt);
    }
    // A parse stopped half-way through a long text, at its second report.
    int checks = 0;
    const FeedLoader::Result late = load(feedBytes(3000), [&](Stage stage, qint64, qint64) {
        return stage != Stage::Checking || ++checks < 2;
    });
    EXPECT_EQ(late.outcome, FeedLoader::Outcome::Stopped);
    EXPECT_EQ(checks, 2);
}

TEST_F(FeedLoaderTest, TextThatIsNoFeedComesBackWithTheParsersReport)
{
    const QByteArray broken = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>\n<title>x"
                              "</channel></rss>";
    const FeedLoader::Result result = load(broken);
    EXPECT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
    EXPECT_FALSE(result.feed);
    EXPECT_EQ(result.text, QString::fromUtf8(broken));
    EXPECT_EQ(result.error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt(), 3);
}

TEST_F(FeedLoaderTest, AlertsAndSettingsOfALoadOnAWorkerThreadWaitForTheMainThread)
{
    FeedLoader::Request request;
    request.bytes = TestSupport::readData(u"feeds/rss091.xml"_s);
    FeedLoader fromOldFormat(std::move(request));
    FeedLoader::Request second;
    second.bytes = feedBytes(5);
    FeedLoader withNewNamespace(std::move(second));
    FeedLoader::Result converted;
    FeedLoader::Result kept;
    std::thread worker([&] {
        converted = fromOldFormat.run();
        kept = withNewNamespace.run();
    });
    worker.join();
    ASSERT_EQ(converted.outcome, FeedLoader::Outcome::Loaded);
    ASSERT_EQ(kept.outcome, FeedLoader::Outcome::Loaded);
    // The notice of the conversion is handed back, not shown from the worker.
    EXPECT_TRUE(alerts->alerts().isEmpty());
    ASSERT_EQ(converted.alerts.size(), 1);
    EXPECT_EQ(converted.alerts.first().title, u"Converting Feed"_s);
    EXPECT_TRUE(kept.alerts.isEmpty());
    // The new namespace reaches the live settings only when the main thread commits it.
    EXPECT_FALSE(registered(u"zz"_s));
    withNewNamespace.commitSettings();
    EXPECT_TRUE(registered(u"zz"_s));
    // Alerts outside a load are shown as before.
    AlertService::show(Alert());
    EXPECT_EQ(alerts->alerts().size(), 1);
}

TEST_F(FeedLoaderTest, AFeedReadWithoutKeepingItsTextIsTheSameFeed)
{
    const QByteArray bytes = "  \n" + feedBytes(40);
    const FeedLoader::Result kept = load(bytes);
    const FeedLoader::Result freed = load(bytes, {}, false);
    ASSERT_EQ(kept.outcome, FeedLoader::Outcome::Loaded);
    ASSERT_EQ(freed.outcome, FeedLoader::Outcome::Loaded);
    EXPECT_TRUE(freed.text.isNull());
    EXPECT_FALSE(kept.text.isEmpty());
    // The declarations read from the text before it went are written back as before.
    const QByteArray written = freed.feed->buildXMLData();
    EXPECT_EQ(written, kept.feed->buildXMLData());
    EXPECT_TRUE(written.contains("xmlns:zz=\"http://example.org/zz/1.0\""))
        << written.left(400).constData();
    EXPECT_TRUE(written.contains("<zz:mark level=\"39\"/>"));
}

namespace {
// A feed of nothing but empty items (13 bytes each), or of empty Atom entries; the cheapest
// text that makes the most items.
QByteArray emptyItems(qint64 items, bool atom = false)
{
    QByteArray feed = atom ? "<?xml version=\"1.0\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
                             "<title>Many</title>\n"
                           : "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Many"
                             "</title><link>http://example.org/</link><description>d"
                             "</description>\n";
    const QByteArray one = atom ? "<entry></entry>" : "<item></item>";
    feed.reserve(feed.size() + items * one.size() + 32);
    for (qint64 i = 0; i < items; ++i)
        feed += one;
    return feed + (atom ? "</feed>\n" : "</channel></rss>\n");
}
} // namespace

TEST_F(FeedLoaderTest, AFeedOfMoreItemsThanTheLimitIsRefusedBeforeAnyItemIsMade)
{
    for (const bool atom : {false, true}) {
        std::vector<Stage> stages;
        const FeedLoader::Result result = load(emptyItems(VLXParseFeed::kMaximumItems + 1, atom),
                                               [&](Stage stage, qint64, qint64) {
                                                   if (stages.empty() || stages.back() != stage)
                                                       stages.push_back(stage);
                                                   return true;
                                               });
        EXPECT_EQ(result.outcome, FeedLoader::Outcome::Refused);
        EXPECT_FALSE(result.feed);
        // The items were counted on the tree: no item was read.
        EXPECT_EQ(stages, (std::vector<Stage> {Stage::Decoding, Stage::Checking}));
        // Only the refusal is told, not a conversion that will not happen.
        ASSERT_EQ(result.alerts.size(), 1) << atom;
        EXPECT_EQ(result.alerts.first().title, u"Feed Too Large"_s);
        EXPECT_EQ(result.alerts.first().message,
                  u"This feed has 250,001 items. Vellumcast opens feeds of up to 250,000 items, "
                  u"so it was not read."_s);
    }
}

TEST_F(FeedLoaderTest, FeedsOfEmptyItemsCostBoundedMemory)
{
    // 20 MB of empty items (1.6 million) once took 3 GB and ended the program when memory ran
    // out; a feed at the limit is read, and the rest are refused, in far less.
    if (!TestSupport::addressSpaceCanBeBounded())
        GTEST_SKIP() << "the address space cannot be bounded under a sanitizer";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr qint64 kBudget = qint64(512) << 20;
    const QByteArray huge = emptyItems(20 * 1024 * 1024 / 13);
    EXPECT_EXIT(
        {
            TestSupport::boundAddressSpaceGrowth(kBudget);
            const FeedLoader::Result result = load(huge, {}, false);
            std::_Exit(result.outcome == FeedLoader::Outcome::Refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    const QByteArray atLimit = emptyItems(VLXParseFeed::kMaximumItems);
    EXPECT_EXIT(
        {
            TestSupport::boundAddressSpaceGrowth(kBudget);
            const FeedLoader::Result result = load(atLimit, {}, false);
            const bool loaded = result.outcome == FeedLoader::Outcome::Loaded
                && result.feed->countOfItems() == VLXParseFeed::kMaximumItems
                && result.feed->parseXMLErrorCount() > 0;
            std::_Exit(loaded ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FeedLoaderTest, BytesReadAsTheyAreGiveTheFeedTheirTextGivesForEveryTestFeed)
{
    // Through the text (kept) and through the bytes (not kept: parsed as they are where they
    // can be): the same outcome, the same messages and, byte for byte, the same file written.
    int readAsBytes = 0;
    int toldByBytes = 0;
    int counted = 0;
    for (const char *folder : {"feeds", "roundtrip"}) {
        const QDir dir(QStringLiteral(VLX_TEST_DATA_DIR "/") + QLatin1String(folder));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray bytes = TestSupport::readData(folder + (u'/' + name));
            const QString text = VLXParseFeed::stringFromXMLData(bytes);
            const bool textTells = VLXParseFeed::readsAsBytes(bytes, text);
            readAsBytes += textTells ? 1 : 0;
            // The bytes alone tell the same, without their text, and give its head.
            const std::optional<QString> head = VLXParseFeed::headOfBytesReadAsTheyAre(bytes);
            toldByBytes += head ? 1 : 0;
            if (head) {
                EXPECT_TRUE(textTells);
                EXPECT_TRUE(text.startsWith(*head));
                EXPECT_EQ(*head, VLXParseFeed::rootHead(text));
            }
            const FeedLoader::Result viaText = load(bytes);
            const FeedLoader::Result viaBytes = load(bytes, {}, false);
            ASSERT_EQ(viaBytes.outcome, viaText.outcome);
            EXPECT_EQ(viaBytes.status, viaText.status);
            EXPECT_EQ(viaBytes.error, viaText.error);
            if (viaText.outcome != FeedLoader::Outcome::Loaded) {
                // A text that is no feed comes back to be mended (not kept, a well-formed one
                // whose read failed does not: the window mends the text of its bytes).
                if (!viaBytes.text.isNull()) {
                    EXPECT_EQ(viaBytes.text, viaText.text);
                }
                continue;
            }
            EXPECT_EQ(viaBytes.feed->buildXMLData(), viaText.feed->buildXMLData());
            EXPECT_EQ(viaBytes.feed->parseXMLErrorTree(true, true, true),
                      viaText.feed->parseXMLErrorTree(true, true, true));
            // The validation counted what the feed holds, as a walk over it counts.
            for (const FeedLoader::Result *result : {&viaText, &viaBytes}) {
                ASSERT_TRUE(result->counts);
                EXPECT_EQ(result->counts->errors, result->feed->parseXMLErrorCount());
                EXPECT_EQ(result->counts->warnings, result->feed->parseXMLWarnCount());
                EXPECT_EQ(result->counts->repairs, result->feed->parseXMLRepairCount());
                counted += result->counts->total();
            }
        }
    }
    // The UTF-8 feeds led by their declaration and needing no repair, nearly all of them told
    // by their bytes; and the test feeds do hold messages to count.
    EXPECT_GE(readAsBytes, 10);
    EXPECT_GE(toldByBytes, readAsBytes - 2);
    EXPECT_GT(counted, 0);
}

TEST_F(FeedLoaderTest, BytesThatCannotTellAreJudgedOnTheirText)
{
    const QByteArray plain = feedBytes(3);
    ASSERT_TRUE(VLXParseFeed::headOfBytesReadAsTheyAre(plain));
    EXPECT_TRUE(VLXParseFeed::headOfBytesReadAsTheyAre(plain)->endsWith(
        u"xmlns:zz=\"http://example.org/zz/1.0\">"_s));
    // Characters beyond ASCII that the text's detection takes for ASCII letters, and an
    // ampersand whose ";" is near in characters but not in bytes: the text decides, and both
    // are still read as bytes, as their text is.
    const QByteArray folding = QByteArray(plain).replace("About it", "About \xC5\xBF\xE2\x84\xAA");
    const QByteArray reference
        = QByteArray(plain).replace("About it", "&\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9;");
    for (const QByteArray &bytes : {folding, reference}) {
        EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre(bytes));
        EXPECT_TRUE(VLXParseFeed::readsAsBytes(bytes, VLXParseFeed::stringFromXMLData(bytes)));
        const FeedLoader::Result result = load(bytes, {}, false);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
        EXPECT_EQ(result.feed->buildXMLData(), load(bytes).feed->buildXMLData());
    }
    // Whatever the text would say no to, the bytes say no to as well.
    QByteArray repair = plain;
    EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre(repair.replace("</title>", " </title >")));
    // Blanks the repair leaves as they are, in a comment or an instruction, keep nothing back.
    QByteArray kept = plain;
    EXPECT_TRUE(VLXParseFeed::headOfBytesReadAsTheyAre(
        kept.replace("<item>", "<!-- a > --><?x >?><item>")));
    QByteArray escaped = plain;
    EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre(
        escaped.replace("<title>Loader</title>", "<title>Tom & Jerry</title>")));
    QByteArray latin = plain;
    EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre(latin.replace("UTF-8", "ISO-8859-1")));
    EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre("\xEF\xBB\xBF" + plain));
    // The format is the tree's to tell: a version no reader takes does not keep the bytes from
    // being read as they are, and a root tag that never ends does.
    QByteArray unknown = plain;
    EXPECT_TRUE(VLXParseFeed::headOfBytesReadAsTheyAre(
        unknown.replace("version=\"2.0\"", "version=\"7\"")));
    QByteArray unended = plain;
    EXPECT_FALSE(VLXParseFeed::headOfBytesReadAsTheyAre(
        unended.replace("version=\"2.0\"", "version=\"2.0>")));
    // Without a validation nothing is counted.
    FeedLoader::Request request;
    request.bytes = plain;
    request.validate = false;
    FeedLoader loader(std::move(request));
    const FeedLoader::Result unvalidated = loader.run();
    ASSERT_EQ(unvalidated.outcome, FeedLoader::Outcome::Loaded);
    EXPECT_FALSE(unvalidated.counts);
}

TEST_F(FeedLoaderTest, BytesBeyondASCIIAreJudgedAsTheUTF8DecoderJudgesThem)
{
    // Every lead byte with second bytes at the edges of the ranges that part overlong forms,
    // surrogates and code points past U+10FFFF, cut short or whole, in a description and at the
    // very end, at each place a block of 16 bytes can cut it: the bytes are read as they are
    // exactly when they are UTF-8 to the decoder and hold no character that folds to ASCII.
    const QByteArray plain = feedBytes(2);
    const auto folds = [](QByteArrayView bytes) {
        return bytes.contains("\xC4\xB0") || bytes.contains("\xC5\xBF")
            || bytes.contains("\xE2\x84\xAA");
    };
    int asBytes = 0;
    int cases = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (const char second : "\x7F\x80\x84\x8F\x90\x9F\xA0\xAA\xB0\xBF\xC0") {
            for (const char *rest : {"", "\xAA", "\x80\x80", "\xBF\xBF\xBF", "A\x80",
                                     "\x80"
                                     "A"}) {
                const QByteArray character = char(lead) + QByteArray(1, second) + rest;
                const int shift = cases++ % 16;
                const QByteArray inText = QByteArray(plain).replace(
                    "About it", QByteArray(shift, 'x') + character + "x");
                for (const QByteArray &bytes :
                     {inText, plain + QByteArray(shift, ' ') + character}) {
                    const bool expected = QByteArrayView(bytes).isValidUtf8() && !folds(bytes);
                    EXPECT_EQ(VLXParseFeed::headOfBytesReadAsTheyAre(bytes).has_value(), expected)
                        << QByteArray(character.toHex(' ')).constData();
                    asBytes += expected ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GT(asBytes, 100);
}

TEST_F(FeedLoaderTest, OnlyUTF8BytesThatNeedNothingOfTheirTextAreReadAsTheyAre)
{
    const auto asBytes = [](const QByteArray &bytes) {
        return VLXParseFeed::readsAsBytes(bytes, VLXParseFeed::stringFromXMLData(bytes));
    };
    const QByteArray plain = feedBytes(3);
    EXPECT_TRUE(asBytes(plain));
    // Declared UTF-8 in any case, or no declared encoding at all.
    QByteArray lower = plain;
    EXPECT_TRUE(asBytes(lower.replace("UTF-8", "utf-8")));
    QByteArray undeclared = plain;
    EXPECT_TRUE(asBytes(undeclared.replace(" encoding=\"UTF-8\"", "")));
    // Not: white space or a mark before the declaration, no declaration, another encoding,
    // bytes that are no UTF-8, a text to repair, a root tag that does not end.
    EXPECT_FALSE(asBytes("  " + plain));
    EXPECT_FALSE(asBytes("\xEF\xBB\xBF" + plain));
    EXPECT_FALSE(asBytes(plain.mid(plain.indexOf('\n') + 1)));
    QByteArray latin = plain;
    EXPECT_FALSE(asBytes(latin.replace("UTF-8", "ISO-8859-1").replace("About", "\xC4\x62out")));
    QByteArray broken = plain;
    EXPECT_FALSE(asBytes(broken.replace("About", "\xC4 about")));
    QByteArray repair = plain;
    EXPECT_FALSE(asBytes(repair.replace("</title>", " </title >")));
    QByteArray unended = plain;
    EXPECT_FALSE(asBytes(unended.replace("version=\"2.0\"", "version=\"2.0>")));

    // Bytes that do not parse are read as their text, which tells where they break.
    QByteArray cut = plain;
    cut.replace("</channel>", "</chanel>");
    ASSERT_TRUE(asBytes(cut));
    const FeedLoader::Result result = load(cut, {}, false);
    EXPECT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
    EXPECT_EQ(result.text, VLXParseFeed::stringFromXMLData(cut));
    EXPECT_EQ(result.error, load(cut).error);
    EXPECT_EQ(result.error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt(), 7);
}

TEST_F(FeedLoaderTest, ItemsOfSeveralExtensionClassesShareTheirElementNames)
{
    // Items holding elements of two classes in turn: each class's element names are one list
    // for the whole feed, not a list of their own per item.
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                      "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                      "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"><channel>"
                      "<title>Names</title><link>http://example.org/</link>"
                      "<description>d</description>\n";
    for (int i = 0; i < 5; ++i)
        feed += "<item><title>Episode</title><itunes:author>Host</itunes:author>"
                "<content:encoded>Notes</content:encoded></item>\n";
    const FeedLoader::Result result = load(feed + "</channel></rss>\n", {}, false);
    ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
    ASSERT_EQ(result.feed->countOfItems(), 5);
    for (const KnownNamespace ns : {KnownNamespace::iTunes, KnownNamespace::contentEncoded}) {
        const auto namesOf = [&](int item) {
            const auto extension
                = result.feed->itemAtIndex(item)->XMLExtensions()->knownExtension(ns);
            return extension ? extension->fieldNames() : QStringList();
        };
        ASSERT_FALSE(namesOf(0).isEmpty());
        for (int item = 1; item < 5; ++item) {
            EXPECT_EQ(namesOf(item), namesOf(0));
            EXPECT_EQ(namesOf(item).constData(), namesOf(0).constData());
        }
    }
}

TEST_F(FeedLoaderTest, WhatStandsBeforeTheRootNamesNoFormat)
{
    // Comments, instructions and the document type may mention any root; the root itself says
    // what the feed is and which namespaces it declares. The feed saved keeps its comments and
    // opens again.
    const char *const before[] = {
        "<!-- converted from <rdf:RDF xmlns=\"http://purl.org/rss/1.0/\"> -->",
        "<!-- once <feed xmlns=\"http://www.w3.org/2005/Atom\"> -->",
        "<!-- <rss xmlns:wrong=\"urn:wrong\" version=\"0.91\"> -->",
        "<?note <feed> ?><!DOCTYPE rss [ <!-- <rdf:RDF> --> <!ENTITY e \"<feed>]\"> ]>",
    };
    for (const char *text : before) {
        SCOPED_TRACE(text);
        const QByteArray bytes = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + text
            + "\n<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>"
              "<title>Shown</title><item><title>i</title><dc:creator>c</dc:creator></item>"
              "</channel></rss>\n";
        for (const bool keepText : {true, false}) {
            const FeedLoader::Result opened = load(bytes, {}, keepText);
            ASSERT_EQ(opened.outcome, FeedLoader::Outcome::Loaded) << keepText;
            EXPECT_TRUE(opened.alerts.isEmpty()); // no conversion from another format
            EXPECT_EQ(opened.feed->title(), u"Shown"_s);
            const QStringList names = opened.feed->XMLExtensions()->arrayOfExtensionNames();
            EXPECT_TRUE(names.contains(u"dc"_s) && !names.contains(u"wrong"_s))
                << names.join(u',').toStdString();
            const FeedLoader::Result saved = load(opened.feed->buildXML().toUtf8(), {}, keepText);
            ASSERT_EQ(saved.outcome, FeedLoader::Outcome::Loaded);
            EXPECT_EQ(saved.feed->XMLComments(), opened.feed->XMLComments());
        }
    }
}

// The walks over a text before it is parsed (the check of whether any repair applies, on the
// bytes and on the text, and the repairs themselves) ask whether to go on as they go, however
// the text is made, and end at once when told to stop: a Cancel is heard within milliseconds.
TEST_F(FeedLoaderTest, TheWalksBeforeParsingAskAsTheyGoAndStopWhenTold)
{
    const auto feedAround = [](const QByteArray &beforeRoot, const QByteArray &description) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + beforeRoot
            + "<rss version=\"2.0\"><channel><title>T</title><item><description>" + description
            + "</description></item></channel></rss>\n";
    };
    const qint64 size = 1 << 20;
    const auto run
        = [size](const QByteArray &piece) { return piece.repeated(size / piece.size()); };
    const struct
    {
        const char *name;
        QByteArray bytes;
    } shapes[] = {
        {"document types in a bogus comment",
         feedAround("<!-- -- " + run("<!DOCTYPE x [ ") + " -->", "a & b")},
        {"unclosed instructions in a description", feedAround({}, run("<?x "))},
        {"closed comments in a description", feedAround({}, run("<!-- c --> & "))},
        {"stray openings in a description", feedAround({}, run("<!-- <? <!DOCTYPE "))},
    };
    using Walk = std::function<void(const QByteArray &, StopCheck *)>;
    const std::pair<const char *, Walk> walks[] = {
        {"the check of the bytes",
         [](const QByteArray &bytes, StopCheck *stop) {
             RepairCheck::textNeedsRepair(bytes.constData(), bytes.size(),
                                          {u"title"_s, u"description"_s}, stop);
         }},
        {"the bytes read as they are",
         [](const QByteArray &bytes, StopCheck *stop) {
             VLXParseFeed::headOfBytesReadAsTheyAre(bytes, stop);
         }},
        {"the repairs of the text",
         [](const QByteArray &bytes, StopCheck *stop) {
             QStringList messages;
             VLXParseFeed::repairText(QString::fromUtf8(bytes), &messages, stop);
         }},
    };
    for (const auto &shape : shapes) {
        for (const auto &[walkName, walk] : walks) {
            SCOPED_TRACE(std::string(shape.name) + ", " + walkName);
            int asked = 0;
            StopCheck counting([&asked] { return ++asked > 0; });
            walk(shape.bytes, &counting);
            EXPECT_GE(asked, size / 65536);
            int askedAfterNo = 0;
            StopCheck stopping([&askedAfterNo] { return ++askedAfterNo < 0; });
            walk(shape.bytes, &stopping);
            EXPECT_TRUE(stopping.stopped());
            EXPECT_EQ(askedAfterNo, 1);
        }
        // The window's load asks through its progress while the repairs are checked for.
        int decodingReports = 0;
        const FeedLoader::Result result = load(
            shape.bytes,
            [&](Stage stage, qint64 done, qint64 total) {
                decodingReports += stage == Stage::Decoding && done == total ? 1 : 0;
                return decodingReports < 2;
            },
            false);
        EXPECT_EQ(result.outcome, FeedLoader::Outcome::Stopped) << shape.name;
        EXPECT_EQ(decodingReports, 2) << shape.name;
    }
}
