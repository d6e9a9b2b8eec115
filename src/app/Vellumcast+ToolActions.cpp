// Hand-offs to the tools of other parts of the program: the feed and item wizard, the
// preferences, item import, OPML export and the licence paste. Each tool installs itself; its
// commands are offered from then on.
#include "app/Vellumcast.h"

#include "app/DocumentActions.h"
#include "app/FeedListModel.h"
#include "app/FeedSaving.h"
#include "app/FeedWizardTool.h"
#include "app/ItemActions.h"
#include "app/ItemImportTool.h"
#include "app/LicencePasteTool.h"
#include "app/OPMLTool.h"
#include "app/PreferencesTool.h"
#include "app/SmartDateRules.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTextEdit>

// --- Installing -------------------------------------------------------------------------------

namespace {
// A command served by a tool: offered while the tool is installed.
void offer(Vellumcast &window, const char *command, bool installed, std::function<void()> action)
{
    window.setCommandHandler(QLatin1String(command), installed ? std::move(action) : nullptr);
}
} // namespace

void Vellumcast::setFeedWizard(std::shared_ptr<FeedWizardTool> wizard)
{
    m_feedWizard = std::move(wizard);
    offer(*this, "feedWizard", m_feedWizard != nullptr, [this] { feedWizard(); });
    offer(*this, "itemWizard", m_feedWizard != nullptr, [this] { itemWizard(); });
}

void Vellumcast::setPreferencesTool(std::shared_ptr<PreferencesTool> tool)
{
    m_preferences = std::move(tool);
    offer(*this, "preferences", m_preferences != nullptr, [this] { preferences(); });
}

void Vellumcast::setItemImportTool(std::shared_ptr<ItemImportTool> tool)
{
    m_itemImport = std::move(tool);
    offer(*this, "importFeedItems", m_itemImport != nullptr, [this] { importFeedItems(); });
}

void Vellumcast::setOPMLTool(std::shared_ptr<OPMLTool> tool)
{
    m_opml = std::move(tool);
    offer(*this, "createOPML", m_opml != nullptr, [this] { createOPML(); });
}

void Vellumcast::setLicencePasteTool(std::shared_ptr<LicencePasteTool> tool)
{
    m_licencePaste = std::move(tool);
    offer(*this, "pasteCreativeCommons", m_licencePaste != nullptr,
          [this] { pasteCreativeCommons(); });
}

// --- The wizard -----------------------------------------------------------------------------

void Vellumcast::feedWizard()
{
    finalizeChanges();
    if (m_feedWizard && m_saving->askToSaveChanges(FeedSaving::Leaving::CreatingNew)) {
        showSelectedTab(FeedsTab);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const FeedListEntry entry
            = FeedListEntry::make(QStringLiteral("(FeedWizard)"), QString(), true);
        const QString key = entry.uniqueIdentifier;
        const std::shared_ptr<VLXFeed> made = m_feedWizard->feedWizard(m_documentWindow, key);
        if (!made) {
            // The settings the wizard kept for the feed it did not make go with it.
            VLXPreferences::removeUniqueKey(key);
        } else {
            setDocumentEdited(false, true);
            setImageEdited(false);
            bool automatic = true;
            made->setPubDate(SmartDateRules(key).newFeedDate(&automatic));
            made->replaceItems(m_feedWizard->newItems());
            const QVariantMap localFiles = made->enclosureLocalFileInfo();
            if (made->countOfItems() == 0)
                made->addItem(ItemActions::makeNewItem(
                    key, made->XMLExtensions()->arrayOfExtensionDescriptions()));
            // Read back from its own text, as every feed shown is; it has no file yet.
            const QScopedValueRollback placing(m_placingFeed, m_placingFeed + 1);
            FeedDocument::LoadOptions options;
            options.validate = false;
            options.hideErrors = true;
            options.fromFile = false;
            options.status = statusText();
            if (m_document->load(made->buildXML(), entry, options).loaded()) {
                currentFeed()->setEnclosureLocalFileInfo(localFiles);
                m_feedList->prepend(entry);
                selectDocumentRow();
                archiveCurrentFeedList();
                updateTabAvailability();
                m_documentWindow->setWindowTitle(currentFeed()->title() + QStringLiteral("[*]"));
                m_document->setAutoPubDate(automatic);
                setDocumentEdited(true);
                updateFeedAutoPubDate();
                showSelectedTab(FeedsTab);
                setStatusText(entry.fileName);
                populateItem(0);
                Alert created;
                created.style = Alert::Style::Informational;
                created.title = QStringLiteral("Feed Created");
                created.message = QStringLiteral(
                    "Your new feed has been created.  Do you wish to save it now?");
                created.defaultButton = QStringLiteral("Yes");
                created.alternateButton = QStringLiteral("No");
                if (AlertService::show(created) == AlertService::kDefault)
                    m_saving->actualSaveDocument(lastFeedViewed());
            }
        }
    }
    m_documentActions->ensureAFeed();
    validateCommands();
}

