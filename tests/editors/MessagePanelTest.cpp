#include "SheetTestSupport.h"

#include "common/TestSupport.h"
#include "editors/MessageOutlineModel.h"
#include "editors/errorListing.h"
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"
#include "model/MessageGroup.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "ui/VLXButton.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXOutlineView.h"
#include "ui/printInfoManager.h"

#include <QColor>
#include <QDateTime>
#include <QFileInfo>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>

namespace {
const QColor kDarkGreen = QColor::fromRgbF(0.0f, 0.5f, 0.0f);

class MessagePanel : public SheetTest
{
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        VLXParseFeed parser;
        const QString text = VLXParseFeed::stringFromXMLData(
            TestSupport::readData(QStringLiteral("feeds/episodes-with-problems.xml")));
        ASSERT_EQ(parser.parseFeed(text, QStringLiteral("test"), nullptr), 0);
        feed = parser.feed();
        feed->validate(); // as the window does after reading
        window = std::make_unique<QWidget>();
        panel = errorListing::sharedInstance();
        panel->setFeedSource([this] { return feed; });
    }
    void TearDown() override
    {
        errorListing::closePanel();
        panel->setFeedSource({});
        window.reset(); // the panel goes with its window
        SheetTest::TearDown();
    }

    void showFeed()
    {
        errorListing::showPanel(window.get(), feed->parseXMLErrorTree(true, true, true),
                                feed->parseXMLErrorCount(), feed->parseXMLWarnCount(),
                                feed->parseXMLRepairCount());
    }
    QModelIndex find(const QString &text, const QModelIndex &parent = {}) const
    {
        return TestSupport::findInModel(panel->model(), text, parent);
    }
    static QString toggleState(const VLXButton *button)
    {
        return button->text()
            + (button->isChecked() ? QStringLiteral(" on") : QStringLiteral(" off"))
            + (button->isEnabled() ? QString() : QStringLiteral(" disabled"));
    }

    std::shared_ptr<VLXFeed> feed;
    std::unique_ptr<QWidget> window;
    errorListing *panel = nullptr;
};

TEST_F(MessagePanel, ShowsAFeedsMessagesWithCountsColoursAndExpandedGroups)
{
    showFeed();
    EXPECT_TRUE(panel->windowOpen());
    EXPECT_TRUE(panel->panel()->isVisible());
    EXPECT_EQ(toggleState(panel->repairButton()), QStringLiteral("1 Repairs on"));
    EXPECT_EQ(toggleState(panel->errorButton()), QStringLiteral("8 Errors on"));
    EXPECT_EQ(toggleState(panel->warnButton()), QStringLiteral("5 Warnings on"));

    const QModelIndex top = find(QStringLiteral("RSS Feed: \"Broken Episodes\""));
    const QModelIndex episode3 = find(QStringLiteral("Item - \"Episode 3\""));
    ASSERT_TRUE(top.isValid() && episode3.isValid());
    EXPECT_TRUE(panel->errors()->isExpanded(top));
    EXPECT_TRUE(panel->errors()->isExpanded(episode3));

    // The repaired date is told in the local zone.
    const QString repaired
        = VLXLogic::rfc822String(QDateTime(QDate(2007, 1, 1), QTime(10, 0), Qt::UTC).toLocalTime());
    const QModelIndex repair = find(
        QStringLiteral("Automatic Repair - Fixed bad date format from \"2007-01-01T10:00:00Z\" "
                       "to \"%1\"")
            .arg(repaired));
    const QModelIndex error
        = find(QStringLiteral("Validate Error - Item link can not be blank"), episode3);
    const QModelIndex warning
        = find(QStringLiteral("Validate Warning - Use of the \"GUID\" is recommended"), episode3);
    ASSERT_TRUE(repair.isValid() && error.isValid() && warning.isValid());
    EXPECT_EQ(repair.data(Qt::ForegroundRole).value<QColor>(), kDarkGreen);
    EXPECT_EQ(error.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(warning.data(Qt::ForegroundRole).value<QColor>(), QColor::fromRgbF(1, 0.5, 0));
    EXPECT_FALSE(episode3.data(Qt::ForegroundRole).isValid());
}

TEST_F(MessagePanel, TogglesRebuildFromTheFeedKeepingTheUsersChoice)
{
    showFeed();
    panel->warnButton()->click(); // warnings off
    EXPECT_FALSE(
        find(QStringLiteral("Validate Warning - The item pubDate should not be blank")).isValid());
    EXPECT_TRUE(find(QStringLiteral("Validate Error - Item link is not a valid URL")).isValid());
    EXPECT_EQ(toggleState(panel->warnButton()), QStringLiteral("5 Warnings off"));
    EXPECT_TRUE(panel->errors()->isExpanded(find(QStringLiteral("Item - \"Episode 2\""))));

    panel->errorButton()->click(); // only the repair is left
    EXPECT_EQ(panel->model()->rowCount(find(QStringLiteral("RSS Feed: \"Broken Episodes\""))), 1);
    EXPECT_EQ(toggleState(panel->errorButton()), QStringLiteral("8 Errors off"));
    EXPECT_EQ(toggleState(panel->repairButton()), QStringLiteral("1 Repairs on"));
}

TEST_F(MessagePanel, SelectingAMessageJumpsToItsItemOrTheChannel)
{
    showFeed();
    QSignalSpy items(panel, &errorListing::selectFeedItemRequested);
    QSignalSpy channel(panel, &errorListing::selectFeedRequested);
    VLXOutlineView *outline = panel->errors();

    const QModelIndex episode3 = find(QStringLiteral("Item - \"Episode 3\""));
    outline->setCurrentIndex(
        find(QStringLiteral("Validate Error - Item link can not be blank"), episode3));
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first().first().toString(), QStringLiteral("Episode 3"));
    outline->setCurrentIndex(find(QStringLiteral("Item - \"Episode 1\""))); // a group itself
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.last().first().toString(), QStringLiteral("Episode 1"));
    EXPECT_EQ(channel.size(), 0);

    outline->setCurrentIndex(find(QStringLiteral("RSS Feed: \"Broken Episodes\"")));
    outline->setCurrentIndex(find(QStringLiteral(
        "Validate Error - Feed webmaster email address does not appear to be valid")));
    // An item without a title cannot be found by it: the channel is shown.
    outline->setCurrentIndex(find(QStringLiteral(
        "Validate Error - Date format \"Tue, 99 Jan 2007 10:00:00 GMT\" was unfixable")));
    EXPECT_EQ(channel.size(), 3);
    EXPECT_EQ(items.size(), 2);
}

