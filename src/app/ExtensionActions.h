#pragma once

#include <QObject>
#include <functional>

class FeedDocument;
class WindowServices;

// Namespaces switched on and off for the whole feed, and the buttons of the five category and
// XML comment tables.
class ExtensionActions : public QObject
{
    Q_OBJECT
public:
    ExtensionActions(WindowServices &window, QObject *parent);

    // Connects the namespace table and the list tables' buttons; a change of the namespaces
    // rebuilds the extension tabs through the function given.
    void connectExtensionControls(const std::function<void()> &updateExtensionTabs);
    // The check box of a row of the namespace table (the registry's rows, then "User Defined"):
    // the namespace is switched on or off for the channel, the image and every item at once.
    void feedsExtensionsSelect(int row);
    // Adds a namespace typed in the namespace sheet.
    void feedsExtensionsAction();
    // The buttons of the five category and XML comment tables (by the table's outlet): tag 1
    // adds an entry through the table's sheet, 2 deletes the selected row, 3 edits it.
    void listTableAction(const QString &table, int tag);

private:
    // Asks before a namespace used by the feed goes with its values; false on "No".
    bool removeNamespaceAsked(const QString &prefix);
    void addNamespaceToFeed(const QString &prefix, const QString &dtd);
    void namespacesChanged();

    WindowServices &m_window;
    FeedDocument *m_document;
};
