#include "common/HTMLReading.h"
#include "extensions/content/contentEncodedChannel.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "io/VLXExportTemplate.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "platform/Clock.h"
#include "resources/TemplateResources.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <vector>

// Template exports of a feed built in code: the five types, the placeholders of channel, image
// and items, and the six shipped templates over a realistic feed.

namespace {

class VLXFeedExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Clock::setInstance(std::make_shared<FixedClock>(
            QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), QTimeZone::utc())));
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    QString templateFile(const QString &text)
    {
        const QString path = m_dir.filePath(QStringLiteral("t%1.txt").arg(++m_count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }

    QString exportText(int type, const QString &text, bool limit = false, int n = 0,
                       bool noFuture = false)
    {
        return m_feed.buildExport(type, templateFile(text), noFuture, limit, n);
    }

    void addItems(int count)
    {
        for (int i = 1; i <= count; ++i) {
            auto item = std::make_shared<VLXItems>();
            item->setTitle(QStringLiteral("I%1").arg(i));
            m_feed.addItem(item);
        }
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    VLXFeed m_feed;
};

} // namespace

TEST_F(VLXFeedExport, TypesAndTheirFinishing)
{
    // JavaScript: escaped and wrapped line by line.
    EXPECT_EQ(exportText(1, QStringLiteral("say \"hi\"\nit's")),
              QStringLiteral("document.write('say \\\"hi\\\"');\ndocument.write('it\\'s');\n"));
    // CSV: quotes in values doubled for a quoted field.
    m_feed.setTitle(QStringLiteral("He said \"x\""));
    EXPECT_EQ(exportText(3, QStringLiteral("\"~~~FeedTitle~~~\"")),
              QStringLiteral("\"He said \"\"x\"\"\""));
    // "&apos;" becomes an apostrophe for all four; a page writes it as the reference that reads
    // as one in any quoted attribute.
    m_feed.setTitle(QStringLiteral("it&apos;s"));
    for (int type : {2, 3})
        EXPECT_EQ(exportText(type, QStringLiteral("~~~FeedTitle~~~")), QStringLiteral("it's"));
    EXPECT_EQ(exportText(0, QStringLiteral("~~~FeedTitle~~~")), QStringLiteral("it&#39;s"));
    EXPECT_EQ(exportText(1, QStringLiteral("~~~FeedTitle~~~")),
              QStringLiteral("document.write('it&#39;s');\n"));
    // XML is the writer's document, with its limit rule; no template is read.
    addItems(3);
    EXPECT_EQ(m_feed.buildExport(4, QString(), false, true, -1), m_feed.buildXML(false, true, -1));
    // A missing template or an unknown type gives nothing.
    for (int type : {0, 1, 2, 3})
        EXPECT_EQ(m_feed.buildExport(type, m_dir.filePath(QStringLiteral("none")), false, false, 0),
                  QString());
    EXPECT_EQ(exportText(7, QStringLiteral("x")), QString());
}

// A template is read once: a value that names a placeholder, a directive or an item record is
// placed as that name in every export type, and no later placeholder reads it again.
TEST_F(VLXFeedExport, APlacedValueIsNeverReadAgain)
{
    m_feed.setTitle(QStringLiteral("~~~FeedLink~~~"));
    m_feed.setLink(QStringLiteral("~~~BeginItemsRecord~~~~~~ItemTitle~~~~~~EndItemsRecord~~~"));
    m_feed.image()->setTitle(QStringLiteral("~~~NoFutureItems~~~~~~FeedTitle~~~"));
    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("~~~ItemAuthor~~~"));
    item->setAuthor(QStringLiteral("~~~FeedImageTitle~~~~~~EndItemsRecord~~~"));
    m_feed.addItem(item);
    const QString values = m_feed.title() + u'|' + m_feed.link() + u'|' + m_feed.image()->title()
        + u'|' + item->title() + u'|' + item->author();
    for (int type : {VLXExportTemplate::HTML, VLXExportTemplate::Text, VLXExportTemplate::CSV}) {
        EXPECT_EQ(
            exportText(type,
                       QStringLiteral("~~~FeedTitle~~~|~~~FeedLink~~~|~~~FeedImageTitle~~~"
                                      "~~~BeginItemsRecord~~~|~~~ItemTitle~~~|~~~ItemAuthor~~~"
                                      "~~~EndItemsRecord~~~")),
            values)
            << "type " << type;
    }
}