TEST_F(MessagePanel, ARowLaysOutAThousandCharactersAtMostAndStillJumpsToItsItem)
{
    // Item groups named after titles of 991 and 992 characters: names of 1,000 and 1,001.
    const QString fits(991, u't');
    const QString over = fits + u'u';
    const QString message = QStringLiteral("Validate Error::") + QString(2000, u'e');
    const auto item = [&](const QString &title) {
        return QVariantMap {{QStringLiteral("Group"), QStringLiteral("Item - \"%1\"").arg(title)},
                            {QStringLiteral("Entries"), QVariantList {message}}};
    };
    errorListing::showPanel(window.get(), {item(fits), item(over)}, 2, 0, 0);
    const MessageOutlineModel &model = *panel->model();
    const QModelIndex whole = model.index(0, 0);
    const QModelIndex cut = model.index(1, 0);
    const QModelIndex error = model.index(0, 0, cut);
    EXPECT_EQ(whole.data().toString(), model.nameOf(whole));
    const QChar ellipsis(0x2026);
    EXPECT_EQ(cut.data().toString(),
              QStringLiteral("Item - \"") + QString(741, u't') + ellipsis + QString(248, u't')
                  + QStringLiteral("u\""));
    EXPECT_EQ(error.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Validate Error - ") + QString(732, u'e') + ellipsis
                  + QString(250, u'e'));

    QSignalSpy items(panel, &errorListing::selectFeedItemRequested);
    panel->errors()->setCurrentIndex(error);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first().first().toString(), over);
}

TEST_F(MessagePanel, NothingToReportDisablesTheToggles)
{
    const QVariantList groups {QVariantMap {{QStringLiteral("Group"), QStringLiteral("Checked")},
                                            {QStringLiteral("Entries"), QVariantList()}}};
    errorListing::showPanel(window.get(), groups, 0, 0, 0);
    EXPECT_EQ(toggleState(panel->repairButton()), QStringLiteral("0 Repairs off disabled"));
    EXPECT_EQ(toggleState(panel->errorButton()), QStringLiteral("0 Errors off disabled"));
    EXPECT_EQ(toggleState(panel->warnButton()), QStringLiteral("0 Warnings off disabled"));
    EXPECT_TRUE(find(QStringLiteral("Checked")).isValid());
}

TEST_F(MessagePanel, ClosingAndHelp)
{
    errorListing::closePanel(); // closed already: nothing happens
    EXPECT_FALSE(panel->windowOpen());
    showFeed();
    panel->panel()->close(); // the close box
    EXPECT_FALSE(panel->windowOpen());
    showFeed();
    errorListing::closePanel();
    EXPECT_FALSE(panel->windowOpen());
    EXPECT_FALSE(panel->panel()->isVisible());

    QStringList opened;
    VLXHelpAnchored::setHelpHandler([&](const QString &anchor) {
        opened << anchor;
        return true;
    });
    panel->helpButton();
    VLXHelpAnchored::setHelpHandler({});
    EXPECT_EQ(opened, QStringList {QStringLiteral("FeedParsingError")});
    EXPECT_EQ(panel->errors()->helpAnchor(), QStringLiteral("FeedParsingError"));
}

