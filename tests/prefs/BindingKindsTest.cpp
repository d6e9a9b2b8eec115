// How each kind of binding shows a value and reads it back, the summaries and smart-date rules
// of the pages, and which values a feed's extension pages touch.
#include "PreferencesFixture.h"

#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerPrefs.h"
#include "model/extensionNSRaw.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedUnarchiver.h"
#include "prefs/PreferenceBinder.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesPage.h"
#include "prefs/SmartDateStepper.h"
#include "settings/categoryElement.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QLabel>

namespace {

using Kinds = PreferencesFixture;

// A page of a feed's item extension with one field, as the extension panes add them.
class ExtensionFieldPage : public PreferencesPage
{
public:
    ExtensionFieldPage()
        : PreferencesPage(QStringLiteral("Test iTunes"), PreferenceScope::CurrentFeed,
                          {{QStringLiteral("FD_CF_IF_EX_ITISubtitle"),
                            QStringLiteral("FD_CF_IF_EX_ITISubtitle"), BindingKind::PlainText}})
    {
        setRequiredExtension(KnownNamespace::iTunes);
    }

protected:
    QWidget *build(PreferencesContext &) override
    {
        auto *page = new QWidget;
        (new VLXTextField(page))->setObjectName(QStringLiteral("FD_CF_IF_EX_ITISubtitle"));
        return page;
    }
};

TEST_F(Kinds, ExplicitMenusAndTextChecksStoreTheirThreeAndTwoTexts)
{
    QWidget root;
    auto *menu = new VLXPopUpButton(&root);
    menu->setObjectName(QStringLiteral("explicit"));
    menu->addItems({QStringLiteral("Clean"), QStringLiteral("No"), QStringLiteral("Yes")});
    auto *box = new VLXCheckBox(&root);
    box->setObjectName(QStringLiteral("block"));
    PreferencesContext context;
    const PreferenceBinding explicitMenu {QStringLiteral("explicit"), QStringLiteral("k"),
                                          BindingKind::Explicit};
    const PreferenceBinding check1 {QStringLiteral("block"), QStringLiteral("k"),
                                    BindingKind::CheckString1};
    const QList<QPair<QString, int>> menuCases {{"-1", 0}, {"", 1}, {"1", 2}};
    for (const auto &[stored, item] : menuCases) {
        PreferenceBinder::fill(&root, explicitMenu, stored, context);
        EXPECT_EQ(menu->currentIndex(), item) << stored.toStdString();
        EXPECT_EQ(PreferenceBinder::read(&root, explicitMenu, context), stored);
    }
    menu->setCurrentIndex(1);
    EXPECT_EQ(PreferenceBinder::read(&root, explicitMenu, context).toString(), QString());

    PreferenceBinder::fill(&root, check1, QStringLiteral("1"), context);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(PreferenceBinder::read(&root, check1, context), QStringLiteral("1"));
    box->setChecked(false);
    EXPECT_EQ(PreferenceBinder::read(&root, check1, context), QString(QLatin1String("")));
}

TEST_F(Kinds, PlainTextAndDatesAreWrittenBackIntoTheirControls)
{
    QWidget root;
    auto *subtitle = new VLXTextField(&root);
    subtitle->setObjectName(QStringLiteral("subtitle"));
    auto *date = new VLXTextField(&root);
    date->setObjectName(QStringLiteral("date"));
    auto *summary = new VLXTextViewHTML(&root);
    summary->setObjectName(QStringLiteral("summary"));
    PreferencesContext context;

    subtitle->setText(QStringLiteral("<b>word</b>"));
    EXPECT_EQ(PreferenceBinder::read(&root, {"subtitle", "k", BindingKind::PlainText}, context),
              QStringLiteral("word"));
    EXPECT_EQ(subtitle->text(), QStringLiteral("word"));

    summary->setPlainText(QStringLiteral("\n  <i>sum</i> \n"));
    EXPECT_EQ(PreferenceBinder::read(&root, {"summary", "k", BindingKind::PlainTextView}, context),
              QStringLiteral("sum"));
    EXPECT_EQ(summary->toPlainText(), QStringLiteral("sum"));

    date->setText(QStringLiteral("  2024-03-05T10:20:30+01:00 "));
    const QString normal
        = PreferenceBinder::read(&root, {"date", "k", BindingKind::W3CDate}, context).toString();
    EXPECT_EQ(normal, QStringLiteral("2024-03-05T10:20:30+01:00"));
    EXPECT_EQ(date->text(), normal);
}

TEST_F(Kinds, MenusByTitleLanguageAndIndex)
{
    QWidget root;
    auto *menu = new VLXPopUpButton(&root);
    menu->setObjectName(QStringLiteral("menu"));
    menu->addItems({QString(), QStringLiteral("daily"), QStringLiteral("weekly")});
    auto *language = new VLXPopUpButton(&root);
    language->setObjectName(QStringLiteral("language"));
    language->addItems(VLXFeedLanguage::sharedLanguageTitles());
    PreferencesContext context;
    const PreferenceBinding title {"menu", "k", BindingKind::Title};
    PreferenceBinder::fill(&root, title, QStringLiteral("weekly"), context);
    EXPECT_EQ(menu->currentIndex(), 2);
    PreferenceBinder::fill(&root, title, QString(QLatin1String("")), context);
    EXPECT_EQ(PreferenceBinder::read(&root, title, context), QString(QLatin1String("")));
    menu->setCurrentIndex(-1);
    EXPECT_EQ(PreferenceBinder::read(&root, title, context), QString(QLatin1String("")));

    const QString code = VLXFeedLanguage::sharedLanguageCodes().at(5);
    const PreferenceBinding lang {"language", "k", BindingKind::Language};
    PreferenceBinder::fill(&root, lang, code, context);
    EXPECT_EQ(language->currentText(), VLXFeedLanguage::sharedTitleForCode(code));
    language->setCurrentIndex(7);
    EXPECT_EQ(PreferenceBinder::read(&root, lang, context),
              VLXFeedLanguage::sharedLanguageCodes().at(7));
    // A code the table does not have is not lost by reading the menu back.
    PreferenceBinder::fill(&root, lang, QStringLiteral("xx-unknown"), context);
    EXPECT_EQ(language->currentIndex(), -1);
    EXPECT_FALSE(PreferenceBinder::read(&root, lang, context).isValid());

    // An index the menu does not have shows nothing and leaves the stored value alone.
    const PreferenceBinding index {"menu", "k", BindingKind::Index};
    PreferenceBinder::fill(&root, index, 9, context);
    EXPECT_EQ(menu->currentIndex(), -1);
    EXPECT_FALSE(PreferenceBinder::read(&root, index, context).isValid());
}

TEST_F(Kinds, ReturnKeyRowsAndSkipHourCells)
{
    open();
    auto *returnKey = control<VLXMatrix>(QStringLiteral("M_returnIsNL"));
    EXPECT_EQ(returnKey->stateOfTag(0), 1);
    EXPECT_EQ(returnKey->stateOfTag(1), 0);
    returnKey->cellWithTag(1)->click();
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("M_ReturnIsNL")), 1);
    // The window's own description views follow at once.
    EXPECT_TRUE(control<VLXTextViewHTML>(QStringLiteral("FD_AF_IF_Description"))->returnIsNL());

    auto *hours = control<VLXMatrix>(QStringLiteral("FD_AF_FF_SkipHours_Matrix"));
    hours->cellWithTag(0)->click();
    hours->cellWithTag(23)->click();
    for (int hour = 0; hour < 24; ++hour) {
        const QString key
            = QStringLiteral("FD_AF_FF_SkipHoursHr%1").arg(hour, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(prefs->displayedValues().value(key), hour == 0 || hour == 23 ? 1 : 0)
            << key.toStdString();
    }
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("FD_AF_FF_SkipHours"))->text(),
              QStringLiteral("0,23"));
    auto *days = control<VLXMatrix>(QStringLiteral("FD_AF_FF_SkipDays_Matrix"));
    days->cellWithTag(6)->click();
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_SkipDaysSat")), 1);
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_SkipDaysSun")), 0);
}

