#include "app/ChannelPane.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "model/VLXFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "panes/EditTracker.h"
#include "panes/FieldBinding.h"
#include "panes/PaneKit.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace {
const QString kSkipHours = FeedFields::kSkipHours;
const QString kSkipDays = FeedFields::kSkipDays;
} // namespace

ChannelPane::ChannelPane(FeedDocument *document, EditTracker *tracker, QWidget *parent)
    : QWidget(parent), m_document(document), m_tracker(tracker)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *sub = PaneKit::subTabs(QStringLiteral("tabsFeeds_FeedsSub"));
    sub->setMinimumWidth(420);
    buildRequired(sub);
    buildOptional(sub);
    buildExtensions(sub);
    buildAdvanced(sub);
    layout->addWidget(sub);

    m_binding = new FieldBinding(document, tracker, this, FieldScope::Channel);
    m_binding->bind(FeedFields::all(), FeedFields::summaries());

    // The controls that are not fields of the table.
    auto *autoDate = findChild<VLXCheckBox *>(ChannelPane::kAutoPubDate);
    connect(autoDate, &QAbstractButton::clicked, this,
            [this](bool on) { m_document->setAutoPubDate(on); });
    connect(document, &FeedDocument::autoPubDateChanged, autoDate, &QAbstractButton::setChecked);
    for (bool hours : {true, false}) {
        auto *matrix = findChild<VLXMatrix *>(hours ? kSkipHours : kSkipDays);
        connect(matrix, &VLXMatrix::cellClicked, this, [this, matrix, hours](int tag) {
            m_tracker->finalizeChanges();
            m_document->editSkipFlag(hours, tag, matrix->stateOfTag(tag));
        });
    }
    connect(document, &FeedDocument::fieldChanged, this,
            [this](FieldScope scope, int, const QString &outlet) {
                if (scope != FieldScope::Channel)
                    return;
                if (outlet == kSkipHours || outlet == kSkipDays)
                    loadSkipFlags(outlet == kSkipHours);
                else if (outlet == FeedDocument::listOutlet(scope, true)
                         || outlet == FeedDocument::listOutlet(scope, false))
                    findChild<VLXTableView *>(outlet)->reloadData();
            });
}

void ChannelPane::buildRequired(QTabWidget *sub)
{
    auto *required = PaneKit::page(QStringLiteral("Required"));
    auto *layout = new QVBoxLayout(required);
    auto *form = PaneKit::newForm();
    form->addRow(
        tr("Title:"),
        PaneKit::textField(QStringLiteral("Feeds_Required_Title"), tr("Name of the feed")));
    form->addRow(tr("Link:"),
                 PaneKit::textField(QStringLiteral("Feeds_Required_Link"), tr("https://")));
    auto *autoDate = PaneKit::named(new VLXCheckBox, ChannelPane::kAutoPubDate);
    autoDate->setText(tr("Automatic"));
    autoDate->setToolTip(tr("Set the publication date to now on every change"));
    form->addRow(tr("Pub Date:"),
                 PaneKit::dateRow(QStringLiteral("Feeds_Required"),
                                  PaneKit::textField(FeedFields::kFeedPubDate), autoDate));
    layout->addLayout(form);
    layout->addWidget(new QLabel(tr("Description:")));
    layout->addWidget(PaneKit::descriptionEditor(QStringLiteral("Feeds_Required")), 1);
    sub->addTab(required, tr("Required"));
}

