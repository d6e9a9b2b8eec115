#include "prefs/PreferenceMiscellaneousPage.h"

#include "panes/PaneKit.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesContext.h"
#include "ui/VLXTableView.h"

#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include <QHeaderView>

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceMiscellaneousPage", text);
}
} // namespace

PreferenceMiscellaneousPage::PreferenceMiscellaneousPage()
    : PreferencesPage(
        QStringLiteral("Miscellaneous"), PreferenceScope::AllFeeds,
        {
            {QStringLiteral("M_HidePath"), QStringLiteral("M_HidePath"), BindingKind::Check01},
            {QStringLiteral("M_UseKeychain"), QStringLiteral("M_UseKeychain"),
             BindingKind::Check01},
            {QStringLiteral("M_returnIsNL"), QStringLiteral("M_ReturnIsNL"),
             BindingKind::SecondRow},
            {QStringLiteral("M_ShowParseErrorList"), QStringLiteral("M_ShowParseResults"),
             BindingKind::Index},
            // Stored last, after every other value of the window.
            {QStringLiteral("Pub_Sites"), QStringLiteral("Pub_Sites"), BindingKind::List},
        })
{
}

QWidget *PreferenceMiscellaneousPage::build(PreferencesContext &context)
{
    auto *pane = new QVBoxLayout;
    auto *hide = PaneKit::named(new VLXCheckBox, QStringLiteral("M_HidePath"));
    hide->setText(tr("Show feeds in the feed list by their file names, not by their paths"));
    pane->addWidget(hide);
    auto *keyring = PaneKit::named(new VLXCheckBox, QStringLiteral("M_UseKeychain"));
    keyring->setText(tr("Keep the passwords of new publishing sites in the keyring"));
    pane->addWidget(keyring);

    pane->addWidget(new QLabel(tr("In the descriptions, Return types:")));
    auto *returnKey
        = PaneKit::named(new VLXMatrix(nullptr, VLXMatrix::Radio), QStringLiteral("M_returnIsNL"));
    returnKey->addCell(0, tr("a line break tag (<br />) and a new line"), 0, 0);
    returnKey->addCell(1, tr("a new line only"), 1, 0);
    pane->addWidget(returnKey);

    auto *form = PaneKit::newForm();
    auto *results = PaneKit::named(new VLXPopUpButton, QStringLiteral("M_ShowParseErrorList"));
    // The item's index is the stored value.
    results->addItems({tr("Repairs, errors or warnings"), tr("Errors or warnings"),
                       tr("Errors only"), tr("Never")});
    form->addRow(tr("Show the results of reading a feed when it has:"), results);
    pane->addLayout(form);

    // The publishing sites: a site's server, account and folders are entered in its editor.
    PreferencesContext *shared = &context;
    QWidget *sites = PreferencePageKit::editableList(
        context, QStringLiteral("Pub_SitesTable"), QStringLiteral("Pub_Sites"),
        tr("Publishing sites:"), QStringLiteral("Name"),
        {QStringLiteral("Pub_AddSites"), QStringLiteral("Pub_DelSites"),
         QStringLiteral("Pub_EditSites")},
        [shared](VLXTableView *table, int tag) {
            PreferenceListActions::siteAction(*shared, QStringLiteral("Pub_Sites"), table, tag);
        });
    if (auto *table = sites->findChild<VLXTableView *>(QStringLiteral("Pub_SitesTable"))) {
        table->setDataSource(&context.list(QStringLiteral("Pub_Sites")),
                             {QStringLiteral("Type"), QStringLiteral("Name")},
                             {tr("Type"), tr("Name")});
        table->horizontalHeader()->show();
        table->setMaximumHeight(200);
    }
    pane->addWidget(sites);
    return PreferencePageKit::page(identifier(), tr("Miscellaneous"), QString(), pane);
}
