// A licence made on the licence page by the stand-in licence service, and the default licence
// lists of the Creative Commons panes.
#include "CreativeCommonsTestSupport.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "platform/DefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "prefs/PreferenceLicencesPage.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

class LicenceCreate : public CreativeCommonsFixture
{
protected:
    void SetUp() override
    {
        CreativeCommonsFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        prefs = &VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(
            folder.filePath(QStringLiteral("Vellumcast.plist"))));
        window = std::make_unique<PreferencesWindow>();
    }
    void TearDown() override
    {
        window.reset();
        CreativeCommonsFixture::TearDown();
    }
    PreferenceLicencesPage *page() const
    {
        for (const auto &candidate : window->pages()) {
            if (auto *found = dynamic_cast<PreferenceLicencesPage *>(candidate.get()))
                return found;
        }
        return nullptr;
    }
    QTemporaryDir folder;
    VLXPreferences *prefs = nullptr;
    std::unique_ptr<PreferencesWindow> window;
};

TEST_F(LicenceCreate, AnIssuedLicenceIsKeptAtOkBesideOneSavedByAPickerMeanwhile)
{
    startService();
    window->openPanel(*prefs, QStringLiteral("feed"), {},
                      QStringLiteral("Creative Commons Licenses"));
    QString issued;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *creator) {
        auto *types = creator->findChild<QComboBox *>(QStringLiteral("licenseTypeButton"));
        ASSERT_TRUE(waitFor([types] { return types->count() > 1; }));
        choose(types, QStringLiteral("Public Domain"));
        auto *generate = creator->findChild<QPushButton *>(QStringLiteral("generate"));
        ASSERT_TRUE(waitFor([generate] { return generate->isVisible(); }));
        generate->click();
        auto *url = creator->findChild<QLineEdit *>(QStringLiteral("licenseURL"));
        ASSERT_TRUE(waitFor([url] { return !url->text().isEmpty(); }));
        issued = url->text();
        creator->findChild<QPushButton *>(QStringLiteral("acceptButton"))->click();
    });
    window->findChild<QPushButton *>(QStringLiteral("creativeCommonsCreateNew"))->click();
    ASSERT_FALSE(issued.isEmpty());
    EXPECT_EQ(page()->urls(), QStringList {issued});
    // Not stored before OK.
    EXPECT_TRUE(CreativeCommonsLibrary::licenses().isEmpty());

    CreativeCommonsLibrary::saveLicense(QStringLiteral("https://picked.example/"),
                                        QStringLiteral("Picked"), QString());
    window->ok();
    EXPECT_EQ(CreativeCommonsLibrary::licenses().keys(),
              (QStringList {issued, QStringLiteral("https://picked.example/")}));
    EXPECT_FALSE(CreativeCommonsLibrary::licenseNameForURL(issued).isEmpty());
}

TEST_F(LicenceCreate, TheDefaultLicenceListsTakeTheSameURLTwiceAndReachTheSettings)
{
    CreativeCommonsLibrary::saveLicense(QStringLiteral("https://one.example/"),
                                        QStringLiteral("One"), QString());
    window->openPanel(*prefs, QStringLiteral("feed"), {},
                      QStringLiteral("All Feeds Feed creativeCommons"));
    auto *table = window->findChild<VLXTableView *>(QStringLiteral("FD_AF_FF_EX_CCLicenseTable"));
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < 2; ++i) {
        whenShown(QStringLiteral("creativeCommonsSelect"), [](QDialog *picker) {
            auto *list = picker->findChild<VLXTableView *>(QStringLiteral("licenseTable"));
            list->selectRow(0);
            picker->findChild<QPushButton *>(QStringLiteral("accept"))->click();
        });
        window->findChild<QPushButton *>(QStringLiteral("FD_AF_FF_EX_CCLicense_Add"))->click();
    }
    EXPECT_EQ(
        prefs->displayedValues().value(QStringLiteral("FD_AF_FF_EX_CCLicense")).toStringList(),
        (QStringList {"https://one.example/", "https://one.example/"}));
    window->ok();
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_AF_FF_EX_CCLicense")).toStringList(),
              (QStringList {"https://one.example/", "https://one.example/"}));
}

} // namespace
