#include "prefs/PreferenceLicencesPage.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "panes/PaneKit.h"
#include "panes/cc/creativeCommonsCreate.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/Workspace.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "ui/VLXButton.h"
#include "ui/VLXTableView.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QUrl>
#include <QVBoxLayout>

const QString PreferenceLicencesPage::kLibraryKey = QStringLiteral("CreativeCommonsLicenses");

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceLicencesPage", text);
}
} // namespace

PreferenceLicencesPage::PreferenceLicencesPage()
    : PreferencesPage(QStringLiteral("Creative Commons Licenses"), PreferenceScope::AllFeeds)
{
}

DefaultsStore &PreferenceLicencesPage::defaults()
{
    return CreativeCommonsLibrary::store();
}

QWidget *PreferenceLicencesPage::build(PreferencesContext &)
{
    auto *pane = new QVBoxLayout;
    m_table = PaneKit::named(new VLXTableView, QStringLiteral("creativeCommonsTable"));
    m_table->setDataSource(this, {QStringLiteral("licence")});
    m_table->horizontalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(true);
    // Name and URL, one line each.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setMinimumHeight(220);
    QObject::connect(m_table, &VLXTableView::doubleAction, m_table,
                     [this](int row) { doubleAction(row); });
    pane->addWidget(PaneKit::listPanel(tr("Saved licences:"), m_table));
    auto *buttons = new QHBoxLayout;
    const auto add = [buttons](const char *name, const QString &title, auto action) {
        auto *button = PaneKit::smallButton(QLatin1String(name), title);
        QObject::connect(button, &QAbstractButton::clicked, button, action);
        buttons->addWidget(button);
    };
    add("creativeCommonsCreateNew", tr("New Licence\u2026"), [this] { createNew(); });
    add("creativeCommonsDeleteLicense", tr("Delete"), [this] { deleteLicence(); });
    add("creativeCommonsLicenseInfo", tr("Licence Info"), [this] { licenceInfo(); });
    buttons->addStretch(1);
    pane->addLayout(buttons);
    return PreferencePageKit::page(
        identifier(), tr("Creative Commons licences"),
        tr("The licences offered when you add a Creative Commons licence to a feed or an item."),
        pane);
}

void PreferenceLicencesPage::fill(PreferencesContext &)
{
    m_opened = defaults().dictionary(kLibraryKey).value_or(QVariantMap());
    m_library = m_opened;
    rebuildKeys();
}

void PreferenceLicencesPage::accepted(PreferencesContext &)
{
    // The library as stored now, with this window's deletions and additions applied.
    QVariantMap stored = defaults().dictionary(kLibraryKey).value_or(QVariantMap());
    for (auto it = m_opened.cbegin(); it != m_opened.cend(); ++it) {
        if (!m_library.contains(it.key()))
            stored.remove(it.key());
    }
    for (auto it = m_library.cbegin(); it != m_library.cend(); ++it) {
        if (m_opened.value(it.key()) != it.value())
            stored.insert(it.key(), it.value());
    }
    defaults().setObject(stored, kLibraryKey);
    defaults().sync();
    m_opened = stored;
    m_library = stored;
    rebuildKeys();
}

void PreferenceLicencesPage::rebuildKeys()
{
    m_urls = m_library.keys();
    if (m_table)
        m_table->reloadData();
}

void PreferenceLicencesPage::addLicence(const QString &url, const QString &name,
                                        const QString &html)
{
    m_library.insert(
        url,
        QVariantMap {{QStringLiteral("LicenseName"), name}, {QStringLiteral("LicenseHTML"), html}});
    rebuildKeys();
}

void PreferenceLicencesPage::createNew()
{
    creativeCommonsCreate creator;
    if (creator.createNewLicense(m_table) != 1)
        return;
    if (const QString refused = CreativeCommonsLibrary::refusal(
            creator.licenseURLString(), creator.licenseNameString(), creator.licenseHTMLString());
        !refused.isEmpty()) {
        Alert alert;
        alert.title = tr("The licence could not be saved");
        alert.message = refused;
        AlertService::show(alert);
        return;
    }
    addLicence(creator.licenseURLString(), creator.licenseNameString(),
               creator.licenseHTMLString());
}

int PreferenceLicencesPage::selectedRow() const
{
    const int row = m_table ? m_table->selectedRow() : -1;
    return row >= 0 && row < m_urls.size() ? row : -1;
}

void PreferenceLicencesPage::deleteLicence()
{
    const int row = selectedRow();
    if (row < 0) {
        PreferenceListActions::beep();
        return;
    }
    m_library.remove(m_urls.at(row));
    rebuildKeys();
}

void PreferenceLicencesPage::licenceInfo()
{
    const int row = selectedRow();
    if (row < 0) {
        PreferenceListActions::beep();
        return;
    }
    openLicence(m_urls.at(row));
}

void PreferenceLicencesPage::doubleAction(int row)
{
    if (row >= 0 && row < m_urls.size())
        openLicence(m_urls.at(row));
}

bool PreferenceLicencesPage::openLicence(const QString &url)
{
    // The library comes from a file anyone may have written: only web pages are opened.
    const QUrl address(url);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        PreferenceListActions::beep();
        return false;
    }
    return Workspace::open(address);
}

int PreferenceLicencesPage::numberOfRowsInTableView(VLXTableView *)
{
    return int(m_urls.size());
}

QVariant PreferenceLicencesPage::tableViewObjectValue(VLXTableView *, const QString &, int row,
                                                      int role)
{
    if (role != Qt::DisplayRole || row < 0 || row >= m_urls.size())
        return {};
    const QString url = m_urls.at(row);
    const QString name
        = m_library.value(url).toMap().value(CreativeCommonsLibrary::kNameKey).toString();
    return QStringLiteral("%1\n%2").arg(name, url);
}
