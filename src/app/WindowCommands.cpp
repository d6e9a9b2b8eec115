// Menus, the per-tab toolbars and the enabling rules of both.
#include "app/WindowCommands.h"

#include "app/ImagePane.h"
#include "app/ItemsPane.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"

#include "app/FeedFindPanel.h"
#include "document/FeedListModel.h"
#include "document/VLXUndoManager.h"
#include "editors/CroppingImageView.h"
#include "model/VLXFeed.h"
#include "panes/EditTracker.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/ToolbarLayout.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QWidget>
#include <utility>

namespace {
struct ToolbarItem
{
    const char *identifier;
    const char *label;
    const char *paletteLabel;
    const char *toolTip;
    const char *image;
    const char *themeIcon;
    const char *action;
};

// The toolbar items: identifier, label, palette label, tool tip, bundled image, desktop icon name
// and the command it runs.
const ToolbarItem kToolbarItems[] = {
    {"New Feed Item Identifier", "New", "New", "New Feed", "NewFolder", "document-new",
     "newDocument"},
    {"Open Feed Item Identifier", "Open", "Open", "Open Feed", "OpenFolder", "document-open",
     "openDocument"},
    {"Save Feed Item Identifier", "Save", "Save", "Save Feed", "SaveFolder", "document-save",
     "saveDocument"},
    {"Remove Feed Item Identifier", "Remove", "Remove", "Remove Feed", "DeleteFolder",
     "list-remove", "deleteFeed"},
    {"Download Feed Item Identifier", "Download", "Download", "Download Feed", "DownloadFolder", "",
     "openURL"},
    {"Upload Feed Item Identifier", "Publish", "Publish", "Publish Feed", "UploadFolder",
     "document-send", "uploadFile"},
    {"Move Up Feed Item Identifier", "Move Up", "Move Up", "Move Feed Up", "BlueUpArrow", "go-up",
     "moveUpFeed"},
    {"Move Down Feed Item Identifier", "Move Down", "Move Down", "Move Feed Down", "BlueDownArrow",
     "go-down", "moveDownFeed"},
    {"Move Up Item Item Identifier", "Move Up", "Move Up", "Move Item Up", "BlueUpArrow", "go-up",
     "moveUpItem"},
    {"Move Down Item Item Identifier", "Move Down", "Move Down", "Move Item Down", "BlueDownArrow",
     "go-down", "moveDownItem"},
    {"View XML Item Identifier", "View XML", "View XML", "View XML Source", "ViewFolder", "",
     "viewXML"},
    {"Validate XML Item Identifier", "Validate", "Validate", "Validate XML", "ValidateXML", "",
     "validateAction"},
    {"Clone Sheet Item Item Identifier", "Clone", "Clone Item", "Clone Item", "CloneSheet",
     "edit-copy", "cloneItem"},
    {"Delete Sheet Item Item Identifier", "Delete", "Delete Item", "Delete Item", "DeleteSheet",
     "edit-delete", "deleteItem"},
    {"New Sheet Item Item Identifier", "New", "New Item", "New Item", "NewBlankSheet", "list-add",
     "newItem"},
    {"Open Image Image Item Identifier", "Open", "Open Image", "Open Image", "OpenImage", "",
     "openImage"},
    {"Save Image Image Item Identifier", "Save", "Save Image", "Save Image", "SaveImage", "",
     "saveImage"},
    {"Upload Image Image Item Identifier", "Publish", "Publish", "Publish", "UploadImage", "",
     "uploadImage"},
    {"Download Image Image Item Identifier", "Download", "Download Image", "Download Image",
     "DownloadImage", "", "downloadImage"},
    {"Re-download Image Image Item Identifier", "Re-download", "Re-download Image",
     "Re-download Image", "redownloadImage", "view-refresh", "redownloadImage"},
};

using ToolbarLayout::kFlexibleSpace;
using ToolbarLayout::kSeparator;
using ToolbarLayout::kSpace;
const QString kPrint = QStringLiteral("Print");
const QString kCustomize = QStringLiteral("Customize");

const ToolbarItem *toolbarItem(const QString &identifier)
{
    return ToolbarLayout::find(kToolbarItems, identifier);
}

QIcon iconFor(const char *image, const char *themeName)
{
    // Bundled images keep the look the same everywhere; the desktop's icon wins where the
    // bundled one is missing.
    const QIcon bundled(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(image)));
    if (!bundled.isNull() && !bundled.availableSizes().isEmpty())
        return bundled;
    if (*themeName)
        return QIcon::fromTheme(QLatin1String(themeName), bundled);
    return bundled;
}

