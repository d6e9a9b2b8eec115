// Extension defaults set through the window's Preferences command reach the new feeds and items
// they are for, and editing a default never touches the feed that is open (nor its items, their
// dates or the undo stack).
#include "ActionsFixture.h"
#include "DialogScript.h"

#include "app/DocumentActions.h"
#include "app/ItemActions.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/XMLSourceRequest.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/content/contentEncodedItem.h"
#include "extensions/dc/dcItem.h"
#include "extensions/itunes/iTunesItem.h"
#include "extensions/mrss/mrssItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSRaw.h"
#include "model/knownNamespaces.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/RawXMLPane.h"
#include "prefs/PreferenceNamespacesPage.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAction>
#include <QLineEdit>
#include <QStackedWidget>

namespace {

const QString kFoo = QStringLiteral("foo||http://example.org/foo||0||");

class ExtensionDefaultsCommand : public ActionsFixture
{
protected:
    void TearDown() override
    {
        Vellumcast::setXMLSourceEditor(nullptr);
        ActionsFixture::TearDown();
    }
    void inPreferences(const std::function<void(PreferencesWindow *)> &script)
    {
        bool ran = false;
        whileModal([&](QWidget *modal) {
            auto *prefs = qobject_cast<PreferencesWindow *>(modal);
            ASSERT_NE(prefs, nullptr);
            ran = true;
            script(prefs);
        });
        window().command("preferences")->trigger();
        settle();
        EXPECT_TRUE(ran);
    }
    static ExtensionFieldPane *paneOf(QWidget *control)
    {
        ExtensionFieldPane *pane = nullptr;
        for (QWidget *up = control; up && !pane; up = up->parentWidget())
            pane = qobject_cast<ExtensionFieldPane *>(up);
        return pane;
    }
    static void typeInPane(PreferencesWindow *prefs, const char *name, const QString &text)
    {
        auto *line = prefs->findChild<VLXTextField *>(QLatin1String(name));
        ASSERT_NE(line, nullptr) << name;
        ExtensionFieldPane *pane = paneOf(line);
        ASSERT_NE(pane, nullptr);
        pane->tracker()->setTextAsEdit(line, text);
    }
    Vellumcast &openITunesFeed()
    {
        return openInWindow(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">"
            "<channel><title>T</title><link>http://example.org/</link><description>D"
            "</description><item><title>A</title><description>a</description>"
            "<itunes:subtitle>old</itunes:subtitle></item></channel></rss>\n");
    }
    const VLXItems &shownItem() const
    {
        return *window().currentFeed()->itemAtIndex(window().document()->shownItem());
    }
};

TEST_F(ExtensionDefaultsCommand, ITunesItemDefaultsOfAllFeedsAndOfTheFeedReachANewItem)
{
    Vellumcast &w = openITunesFeed();
    inPreferences([](PreferencesWindow *prefs) {
        typeInPane(prefs, "FD_AF_IF_EX_ITISubtitle", QStringLiteral("every feed"));
        typeInPane(prefs, "FD_CF_IF_EX_ITIAuthor", QStringLiteral("this feed"));
        prefs->findChild<QAbstractButton *>(QStringLiteral("ok"))->click();
    });
    w.itemActions().newItem();
    endAction();
    const auto extension
        = shownItem().XMLExtensions()->wellSupportedExtensionNamed(QStringLiteral("itunes"));
    const auto *itunes = dynamic_cast<const iTunesItem *>(extension.get());
    ASSERT_NE(itunes, nullptr);
    EXPECT_EQ(itunes->subtitle(), QStringLiteral("every feed"));
    EXPECT_EQ(itunes->author(), QStringLiteral("this feed"));
}

TEST_F(ExtensionDefaultsCommand, ARawXMLDefaultLeavesTheOpenFeedAloneAndReachesANewFeed)
{
    VLXPreferences::addMissingXMLNamespaces({kFoo});
    Vellumcast &w = openFeed();
    const QString pubDate = w.currentFeed()->pubDate();
    const int steps = undo().count();
    Vellumcast::setXMLSourceEditor(
        [](const XMLSourceRequest &) { return std::optional<QString>("<foo:x>default</foo:x>"); });
    inPreferences([](PreferencesWindow *prefs) {
        auto *page = [prefs]() -> PreferenceNamespacesPage * {
            for (const auto &candidate : prefs->pages()) {
                if (auto *found = dynamic_cast<PreferenceNamespacesPage *>(candidate.get()))
                    return found;
            }
            return nullptr;
        }();
        ASSERT_NE(page, nullptr);
        // "foo" declared in every new feed, and its channel default edited.
        const QStringList &registry = VLXPreferences::sharedInstance().general_XMLNamespaces();
        page->feedsExtensionsSelect(int(registry.indexOf(kFoo)));
        auto *tabs = prefs->findChild<QStackedWidget *>(QStringLiteral("AF_FF_OE_tabs"));
        ASSERT_NE(tabs, nullptr);
        qobject_cast<RawXMLPane *>(tabs->widget(0))->editRawXML();
        prefs->findChild<QAbstractButton *>(QStringLiteral("ok"))->click();
    });
    EXPECT_EQ(w.currentFeed()->pubDate(), pubDate);
    EXPECT_EQ(undo().count(), steps);
    EXPECT_FALSE(w.isDocumentEdited());

    w.documentActions().newDocument();
    endAction();
    std::shared_ptr<extensionNSRaw> extension;
    for (const auto &candidate : w.currentFeed()->XMLExtensions()->arrayOfExtensions()) {
        if (candidate && candidate->extensionName() == QLatin1String("foo"))
            extension = candidate;
    }
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->rawXML(), QStringLiteral("<foo:x>default</foo:x>"));
}

