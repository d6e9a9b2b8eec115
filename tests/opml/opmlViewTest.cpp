// The OPML window and its row editor, driven offscreen: filling in from the feed files, the
// check boxes, the editor's checks, Accept, Cancel and Save.
#include "opml/opmlView.h"
#include "opml/OPMLRowModel.h"
#include "opml/OPMLWindowTool.h"
#include "opml/opmlEdit.h"

#include "ModalScript.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedFileChooser.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class opmlViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        chooser = std::make_shared<ScriptedFileChooser>();
        FileChooser::setInstance(chooser);
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override
    {
        ModalScript::cancelPending();
        FileChooser::setInstance(nullptr);
        AlertService::setInstance(nullptr);
    }

    // A feed file and its list entry.
    QVariantMap feed(const QString &key, const QString &title, const QString &language = "en")
    {
        const QString path = folder.filePath(key + ".xml");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>"
                                  "<title>%1</title><link>http://%2.example/</link>"
                                  "<description>d</description><language>%3</language>"
                                  "</channel></rss>")
                       .arg(title.toHtmlEscaped(), key, language)
                       .toUtf8());
        return {{"UniqueIdentifier", key},
                {"feedURL", QUrl::fromLocalFile(path).toString()},
                {"feedFileName", key + ".xml"}};
    }
    template<typename T> static T *get(QWidget *window, const char *name)
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QStringList alertTexts() const
    {
        QStringList texts;
        for (const Alert &alert : alerts->alerts())
            texts << alert.title + ": " + alert.message;
        return texts;
    }

    std::shared_ptr<ScriptedAlertService> alerts;
    std::shared_ptr<ScriptedFileChooser> chooser;
    QTemporaryDir folder;
};

TEST_F(opmlViewTest, TheWindowFillsInFromTheFilesAndAcceptStoresTheChoices)
{
    const QList<QVariantMap> feeds {
        feed("one", "First Show"),
        feed("two", "Second & Co", "de"),
        {{"UniqueIdentifier", "gone"},
         {"feedURL", QUrl::fromLocalFile(folder.filePath("gone.xml")).toString()}}};
    // A title the user gave earlier survives the filling.
    VLXPreferences::setObjectForKey("My own title", "OPML_CF_Title", "two");
    VLXPreferences::setObjectForKey("http://two.example/feed.xml", "OPML_CF_XMLURL", "two");
    VLXPreferences::setObjectForKey("Stored head", "OPML_Title");

    OPMLWindowTool tool;
    QStringList seen;
    ModalScript::whenShown("opmlView", [&] {
        auto *view = qobject_cast<opmlView *>(ModalScript::active("opmlView"));
        ASSERT_NE(view, nullptr);
        // Filled once the window is up; the progress goes when done.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !get<QProgressBar>(view, "progress")->isVisible(); }));
        const auto &rows = view->rowModel()->rows();
        seen << rows.at(0).title << rows.at(0).HTMLURL << rows.at(0).language << rows.at(0).XMLURL
             << rows.at(1).title << rows.at(1).rawTitle << rows.at(1).language << rows.at(2).title;
        EXPECT_EQ(get<QLineEdit>(view, "opmlTitle_")->text(), "Stored head");
        EXPECT_EQ(get<QLabel>(view, "progressText")->text(), "3 of 3");

        // Row 0 has no XML address: it cannot be switched on. Row 1 can.
        EXPECT_FALSE(view->checkBoxAction(0));
        EXPECT_EQ(rows.at(0).included, 0);
        EXPECT_TRUE(view->checkBoxAction(1));
        EXPECT_EQ(rows.at(1).included, 1);
        EXPECT_FALSE(view->checkBoxAction(7));
        get<QLineEdit>(view, "opmlOwnerEMail_")->setText("me@example.org");
        get<QPushButton>(view, "acceptButton")->click();
    });
    EXPECT_EQ(tool.showOPMLList(nullptr, feeds), 1);
    EXPECT_EQ(seen,
              (QStringList {"First Show", "http://one.example/", "en", "", "My own title",
                            "Second & Co", "de", ""}));

    // Everything stored, for each feed, stamped with the moment of Accept.
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_Included", "two").toInt(), 1);
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_Title", "two").toString(), "My own title");
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_RawTitle", "one").toString(), "First Show");
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_Language", "one").toString(), "en");
    EXPECT_TRUE(VLXPreferences::objectForKey("OPML_CF_LastSaved", "one").toDateTime().isValid());
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_OwnerEMail").toString(), "me@example.org");

    // Cancel stores nothing.
    ModalScript::whenShown("opmlView", [&] {
        auto *view = qobject_cast<opmlView *>(ModalScript::active("opmlView"));
        view->checkBoxAction(1);
        get<QLineEdit>(view, "opmlTitle_")->setText("Dropped");
        get<QPushButton>(view, "cancelButton")->click();
    });
    EXPECT_EQ(tool.showOPMLList(nullptr, feeds), 0);
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_Included", "two").toInt(), 1);
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_Title").toString(), "Stored head");
}

