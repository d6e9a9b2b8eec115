#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QToolBar;
class WindowServices;

// The feed window's commands, its menus and its per-tab toolbars. Commands are QActions found by
// name (`command("newDocument")`); a command gets its behaviour from setCommandHandler() and stays
// disabled until then, so the menus never offer what cannot be done. validateCommands() applies
// the enabling rules of every menu command and toolbar item.
class WindowCommands : public QObject
{
    Q_OBJECT
public:
    WindowCommands(WindowServices &window, QObject *parent);

    // Once the window exists: the commands and the window's own handlers, then the menu bar.
    void buildCommands();
    void buildMenus();
    // The toolbar of the first tab, each tab's layout read from the settings.
    void setupToolbar();

    QAction *command(const QString &name) const { return m_commands.value(name); }
    void setCommandHandler(const QString &name, std::function<void()> handler);
    bool hasCommandHandler(const QString &name) const { return m_handlers.contains(name); }
    // Runs the command's behaviour, whatever its enabled state (the program's own calls).
    void runCommand(const QString &name);
    // A menu item, a shortcut: runs the command when its item is enabled as the rules stand now.
    void triggerCommand(const QString &name);
    void validateCommands();

    // Toolbars: one per tab, as a list of item identifiers.
    static QStringList defaultToolbarItems(int tab);
    static QStringList allowedToolbarItems(int tab);
    static QString toolbarKey(int tab);
    QStringList toolbarConfiguration(int tab) const { return m_toolbarConfigurations.value(tab); }
    void setToolbarConfiguration(int tab, const QStringList &identifiers);
    // Stores the tab's toolbar layout (removing the key when it is the default).
    void storeToolbarConfiguration(int tab);
    void showToolbar(int tab);
    QToolBar *currentToolbar() const { return m_currentToolbar; }

private:
    QAction *toolbarAction(const QString &identifier);
    void editCommand(const char *slot);

    WindowServices &m_window;
    QHash<QString, QAction *> m_commands;
    QHash<QString, std::function<void()>> m_handlers;
    QHash<QString, QAction *> m_toolbarItems;
    QToolBar *m_currentToolbar = nullptr;
    QHash<int, QStringList> m_toolbarConfigurations;
};