// A page (HTML, or JavaScript that writes one) shows plain text as text and descriptions as the
// HTML they are; a text or CSV file takes every value as it is.
TEST_F(VLXFeedExport, PagesShowPlainTextAsTextAndDescriptionsAsHTML)
{
    m_feed.setTitle(QStringLiteral("Tom & <b>Jerry</b>"));
    m_feed.setDescriptionElement(QStringLiteral("<p>Cats &amp; mice</p>"));
    m_feed.image()->setTitle(QStringLiteral("<img src=x>"));
    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("a<script>x</script>"));
    item->setDescriptionElement(QStringLiteral("<em>notes</em>"));
    item->setAuthor(QStringLiteral("Ann <ann@example.org>"));
    m_feed.addItem(item);
    const QString page = QStringLiteral(
        "~~~FeedTitle~~~|~~~FeedDescription~~~|~~~FeedContentEncoded~~~|~~~FeedImageTitle~~~|"
        "~~~BeginItemsRecord~~~~~~ItemTitle~~~|~~~ItemDescription~~~|~~~ItemContentEncoded~~~|"
        "~~~ItemAuthor~~~~~~EndItemsRecord~~~");
    const QString asText = QStringLiteral(
        "Tom & <b>Jerry</b>|<p>Cats &amp; mice</p>|<p>Cats &amp; mice</p>|<img src=x>|"
        "a<script>x</script>|<em>notes</em>|<em>notes</em>|Ann <ann@example.org>");
    const QString asHTML = QStringLiteral(
        "Tom &amp; &lt;b&gt;Jerry&lt;/b&gt;|<p>Cats &amp; mice</p>|<p>Cats &amp; mice</p>|"
        "&lt;img src=x&gt;|a&lt;script&gt;x&lt;/script&gt;|<em>notes</em>|<em>notes</em>|"
        "Ann &lt;ann@example.org&gt;");
    EXPECT_EQ(exportText(VLXExportTemplate::HTML, page), asHTML);
    EXPECT_EQ(exportText(VLXExportTemplate::JavaScript, page),
              VLXExportTemplate::finishJavaScript(asHTML));
    EXPECT_EQ(exportText(VLXExportTemplate::Text, page), asText);
    EXPECT_EQ(exportText(VLXExportTemplate::CSV, page), asText);
}

// An address goes into a page only when a page may follow it: by its scheme (http, https, ftp,
// ftps, mailto, in any letter case) or relative; a script, data or any other link is "#". The
// scheme is the one a browser finds. A text file takes the address as it is, and the JavaScript
// export writes the very page the HTML export makes.
TEST_F(VLXFeedExport, APageLinksOnlyToAddressesAPageMayFollow)
{
    const struct
    {
        const char *link;
        const char *placed; // nullptr: the link itself, escaped
    } cases[] = {
        {"http://e.example/a?b=1&c='2'", "http://e.example/a?b=1&amp;c=&#39;2&#39;"},
        {"HTTPS://e.example/", nullptr},
        {"Ftps://e.example/f", nullptr},
        {"mailto:a@e.example", nullptr},
        {"/a:b", nullptr},
        {"//e.example/x", nullptr},
        {"?q=a:b", nullptr},
        {"episodes", nullptr}, // letters without a colon name no scheme
        {"page", nullptr},
        {"", nullptr},
        {"javascript\u2028:alert(1)", nullptr}, // a separator is no scheme character
        {"1javascript:alert(1)", nullptr}, // no scheme starts with a digit: relative
        {"javascript:alert(1)", "#"},
        {" \t JaVaScRiPt:alert(1)", "#"},
        {"java\tscr\nipt:alert(1)", "#"},
        {"\x01javascript:alert(1)", "#"},
        {"data:text/html,<script>alert(1)</script>", "#"},
        {"file:///etc/passwd", "#"},
        {"httpx://e.example/", "#"},
    };
    auto item = std::make_shared<VLXItems>();
    m_feed.addItem(item);
    const QString record
        = QStringLiteral("~~~BeginItemsRecord~~~~~~ItemLink~~~~~~EndItemsRecord~~~");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        const QString link = QString::fromUtf8(c.link);
        item->setLink(link);
        const QString page = exportText(VLXExportTemplate::HTML, record);
        EXPECT_EQ(page, c.placed ? QString::fromUtf8(c.placed) : link);
        EXPECT_EQ(HTMLReading::pageOfScript(exportText(VLXExportTemplate::JavaScript, record)),
                  page);
        EXPECT_EQ(exportText(VLXExportTemplate::Text, record), link);
    }
}