TEST_F(MessagePanel, PrintsTheOpenGroupsWithTheSharedMargins)
{
    QVariantList many;
    for (int i = 0; i < 150; ++i)
        many << QStringLiteral("Validate Warning::Message number %1").arg(i);
    const QVariantList tree {QVariantMap {{QStringLiteral("Group"), QStringLiteral("Long")},
                                          {QStringLiteral("Entries"), many}}};
    errorListing::showPanel(window.get(), tree, 0, 150, 0);
    const QTemporaryDir folder;
    const auto printTo = [&](const QString &name) {
        QPrinter printer(QPrinter::HighResolution);
        printInfoManager::applyTo(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(name));
        EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Point).left(),
                  printInfoManager::kDefaultMargin);
        return panel->printOutline(printer);
    };
    const int open = printTo(QStringLiteral("open.pdf"));
    EXPECT_GT(open, 1);
    EXPECT_GT(QFileInfo(folder.filePath(QStringLiteral("open.pdf"))).size(), 0);
    panel->errors()->collapse(find(QStringLiteral("Long")));
    EXPECT_EQ(printTo(QStringLiteral("closed.pdf")), 1);
}

// Item groups as a feed of many items gives them, each with its four messages.
QList<MessageGroup> manyItemGroups(int items)
{
    MessageGroup feedGroup(QStringLiteral("RSS Feed: \"Many\""));
    feedGroup.addEntry(QStringLiteral("Validate Warning::The feed pubDate should not be blank"));
    for (int i = 0; i < items; ++i) {
        MessageGroup item(QStringLiteral("Item - \"Episode %1\"").arg(i));
        item.addEntries({QStringLiteral("Validate Error::Item link can not be blank"),
                         QStringLiteral("Validate Error::Episode %1 is not right").arg(i),
                         QStringLiteral("Validate Warning::The item pubDate should not be blank"),
                         QStringLiteral("Automatic Repair::Mended episode %1").arg(i)});
        feedGroup.addGroup(item);
    }
    return {feedGroup};
}

TEST_F(MessagePanel, ALongListOpensItsItemGroupsClosedAndMakesTheirRowsWhenOpened)
{
    // 6,000 item groups of four messages: more rows than are opened all the way down.
    const int items = 6000;
    ASSERT_GT(items * 5, errorListing::kRowsOpenedWhole);
    errorListing::showPanel(window.get(), manyItemGroups(items), 12000, 6001, 6000);
    VLXOutlineView *outline = panel->errors();
    MessageOutlineModel *model = panel->model();
    const QModelIndex top = model->index(0, 0);
    EXPECT_EQ(model->countOfRows(), 1 + 1 + items * 5);
    EXPECT_TRUE(outline->isExpanded(top));
    ASSERT_EQ(model->rowCount(top), 1 + items);
    const QModelIndex last = model->index(items, 0, top);
    EXPECT_EQ(last.data().toString(), QStringLiteral("Item - \"Episode 5999\""));
    EXPECT_FALSE(outline->isExpanded(last));
    EXPECT_TRUE(model->hasChildren(last));

    // Opened, the group shows its messages as any other, and they lead to their item.
    outline->expand(last);
    ASSERT_EQ(model->rowCount(last), 4);
    const QModelIndex message = model->index(1, 0, last);
    EXPECT_EQ(message.data().toString(),
              QStringLiteral("Validate Error - Episode 5999 is not right"));
    EXPECT_EQ(message.parent(), last);
    EXPECT_EQ(last.parent(), top);
    EXPECT_EQ(message.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QSignalSpy items5999(panel, &errorListing::selectFeedItemRequested);
    outline->setCurrentIndex(message);
    ASSERT_EQ(items5999.size(), 1);
    EXPECT_EQ(items5999.first().first().toString(), QStringLiteral("Episode 5999"));

    // A short list is opened whole, as before.
    errorListing::showPanel(window.get(), manyItemGroups(3), 6, 4, 3);
    EXPECT_TRUE(outline->isExpanded(find(QStringLiteral("Item - \"Episode 2\""))));
}

TEST_F(MessagePanel, TheLogOfAFeedAtTheItemLimitCostsBoundedMemory)
{
    // The log of a quarter of a million empty items (a million messages) once took well over
    // half a gigabyte and a minute; the messages are the feed's own strings and only the rows
    // shown are made.
    if (!TestSupport::addressSpaceCanBeBounded())
        GTEST_SKIP() << "the address space cannot be bounded under a sanitizer";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QByteArray text = "<rss version=\"2.0\"><channel><title>Many</title>"
                      "<link>http://example.org/</link><description>d</description>";
    for (int i = 0; i < VLXParseFeed::kMaximumItems; ++i)
        text += "<item></item>";
    text += "</channel></rss>";
    FeedLoader::Request request;
    request.bytes = text;
    request.keepText = false;
    FeedLoader loader(std::move(request));
    const std::shared_ptr<VLXFeed> many = loader.run().feed;
    ASSERT_TRUE(many);
    EXPECT_EXIT(
        {
            TestSupport::boundAddressSpaceGrowth(qint64(256) << 20);
            errorListing::showPanel(window.get(), many->parseXMLErrorList(true, true, true),
                                    many->parseXMLErrorCount(), many->parseXMLWarnCount(),
                                    many->parseXMLRepairCount());
            QCoreApplication::processEvents();
            const QModelIndex top = panel->model()->index(0, 0);
            // The channel's messages, then a group per item.
            std::_Exit(panel->model()->rowCount(top) > VLXParseFeed::kMaximumItems ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
