// The licence library page: its copy of the saved licences, the browser opened only for web
// pages, and OK applying the window's changes to the library as it is stored by then.
#include "PreferencesFixture.h"

#include "platform/DefaultsStore.h"
#include "platform/ScriptedWorkspace.h"
#include "prefs/PreferenceLicencesPage.h"
#include "prefs/PreferenceListActions.h"
#include "ui/VLXTableView.h"

namespace {

QVariantMap licence(const QString &name)
{
    return {{QStringLiteral("LicenseName"), name},
            {QStringLiteral("LicenseHTML"), QStringLiteral("<a>%1</a>").arg(name)}};
}

const QString kWeb = QStringLiteral("https://creativecommons.org/licenses/by/3.0/");
const QString kFile = QStringLiteral("file:///etc/passwd");

class LicenceLibrary : public PreferencesFixture
{
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        workspace = std::make_shared<ScriptedWorkspace>();
        Workspace::setInstance(workspace);
        prefs->store().setObject(QVariantMap {{kWeb, licence("By")}, {kFile, licence("Odd")}},
                                 PreferenceLicencesPage::kLibraryKey);
    }
    void TearDown() override
    {
        Workspace::setInstance(nullptr);
        PreferencesFixture::TearDown();
    }
    PreferenceLicencesPage *page() const
    {
        for (const auto &candidate : window->pages()) {
            if (auto *found = dynamic_cast<PreferenceLicencesPage *>(candidate.get()))
                return found;
        }
        return nullptr;
    }
    VLXTableView *table() const { return control<VLXTableView>("creativeCommonsTable"); }
    QVariantMap stored() const
    {
        return prefs->store()
            .dictionary(PreferenceLicencesPage::kLibraryKey)
            .value_or(QVariantMap());
    }
    std::shared_ptr<ScriptedWorkspace> workspace;
};

TEST_F(LicenceLibrary, RowsShowNameAndURLAndOnlyWebPagesAreOpened)
{
    open(QStringLiteral("feed"), {}, QStringLiteral("Creative Commons Licenses"));
    PreferenceLicencesPage *library = page();
    ASSERT_NE(library, nullptr);
    ASSERT_EQ(library->urls().size(), 2);
    const int web = int(library->urls().indexOf(kWeb));
    const int file = int(library->urls().indexOf(kFile));
    EXPECT_EQ(library->tableViewObjectValue(table(), "licence", web, Qt::DisplayRole).toString(),
              QStringLiteral("By\n") + kWeb);

    const int beeps = PreferenceListActions::beepCount();
    library->licenceInfo(); // nothing selected
    library->deleteLicence();
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 2);

    table()->selectRow(file);
    library->licenceInfo();
    library->doubleAction(file);
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 4);
    EXPECT_TRUE(workspace->opened().isEmpty());

    library->doubleAction(7); // outside the rows: nothing, not even a beep
    table()->selectRow(web);
    library->licenceInfo();
    library->doubleAction(web);
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 4);
    EXPECT_EQ(workspace->opened(), (QList<QUrl> {QUrl(kWeb), QUrl(kWeb)}));
}

TEST_F(LicenceLibrary, OkKeepsLicencesSavedElsewhereMeanwhileAndCancelWritesNothing)
{
    open();
    PreferenceLicencesPage *library = page();
    table()->selectRow(int(library->urls().indexOf(kFile)));
    library->deleteLicence();
    library->addLicence(QStringLiteral("https://example.org/new"), "New", "<a>new</a>");
    library->addLicence(QStringLiteral("https://example.org/new"), "Newer", "<a>newer</a>");

    // A picker's creator saves a licence while the window is open.
    QVariantMap meanwhile = stored();
    meanwhile.insert(QStringLiteral("https://example.org/picked"), licence("Picked"));
    prefs->store().setObject(meanwhile, PreferenceLicencesPage::kLibraryKey);

    window->ok();
    const QVariantMap after = stored();
    EXPECT_EQ(after.keys(),
              (QStringList {QStringLiteral("https://creativecommons.org/licenses/by/3.0/"),
                            QStringLiteral("https://example.org/new"),
                            QStringLiteral("https://example.org/picked")}));
    EXPECT_EQ(after.value(QStringLiteral("https://example.org/new")).toMap(),
              (QVariantMap {{"LicenseName", "Newer"}, {"LicenseHTML", "<a>newer</a>"}}));

    open();
    table()->selectRow(0);
    page()->deleteLicence();
    window->revert();
    EXPECT_EQ(stored(), after);
}

} // namespace