TEST_F(VLXFeedExport, ItemRecordsFollowTheLimitRule)
{
    addItems(5);
    const QString record = QStringLiteral("[~~~BeginItemsRecord~~~M~~~ItemTitle~~~;"
                                          "~~~BeginAlternateItemsRecord~~~A~~~ItemTitle~~~;"
                                          "~~~EndItemsRecord~~~]");
    EXPECT_EQ(exportText(2, record, true, -3), QStringLiteral("[MI5;AI4;MI3;]"));
    EXPECT_EQ(exportText(2, record, true, 0), QStringLiteral("[MI1;AI2;MI3;AI4;MI5;]"));
    EXPECT_EQ(exportText(2, record, true, 10), QStringLiteral("[MI1;AI2;MI3;AI4;MI5;]"));
    // Items dated after today are left out before the limit counts.
    m_feed.itemAtIndex(0)->setPubDate(QStringLiteral("Sun, 15 Mar 2026 12:00:00 +0000"));
    EXPECT_EQ(exportText(2, record, true, 2, true), QStringLiteral("[MI2;AI3;]"));
    // Directives are removed and their values ignored.
    EXPECT_EQ(
        exportText(2,
                   QStringLiteral("~~~FeedMaxItems=2~~~~~~NoFutureItems~~~~~~BeginItemsRecord~~~"
                                  "~~~ItemTitle~~~~~~EndItemsRecord~~~")),
        QStringLiteral("I1I2I3I4I5"));
}

TEST_F(VLXFeedExport, ChannelImageAndItemPlaceholders)
{
    m_feed.setTitle(QStringLiteral("T"));
    m_feed.setDescriptionElement(QStringLiteral("D"));
    m_feed.setLink(QStringLiteral("http://example.com/"));
    m_feed.image()->setURL(QStringLiteral("http://example.com/i.png"));
    m_feed.image()->setTitle(QStringLiteral("IT"));
    m_feed.image()->setLink(QStringLiteral("http://example.com/il"));
    m_feed.image()->setDescriptionElement(QStringLiteral("ID"));
    m_feed.image()->setWidth(QStringLiteral("88"));
    m_feed.image()->setHeight(QStringLiteral("31"));
    EXPECT_EQ(exportText(2,
                         QStringLiteral("~~~FeedTitle~~~|~~~FeedDescription~~~|"
                                        "~~~FeedContentEncoded~~~|~~~FeedLink~~~|"
                                        "~~~FeedImageUrl~~~|~~~FeedImageTitle~~~|"
                                        "~~~FeedImageLink~~~|~~~FeedImageDescription~~~|"
                                        "~~~FeedImageWidth~~~x~~~FeedImageHeight~~~")),
              QStringLiteral("T|D|D|http://example.com/|http://example.com/i.png|IT|"
                             "http://example.com/il|ID|88x31"));

    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("Title"));
    item->setDescriptionElement(QStringLiteral("<p>Body</p>"));
    item->setLink(QStringLiteral("http://example.com/1"));
    item->setGUID(QStringLiteral("g1"));
    item->setAuthor(QStringLiteral("a@example.com"));
    item->setEnclosureAttrURL(QStringLiteral("http://example.com/1.mp3"));
    item->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item->setEnclosureAttrLength(QStringLiteral("2048"));
    categoryElement first;
    first.setCategoryString(QStringLiteral("C1"));
    first.setCategoryDomainString(QStringLiteral("http://d/"));
    categoryElement second;
    second.setCategoryString(QStringLiteral("C2"));
    item->setCategory({first, second});
    m_feed.addItem(item);
    EXPECT_EQ(exportText(2,
                         QStringLiteral("~~~BeginItemsRecord~~~~~~ItemTitle~~~|"
                                        "~~~ItemDescription~~~|~~~ItemContentEncoded~~~|"
                                        "~~~ItemLink~~~|~~~ItemGuid~~~|~~~ItemAuthor~~~|"
                                        "~~~ItemEnclosureUrl~~~|~~~ItemEnclosureType~~~|"
                                        "~~~ItemEnclosureLength~~~|"
                                        "~~~ItemEnclosureLengthFormatted~~~|"
                                        "~~~ItemCategory~~~|~~~ItemCategoryDomain~~~|"
                                        "~~~ItemPubDate~~~|~~~ItemPubLongDate~~~|"
                                        "~~~ItemPubShortTime~~~~~~EndItemsRecord~~~")),
              QStringLiteral("Title|<p>Body</p>|<p>Body</p>|http://example.com/1|g1|"
                             "a@example.com|http://example.com/1.mp3|audio/mpeg|2048|2 KB|C1|"
                             "http://d/|||"));

    // A dated item gets its dates in the local zone's system formats.
    item->setPubDate(QStringLiteral("Fri, 13 Mar 2026 08:00:00 +0000"));
    const QDateTime local
        = QDateTime(QDate(2026, 3, 13), QTime(8, 0), QTimeZone::utc()).toLocalTime();
    EXPECT_EQ(exportText(2,
                         QStringLiteral("~~~BeginItemsRecord~~~~~~ItemPubShortDate~~~ "
                                        "~~~ItemPubLongTime~~~~~~EndItemsRecord~~~")),
              QLocale::system().toString(local.date(), QLocale::ShortFormat) + u' '
                  + QLocale::system().toString(local.time(), QLocale::ShortFormat));
}

