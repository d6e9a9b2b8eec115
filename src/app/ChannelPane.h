#pragma once

#include "panes/ExtensionTabs.h"
#include "ui/VLXTableDataSource.h"

#include <QSet>
#include <QStringList>
#include <QWidget>

class EditTracker;
class FeedDocument;
class FieldBinding;

// The channel's editor: the sub-tabs "Required", "Optional", "Extensions" and "Advanced" of the
// feed tab (`tabsFeeds_FeedsSub`), bound to the channel rows of the field table. It also answers
// the rows of the channel's category, comment and namespace tables.
class ChannelPane : public QWidget, public VLXTableDataSource
{
    Q_OBJECT
public:
    // Outlets of the pane's own controls that other code uses.
    static constexpr QLatin1String kAutoPubDate {"Feeds_Required_AutoPubDate"};
    static constexpr QLatin1String kNamespaceTable {"Feeds_Extensions_List"};
    // The namespace registry the namespace table lists (descriptions "prefix | DTD URL").
    static QStringList namespaceRegistry();

    ChannelPane(FeedDocument *document, EditTracker *tracker, QWidget *parent = nullptr);

    // Fills every control of the channel from the model.
    void loadData();
    // Rebuilds the channel's extension tabs.
    void loadExtensionTabs();
    FieldBinding *binding() const { return m_binding; }

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

private:
    void buildRequired(QTabWidget *sub);
    void buildOptional(QTabWidget *sub);
    void buildExtensions(QTabWidget *sub);
    void buildAdvanced(QTabWidget *sub);
    void loadSkipFlags(bool hours);
    void reloadTables();

    FeedDocument *m_document;
    EditTracker *m_tracker;
    FieldBinding *m_binding = nullptr;
    // The namespace table's rows as its last reload found them: the registry, and the prefixes
    // the channel uses. With a thousand namespaces, looked up for each cell, they would cost
    // each layout of the table a million steps.
    QStringList m_registry;
    QSet<QString> m_usedPrefixes;
};