TEST_F(opmlViewTest, TheEditorChecksItsAddressesInOrder)
{
    opmlView view;
    view.setListOfFeeds({feed("one", "First Show")});
    EXPECT_EQ(view.findChild<QLabel *>("progressText")->text(), "0 of 1");
    view.updateFeedInformation();
    EXPECT_EQ(view.findChild<QLabel *>("progressText")->text(), "1 of 1");
    view.findChild<QTableView *>("opmlTable")->selectRow(0);

    const QStringList attempts[] = {{"not a url", ""},
                                    {"http://one.example/", ""},
                                    {"http://one.example/", "no scheme here"},
                                    {"", "http://one.example/rss.xml"}};
    ModalScript::whenShown("opmlEdit", [&] {
        QDialog *editor = ModalScript::active("opmlEdit");
        EXPECT_EQ(get<QLineEdit>(editor, "rawTitle_")->text(), "First Show");
        EXPECT_TRUE(get<QLineEdit>(editor, "rawTitle_")->isReadOnly());
        EXPECT_TRUE(get<QLineEdit>(editor, "filename_")->text().endsWith("one.xml"));
        get<QLineEdit>(editor, "title_")->setText("Edited");
        for (const QStringList &attempt : attempts) {
            get<QLineEdit>(editor, "HTMLURL_")->setText(attempt.at(0));
            get<QLineEdit>(editor, "XMLURL_")->setText(attempt.at(1));
            get<QPushButton>(editor, "accept")->click();
        }
    });
    view.opmlTableAction();
    EXPECT_EQ(alertTexts(),
              (QStringList {"Invalid URL: The HTML URL seems invalid or incomplete",
                            "Invalid URL: The XML URL can not be blank",
                            "Invalid URL: The XML URL seems invalid or incomplete"}));
    const auto &row = view.rowModel()->rows().at(0);
    EXPECT_EQ(row.title, "Edited");
    EXPECT_EQ(row.HTMLURL, "");
    EXPECT_EQ(row.XMLURL, "http://one.example/rss.xml");
    EXPECT_EQ(row.rawTitle, "First Show");

    // Cancel keeps the row as it was.
    ModalScript::whenShown("opmlEdit", [&] {
        QDialog *editor = ModalScript::active("opmlEdit");
        get<QLineEdit>(editor, "title_")->setText("Thrown away");
        get<QPushButton>(editor, "cancel")->click();
    });
    view.opmlTableAction();
    EXPECT_EQ(view.rowModel()->rows().at(0).title, "Edited");
}

