#include "app/ToolHandOffs.h"

#include "app/ChannelPane.h"
#include "app/DocumentActions.h"
#include "app/FeedSaving.h"
#include "app/ItemActions.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"

#include "app/SmartDateRules.h"
#include "document/FeedFields.h"
#include "document/FeedListModel.h"
#include "document/ItemLimit.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "panes/FeedWizardTool.h"
#include "panes/ItemImportTool.h"
#include "panes/LicencePasteTool.h"
#include "panes/OPMLTool.h"
#include "panes/PreferencesTool.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace {
// A command served by a tool: offered while the tool is installed.
void offer(WindowServices &window, const char *command, bool installed,
           std::function<void()> action)
{
    window.setCommandHandler(QLatin1String(command), installed ? std::move(action) : nullptr);
}
} // namespace

ToolHandOffs::ToolHandOffs(WindowServices &window, FeedSaving &saving,
                           DocumentActions &documentActions, ItemActions &items, QObject *parent)
    : QObject(parent), m_window(window), m_saving(saving), m_documentActions(documentActions),
      m_items(items), m_document(window.document()), m_feedList(window.feedList())
{
}

void ToolHandOffs::setFeedWizard(std::shared_ptr<FeedWizardTool> wizard)
{
    m_feedWizard = std::move(wizard);
    offer(m_window, "feedWizard", m_feedWizard != nullptr, [this] { feedWizard(); });
    offer(m_window, "itemWizard", m_feedWizard != nullptr, [this] { itemWizard(); });
}

void ToolHandOffs::setPreferencesTool(std::shared_ptr<PreferencesTool> tool)
{
    m_preferences = std::move(tool);
    offer(m_window, "preferences", m_preferences != nullptr, [this] { preferences(); });
}

void ToolHandOffs::setItemImportTool(std::shared_ptr<ItemImportTool> tool)
{
    m_itemImport = std::move(tool);
    offer(m_window, "importFeedItems", m_itemImport != nullptr, [this] { importFeedItems(); });
}

void ToolHandOffs::setOPMLTool(std::shared_ptr<OPMLTool> tool)
{
    m_opml = std::move(tool);
    offer(m_window, "createOPML", m_opml != nullptr, [this] { createOPML(); });
}

void ToolHandOffs::setLicencePasteTool(std::shared_ptr<LicencePasteTool> tool)
{
    m_licencePaste = std::move(tool);
    offer(m_window, "pasteCreativeCommons", m_licencePaste != nullptr,
          [this] { pasteCreativeCommons(); });
}

// --- The wizard -----------------------------------------------------------------------------

void ToolHandOffs::feedWizard()
{
    m_window.finalizeChanges();
    if (m_feedWizard && m_saving.askToSaveChanges(FeedSaving::Leaving::CreatingNew)) {
        m_window.showSelectedTab(WindowServices::FeedsTab);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const FeedListEntry entry
            = FeedListEntry::make(QStringLiteral("(FeedWizard)"), QString(), true);
        const QString key = entry.uniqueIdentifier;
        const std::shared_ptr<VLXFeed> made = m_feedWizard->feedWizard(m_window.window(), key);
        if (!made) {
            // The settings the wizard kept for the feed it did not make go with it.
            VLXPreferences::removeUniqueKey(key);
        } else {
            m_document->setEdited(false, true);
            m_document->setImageEdited(false);
            bool automatic = true;
            made->setPubDate(SmartDateRules(key).newFeedDate(&automatic));
            made->replaceItems(m_feedWizard->newItems());
            const QVariantMap localFiles = made->enclosureLocalFileInfo();
            if (made->countOfItems() == 0)
                made->addItem(ItemActions::makeNewItem(
                    key, made->XMLExtensions()->arrayOfExtensionDescriptions()));
            // Read back from its own text, as every feed shown is; it has no file yet.
            const PlacingFeed placing(m_window);
            FeedDocument::LoadOptions options;
            options.validate = false;
            options.hideErrors = true;
            options.fromFile = false;
            options.status = m_window.statusText();
            if (m_document->load(made->buildXML(), entry, options).loaded()) {
                m_document->feed()->setEnclosureLocalFileInfo(localFiles);
                m_feedList->prepend(entry);
                m_window.selectDocumentRow();
                m_window.archiveCurrentFeedList();
                m_window.updateTabAvailability();
                m_window.window()->setWindowTitle(m_document->feed()->title()
                                                  + QStringLiteral("[*]"));
                m_document->setAutoPubDate(automatic);
                m_document->setEdited(true);
                m_document->refreshFeedPubDate();
                m_window.showSelectedTab(WindowServices::FeedsTab);
                m_window.setStatusText(entry.fileName);
                m_window.populateItem(0);
                Alert created;
                created.style = Alert::Style::Informational;
                created.title = QStringLiteral("Feed Created");
                created.message = QStringLiteral(
                    "Your new feed has been created.  Do you wish to save it now?");
                created.defaultButton = QStringLiteral("Yes");
                created.alternateButton = QStringLiteral("No");
                if (AlertService::show(created) == AlertService::kDefault)
                    m_saving.actualSaveDocument(m_window.lastFeedViewed());
            }
        }
    }
    m_documentActions.ensureAFeed();
    m_window.validateCommands();
}