TEST_F(Kinds, SummariesFollowTheirBoxes)
{
    open();
    type(QStringLiteral("FD_AF_IF_Enclosure_URL"), QStringLiteral("https://example.org/a.mp3"));
    type(QStringLiteral("FD_AF_IF_Enclosure_Length"), QStringLiteral("12"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("FD_AF_IF_Enclosure"))->text(),
              VLXLogic::buildEnclosureString("https://example.org/a.mp3", "12", ""));
    type(QStringLiteral("FD_AF_FF_Cloud_Port"), QStringLiteral("80"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("FD_AF_FF_Cloud"))->text(),
              VLXLogic::buildCloudString("", "80", "", "", ""));
    control<QAbstractButton>(QStringLiteral("FD_CF_IF_GUID_Perma"))->click();
    type(QStringLiteral("FD_CF_IF_GUID_GUID"), QStringLiteral("g"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("FD_CF_IF_GUID"))->text(),
              VLXLogic::buildGUIDString("g", 1));
}

TEST_F(Kinds, SmartDateRulesShowTheNumberAndSetTheStepperRange)
{
    open();
    auto *date = control<VLXPopUpButton>(QStringLiteral("FD_AF_SD_F_DateTo"));
    auto *value = control<VLXTextField>(QStringLiteral("FD_AF_SD_F_X_Val"));
    auto *stepper = control<SmartDateStepper>(QStringLiteral("FD_AF_SD_F_X_Stepper"));
    auto *label = control<QLabel>(QStringLiteral("FD_AF_SD_F_X"));
    ASSERT_EQ(date->count(), 33);
    EXPECT_EQ(date->itemText(32), QStringLiteral("X Day of the month"));
    EXPECT_EQ(control<VLXPopUpButton>(QStringLiteral("FD_AF_SD_F_TimeTo"))->count(), 25);
    EXPECT_EQ(control<VLXPopUpButton>(QStringLiteral("FD_AF_SD_F_TimeTo"))->itemText(13),
              QStringLiteral("12:00 PM"));
    EXPECT_TRUE(value->isHidden());

    const auto choose = [&](int index) {
        date->setCurrentIndex(index);
        emit date->activated(index);
    };
    choose(24); // "Last Day of the month"
    EXPECT_TRUE(value->isHidden() && stepper->isHidden() && label->isHidden());
    choose(26); // "X Monday of the month"
    EXPECT_FALSE(value->isHidden() || stepper->isHidden() || label->isHidden());
    EXPECT_EQ(stepper->minimum(), 1);
    EXPECT_EQ(stepper->maximum(), 5);
    EXPECT_FALSE(stepper->wrapping());
    choose(32);
    EXPECT_EQ(stepper->maximum(), 31);
    type(QStringLiteral("FD_AF_SD_F_X_Val"), QStringLiteral("20"));
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_SD_F_X_Val")), 20);
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_SD_F_DataTo")), 32);
    // The stepper moves the number, as an edit.
    stepper->stepUp();
    EXPECT_EQ(value->text(), QStringLiteral("21"));
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_SD_F_X_Val")), 21);

    // A stored 9 under "X Friday of the month" shows the largest number the rule allows.
    prefs->displayedValues().insert(QStringLiteral("FD_AF_SD_I_DataTo"), 30);
    prefs->displayedValues().insert(QStringLiteral("FD_AF_SD_I_X_Val"), 9);
    window->updateUI();
    EXPECT_EQ(control<SmartDateStepper>(QStringLiteral("FD_AF_SD_I_X_Stepper"))->maximum(), 5);
    EXPECT_EQ(control<VLXTextField>(QStringLiteral("FD_AF_SD_I_X_Val"))->text(),
              QStringLiteral("5"));
}