void ChannelPane::buildOptional(QTabWidget *sub)
{
    auto *optional = new QVBoxLayout;
    auto *form = PaneKit::newForm();
    auto *language = PaneKit::named(new VLXPopUpButton, QStringLiteral("Feeds_Optional_Language"));
    // Each title carries its code: the field's value.
    for (const QString &title : VLXFeedLanguage::sharedLanguageTitles())
        language->addItem(title, VLXFeedLanguage::sharedCodeForTitle(title));
    language->setCurrentIndex(-1); // a feed without a language shows no choice
    language->setMaxVisibleItems(20);
    form->addRow(tr("Language:"), language);
    form->addRow(
        tr("Webmaster:"),
        PaneKit::textField(QStringLiteral("Feeds_Optional_Webmaster"), tr("e-mail (name)")));
    form->addRow(tr("Editor:"),
                 PaneKit::textField(QStringLiteral("Feeds_Optional_Editor"), tr("e-mail (name)")));
    form->addRow(tr("Copyright:"), PaneKit::textField(QStringLiteral("Feeds_Optional_Copyright")));
    form->addRow(tr("Rating:"), PaneKit::textField(QStringLiteral("Feeds_Optional_Rating")));
    form->addRow(tr("Docs:"), PaneKit::textField(QStringLiteral("Feeds_Optional_Docs")));
    form->addRow(tr("TTL:"),
                 PaneKit::textField(QStringLiteral("Feeds_Optional_TTL"), tr("minutes")));
    optional->addLayout(form);
    optional->addWidget(new QLabel(tr("Categories:")));
    optional->addWidget(PaneKit::tableWithButtons(
        this, FeedFields::kFeedCategories, QStringLiteral("Feeds_Optional_AddCategory"),
        QStringLiteral("Feeds_Optional_DelCategory"), QStringLiteral("Feeds_Optional_EditCategory"),
        {QStringLiteral("category")}));
    PaneKit::channelGroups(
        [optional](const QString &base, const QString &title) {
            return PaneKit::disclosure(optional, base, title);
        },
        QStringLiteral("Feeds_Optional"), kSkipHours, kSkipDays);
    optional->addStretch(1);
    sub->addTab(PaneKit::scrollingPage(QStringLiteral("Optional"), optional), tr("Optional"));
}

