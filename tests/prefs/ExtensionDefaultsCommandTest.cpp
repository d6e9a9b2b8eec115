// Extension defaults set through the window's Preferences command reach the new feeds and items
// they are for, and editing a default never touches the feed that is open.
#include "ActionsFixture.h"
#include "DialogScript.h"

#include "app/EditTracker.h"
#include "app/ExtensionFieldPane.h"
#include "app/FeedDocument.h"
#include "app/RawXMLPane.h"
#include "app/VLXUndoManager.h"
#include "editors/XMLSourceRequest.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSRaw.h"
#include "model/knownNamespaces.h"
#include "prefs/PreferenceNamespacesPage.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTextField.h"

#include <QAction>
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
    static void typeInPane(PreferencesWindow *prefs, const char *name, const QString &text)
    {
        auto *line = prefs->findChild<VLXTextField *>(QLatin1String(name));
        ASSERT_NE(line, nullptr) << name;
        ExtensionFieldPane *pane = nullptr;
        for (QWidget *up = line; up && !pane; up = up->parentWidget())
            pane = qobject_cast<ExtensionFieldPane *>(up);
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
    w.newItem();
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

    w.newDocument();
    endAction();
    std::shared_ptr<extensionNSRaw> extension;
    for (const auto &candidate : w.currentFeed()->XMLExtensions()->arrayOfExtensions()) {
        if (candidate && candidate->extensionName() == QLatin1String("foo"))
            extension = candidate;
    }
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->rawXML(), QStringLiteral("<foo:x>default</foo:x>"));
}

} // namespace