TEST_F(Kinds, TheCurrentFeedsRulesAreDisabledWhileItsSwitchIsOff)
{
    open();
    const QStringList ten {"FD_CF_SD_F_DateTo",    "FD_CF_SD_F_X",      "FD_CF_SD_F_X_Val",
                           "FD_CF_SD_F_X_Stepper", "FD_CF_SD_F_TimeTo", "FD_CF_SD_I_DateTo",
                           "FD_CF_SD_I_X",         "FD_CF_SD_I_X_Val",  "FD_CF_SD_I_X_Stepper",
                           "FD_CF_SD_I_TimeTo"};
    for (const QString &name : ten)
        EXPECT_FALSE(control(name)->isEnabled()) << name.toStdString();
    control<QAbstractButton>(QStringLiteral("FD_CF_SD_Enabled"))->click();
    for (const QString &name : ten)
        EXPECT_TRUE(control(name)->isEnabled()) << name.toStdString();
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_SD_Enabled")), true);
    control<QAbstractButton>(QStringLiteral("FD_CF_SD_Enabled"))->click();
    EXPECT_FALSE(control(QStringLiteral("FD_CF_SD_I_TimeTo"))->isEnabled());
    // All feeds' rules have no switch.
    EXPECT_TRUE(control(QStringLiteral("FD_AF_SD_I_TimeTo"))->isEnabled());
}