void Vellumcast::itemWizard()
{
    showSelectedTab(ItemsTab);
    finalizeChanges();
    if (!m_feedWizard)
        return;
    const VLXFeed &feed = *currentFeed();
    bool useEnclosure = false;
    for (const auto &item : feed.arrayOfItems())
        useEnclosure = useEnclosure || !item->enclosureAttrURL().isEmpty();
    if (!m_feedWizard->feedItemWizard(m_documentWindow, m_document->namespaceDescriptions(),
                                      useEnclosure, feed.XMLExtensions()->iTunesExtensionUsed()))
        return;
    m_itemActions->insertItems(m_feedWizard->newItems(), 0, QStringLiteral("Item Wizard"));
}

// --- Preferences, import and OPML -----------------------------------------------------------

void Vellumcast::preferences()
{
    finalizeChanges();
    if (!m_preferences)
        return;
    m_preferences->showPanel(m_documentWindow, m_document->entry().uniqueIdentifier,
                             m_document->namespaceDescriptions());
    const bool returnIsNL
        = VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    for (const char *name : {"Feeds_Required_Description", "Items_Required_Description"}) {
        if (auto *view = outlet<VLXTextViewHTML>(QLatin1String(name)))
            view->setReturnIsNL(returnIsNL);
    }
    currentFeed()->preferencesChanged();
    m_listBox->reloadData();
    selectDocumentRow();
    if (auto *namespaces = outlet<VLXTableView>(QStringLiteral("Feeds_Extensions_List")))
        namespaces->reloadData();
}

void Vellumcast::importFeedItems()
{
    openImportWindow(QString());
}

void Vellumcast::importFeedItemsFromDrop(const QString &address)
{
    showSelectedTab(ItemsTab);
    openImportWindow(address);
}

void Vellumcast::openImportWindow(const QString &startingFeed)
{
    if (!m_itemImport || m_importing) {
        QApplication::beep();
        return;
    }
    m_importing = true;
    QPointer<Vellumcast> self(this);
    const bool shown = m_itemImport->showImportWindow(
        m_documentWindow, m_document->entry().fileName, startingFeed, [self] {
            if (self)
                self->importFeedItemsEnded();
        });
    if (!shown)
        m_importing = false;
}

void Vellumcast::importFeedItemsEnded()
{
    m_importing = false;
    populateItem(0);
}

void Vellumcast::createOPML()
{
    if (m_opml)
        m_opml->showOPMLList(m_documentWindow, currentListOfFeeds());
}

// --- The licence paste ----------------------------------------------------------------------

void Vellumcast::pasteCreativeCommons()
{
    if (!m_licencePaste)
        return;
    // The field being edited takes the text, as a paste the user made there.
    QPointer<QWidget> target = QApplication::focusWidget();
    QString preselected;
    const VLXFeed &feed = *currentFeed();
    if (feed.XMLExtensions()->creativeCommonsExtensionUsed()) {
        std::shared_ptr<extensionNSRaw> licences;
        if (m_tabsFeedsIndex != ItemsTab) {
            licences = feed.XMLExtensions()->creativeCommonsExtension();
        } else if (const VLXItems *item = m_document->item(selectedItemRow())) {
            // On the items page the selected item's licences; without one nothing is preselected.
            licences = item->XMLExtensions()->creativeCommonsExtension();
        }
        if (licences)
            preselected = m_licencePaste->firstLicenceURL(*licences);
    }
    if (!m_licencePaste->selectLicense(m_documentWindow, preselected) || !target)
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(target))
        line->paste();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(target))
        plain->paste();
    else if (auto *rich = qobject_cast<QTextEdit *>(target))
        rich->paste();
}
