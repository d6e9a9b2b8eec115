#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "model/VLXFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "ui/VLXCheckBox.h"
#include "editors/CroppingImageView.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace {
// Python's own file server on 127.0.0.1 and a free port, serving one folder; stopped with the test.
class LocalFileServer
{
public:
    explicit LocalFileServer(const QString &folder)
    {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(
            "python3",
            {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder});
        if (!m_process.waitForStarted(5000))
            return;
        static const QRegularExpression portPattern("port (\\d+)");
        for (int waited = 0; waited < 100 && m_port == 0; ++waited) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
            const auto match = portPattern.match(QString::fromUtf8(m_output));
            if (match.hasMatch())
                m_port = match.captured(1).toInt();
        }
    }
    ~LocalFileServer()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    int port() const { return m_port; }
    QString url(const QString &name) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(name);
    }

private:
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};

std::shared_ptr<VLXItems> item(const QString &title, const QString &description)
{
    auto made = std::make_shared<VLXItems>();
    made->setTitle(title);
    made->setDescriptionElement(description);
    return made;
}
} // namespace

class ModelToWindowTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        alerts->queueAnswer(AlertService::kAlternate);
        startApplication();
        window = controller->feedController();
        // The wizard's offer comes a moment after the first display.
        awaitWizardOffer();
        alerts->clear();
    }
    QString text(const char *name) const
    {
        if (auto *field = window->outlet<QLineEdit>(name))
            return field->text();
        if (auto *view = window->outlet<VLXTextView>(name))
            return view->toPlainText();
        ADD_FAILURE() << "no text control " << name;
        return {};
    }
    QString cell(const char *table, int row) const
    {
        auto *view = window->outlet<VLXTableView>(table);
        return view->model()->index(row, 0).data().toString();
    }
    // Writes a picture into the served folder and answers its address.
    QString pictureAt(const LocalFileServer &server, const QString &name, const QSize &size)
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(QDir(home()).filePath(name));
        return server.url(name);
    }
    Vellumcast *window = nullptr;
};

TEST_F(ModelToWindowTest, TheChannelFillsItsControlsAndSummaries)
{
    auto feed = std::make_shared<VLXFeed>();
    feed->setTitle("Harbour Lights");
    feed->setDescriptionElement("About <b>lighthouses</b>.");
    feed->setLink("https://example.org/");
    feed->setPubDate("Fri, 04 Dec 2026 08:00:00 +0000");
    feed->setLanguage("en-us");
    feed->setSkipDays(1, 1);
    feed->setSkipDays(3, 1);
    feed->setSkipHours(23, 1);
    feed->setCloudAttrDomain("rpc.example.org");
    feed->setCloudAttrPort("80");
    feed->setTTL("60");
    feed->setStyleSheetCSS("https://example.org/feed.css");
    feed->addCategory(categoryElement("Travel", "https://example.org/tax"));
    feed->addCategory(categoryElement("Sea", ""));
    feed->setXMLComments({"first line\nsecond line"});
    window->setCurrentFeed(feed);

    EXPECT_EQ(text("Feeds_Required_Title"), "Harbour Lights");
    EXPECT_EQ(text("Feeds_Required_Description"), "About <b>lighthouses</b>.");
    EXPECT_EQ(text("Feeds_Required_Link"), "https://example.org/");
    EXPECT_EQ(text("Feeds_Required_PubDate"), "Fri, 04 Dec 2026 08:00:00 +0000");
    EXPECT_EQ(text("Feeds_Optional_TTL"), "60");
    EXPECT_EQ(text("Feeds_Advanced_StyleSheetCSS"), "https://example.org/feed.css");
    auto *days = window->outlet<VLXMatrix>("Feeds_Optional_SkipDays_Matrix");
    EXPECT_EQ(days->stateOfTag(1), 1);
    EXPECT_EQ(days->stateOfTag(2), 0);
    EXPECT_EQ(text("Feeds_Optional_SkipDays"), "Monday,Wednesday");
    EXPECT_EQ(window->outlet<VLXMatrix>("Feeds_Optional_SkipHours_Matrix")->stateOfTag(23), 1);
    EXPECT_EQ(text("Feeds_Optional_Cloud_Domain"), "rpc.example.org");
    EXPECT_EQ(text("Feeds_Optional_Cloud"),
              VLXLogic::buildCloudString("rpc.example.org", "80", "", "", ""));
    auto *language = window->outlet<VLXPopUpButton>("Feeds_Optional_Language");
    EXPECT_EQ(language->currentText(), VLXFeedLanguage::sharedTitleForCode("en-us"));
    EXPECT_EQ(cell("Feeds_Optional_Category", 0), "Travel\ndomain=https://example.org/tax");
    EXPECT_EQ(cell("Feeds_Optional_Category", 1), "Sea");
    EXPECT_EQ(cell("Feeds_Advanced_Comments", 0), QString("first line\u21A9second line"));
    EXPECT_TRUE(window->outlet("Feeds_Optional_DelCategory")->isEnabled());
    EXPECT_TRUE(window->outlet("Feeds_Advanced_DelComments")->isEnabled());

    // An empty skip-day set shows a single blank.
    window->setCurrentFeed(std::make_shared<VLXFeed>());
    EXPECT_EQ(text("Feeds_Optional_SkipDays"), " ");
    EXPECT_EQ(text("Feeds_Required_Title"), "");
    EXPECT_EQ(language->currentIndex(), -1);
    EXPECT_FALSE(window->outlet("Feeds_Optional_DelCategory")->isEnabled());
}