DefaultsStore &userDefaults()
{
    return VLXPreferences::sharedInstance().store();
}
} // namespace

WindowCommands::WindowCommands(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window)
{
}

QStringList WindowCommands::defaultToolbarItems(int tab)
{
    switch (tab) {
    case WindowServices::FeedsTab:
        return {"New Feed Item Identifier",
                "Open Feed Item Identifier",
                "Save Feed Item Identifier",
                "Remove Feed Item Identifier",
                kSeparator,
                "Download Feed Item Identifier",
                "Upload Feed Item Identifier",
                kSeparator,
                "Move Down Feed Item Identifier",
                "Move Up Feed Item Identifier",
                kSeparator,
                "Validate XML Item Identifier",
                kFlexibleSpace};
    case WindowServices::ItemsTab:
        return {"New Sheet Item Item Identifier",
                "Clone Sheet Item Item Identifier",
                "Delete Sheet Item Item Identifier",
                kSeparator,
                "Move Down Item Item Identifier",
                "Move Up Item Item Identifier",
                kSeparator,
                "Validate XML Item Identifier",
                kFlexibleSpace};
    case WindowServices::ImageTab:
        return {"Open Image Image Item Identifier",
                "Save Image Image Item Identifier",
                kSeparator,
                "Download Image Image Item Identifier",
                "Re-download Image Image Item Identifier",
                "Upload Image Image Item Identifier",
                kSeparator,
                "Validate XML Item Identifier",
                kFlexibleSpace};
    default:
        return {};
    }
}

QStringList WindowCommands::allowedToolbarItems(int tab)
{
    QStringList allowed;
    if (tab >= WindowServices::FeedsTab && tab <= WindowServices::ImageTab) {
        for (const QString &identifier : defaultToolbarItems(tab)) {
            if (toolbarItem(identifier) && !allowed.contains(identifier))
                allowed << identifier;
        }
        allowed << QStringLiteral("View XML Item Identifier");
        allowed << kPrint << kCustomize << kFlexibleSpace << kSpace << kSeparator;
        return allowed;
    }
    for (const ToolbarItem &item : kToolbarItems)
        allowed << QLatin1String(item.identifier);
    allowed << kPrint << kCustomize << kFlexibleSpace << kSpace << kSeparator;
    return allowed;
}

QString WindowCommands::toolbarKey(int tab)
{
    switch (tab) {
    case WindowServices::FeedsTab:
        return QStringLiteral("Feeds Toolbar Dictionary Identifier");
    case WindowServices::ItemsTab:
        return QStringLiteral("Items Toolbar Dictionary Identifier");
    case WindowServices::ImageTab:
        return QStringLiteral("Images Toolbar Dictionary Identifier");
    default:
        return {};
    }
}

void WindowCommands::setCommandHandler(const QString &name, std::function<void()> handler)
{
    if (handler)
        m_handlers.insert(name, std::move(handler));
    else
        m_handlers.remove(name);
    validateCommands();
}

void WindowCommands::triggerCommand(const QString &name)
{
    // The enabled states are brought up to date when a menu opens and on the changes the window
    // hears of; a shortcut may come between. Its command runs only as its menu item would show
    // now: a greyed item's key does nothing.
    validateCommands();
    if (QAction *action = command(name); action && action->isEnabled())
        runCommand(name);
}

void WindowCommands::runCommand(const QString &name)
{
    const auto handler = m_handlers.value(name);
    if (handler)
        handler();
    validateCommands();
}

