#include "app/ExtensionActions.h"

#include "app/ChannelPane.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "document/FeedFields.h"

#include "document/FieldChange.h"
#include "editors/categoryElementEdit.h"
#include "editors/editXMLComment.h"
#include "editors/editXMLNamespace.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "settings/categoryElement.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <functional>
#include <optional>

namespace {
// The five list tables: the table, whose list it shows, and its add, delete and edit buttons.
struct ListTable
{
    QLatin1String table;
    FieldScope scope;
    bool categories; // else XML comments
    const char *buttons[3]; // tags 1 add, 2 delete, 3 edit
};

const ListTable kListTables[] = {
    {FeedFields::kFeedCategories,
     FieldScope::Channel,
     true,
     {"Feeds_Optional_AddCategory", "Feeds_Optional_DelCategory", "Feeds_Optional_EditCategory"}},
    {FeedFields::kItemCategories,
     FieldScope::Item,
     true,
     {"Items_Optional_AddCategory", "Items_Optional_DelCategory", "Items_Optional_EditCategory"}},
    {FeedFields::kFeedXMLComments,
     FieldScope::Channel,
     false,
     {"Feeds_Advanced_AddComments", "Feeds_Advanced_DelComments", "Feeds_Advanced_EditComments"}},
    {FeedFields::kItemXMLComments,
     FieldScope::Item,
     false,
     {"Items_Advanced_AddComments", "Items_Advanced_DelComments", "Items_Advanced_EditComments"}},
    {FeedFields::kImageXMLComments,
     FieldScope::Image,
     false,
     {"Image_Advanced_AddComments", "Image_Advanced_DelComments", "Image_Advanced_EditComments"}},
};

const ListTable *listTable(const QString &name)
{
    for (const ListTable &table : kListTables) {
        if (name == table.table)
            return &table;
    }
    return nullptr;
}

// One button of a list table on a list: the verb of the change ("Add", "Delete", "Edit") when
// the list changed. `ask` runs the table's sheet, given the entry to edit (none to add).
template<typename Value>
std::optional<QString> changeList(QList<Value> &list, int tag, int row,
                                  const std::function<std::optional<Value>(const Value *)> &ask)
{
    switch (tag) {
    case 1:
        if (const std::optional<Value> added = ask(nullptr)) {
            list.append(*added);
            return QStringLiteral("Add");
        }
        return std::nullopt;
    case 2:
        if (row < 0 || row >= list.size())
            return std::nullopt;
        list.removeAt(row);
        return QStringLiteral("Delete");
    case 3:
        if (row < 0 || row >= list.size())
            return std::nullopt;
        if (const std::optional<Value> edited = ask(&list.at(row))) {
            list[row] = *edited;
            return QStringLiteral("Edit");
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

QStringList namespaceRegistry()
{
    return ChannelPane::namespaceRegistry();
}
} // namespace

// --- Namespaces ---------------------------------------------------------------------------------

ExtensionActions::ExtensionActions(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window), m_document(window.document())
{
}

void ExtensionActions::feedsExtensionsSelect(int row)
{
    m_window.finalizeChanges();
    const QStringList registry = namespaceRegistry();
    if (row < 0 || row > registry.size())
        return;
    const bool raw = row == registry.size();
    const QString prefix = raw ? knownNamespaces::kUserDefined
                               : extensionNSName::extensionNameFromDescription(registry.at(row));
    if (m_document->usesNamespace(prefix))
        removeNamespaceAsked(prefix);
    else
        addNamespaceToFeed(
            prefix, raw ? QString() : extensionNSName::DTDURLFromDescription(registry.at(row)));
    m_document->spreadRawExtension();
    namespacesChanged();
}

void ExtensionActions::feedsExtensionsAction()
{
    m_window.finalizeChanges();
    editXMLNamespace sheet;
    sheet.setParentWindow(m_window.window());
    sheet.excludeNamespaces(m_document->namespaceDescriptions());
    if (sheet.editNamespace(nullptr, false) == 1)
        addNamespaceToFeed(sheet.extensionName(), sheet.DTDURL());
    m_document->spreadRawExtension();
    namespacesChanged();
}

bool ExtensionActions::removeNamespaceAsked(const QString &prefix)
{
    QString display = prefix;
    if (prefix != knownNamespaces::kUserDefined) {
        const extensionManagerChannel &channel = *m_document->feed()->XMLExtensions();
        int index = -1;
        for (int i = 0; i < channel.countOfExtensions() && index < 0; ++i) {
            if (channel.extensionNameAtIndex(i) == prefix)
                index = i;
        }
        if (index < 0)
            return false;
        display = channel.extensionDisplayNameAtIndex(index);
    }
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = QStringLiteral("Warning");
    alert.message = QStringLiteral("Deleting the \"%1\" extension will delete all entries in this "
                                   "feed in the \"%2\" extension also.  Do you still wish to "
                                   "continue")
                        .arg(display, display);
    alert.defaultButton = QStringLiteral("YES");
    alert.alternateButton = QStringLiteral("No");
    if (AlertService::show(alert) != AlertService::kDefault)
        return false;
    m_document->registerUndo(FieldChange::namespaces(*m_document),
                             QStringLiteral("Delete XML Namespace"));
    m_document->removeNamespace(prefix);
    m_document->feed()->finalProcessing();
    m_document->refreshFeedPubDate();
    return true;
}

void ExtensionActions::addNamespaceToFeed(const QString &prefix, const QString &dtd)
{
    const bool raw = prefix == knownNamespaces::kUserDefined;
    m_document->registerUndo(FieldChange::namespaces(*m_document),
                             QStringLiteral("Add XML Namespace"));
    if (raw)
        m_document->setRawExtensionUsed(true);
    else
        m_document->addNamespace(prefix, dtd);
    if (!VLXPreferences::isExtensionEmpty(prefix)) {
        Alert ask;
        ask.style = Alert::Style::Informational;
        ask.title = QStringLiteral("Update Existing?");
        ask.message = QStringLiteral("You have choosen to add the \"%1\" extension to the current "
                                     "feed.  Do you wish to populate the feed and all existing "
                                     "items with the default values you have configured in "
                                     "preferences?")
                          .arg(prefix);
        ask.defaultButton = QStringLiteral("YES");
        ask.alternateButton = QStringLiteral("No");
        if (AlertService::show(ask) == AlertService::kDefault)
            m_document->populateNamespace(prefix);
    }
    if (!raw)
        VLXPreferences::addMissingXMLNamespaces(m_document->namespaceDescriptions());
    m_document->refreshFeedPubDate();
}

void ExtensionActions::namespacesChanged()
{
    // The tabs, the item shown and the namespace table follow from the document's signal.
    m_document->announceNamespaces();
}

// --- List tables --------------------------------------------------------------------------------

void ExtensionActions::listTableAction(const QString &table, int tag)
{
    const ListTable *list = listTable(table);
    if (!list)
        return;
    m_window.finalizeChanges();
    const int item = list->scope == FieldScope::Item ? m_window.selectedItemRow() : -1;
    if (list->scope == FieldScope::Item && !m_document->item(item))
        return;
    auto *view = m_window.outlet<VLXTableView>(table);
    const int row = view ? view->selectedRow() : -1;

    if (list->categories) {
        QList<categoryElement> categories = m_document->categories(list->scope, item);
        const auto verb = changeList<categoryElement>(
            categories, tag, row, [this](const categoryElement *value) {
                categoryElementEdit sheet;
                sheet.setParentWindow(m_window.window());
                if (value)
                    sheet.setCategory(*value);
                // An unchanged category accepted is stored all the same.
                return sheet.edit() == 1 ? std::optional(sheet.category()) : std::nullopt;
            });
        if (verb)
            m_document->editCategories(list->scope, item, categories,
                                       *verb + QStringLiteral(" Category"));
        return;
    }
    QStringList comments = m_document->comments(list->scope, item);
    const auto verb = changeList<QString>(comments, tag, row, [this](const QString *value) {
        editXMLComment sheet;
        sheet.setParentWindow(m_window.window());
        if (value)
            sheet.setComment(*value);
        if (sheet.edit() != 1)
            return std::optional<QString>();
        // An empty comment is not added, and an unchanged one changes nothing.
        const QString comment = sheet.comment();
        if (comment.isEmpty() || (value && comment == *value))
            return std::optional<QString>();
        return std::optional(comment);
    });
    if (verb)
        m_document->editComments(list->scope, item, comments,
                                 *verb + QStringLiteral(" XML Comment"));
}

// --- Wiring -------------------------------------------------------------------------------------

void ExtensionActions::connectExtensionControls(const std::function<void()> &updateExtensionTabs)
{
    if (auto *namespaces = m_window.outlet<VLXTableView>(ChannelPane::kNamespaceTable))
        connect(namespaces, &VLXTableView::checkClicked, this,
                [this](int row) { feedsExtensionsSelect(row); });
    if (auto *add = m_window.outlet<QAbstractButton>(QStringLiteral("Feeds_Extensions_Add")))
        connect(add, &QAbstractButton::clicked, this, [this] { feedsExtensionsAction(); });
    for (const ListTable &list : kListTables) {
        const QString table = list.table;
        for (int tag = 1; tag <= 3; ++tag) {
            if (auto *button
                = m_window.outlet<QAbstractButton>(QLatin1String(list.buttons[tag - 1])))
                connect(button, &QAbstractButton::clicked, this,
                        [this, table, tag] { listTableAction(table, tag); });
        }
        // A double click edits the row, as the edit button does (nothing while it is disabled).
        auto *edit = m_window.outlet<QAbstractButton>(QLatin1String(list.buttons[2]));
        if (auto *view = m_window.outlet<VLXTableView>(table); view && edit)
            connect(view, &VLXTableView::doubleAction, edit, &QAbstractButton::click);
    }
    connect(m_document, &FeedDocument::namespacesChanged, this, [this, updateExtensionTabs] {
        updateExtensionTabs();
        m_window.populateItem(m_window.selectedItemRow());
        if (auto *namespaces = m_window.outlet<VLXTableView>(ChannelPane::kNamespaceTable))
            namespaces->reloadData();
    });
}