// Inside an item record the channel's values are there too and come first; a value the channel
// places is final, so one that names an item placeholder stays that name. A begin marker without
// an end marker is text, and the walk goes on past it. Each date placeholder has its own format,
// and the channel's encoded content is read whenever the template places it.
TEST_F(VLXFeedExport, ChannelValuesInRecordsOpenMarkersAndDates)
{
    const QString date = QStringLiteral("Tue, 03 Jun 2025 09:39:21 +0000");
    m_feed.setTitle(QStringLiteral("~~~ItemAuthor~~~"));
    m_feed.setLink(QStringLiteral("http://example.com/"));
    m_feed.setDescriptionElement(QStringLiteral("<p>D</p>"));
    m_feed.setPubDate(date);
    const auto use = [](baseExtensionManager &manager, KnownNamespace ns) {
        manager.createExtensionWithNamespace(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
    };
    extensionManagerChannel &channel = *m_feed.XMLExtensions();
    use(channel, KnownNamespace::iTunes);
    use(channel, KnownNamespace::contentEncoded);
    std::dynamic_pointer_cast<iTunesChannel>(channel.iTunesExtension())
        ->setAuthor(QStringLiteral("Channel author"));
    std::dynamic_pointer_cast<contentEncodedChannel>(channel.contentEncodedExtension())
        ->setEncoded(QStringLiteral("<p>E</p>"));
    auto item = std::make_shared<VLXItems>();
    item->setAuthor(QStringLiteral("Item author"));
    item->setPubDate(date);
    use(*item->XMLExtensions(), KnownNamespace::iTunes);
    std::dynamic_pointer_cast<iTunesItem>(item->XMLExtensions()->iTunesExtension())
        ->setAuthor(QStringLiteral("Item iTunes author"));
    m_feed.addItem(item);

    const auto record = [](const QString &body) {
        return VLXExportTemplate::kBeginItemsRecord + body + VLXExportTemplate::kEndItemsRecord;
    };
    std::vector<std::pair<QString, QString>> cases = {
        // A record sees the channel's values...
        {record(QStringLiteral("[~~~FeedLink~~~]")), QStringLiteral("[http://example.com/]")},
        // ...and they win where the item gives the same placeholder.
        {QStringLiteral("~~~FeediTunesAuthor~~~")
             + record(QStringLiteral("|~~~FeediTunesAuthor~~~")),
         QStringLiteral("Channel author|Channel author")},
        // The record is filled once: the channel's title is placed as written.
        {record(QStringLiteral("~~~FeedTitle~~~ by ~~~ItemAuthor~~~")),
         QStringLiteral("~~~ItemAuthor~~~ by Item author")},
        // No end marker: no record, and the channel's placeholders after it are still filled.
        {QStringLiteral("~~~BeginItemsRecord~~~~~~ItemAuthor~~~|~~~FeedLink~~~"),
         QStringLiteral("~~~BeginItemsRecord~~~~~~ItemAuthor~~~|http://example.com/")},
        // The template does not place the item's encoded content.
        {QStringLiteral("~~~FeedContentEncoded~~~"), QStringLiteral("<p>E</p>")},
    };
    // The same date on the channel and the item, in the local zone's system formats.
    const QDateTime local
        = QDateTime(QDate(2025, 6, 3), QTime(9, 39, 21), QTimeZone::utc()).toLocalTime();
    const QLocale locale = QLocale::system();
    const QString time = locale.toString(local.time(), QLocale::ShortFormat);
    const std::pair<QString, QString> dates[] = {
        {QStringLiteral("PubDate"), date},
        {QStringLiteral("PubLongDate"), locale.toString(local.date(), QLocale::LongFormat)},
        {QStringLiteral("PubShortDate"), locale.toString(local.date(), QLocale::ShortFormat)},
        {QStringLiteral("PubLongTime"), time},
        {QStringLiteral("PubShortTime"), time},
    };
    for (const auto &[name, formatted] : dates) {
        cases.emplace_back(QStringLiteral("~~~Feed%1~~~").arg(name), formatted);
        cases.emplace_back(record(QStringLiteral("~~~Item%1~~~").arg(name)), formatted);
    }
    for (const auto &[text, expected] : cases) {
        EXPECT_EQ(exportText(VLXExportTemplate::Text, text).toStdString(), expected.toStdString())
            << text.toStdString();
    }
}

TEST_F(VLXFeedExport, ShippedTemplatesLeaveNoPlaceholderBehind)
{
    m_feed.setTitle(QStringLiteral("Tom & Jerry's \"Show\""));
    m_feed.setDescriptionElement(QStringLiteral("<p>A show.</p>"));
    m_feed.setLink(QStringLiteral("http://example.com/"));
    m_feed.setPubDate(QStringLiteral("Sat, 14 Mar 2026 10:00:00 +0000"));
    addItems(3);
    m_feed.itemAtIndex(1)->setEnclosureAttrURL(QStringLiteral("http://example.com/2.mp3"));
    m_feed.itemAtIndex(1)->setEnclosureAttrLength(QStringLiteral("123456"));

    const QList<std::pair<QString, int>> shipped
        = {{QStringLiteral("BasicWebpage.html"), 0},
           {QStringLiteral("BasicHtmlTable.html"), 0},
           {QStringLiteral("ContentEncodedWebpage.html"), 0},
           {QStringLiteral("BasicJavaScript.js"), 1},
           {QStringLiteral("BasicTextfile.txt"), 2},
           {QStringLiteral("BasicCSVfile.csv"), 3}};
    TemplateResources::init();
    for (const auto &[name, type] : shipped) {
        SCOPED_TRACE(name.toStdString());
        const QString text
            = m_feed.buildExport(type, QStringLiteral(":/templates/") + name, false, false, 0);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(text.contains(QLatin1String("~~~")));
        EXPECT_EQ(text.count(QLatin1String("I2")), 1);
        if (type == 1) {
            // Every line is one complete statement.
            for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
                EXPECT_TRUE(line.startsWith(QLatin1String("document.write('"))
                            && line.endsWith(QLatin1String("');")))
                    << line.toStdString();
        }
        if (type == 3) {
            // A header and one line per item, each with the same number of fields.
            const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
            ASSERT_EQ(lines.size(), 4);
            for (const QString &line : lines)
                EXPECT_EQ(line.count(QLatin1String("\",\"")), 8) << line.toStdString();
        }
    }
}