QAction *WindowCommands::toolbarAction(const QString &identifier)
{
    if (QAction *existing = m_toolbarItems.value(identifier))
        return existing;
    const ToolbarItem *item = toolbarItem(identifier);
    if (!item) {
        if (identifier != kPrint)
            return nullptr;
        auto *print
            = new QAction(QIcon::fromTheme(QStringLiteral("document-print")), tr("Print"), this);
        print->setObjectName(identifier);
        print->setToolTip(tr("Print Your Document"));
        connect(print, &QAction::triggered, this,
                [this] { runCommand(QStringLiteral("printDocument")); });
        m_toolbarItems.insert(identifier, print);
        return print;
    }
    auto *action = new QAction(iconFor(item->image, item->themeIcon), tr(item->label), this);
    action->setObjectName(identifier);
    action->setToolTip(tr(item->toolTip));
    action->setIconText(tr(item->label));
    action->setProperty("paletteLabel", tr(item->paletteLabel));
    action->setProperty("command", QLatin1String(item->action));
    const QString command = QLatin1String(item->action);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    m_toolbarItems.insert(identifier, action);
    return action;
}

void WindowCommands::setupToolbar()
{
    for (int tab : {WindowServices::ImageTab, WindowServices::ItemsTab, WindowServices::FeedsTab}) {
        QStringList configuration = defaultToolbarItems(tab);
        const auto stored = userDefaults().array(toolbarKey(tab));
        if (stored) {
            QStringList identifiers;
            for (const QVariant &value : *stored) {
                const QString identifier = value.toString();
                // Only what the tab allows; a damaged or foreign layout is ignored.
                if (allowedToolbarItems(tab).contains(identifier))
                    identifiers << identifier;
            }
            if (!identifiers.isEmpty())
                configuration = identifiers;
        }
        m_toolbarConfigurations.insert(tab, configuration);
    }
    m_currentToolbar = new QToolBar(tr("Toolbar"), m_window.window());
    m_currentToolbar->setObjectName(QStringLiteral("currentToolbar"));
    m_currentToolbar->setProperty("identifier", QStringLiteral("Feeds Toolbar Identifier"));
    m_currentToolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_currentToolbar->setIconSize(QSize(32, 32));
    m_currentToolbar->setMovable(false);
    m_currentToolbar->setFloatable(false);
    m_currentToolbar->toggleViewAction()->setEnabled(false);
    m_window.window()->addToolBar(Qt::TopToolBarArea, m_currentToolbar);
    showToolbar(WindowServices::FeedsTab);
}

void WindowCommands::showToolbar(int tab)
{
    if (!m_currentToolbar)
        return;
    m_currentToolbar->clear();
    const QStringList identifiers = m_toolbarConfigurations.value(tab);
    ToolbarLayout::fill(m_currentToolbar, identifiers,
                        [this](const QString &identifier) { return toolbarAction(identifier); });
    m_currentToolbar->setProperty(
        "identifier",
        tab == WindowServices::ItemsTab       ? QStringLiteral("Items Toolbar Identifier")
            : tab == WindowServices::ImageTab ? QStringLiteral("Images Toolbar Identifier")
                                              : QStringLiteral("Feeds Toolbar Identifier"));
    validateCommands();
}

void WindowCommands::setToolbarConfiguration(int tab, const QStringList &identifiers)
{
    m_toolbarConfigurations.insert(tab, identifiers);
    if (tab == m_window.tabsFeedsIndex())
        showToolbar(tab);
}

void WindowCommands::storeToolbarConfiguration(int tab)
{
    const QString key = toolbarKey(tab);
    if (key.isEmpty())
        return;
    const QStringList layout = m_toolbarConfigurations.value(tab, defaultToolbarItems(tab));
    if (layout == defaultToolbarItems(tab)) {
        userDefaults().remove(key);
    } else {
        QVariantList stored;
        for (const QString &identifier : layout)
            stored << identifier;
        userDefaults().setObject(stored, key);
    }
}

void WindowCommands::editCommand(const char *slot)
{
    QWidget *focus = QApplication::focusWidget();
    if (focus
        && focus->metaObject()->indexOfSlot(
               QMetaObject::normalizedSignature(QByteArray(slot).append("()").constData()))
            >= 0)
        QMetaObject::invokeMethod(focus, slot);
}