void ChannelPane::buildExtensions(QTabWidget *sub)
{
    // The "General" tab lists the namespaces; one tab per extension follows.
    auto *extensions = PaneKit::page(QStringLiteral("Extensions"));
    auto *layout = new QVBoxLayout(extensions);
    layout->setContentsMargins(0, 4, 0, 0);
    auto *tabs = PaneKit::subTabs(QStringLiteral("tabsFeeds_FeedsExtensions"));
    auto *general = PaneKit::page(QStringLiteral("General"));
    auto *generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(new QLabel(tr("Namespaces used by this feed:")));
    auto *namespaces = PaneKit::named(new VLXTableView, ChannelPane::kNamespaceTable);
    namespaces->setDataSource(this, {QStringLiteral("extensionUsed"), QStringLiteral("namespace")},
                              {tr("Use"), tr("Namespace")});
    namespaces->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    generalLayout->addWidget(namespaces, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(
        PaneKit::smallButton(QStringLiteral("Feeds_Extensions_Add"), tr("Add Namespace\u2026")));
    buttons->addStretch(1);
    generalLayout->addLayout(buttons);
    tabs->addTab(general, tr("General"));
    layout->addWidget(tabs);
    sub->addTab(extensions, tr("Extensions"));
}

void ChannelPane::buildAdvanced(QTabWidget *sub)
{
    QWidget *advanced = PaneKit::commentsPage(this, QStringLiteral("Feeds"));
    auto *form = PaneKit::newForm();
    form->addRow(tr("XSL Style Sheet:"),
                 PaneKit::textField(QStringLiteral("Feeds_Advanced_StyleSheet"), tr("https://")));
    form->addRow(
        tr("CSS Style Sheet:"),
        PaneKit::textField(QStringLiteral("Feeds_Advanced_StyleSheetCSS"), tr("https://")));
    static_cast<QVBoxLayout *>(advanced->layout())->insertLayout(0, form);
    sub->addTab(advanced, tr("Advanced"));
}

void ChannelPane::loadData()
{
    m_binding->load();
    findChild<VLXCheckBox *>(ChannelPane::kAutoPubDate)->setChecked(m_document->autoPubDate());
    loadSkipFlags(true);
    loadSkipFlags(false);
    reloadTables();
}

void ChannelPane::loadSkipFlags(bool hours)
{
    const VLXFeed &feed = *m_document->feed();
    auto *matrix = findChild<VLXMatrix *>(hours ? kSkipHours : kSkipDays);
    const QString summaryName = hours ? QStringLiteral("Feeds_Optional_SkipHours")
                                      : QStringLiteral("Feeds_Optional_SkipDays");
    QString summary;
    if (hours) {
        for (int hour = 0; hour < 24; ++hour)
            matrix->setStateOfTag(hour, feed.skipHours(hour));
        summary = VLXLogic::buildSkipHoursString(feed.skipHoursFlags());
    } else {
        for (int day = 0; day < 7; ++day)
            matrix->setStateOfTag(day, feed.skipDays(day));
        summary = VLXLogic::buildSkipDaysString(feed.skipDaysFlags());
    }
    m_tracker->setDisplayedText(findChild<QWidget *>(summaryName), summary);
}

QStringList ChannelPane::namespaceRegistry()
{
    return VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces")).toStringList();
}

void ChannelPane::reloadTables()
{
    for (const QLatin1String name :
         {FeedFields::kFeedCategories, FeedFields::kFeedXMLComments, kNamespaceTable}) {
        if (auto *table = findChild<VLXTableView *>(name))
            table->reloadData();
    }
}

void ChannelPane::loadExtensionTabs()
{
    const extensionManagerChannel *channel = m_document->feed()->XMLExtensions();
    auto *tabs = findChild<QTabWidget *>(QStringLiteral("tabsFeeds_FeedsExtensions"));
    ExtensionTabs::rebuild(tabs, channel, 1, {m_document, m_tracker, FieldScope::Channel, {}});
    ExtensionTabs::show(tabs, channel, 1);
    if (auto *namespaces = findChild<VLXTableView *>(ChannelPane::kNamespaceTable))
        namespaces->reloadData();
}

int ChannelPane::numberOfRowsInTableView(VLXTableView *table)
{
    const QString name = table->objectName();
    const VLXFeed &feed = *m_document->feed();
    // The registry's namespaces, then the raw extension "User Defined".
    if (name == ChannelPane::kNamespaceTable) {
        m_registry = namespaceRegistry();
        m_usedPrefixes = m_document->namespacesUsed();
        return int(m_registry.size()) + 1;
    }
    int rows = 0;
    QString buttons;
    if (name == FeedFields::kFeedCategories) {
        rows = int(feed.category().size());
        buttons = QStringLiteral("Feeds_Optional_%1Category");
    } else if (name == FeedFields::kFeedXMLComments) {
        rows = int(feed.XMLComments().size());
        buttons = QStringLiteral("Feeds_Advanced_%1Comments");
    }
    // Delete and Edit need a row to act on.
    for (const char *kind : {"Del", "Edit"}) {
        if (QWidget *button = findChild<QWidget *>(buttons.arg(QLatin1String(kind))))
            button->setEnabled(rows > 0);
    }
    return rows;
}

QVariant ChannelPane::tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                           int role)
{
    const QString name = table->objectName();
    const VLXFeed &feed = *m_document->feed();
    if (name == ChannelPane::kNamespaceTable) {
        const bool raw = row == m_registry.size();
        const QString description = m_registry.value(row);
        if (column == QLatin1String("extensionUsed")) {
            if (role != Qt::CheckStateRole)
                return {};
            const bool used = raw ? m_document->rawExtensionUsed()
                                  : m_usedPrefixes.contains(
                                      extensionNSName::extensionNameFromDescription(description));
            return used ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::FontRole) {
            QFont font;
            font.setBold(!raw && extensionNSName::wellSupportedFromDescription(description));
            return font;
        }
        if (role != Qt::DisplayRole)
            return {};
        return raw ? knownNamespaces::kUserDefined
                   : extensionNSName::displayDescriptionFromDescription(description);
    }
    if (role != Qt::DisplayRole)
        return {};
    if (name == FeedFields::kFeedCategories)
        return PaneKit::categoryText(feed.category().value(row));
    if (name == FeedFields::kFeedXMLComments)
        return VLXLogic::convertCRLFtoSymbols(feed.XMLComments().value(row));
    return {};
}
