#pragma once

#include "prefs/PreferencesContext.h"
#include "ui/TreeNode.h"

#include <QDialog>
#include <QHash>
#include <memory>
#include <vector>

class PreferencesNavModel;
class PreferencesPage;
class QStackedWidget;
class VLXButton;
class VLXOutlineView;
class VLXPreferencesWorkingCopy;

// The preferences window: a navigation outline beside a stack of pages, with OK, Cancel and
// Revert to Default. It edits the store's working copy (VLXPreferencesWorkingCopy) and nothing
// else: the displayed values for all feeds, the edited entry of the feed it was opened for.
//
// Opening fills every page (updateUI); every edit reads every page back (miscChanged); OK makes
// the values live and saves them, Cancel (also Escape and closing the window) discards them,
// Revert to Default shows the built-in defaults, which OK accepts and Cancel discards. The
// window is built once and kept for the next opening.
class PreferencesWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesWindow(QWidget *parent = nullptr);
    ~PreferencesWindow() override;

    static const QString kFirstPage; // "Current Feed Help"

    // Everything of an opening but the modal run: the window is ready and shown on openTab.
    void openPanel(VLXPreferencesWorkingCopy &store, const QString &uniqueKey,
                   const QStringList &extensions, const QString &openTab = kFirstPage);
    // Opens the window and runs it application-modal; answers 1 after OK, 0 otherwise.
    int runPanel(VLXPreferencesWorkingCopy &store, const QString &uniqueKey,
                 const QStringList &extensions, const QString &openTab = kFirstPage);

    // The buttons.
    void ok();
    void revert(); // Cancel
    void revertToDefault();
    void reject() override;

    // Values into every control, and every control back into the values.
    void updateUI();
    void miscChanged();

    // Shows the page with this identifier; false (and nothing changes) when there is none.
    bool showPage(const QString &identifier);
    QString shownPage() const;
    QWidget *pageWidget(const QString &identifier) const;
    const std::vector<std::unique_ptr<PreferencesPage>> &pages() const { return m_pages; }
    PreferencesNavModel *navigationModel() const { return m_navModel; }
    VLXOutlineView *outline() const { return m_outline; }
    TreeNode::Ptr treeData() const { return m_treeData; }
    PreferencesContext &context() { return m_context; }

private:
    void createUI();
    void wireEdits(QWidget *page);
    void fieldEditingEnded(QWidget *field);
    void navigationSelected(const QModelIndex &index);
    void applyReturnIsNL();
    // Tells of a text longer than a setting may hold and selects its field, when there is one:
    // OK then keeps the window open.
    bool refusedOverlongText();

    PreferencesContext m_context;
    std::vector<std::unique_ptr<PreferencesPage>> m_pages;
    QHash<QString, QWidget *> m_pageWidgets;
    VLXOutlineView *m_outline = nullptr;
    PreferencesNavModel *m_navModel = nullptr;
    QStackedWidget *m_prefTabs = nullptr;
    TreeNode::Ptr m_treeData;
    bool m_built = false;
    bool m_reading = false;
    bool m_checking = false;
};