void WindowCommands::buildCommands()
{
    struct Command
    {
        const char *name;
        const char *title;
        QKeySequence shortcut;
    };
    // The window's own shortcuts stay clear of the keys the text fields take on Linux desktops:
    // there Ctrl+U clears a line, Ctrl+K cuts it to the end, Ctrl+D deletes the next character
    // and Ctrl+E moves to the end of the line, so the commands use Ctrl+Shift instead.
    const Command commands[] = {
        {"newDocument", "&New", QKeySequence::New},
        {"openDocument", "&Open\u2026", QKeySequence::Open},
        {"openURL", "Open &URL\u2026", QKeySequence(QStringLiteral("Ctrl+Shift+O"))},
        {"performClose", "&Close", QKeySequence::Close},
        {"saveDocument", "&Save", QKeySequence::Save},
        {"saveDocumentAs", "Save &As\u2026", QKeySequence::SaveAs},
        {"revertDocumentToSaved", "&Revert to Saved", {}},
        {"uploadFile", "Pu&blish Feed\u2026", QKeySequence(QStringLiteral("Ctrl+Shift+P"))},
        {"uploadImage", "Publish Ima&ge\u2026", {}},
        {"viewFTPLog", "Publishing &Log", {}},
        {"exportFeed", "&Export\u2026", QKeySequence(QStringLiteral("Ctrl+Shift+E"))},
        {"createOPML", "Export Feed List as OP&ML\u2026", {}},
        {"importFeedItems", "&Import Items\u2026", {}},
        {"runPageLayout", "Page Se&tup\u2026", {}},
        {"printPreview", "Pre&view", {}},
        {"printDocument", "&Print\u2026", QKeySequence::Print},
        {"printDocumentXML", "Print &XML\u2026", {}},
        {"terminate", "&Quit Vellumcast", QKeySequence::Quit},
        {"undo", "&Undo", QKeySequence::Undo},
        {"redo", "&Redo", QKeySequence::Redo},
        {"cut", "Cu&t", QKeySequence::Cut},
        {"copy", "&Copy", QKeySequence::Copy},
        {"paste", "&Paste", QKeySequence::Paste},
        {"pasteCreativeCommons", "Paste &Licence\u2026", {}},
        {"selectAll", "Select &All", QKeySequence::SelectAll},
        {"orderFrontFindPanel", "&Find and Replace\u2026", QKeySequence::Find},
        {"findNext", "Find &Next", QKeySequence::FindNext},
        {"preferences", "Pr&eferences\u2026", QKeySequence::Preferences},
        {"feedWizard", "Feed &Wizard\u2026", {}},
        {"validateAction", "&Validate", QKeySequence(QStringLiteral("Ctrl+Shift+V"))},
        {"viewXML", "View &XML Source", QKeySequence(QStringLiteral("Ctrl+Shift+X"))},
        {"viewParseLog", "Show &Repairs and Errors", {}},
        {"sortOpen", "&Sort Items\u2026", {}},
        {"moveUpFeed", "Move Feed Up", {}},
        {"moveDownFeed", "Move Feed Down", {}},
        {"deleteFeed", "Remove Feed", {}},
        {"newItem", "&New Item", QKeySequence(QStringLiteral("Ctrl+Shift+N"))},
        {"itemWizard", "Item &Wizard\u2026", {}},
        {"cloneItem", "Clone Item", QKeySequence(QStringLiteral("Ctrl+Shift+D"))},
        {"deleteItem", "Delete Item", {}},
        {"moveUpItem", "Move Item Up", {}},
        {"moveDownItem", "Move Item Down", {}},
        {"openImage", "&Open Image\u2026", {}},
        {"saveImage", "&Save Image\u2026", {}},
        {"downloadImage", "&Download Image\u2026", {}},
        {"redownloadImage", "&Re-download Image", {}},
        {"helpBook", "Vellumcast &Help", QKeySequence::HelpContents},
        {"helpWhatsNew", "&What's New", {}},
        {"helpKeyboardShortcuts", "&Keyboard Shortcuts", {}},
        {"helpGotoWebsite", "Vellumcast Web&site", {}},
        {"helpGotoForum", "Vellumcast &Forum", {}},
        {"aboutActionShow", "&About Vellumcast", {}},
    };
    for (const Command &command : commands) {
        const QString name = QLatin1String(command.name);
        auto *action = new QAction(tr(command.title), this);
        action->setObjectName(name);
        if (!command.shortcut.isEmpty())
            action->setShortcut(command.shortcut);
        connect(action, &QAction::triggered, this, [this, name] { triggerCommand(name); });
        m_commands.insert(name, action);
    }
    // The help book names these on every desktop; some desktops' key schemes leave them out.
    for (const auto &[name, key] :
         {std::pair {"saveDocumentAs", "Ctrl+Shift+S"}, std::pair {"findNext", "Ctrl+G"}}) {
        QAction *action = command(QLatin1String(name));
        QList<QKeySequence> keys = action->shortcuts();
        if (!keys.contains(QKeySequence(QLatin1String(key))))
            keys << QKeySequence(QLatin1String(key));
        action->setShortcuts(keys);
    }
    command(QStringLiteral("terminate"))->setMenuRole(QAction::QuitRole);
    command(QStringLiteral("preferences"))->setMenuRole(QAction::PreferencesRole);
    command(QStringLiteral("aboutActionShow"))->setMenuRole(QAction::AboutRole);

    // What the window itself does.
    m_handlers.insert(QStringLiteral("performClose"), [this] { m_window.window()->close(); });
    m_handlers.insert(QStringLiteral("terminate"), [this] {
        if (m_window.window())
            m_window.window()->close();
        else
            QApplication::quit();
    });
    for (const char *slot : {"undo", "redo", "cut", "copy", "paste", "selectAll"})
        m_handlers.insert(QLatin1String(slot), [this, slot] { editCommand(slot); });
    // F1 opens the topic of the control that has the focus, else the start of the book.
    m_handlers.insert(QStringLiteral("helpBook"), [this] {
        const VLXHelpAnchored *control = VLXHelpAnchored::anchoredAt(QApplication::focusWidget());
        if (!control || !m_window.helpForField(control->helpAnchor()))
            m_window.helpForField(QStringLiteral("TutorialsMP"));
    });
}