TEST_F(ModelToWindowTest, ItemsFillTheTableAndTheItemControls)
{
    auto feed = std::make_shared<VLXFeed>();
    auto first = item("", "");
    first->setLink("https://example.org/1");
    first->setGUID("guid-1");
    first->setGUIDAttr(1);
    first->setEnclosureAttrURL("https://example.org/1.mp3");
    first->setEnclosureAttrLength("1024");
    first->setEnclosureAttrType("audio/mpeg");
    first->setLocalEnclosureFilePath(QDir(home()).filePath("1.mp3"));
    first->setXMLComments({"note"});
    feed->addItem(first);
    feed->addItem(item("", "Only a description"));
    feed->addItem(item("Third", "ignored"));
    window->setCurrentFeed(feed);

    EXPECT_EQ(cell("Items_Required_Items", 0), "Item #0");
    EXPECT_EQ(cell("Items_Required_Items", 1), "Only a description");
    EXPECT_EQ(cell("Items_Required_Items", 2), "Third");
    EXPECT_EQ(window->selectedItemRow(), 0);
    EXPECT_EQ(text("Items_Required_Link"), "https://example.org/1");
    EXPECT_EQ(text("Items_Optional_GUID_GUID"), "guid-1");
    EXPECT_TRUE(window->outlet<VLXCheckBox>("Items_Optional_GUID_Perma")->isChecked());
    EXPECT_EQ(text("Items_Optional_GUID"), "guid-1 isPermaLink=\"true\"");
    EXPECT_EQ(text("Items_Optional_Enclosure"),
              VLXLogic::buildEnclosureString("https://example.org/1.mp3", "1024", "audio/mpeg"));
    EXPECT_EQ(text("Items_Optional_Enclosure_Advanced_Filename"), QDir(home()).filePath("1.mp3"));
    EXPECT_EQ(cell("Items_Advanced_Comments", 0), "note");

    // The guid's "Copy From" offers the shown item's link.
    auto *guid = window->outlet<VLXTextField>("Items_Optional_GUID_GUID");
    EXPECT_EQ(guid->copySourceLabel(), "Link");
    guid->copyFromCopySource();
    EXPECT_EQ(guid->text(), "https://example.org/1");

    // Choosing another row shows that item.
    window->outlet<VLXTableView>("Items_Required_Items")->selectRow(2);
    EXPECT_EQ(text("Items_Required_Title"), "Third");
    EXPECT_EQ(text("Items_Optional_GUID"), " ");
    EXPECT_EQ(text("Items_Optional_Enclosure_Advanced_Filename"), "");
    EXPECT_FALSE(window->outlet("Items_Advanced_DelComments")->isEnabled());
}

TEST_F(ModelToWindowTest, AMissingImageSizeIsTakenFromThePicture)
{
    LocalFileServer server(home());
    ASSERT_NE(server.port(), 0);
    auto feed = std::make_shared<VLXFeed>();
    feed->image()->setURL(pictureAt(server, "wide.png", {176, 62}));
    feed->image()->setWidth("88");
    window->setCurrentFeed(feed);
    auto *picture = window->outlet<CroppingImageView>("Image_Required_Image");
    // The picture is fetched in the background and shown when it arrives.
    ASSERT_TRUE(QTest::qWaitFor([&] { return picture->hasImage(); }, 10000));
    EXPECT_EQ(picture->image().size(), QSize(176, 62));
    EXPECT_EQ(text("Image_Required_Height"), "31");
    EXPECT_EQ(feed->image()->height(), "31");

    auto both = std::make_shared<VLXFeed>();
    both->image()->setURL(pictureAt(server, "small.png", {120, 40}));
    window->setCurrentFeed(both);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !both->image()->width().isEmpty(); }, 10000));
    EXPECT_EQ(both->image()->width(), "120");
    EXPECT_EQ(both->image()->height(), "40");
    EXPECT_EQ(text("Image_Required_Width"), "120");
}

TEST_F(ModelToWindowTest, AnImageThatCannotBeFetchedIsReportedAndTheRestIsShown)
{
    auto feed = std::make_shared<VLXFeed>();
    feed->setTitle("Still shown");
    LocalFileServer server(home());
    ASSERT_NE(server.port(), 0);
    feed->image()->setURL(server.url("missing.png"));
    alerts->clear();
    window->setCurrentFeed(feed);
    // The rest of the window is filled at once; the failure is reported when the fetch ends.
    EXPECT_EQ(text("Feeds_Required_Title"), "Still shown");
    EXPECT_TRUE(alerts->alerts().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !alerts->alerts().isEmpty(); }, 10000));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts()[0].title, "Connection Failure");
    EXPECT_TRUE(alerts->alerts()[0].message.startsWith("When trying to fetch the image "));
    EXPECT_EQ(text("Feeds_Required_Title"), "Still shown");
    EXPECT_EQ(text("Image_Required_Width"), "");
}
