// The preferences window through the window's own Preferences command: what is accepted reaches
// new items and the description views, what is cancelled reaches nothing.
#include "ActionsFixture.h"

#include "app/ItemActions.h"
#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/SettingsEquality.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QAbstractButton>
#include <QAction>

namespace {

class PreferencesCommand : public ActionsFixture
{
protected:
    // Opens the preferences through the command and runs the script in the window.
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
    static void type(PreferencesWindow *prefs, const char *field, const QString &text)
    {
        auto *line = prefs->findChild<VLXTextField *>(QLatin1String(field));
        ASSERT_NE(line, nullptr) << field;
        line->setText(text);
        emit line->editingFinished();
    }
    static void click(PreferencesWindow *prefs, const char *button)
    {
        prefs->findChild<QAbstractButton *>(QLatin1String(button))->click();
    }
    const VLXItems &shownItem() const
    {
        return *window().currentFeed()->itemAtIndex(window().document()->shownItem());
    }
};

TEST_F(PreferencesCommand, AnAcceptedItemAuthorReachesTheNextNewItem)
{
    Vellumcast &w = openFeed();
    ASSERT_TRUE(w.command("preferences")->isEnabled());
    inPreferences([](PreferencesWindow *prefs) {
        EXPECT_EQ(prefs->shownPage(), PreferencesWindow::kFirstPage);
        type(prefs, "FD_AF_IF_Author", QStringLiteral("editor@example.org"));
        click(prefs, "ok");
    });
    w.itemActions().newItem();
    endAction();
    EXPECT_EQ(shownItem().author(), QStringLiteral("editor@example.org"));
}

TEST_F(PreferencesCommand, CancelAfterEditsChangesNothingNowOrAtTheNextOpening)
{
    Vellumcast &w = openFeed();
    const QVariantMap before = VLXPreferences::sharedInstance().preferences();
    inPreferences([](PreferencesWindow *prefs) {
        type(prefs, "FD_AF_IF_Author", QStringLiteral("all"));
        type(prefs, "FD_CF_IF_Author", QStringLiteral("this feed"));
        click(prefs, "revert");
    });
    EXPECT_TRUE(SettingsEquality::equal(VLXPreferences::sharedInstance().preferences(), before));
    EXPECT_FALSE(store().contains(QStringLiteral("FD_AF_IF_Author")));
    w.itemActions().newItem();
    endAction();
    EXPECT_EQ(shownItem().author(), QString());
    inPreferences([](PreferencesWindow *prefs) {
        EXPECT_EQ(prefs->findChild<VLXTextField *>("FD_AF_IF_Author")->text(), QString());
        EXPECT_EQ(prefs->findChild<VLXTextField *>("FD_CF_IF_Author")->text(), QString());
        click(prefs, "revert");
    });
}

TEST_F(PreferencesCommand, TheCurrentFeedsEntryIsTheLoadedFeedsAndReturnKeyReachesTheViews)
{
    Vellumcast &w = openFeed();
    const QString key = w.currentFeedObjectForKey("UniqueIdentifier").toString();
    inPreferences([](PreferencesWindow *prefs) {
        type(prefs, "FD_CF_IF_Author", QStringLiteral("this feed"));
        prefs->findChild<VLXMatrix *>("M_returnIsNL")->cellWithTag(1)->click();
        click(prefs, "ok");
    });
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_Author"), key), "this feed");
    EXPECT_TRUE(field<VLXTextViewHTML>("Items_Required_Description")->returnIsNL());
    EXPECT_TRUE(field<VLXTextViewHTML>("Feeds_Required_Description")->returnIsNL());
    w.itemActions().newItem();
    endAction();
    EXPECT_EQ(shownItem().author(), QStringLiteral("this feed"));
}

} // namespace