TEST_F(Kinds, TheFeedsCategoriesAreArchivedAndAllFeedsOnesAPlainList)
{
    open();
    const auto category = KeyedArchivable::toVariant(std::make_shared<categoryElement>("c", "d"));
    window->context().list(QStringLiteral("FD_CF_IF_Category_Array")).setItems({category});
    window->context().list(QStringLiteral("FD_AF_IF_Category_Array")).setItems({category});
    window->miscChanged();
    const QVariant feed = prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_Category_Array"));
    EXPECT_EQ(feed.metaType().id(), QMetaType::QByteArray);
    const QVariantList back = KeyedUnarchiver::unarchiveObjectWithData(feed.toByteArray()).toList();
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(KeyedArchivable::objectAs<categoryElement>(back[0])->categoryString(), "c");
    const QVariantList all
        = prefs->displayedValues().value(QStringLiteral("FD_AF_IF_Category_Array")).toList();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(KeyedArchivable::fromVariant(all[0]), KeyedArchivable::fromVariant(category));
}

TEST_F(Kinds, AFeedsExtensionPageIsFilledAndReadOnlyWhileTheFeedUsesIt)
{
    prefs->beginEditing(QStringLiteral("feed"));
    prefs->editedFeedEntry().insert(QStringLiteral("FD_CF_IF_EX_ITISubtitle"),
                                    QStringLiteral("kept"));
    PreferencesContext context;
    context.setStore(prefs);
    ExtensionFieldPage page;
    auto *field = page.widget(context)->findChild<VLXTextField *>("FD_CF_IF_EX_ITISubtitle");
    page.fill(context);
    EXPECT_EQ(field->text(), QString());
    field->setText(QStringLiteral("typed"));
    page.read(context);
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_ITISubtitle")), "kept");

    context.used() = CurrentFeedExtensions::fromDescriptions(everyExtension());
    page.fill(context);
    EXPECT_EQ(field->text(), QStringLiteral("kept"));
    field->setText(QStringLiteral("<b>typed</b>"));
    page.read(context);
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_ITISubtitle")), "typed");
    prefs->discardDisplayedValues();
}

TEST_F(Kinds, RawXMLGoesToTheManagersExtensionsByName)
{
    extensionManagerPrefs manager;
    manager.createExtensionWithNamespace(QStringLiteral("foo"), QStringLiteral("http://f"));
    manager.createExtensionWithNamespace(QStringLiteral("bar"), QStringLiteral("http://b"));
    PreferencesContext context;
    context.setManager(QStringLiteral("others"), &manager);
    const PreferenceBinding raw {QStringLiteral("others"), QStringLiteral("k"),
                                 BindingKind::RawXML};
    PreferenceBinder::fill(nullptr, raw, QVariantMap {{"foo", "<foo:a/>"}, {"gone", "<gone:a/>"}},
                           context);
    EXPECT_EQ(manager.extensionNamed(QStringLiteral("foo"))->rawXML(), "<foo:a/>");
    // Only extensions with raw XML are stored; a name without an extension is skipped.
    EXPECT_EQ(PreferenceBinder::read(nullptr, raw, context),
              (QVariantMap {{"foo", QStringLiteral("<foo:a/>")}}));
}

TEST_F(Kinds, TheRegistryIsEditedWithoutUserDefinedEntries)
{
    prefs->preferences().insert(
        QStringLiteral("General_XMLNamespaces"),
        QStringList {"foo||http://f||0||", "User Defined||||0||", "bar||http://b||0||"});
    open();
    EXPECT_EQ(prefs->general_XMLNamespaces(),
              (QStringList {"foo||http://f||0||", "bar||http://b||0||"}));
    EXPECT_EQ(window->context().list(QStringLiteral("generalXMLNamespaces")).items().size(), 2);
    window->miscChanged();
    EXPECT_EQ(
        prefs->displayedValues().value(QStringLiteral("General_XMLNamespaces")).toStringList(),
        (QStringList {"foo||http://f||0||", "bar||http://b||0||"}));
}

} // namespace
