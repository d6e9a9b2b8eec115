#include "prefs/PreferenceFeedFieldsPage.h"

#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "panes/PaneKit.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "ui/VLXBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QVBoxLayout>
#include <array>

namespace {
const QString kHours = QStringLiteral("FD_AF_FF_SkipHours_Matrix");
const QString kDays = QStringLiteral("FD_AF_FF_SkipDays_Matrix");
const char *const kDayKeys[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

PreferenceBindings feedBindings()
{
    PreferenceBindings b;
    const auto text = [&b](const char *name) {
        const QString key = QStringLiteral("FD_AF_FF_") + QLatin1String(name);
        b.append({key, key, BindingKind::Text});
    };
    text("Title");
    b.append({QStringLiteral("FD_AF_FF_Description"), QStringLiteral("FD_AF_FF_Description"),
              BindingKind::TextView});
    text("Link");
    for (int hour = 0; hour < 24; ++hour)
        b.append({kHours,
                  QStringLiteral("FD_AF_FF_SkipHoursHr%1").arg(hour, 2, 10, QLatin1Char('0')),
                  BindingKind::Check01, hour});
    for (int day = 0; day < 7; ++day)
        b.append({kDays, QStringLiteral("FD_AF_FF_SkipDays") + QLatin1String(kDayKeys[day]),
                  BindingKind::Check01, day});
    b.append({QStringLiteral("FD_AF_FF_Language"), QStringLiteral("FD_AF_FF_Language"),
              BindingKind::Language});
    b.append({QStringLiteral("FD_AF_FF_Category_Array"), QStringLiteral("FD_AF_FF_Category_Array"),
              BindingKind::List});
    for (const char *name :
         {"Cloud_Domain", "Cloud_Port", "Cloud_Path", "Cloud_RegProc", "Cloud_Protocol",
          "TextInput_Title", "TextInput_Description", "TextInput_Name", "TextInput_Link",
          "Webmaster", "Editor", "Copyright", "Rating", "Docs", "TTL"})
        text(name);
    return b;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceFeedFieldsPage", text);
}
} // namespace

PreferenceFeedFieldsPage::PreferenceFeedFieldsPage()
    : PreferencesPage(QStringLiteral("All Feeds Feed Fields"), PreferenceScope::AllFeeds,
                      feedBindings())
{
}

QWidget *PreferenceFeedFieldsPage::build(PreferencesContext &context)
{
    auto *pane = new QVBoxLayout;
    auto *form = PaneKit::newForm();
    form->addRow(tr("Title:"), PaneKit::textField(QStringLiteral("FD_AF_FF_Title")));
    auto *description = PaneKit::named(new VLXTextViewHTML, QStringLiteral("FD_AF_FF_Description"));
    description->setTabChangesFocus(true);
    description->setMinimumHeight(90);
    description->setMaximumHeight(160);
    form->addRow(tr("Description:"), description);
    form->addRow(tr("Link:"), PaneKit::textField(QStringLiteral("FD_AF_FF_Link"), tr("https://")));
    auto *language = PaneKit::named(new VLXPopUpButton, QStringLiteral("FD_AF_FF_Language"));
    language->addItems(VLXFeedLanguage::sharedLanguageTitles());
    language->setCurrentIndex(-1);
    language->setMaxVisibleItems(20);
    form->addRow(tr("Language:"), language);
    pane->addLayout(form);
    {
        PreferencesContext *shared = &context;
        pane->addWidget(PreferencePageKit::editableList(
            context, QStringLiteral("FD_AF_FF_Category"), QStringLiteral("FD_AF_FF_Category_Array"),
            tr("Categories:"), QStringLiteral("category"),
            {QStringLiteral("FD_AF_FF_Optional_AddCategory"),
             QStringLiteral("FD_AF_FF_Optional_DelCategory"),
             QStringLiteral("FD_AF_FF_Optional_EditCategory")},
            [shared](VLXTableView *table, int tag) {
                PreferenceListActions::categoryAction(
                    *shared, QStringLiteral("FD_AF_FF_Category_Array"), table, tag);
            }));
    }
    PaneKit::channelGroups(
        [&context, pane](const QString &base, const QString &title) {
            return PreferencePageKit::disclosure(context, pane, base, title);
        },
        QStringLiteral("FD_AF_FF"), kHours, kDays);
    auto *more = PaneKit::newForm();
    more->addRow(tr("Webmaster:"),
                 PaneKit::textField(QStringLiteral("FD_AF_FF_Webmaster"), tr("e-mail (name)")));
    more->addRow(tr("Editor:"),
                 PaneKit::textField(QStringLiteral("FD_AF_FF_Editor"), tr("e-mail (name)")));
    more->addRow(tr("Copyright:"), PaneKit::textField(QStringLiteral("FD_AF_FF_Copyright")));
    more->addRow(tr("Rating:"), PaneKit::textField(QStringLiteral("FD_AF_FF_Rating")));
    more->addRow(tr("Docs:"), PaneKit::textField(QStringLiteral("FD_AF_FF_Docs")));
    more->addRow(tr("TTL:"), PaneKit::textField(QStringLiteral("FD_AF_FF_TTL"), tr("minutes")));
    pane->addLayout(more);
    return PreferencePageKit::page(identifier(), tr("Feed fields of all feeds"),
                                   tr("Every new feed starts with these channel values."), pane);
}

void PreferenceFeedFieldsPage::showSummaries()
{
    QWidget *page = root();
    if (!page)
        return;
    if (const auto *matrix = page->findChild<VLXMatrix *>(kHours)) {
        std::array<int, 24> hours {};
        for (int hour = 0; hour < 24; ++hour)
            hours[hour] = matrix->stateOfTag(hour);
        PreferencePageKit::setSummary(page, QStringLiteral("FD_AF_FF_SkipHours"),
                                      VLXLogic::buildSkipHoursString(hours));
    }
    if (const auto *matrix = page->findChild<VLXMatrix *>(kDays)) {
        std::array<int, 7> days {};
        for (int day = 0; day < 7; ++day)
            days[day] = matrix->stateOfTag(day);
        PreferencePageKit::setSummary(page, QStringLiteral("FD_AF_FF_SkipDays"),
                                      VLXLogic::buildSkipDaysString(days));
    }
    const auto text = [page](const char *name) {
        return PreferencePageKit::textOf(page, QStringLiteral("FD_AF_FF_") + QLatin1String(name));
    };
    PreferencePageKit::setSummary(
        page, QStringLiteral("FD_AF_FF_Cloud"),
        VLXLogic::buildCloudString(text("Cloud_Domain"), text("Cloud_Port"), text("Cloud_Path"),
                                   text("Cloud_RegProc"), text("Cloud_Protocol")));
    PreferencePageKit::setSummary(
        page, QStringLiteral("FD_AF_FF_TextInput"),
        VLXLogic::buildTextInputString(text("TextInput_Title"), text("TextInput_Description"),
                                       text("TextInput_Name"), text("TextInput_Link")));
}
