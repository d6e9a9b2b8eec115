// The publish sheet's file tables and what plugs into it: the rows as shown, their check boxes
// in step with the sections, the additional files' buttons and the folder browsers.
#include "PublishWindowFixture.h"
#include "publish/PublishFileTableModel.h"
#include "publish/additionalFiles.h"
#include "ui/VLXTableView.h"
#include "ui/vlxDisclosureButton.h"

#include <QColor>
#include <QFile>

namespace {

using namespace PublishTestSupport;

// An additional-file dialog that answers what the test says.
class ScriptedEditor : public AdditionalFileEditor
{
public:
    explicit ScriptedEditor(QStringList *log) : m_log(log) { }
    void setUniqueKey(const QString &key) override { m_log->append(QStringLiteral("key ") + key); }
    void setPubSite(const std::shared_ptr<VLXSite> &site) override
    {
        m_log->append(QStringLiteral("site ") + (site ? site->siteName() : QString()));
    }
    void setAdditionalFilesInfo(const std::shared_ptr<additionalFiles> &record) override
    {
        m_log->append(QStringLiteral("modify ") + record->filename());
    }
    int edit() override { return 1; }
    std::shared_ptr<additionalFiles> additionalFilesInfo() const override
    {
        auto record = std::make_shared<additionalFiles>();
        record->setFileType(additionalFiles::XMLExport);
        record->setFilename(QStringLiteral("copy%1.xml").arg(m_log->size()));
        return record;
    }

private:
    QStringList *m_log;
};

class PublishFileTablesTest : public PublishWindowFixture
{
protected:
    void SetUp() override
    {
        PublishWindowFixture::SetUp();
        site = storeSite(QStringLiteral("Server"), 1);
        site->setFtpDefaultXMLDir(QStringLiteral("www/"));
        VLXPreferences::updatePubSite(site);
        useSite(site);
    }
    QAbstractItemModel *model(const QString &table) const
    {
        return outlet<VLXTableView>(table)->model();
    }
    QVariant cell(const QString &table, int row, int column, int role = Qt::DisplayRole) const
    {
        QAbstractItemModel *m = model(table);
        return m->data(m->index(row, column), role);
    }
    void clickBox(const QString &table, int row)
    {
        QAbstractItemModel *m = model(table);
        m->setData(m->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }

    std::shared_ptr<VLXSite> site;
};

TEST_F(PublishFileTablesTest, EnclosureRowsShowTheirStateInColourAndTickTheSection)
{
    const auto sent = addEnclosure(QStringLiteral("sent.mp3"), 10);
    sent->setLastUploaded(QDateTime::currentDateTime().addDays(1));
    addEnclosure(QStringLiteral("new.mp3"), 10);
    auto bare = std::make_shared<VLXItems>();
    bare->setTitle(QStringLiteral("Bare"));
    bare->setEnclosureAttrURL(QStringLiteral("http://example.com/bare.mp3"));
    feed.addItem(bare);

    runSheet([&] {
        const QString table = QStringLiteral("enclosureTable");
        EXPECT_EQ(PublishFileTableModel::columnIdentifiers(),
                  (QStringList {QStringLiteral("UploadCheckBox"),
                                QStringLiteral("UploadedModified"), QStringLiteral("Filename")}));
        ASSERT_EQ(model(table)->rowCount(), 3);
        EXPECT_EQ(cell(table, 0, 1), QStringLiteral("Up to date"));
        EXPECT_EQ(cell(table, 1, 1), QStringLiteral("Never published"));
        EXPECT_EQ(cell(table, 1, 1, Qt::ForegroundRole).value<QColor>(), QColor(204, 0, 0));
        EXPECT_EQ(cell(table, 2, 1), QStringLiteral("No local file defined"));
        EXPECT_EQ(cell(table, 0, 0, Qt::CheckStateRole), Qt::Unchecked);
        EXPECT_EQ(cell(table, 1, 0, Qt::CheckStateRole), Qt::Checked);
        // Two lines: the item, and its file; an item without a file has one.
        EXPECT_EQ(cell(table, 1, 2, PublishFileTableModel::TitleRole), QStringLiteral("new.mp3"));
        EXPECT_EQ(cell(table, 1, 2, PublishFileTableModel::PathRole),
                  local.filePath(QStringLiteral("new.mp3")));
        EXPECT_EQ(cell(table, 2, 2), QStringLiteral("Bare"));
        // A ticked row ticks and opens its section.
        EXPECT_TRUE(window.isOn(Toggle::UploadEnclosure));
        EXPECT_TRUE(window.isSectionOpen(PublishView::Table::Enclosures));

        // The row without a file cannot be ticked; unticking the last one clears the section's
        // box but leaves it open.
        clickBox(table, 2);
        EXPECT_EQ(cell(table, 2, 0, Qt::CheckStateRole), Qt::Unchecked);
        clickBox(table, 1);
        EXPECT_EQ(cell(table, 1, 0, Qt::CheckStateRole), Qt::Unchecked);
        EXPECT_FALSE(window.isOn(Toggle::UploadEnclosure));
        EXPECT_TRUE(window.isSectionOpen(PublishView::Table::Enclosures));
        close();
    });
    // Nothing ticked when the sheet opens: the section is closed.
    feed.itemAtIndex(1)->setLastUploaded(QDateTime::currentDateTime().addDays(1));
    runSheet([&] {
        EXPECT_FALSE(window.isOn(Toggle::UploadEnclosure));
        EXPECT_FALSE(window.isSectionOpen(PublishView::Table::Enclosures));
        close();
    });
}

TEST_F(PublishFileTablesTest, AdditionalFilesAreAddedChangedAndDeletedThroughTheirDialog)
{
    auto page = std::make_shared<additionalFiles>();
    page->setFileType(additionalFiles::HTMLExport);
    page->setFileDestination(additionalFiles::XMLFolder);
    page->setFilename(QStringLiteral("index.html"));
    page->setExportTemplate(QStringLiteral("/templates/page.html"));
    window.setAdditionalFiles({page});

    runSheet([&] {
        const QString table = QStringLiteral("otherFilesTable");
        ASSERT_EQ(model(table)->rowCount(), 1);
        EXPECT_EQ(cell(table, 0, 2, PublishFileTableModel::TitleRole),
                  QStringLiteral("www/index.html"));
        EXPECT_EQ(cell(table, 0, 2, PublishFileTableModel::PathRole), page->fileSource());
        EXPECT_EQ(cell(table, 0, 0, Qt::CheckStateRole), Qt::Checked);
        EXPECT_TRUE(window.isOn(Toggle::UploadOtherFiles));
        // Without the dialog only Delete works; it needs a chosen row.
        EXPECT_TRUE(button(QStringLiteral("otherFilesDelete"))->isEnabled());
        EXPECT_FALSE(button(QStringLiteral("otherFilesAdd"))->isEnabled());
        EXPECT_FALSE(button(QStringLiteral("otherFilesModify"))->isEnabled());
        window.otherFilesAction(2);
        EXPECT_EQ(model(table)->rowCount(), 1);
        close();
    });

    QStringList log;
    PublishDialogs::setAdditionalFileEditorFactory(
        [&log] { return std::make_unique<ScriptedEditor>(&log); });
    runSheet([&] {
        const QString table = QStringLiteral("otherFilesTable");
        auto *view = outlet<VLXTableView>(table);
        EXPECT_TRUE(button(QStringLiteral("otherFilesAdd"))->isEnabled());
        button(QStringLiteral("otherFilesAdd"))->click();
        ASSERT_EQ(model(table)->rowCount(), 2);
        EXPECT_EQ(log, (QStringList {QStringLiteral("key FEED-1"), QStringLiteral("site Server")}));
        EXPECT_EQ(cell(table, 1, 0, Qt::CheckStateRole), Qt::Checked);
        EXPECT_EQ(cell(table, 1, 1), QStringLiteral("Never published"));

        // Modify works on the chosen row, also by a double click; not below the last row.
        EXPECT_FALSE(button(QStringLiteral("otherFilesModify"))->isEnabled());
        window.otherFilesDoubleAction(-1);
        EXPECT_EQ(log.size(), 2);
        window.otherFilesDoubleAction(0);
        EXPECT_EQ(log.at(2), QStringLiteral("modify index.html"));
        EXPECT_EQ(window.additionalFileRecords().at(0)->filename(), QStringLiteral("copy5.xml"));

        view->selectRow(1);
        button(QStringLiteral("otherFilesDelete"))->click();
        EXPECT_EQ(model(table)->rowCount(), 1);
        view->selectRow(0);
        button(QStringLiteral("otherFilesDelete"))->click();
        EXPECT_EQ(model(table)->rowCount(), 0);
        EXPECT_FALSE(button(QStringLiteral("otherFilesDelete"))->isEnabled());
        close();
    });
    EXPECT_TRUE(window.additionalFileRecords().isEmpty());
}

TEST_F(PublishFileTablesTest, BrowseButtonsOpenTheInstalledBrowserWithTheSitesOptions)
{
    site->setFtpServer(QStringLiteral("ftp.example.org"));
    site->setFtpUsername(QStringLiteral("pod"));
    site->setFtpStorePassword(0);
    site->setFtpProtocol(1);
    site->setFtpUsePASV(1);
    VLXPreferences::updatePubSite(site);
    runSheet([&] {
        // Nothing to open until the browsers are installed.
        EXPECT_FALSE(button(QStringLiteral("browseDirs"))->isEnabled());
        close();
    });

    struct Browser : FolderBrowser
    {
        QStringList *asked;
        int browse(const QString &folder, const QString &user, const QString &password) override
        {
            asked->append(folder + u'|' + user + u'|' + password);
            return 1;
        }
        QString directory() const override { return QStringLiteral("/chosen"); }
    };
    QStringList asked;
    FolderBrowserRequest request;
    PublishDialogs::setFolderBrowserFactory([&](const FolderBrowserRequest &r) {
        request = r;
        auto browser = std::make_unique<Browser>();
        browser->asked = &asked;
        return browser;
    });
    runSheet([&] {
        EXPECT_TRUE(button(QStringLiteral("browseImageDirs"))->isEnabled());
        window.setText(Field::Password, QStringLiteral("typed"));
        button(QStringLiteral("browseImageDirs"))->click();
        EXPECT_EQ(window.text(Field::RemoteImagePath), QStringLiteral("/chosen"));
        close();
    });
    EXPECT_EQ(asked, QStringList {QStringLiteral("www/|pod|typed")});
    EXPECT_EQ(request.siteType, 1);
    EXPECT_EQ(request.ftpServer, QStringLiteral("ftp.example.org"));
    EXPECT_EQ(request.ftpProtocol, 1);
    EXPECT_TRUE(request.usePASV);
    EXPECT_FALSE(request.useEPSV);
    EXPECT_TRUE(bool(request.transferLog));
}

} // namespace
