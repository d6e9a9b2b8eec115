#pragma once

#include <QList>
#include <QObject>
#include <memory>

class DocumentActions;
class FeedDocument;
class FeedListModel;
class FeedSaving;
class FeedWizardTool;
class ItemActions;
class ItemImportTool;
class LicencePasteTool;
class OPMLTool;
class PreferencesTool;
class WindowServices;

// Hand-offs to the tools of other parts of the program: the feed and item wizard, the
// preferences, item import, OPML export and the licence paste. A tool installs itself here
// (nullptr takes it out); the commands it serves are offered from then on, and stay disabled
// until then.
class ToolHandOffs : public QObject
{
    Q_OBJECT
public:
    ToolHandOffs(WindowServices &window, FeedSaving &saving, DocumentActions &documentActions,
                 ItemActions &items, QObject *parent);

    void setFeedWizard(std::shared_ptr<FeedWizardTool> wizard);
    void setPreferencesTool(std::shared_ptr<PreferencesTool> tool);
    void setItemImportTool(std::shared_ptr<ItemImportTool> tool);
    void setOPMLTool(std::shared_ptr<OPMLTool> tool);
    // The installed OPML export, null until there is one.
    const std::shared_ptr<OPMLTool> &opmlTool() const { return m_opml; }
    void setLicencePasteTool(std::shared_ptr<LicencePasteTool> tool);

    // A new feed made by the wizard, put at the top of the list (after the unsaved-changes
    // questions); the list is never left empty.
    void feedWizard();
    // The item wizard's items at the top of the list, in its order, as one step "Item Wizard".
    void itemWizard();
    void preferences();
    // One import window at a time; a second request only beeps.
    void importFeedItems();
    void importFeedItemsFromDrop(const QString &address);
    void importFeedItemsEnded();
    bool isImporting() const { return m_importing; }
    void createOPML();
    // Lets the user pick a licence and pastes its text where the user is typing.
    void pasteCreativeCommons();

private:
    void openImportWindow(const QString &startingFeed);

    WindowServices &m_window;
    FeedSaving &m_saving;
    DocumentActions &m_documentActions;
    ItemActions &m_items;
    FeedDocument *m_document;
    FeedListModel *m_feedList;
    std::shared_ptr<FeedWizardTool> m_feedWizard;
    std::shared_ptr<PreferencesTool> m_preferences;
    std::shared_ptr<ItemImportTool> m_itemImport;
    std::shared_ptr<OPMLTool> m_opml;
    std::shared_ptr<LicencePasteTool> m_licencePaste;
    bool m_importing = false;
};