void WindowCommands::buildMenus()
{
    QMenuBar *bar = m_window.window()->menuBar();
    auto menu = [this, bar](const QString &title, const QString &name, const QStringList &items) {
        QMenu *m = bar->addMenu(title);
        m->setObjectName(name);
        for (const QString &item : items) {
            if (item.isEmpty())
                m->addSeparator();
            else if (QAction *action = command(item))
                m->addAction(action);
        }
        connect(m, &QMenu::aboutToShow, this, &WindowCommands::validateCommands);
        return m;
    };
    menu(tr("&File"), QStringLiteral("fileMenu"),
         {"newDocument",
          "openDocument",
          "openURL",
          "",
          "performClose",
          "saveDocument",
          "saveDocumentAs",
          "revertDocumentToSaved",
          "",
          "uploadFile",
          "uploadImage",
          "viewFTPLog",
          "",
          "exportFeed",
          "createOPML",
          "importFeedItems",
          "",
          "runPageLayout",
          "printPreview",
          "printDocument",
          "printDocumentXML",
          "",
          "terminate"});
    menu(tr("&Edit"), QStringLiteral("editMenu"),
         {"undo", "redo", "", "cut", "copy", "paste", "pasteCreativeCommons", "selectAll", "",
          "orderFrontFindPanel", "findNext", "", "preferences"});
    menu(tr("Fee&d"), QStringLiteral("feedMenu"),
         {"feedWizard", "", "validateAction", "viewXML", "viewParseLog", "", "moveUpFeed",
          "moveDownFeed", "deleteFeed"});
    menu(tr("&Item"), QStringLiteral("itemMenu"),
         {"newItem", "itemWizard", "cloneItem", "deleteItem", "", "moveUpItem", "moveDownItem", "",
          "sortOpen"});
    menu(tr("I&mage"), QStringLiteral("imageMenu"),
         {"openImage", "saveImage", "", "downloadImage", "redownloadImage"});
    menu(tr("&Help"), QStringLiteral("helpMenu"),
         {"helpBook", "helpWhatsNew", "helpKeyboardShortcuts", "", "helpGotoWebsite",
          "helpGotoForum", "", "aboutActionShow"});
}