TEST_F(ExtensionDefaultsCommand, TheFeedsMediaDublinCoreAndContentDefaultsReachOnlyANewItem)
{
    Vellumcast &w = openInWindow(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">"
        "<channel><title>T</title><link>http://example.org/</link><description>D</description>"
        "<pubDate>Tue, 01 Dec 2026 10:00:00 +0000</pubDate>"
        "<item><title>A</title><description>a</description>"
        "<pubDate>Tue, 01 Dec 2026 10:00:00 +0000</pubDate>"
        "<media:content url=\"http://example.org/a.mp3\" />"
        "<dc:date>2026-12-01T10:00:00+00:00</dc:date>"
        "<content:encoded><![CDATA[<p>a</p>]]></content:encoded></item></channel></rss>\n");
    const VLXItems &first = *w.currentFeed()->itemAtIndex(0);
    const QString feedDate = w.currentFeed()->pubDate();
    const QString itemDate = first.pubDate();
    const int steps = undo().count();
    const bool edited = w.isDocumentEdited();
    inPreferences([](PreferencesWindow *prefs) {
        answerDialog(QStringLiteral("mrssEditContent"), [](QWidget *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("editURL"))
                ->setText(QStringLiteral("https://example.org/default.mp3"));
            clickIn(dialog, QStringLiteral("accept"));
        });
        prefs
            ->findChild<QAbstractButton *>(
                QStringLiteral("FD_CF_IF_EX_mrssItemContentElements_Add"))
            ->click();
        typeInPane(prefs, "FD_CF_IF_EX_DCDate", QStringLiteral("2027-02-03T04:05:06+01:00"));
        auto *content
            = prefs->findChild<VLXTextView *>(QStringLiteral("FD_CF_IF_EX_ContentEncoded"));
        ASSERT_NE(content, nullptr);
        paneOf(content)->tracker()->setTextAsEdit(content, QStringLiteral("<p>default</p>"));
        prefs->findChild<QAbstractButton *>(QStringLiteral("ok"))->click();
    });
    // The twins edited defaults only: the open feed has no step, no new date, no change.
    EXPECT_EQ(undo().count(), steps);
    EXPECT_EQ(w.isDocumentEdited(), edited);
    EXPECT_EQ(w.currentFeed()->pubDate(), feedDate);
    EXPECT_EQ(first.pubDate(), itemDate);
    const mrssItem *media = mrssItem::inUseOf(first);
    ASSERT_NE(media, nullptr);
    ASSERT_EQ(media->mediaContentsValue().size(), 1);
    EXPECT_EQ(media->mediaContentsValueAtIndex(0).attribute("attributeURL"),
              QStringLiteral("http://example.org/a.mp3"));

    w.itemActions().newItem();
    endAction();
    const VLXItems &added = shownItem();
    ASSERT_NE(&added, &first);
    const mrssItem *addedMedia = mrssItem::inUseOf(added);
    ASSERT_NE(addedMedia, nullptr);
    ASSERT_EQ(addedMedia->mediaContentsValue().size(), 1);
    EXPECT_EQ(addedMedia->mediaContentsValueAtIndex(0).attribute("attributeURL"),
              QStringLiteral("https://example.org/default.mp3"));
    const auto *dc = dynamic_cast<const dcItem *>(
        added.XMLExtensions()->knownExtension(KnownNamespace::dublinCore).get());
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->dateElement(), QStringLiteral("2027-02-03T04:05:06+01:00"));
    const auto *content = dynamic_cast<const contentEncodedItem *>(
        added.XMLExtensions()->knownExtension(KnownNamespace::contentEncoded).get());
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->encoded(), QStringLiteral("<p>default</p>"));
}

TEST_F(ExtensionDefaultsCommand, ASyndicationDefaultReachesANewFeed)
{
    VLXPreferences::setObjectForKey(
        QVariantList {knownNamespaces::descriptionOfNamespace(KnownNamespace::syndication)},
        QStringLiteral("FD_AF_Namespaces"));
    Vellumcast &w = openFeed();
    inPreferences([](PreferencesWindow *prefs) {
        auto *period = prefs->findChild<VLXPopUpButton *>(
            QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"));
        ASSERT_NE(period, nullptr);
        const int weekly = period->findText(QStringLiteral("weekly"));
        period->setCurrentIndex(weekly);
        emit period->activated(weekly);
        typeInPane(prefs, "FD_AF_FF_EX_SyndicationUpdateFrequency", QStringLiteral("3"));
        prefs->findChild<QAbstractButton *>(QStringLiteral("ok"))->click();
    });
    w.documentActions().newDocument();
    endAction();
    const FieldExtensionBase *sy = FieldExtensionBase::from(
        w.currentFeed()->XMLExtensions()->knownExtension(KnownNamespace::syndication).get());
    ASSERT_NE(sy, nullptr);
    EXPECT_EQ(sy->text(0), QStringLiteral("weekly"));
    EXPECT_EQ(sy->text(1), QStringLiteral("3"));
}

} // namespace