void ToolHandOffs::itemWizard()
{
    m_window.showSelectedTab(WindowServices::ItemsTab);
    m_window.finalizeChanges();
    // A feed that holds all the items it may takes none from the wizard: say so before the
    // user fills it in.
    if (!m_feedWizard || ItemLimit::refuses(m_document->itemCount(), 1))
        return;
    const VLXFeed &feed = *m_document->feed();
    bool useEnclosure = false;
    for (const auto &item : feed.arrayOfItems())
        useEnclosure = useEnclosure || !item->enclosureAttrURL().isEmpty();
    if (!m_feedWizard->feedItemWizard(m_window.window(), m_document->namespaceDescriptions(),
                                      useEnclosure, feed.XMLExtensions()->iTunesExtensionUsed()))
        return;
    m_items.insertItems(m_feedWizard->newItems(), 0, QStringLiteral("Item Wizard"));
}

// --- Preferences, import and OPML -----------------------------------------------------------

void ToolHandOffs::preferences()
{
    m_window.finalizeChanges();
    if (!m_preferences)
        return;
    m_preferences->showPanel(m_window.window(), m_document->entry().uniqueIdentifier,
                             m_document->namespaceDescriptions());
    const bool returnIsNL
        = VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    for (const QLatin1String name : {FeedFields::kFeedDescription, FeedFields::kItemDescription}) {
        if (auto *view = m_window.outlet<VLXTextViewHTML>(name))
            view->setReturnIsNL(returnIsNL);
    }
    m_document->feed()->preferencesChanged();
    if (auto *list = m_window.outlet<VLXListBox>(WindowServices::kFeedList))
        list->reloadData();
    m_window.selectDocumentRow();
    if (auto *namespaces = m_window.outlet<VLXTableView>(ChannelPane::kNamespaceTable))
        namespaces->reloadData();
}

void ToolHandOffs::importFeedItems()
{
    openImportWindow(QString());
}

void ToolHandOffs::importFeedItemsFromDrop(const QString &address)
{
    m_window.showSelectedTab(WindowServices::ItemsTab);
    openImportWindow(address);
}

void ToolHandOffs::openImportWindow(const QString &startingFeed)
{
    if (!m_itemImport || m_importing) {
        QApplication::beep();
        return;
    }
    m_importing = true;
    QPointer<ToolHandOffs> self(this);
    const bool shown = m_itemImport->showImportWindow(
        m_window.window(), m_document->entry().fileName, startingFeed, [self] {
            if (self)
                self->importFeedItemsEnded();
        });
    if (!shown)
        m_importing = false;
}

void ToolHandOffs::importFeedItemsEnded()
{
    m_importing = false;
    m_window.populateItem(0);
}

void ToolHandOffs::createOPML()
{
    if (m_opml)
        m_opml->showOPMLList(m_window.window(), m_feedList->toMaps());
}

// --- The licence paste ----------------------------------------------------------------------

void ToolHandOffs::pasteCreativeCommons()
{
    if (!m_licencePaste)
        return;
    // The field being edited takes the text, as a paste the user made there.
    QPointer<QWidget> target = QApplication::focusWidget();
    QString preselected;
    const VLXFeed &feed = *m_document->feed();
    if (feed.XMLExtensions()->creativeCommonsExtensionUsed()) {
        std::shared_ptr<extensionNSRaw> licences;
        if (m_window.tabsFeedsIndex() != WindowServices::ItemsTab) {
            licences = feed.XMLExtensions()->creativeCommonsExtension();
        } else if (const VLXItems *item = m_document->item(m_window.selectedItemRow())) {
            // On the items page the selected item's licences; without one nothing is preselected.
            licences = item->XMLExtensions()->creativeCommonsExtension();
        }
        if (licences)
            preselected = m_licencePaste->firstLicenceURL(*licences);
    }
    if (!m_licencePaste->selectLicense(m_window.window(), preselected) || !target)
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(target))
        line->paste();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(target))
        plain->paste();
    else if (auto *rich = qobject_cast<QTextEdit *>(target))
        rich->paste();
}