void WindowCommands::validateCommands()
{
    if (!m_window.window())
        return;
    auto *list = m_window.outlet<VLXListBox>(WindowServices::kFeedList);
    auto *items = m_window.outlet<VLXTableView>(ItemsPane::kItemTable);
    auto *picture = m_window.outlet<CroppingImageView>(ImagePane::kPicture);
    const int feedRow = list ? list->selectedRow() : -1;
    const int feedCount = m_window.feedList()->count();
    const int itemRow = items ? items->selectedRow() : -1;
    const int itemCount = items && items->model() ? items->model()->rowCount() : 0;
    const bool hasImage = picture && picture->hasImage();
    // Save is offered while a field's change is under way too, not only once it is committed.
    const FeedDocument &document = *m_window.document();
    const EditTracker &tracker = *m_window.editTracker();
    const int tab = m_window.tabsFeedsIndex();
    const bool edited = document.isEdited() || tracker.hasUncommittedChange();

    // Rules of the menu commands; a command without behaviour is never enabled.
    auto rule = [&](const QString &name) -> bool {
        // Save, its shortcut and the toolbar's Save go together: offered with something to save.
        if (name == QLatin1String("saveDocument"))
            return edited;
        if (name == QLatin1String("saveImage") || name == QLatin1String("uploadImage"))
            return hasImage;
        if (name == QLatin1String("viewParseLog"))
            return document.feed()->hasParseMessages();
        if (name == QLatin1String("pasteCreativeCommons")) {
            // Pasting a licence needs a text control to paste into.
            QWidget *focus = QApplication::focusWidget();
            return qobject_cast<QLineEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus);
        }
        // A field being changed is committed first, as one more step to take back.
        if (name == QLatin1String("undo"))
            return document.undoManager()->canUndo() || tracker.hasUncommittedChange();
        if (name == QLatin1String("redo"))
            return document.undoManager()->canRedo() && !tracker.hasUncommittedChange();
        if (name == QLatin1String("sortOpen"))
            return document.feed()->countOfItems() > 0;
        if (name == QLatin1String("findNext"))
            return !FeedFindPanel::sharedInstance()->findField().isEmpty();
        if (name == QLatin1String("moveUpFeed"))
            return tab == WindowServices::FeedsTab && feedRow >= 1;
        if (name == QLatin1String("moveDownFeed"))
            return tab == WindowServices::FeedsTab && feedRow >= 0 && feedRow < feedCount - 1;
        if (name == QLatin1String("deleteFeed"))
            return tab == WindowServices::FeedsTab;
        if (name == QLatin1String("cloneItem") || name == QLatin1String("deleteItem"))
            return tab == WindowServices::ItemsTab;
        if (name == QLatin1String("moveUpItem"))
            return tab == WindowServices::ItemsTab && itemRow >= 1;
        if (name == QLatin1String("moveDownItem"))
            return tab == WindowServices::ItemsTab && itemRow < itemCount - 1;
        return true;
    };
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it)
        it.value()->setEnabled(m_handlers.contains(it.key()) && rule(it.key()));

    // Rules of the toolbar items (they differ a little from the menus').
    for (auto it = m_toolbarItems.cbegin(); it != m_toolbarItems.cend(); ++it) {
        const QString name = it.value()->property("command").toString();
        const QString identifier = it.key();
        bool enabled = true;
        if (identifier == QLatin1String("Save Feed Item Identifier"))
            enabled = command(QStringLiteral("saveDocument"))->isEnabled();
        else if (identifier == QLatin1String("Move Up Item Item Identifier"))
            enabled = itemRow > 0;
        else if (identifier == QLatin1String("Move Down Item Item Identifier"))
            enabled = itemRow < itemCount - 1;
        else if (identifier == QLatin1String("Move Up Feed Item Identifier"))
            enabled = feedRow > 0;
        else if (identifier == QLatin1String("Move Down Feed Item Identifier"))
            enabled = feedRow >= 0 && feedRow < feedCount - 1;
        else if (identifier == QLatin1String("Remove Feed Item Identifier"))
            enabled = feedRow >= 0;
        else if (identifier == QLatin1String("Save Image Image Item Identifier")
                 || identifier == QLatin1String("Upload Image Image Item Identifier"))
            enabled = hasImage;
        const QString commandName = identifier == kPrint ? QStringLiteral("printDocument") : name;
        it.value()->setEnabled(enabled && m_handlers.contains(commandName));
    }
}