TEST_F(opmlViewTest, AHugeFeedFileIsReadBesideTheWindowAndNothingTooLongIsStored)
{
    // A feed whose title is 34 MB, and a title of 5000 characters stored earlier.
    const QString big = folder.filePath("big.xml");
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>");
    file.write(QByteArray(qsizetype(34) << 20, 't'));
    file.write("</title><link>http://big.example/</link><description>d</description>"
               "<language>en</language></channel></rss>");
    file.close();
    const QList<QVariantMap> feeds {
        {{"UniqueIdentifier", "big"}, {"feedURL", QUrl::fromLocalFile(big).toString()}},
        feed("two", "Second")};
    VLXPreferences::setObjectForKey(QString(5000, 'x'), "OPML_CF_Title", "two");
    opmlView view;
    view.setListOfFeeds(feeds);

    // The window's thread, watched by a 1 ms timer while the files are read: it never waits
    // for the reading.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    clock.start();
    tick.start(1);
    view.updateFeedInformation();
    tick.stop();
    longest = std::max(longest, clock.elapsed() - last);
    std::fprintf(stderr, "filled in %lld ms, the longest wait %lld ms\n",
                 static_cast<long long>(clock.elapsed()), static_cast<long long>(longest));
    EXPECT_LT(longest, 100);
    const OPMLDocument::Row &read = view.rowModel()->rows().first();
    EXPECT_TRUE(read.title.isEmpty()) << "a title longer than the settings keep is not taken";
    EXPECT_EQ(read.HTMLURL, "http://big.example/");

    // OK refuses what the settings would not keep, says which, and stores nothing.
    view.accept();
    EXPECT_EQ(alertTexts(),
              QStringList {"OPML List of Feeds: The title of the feed \"two.xml\" is 5000 "
                           "characters long, longer than the 4096 characters it may have. "
                           "Shorten it to keep the list."});
    EXPECT_NE(view.result(), QDialog::Accepted);
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_CF_RawTitle", "two").toString(), "");
}

TEST_F(opmlViewTest, SaveWritesTheDocumentAndRemembersWhere)
{
    VLXPreferences::sharedInstance().store().setObject(folder.path(), "LastOPMLSavePath");
    VLXPreferences::sharedInstance().store().setObject("Vellumcast.opml", "LastOPMLSaveName");
    VLXPreferences::setObjectForKey(1, "OPML_CF_Included", "one");
    VLXPreferences::setObjectForKey("http://one.example/rss.xml", "OPML_CF_XMLURL", "one");
    opmlView view;
    view.setListOfFeeds({feed("one", "First Show"), feed("two", "Left out")});
    view.updateFeedInformation();
    view.findChild<QLineEdit *>("opmlTitle_")->setText("Saved head");

    const QString out = folder.filePath("sub/list.opml");
    QDir().mkpath(folder.filePath("sub"));
    chooser->enqueue({out});
    view.save();
    ASSERT_EQ(chooser->requests().size(), 1);
    const FileRequest &asked = chooser->requests().first();
    EXPECT_EQ(asked.title, "Save OPML");
    EXPECT_EQ(asked.allowedExtensions, QStringList {"opml"});
    EXPECT_EQ(asked.directory, folder.path());
    EXPECT_EQ(asked.proposedName, "Vellumcast.opml");
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes, view.buildOPML());
    EXPECT_TRUE(bytes.contains("<title>Saved head</title>"));
    EXPECT_TRUE(bytes.contains("text=\"First Show\""));
    EXPECT_FALSE(bytes.contains("Left out"));
    EXPECT_EQ(VLXPreferences::sharedInstance().store().string("LastOPMLSavePath"),
              folder.filePath("sub"));
    EXPECT_EQ(VLXPreferences::sharedInstance().store().string("LastOPMLSaveName"), "list.opml");
    EXPECT_EQ(VLXPreferences::objectForKey("OPML_Title").toString(), "Saved head");

    // A write that fails says why and changes neither the file nor the remembered place.
    chooser->enqueue({folder.filePath("missing/other.opml")});
    view.save();
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_TRUE(alerts->alerts().first().message.contains("missing/other.opml"));
    EXPECT_EQ(VLXPreferences::sharedInstance().store().string("LastOPMLSaveName"), "list.opml");
    // Cancelled: nothing written.
    chooser->enqueue({});
    view.save();
    EXPECT_EQ(alerts->alerts().size(), 1);
}

} // namespace
