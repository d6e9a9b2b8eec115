#pragma once

#include <QUrl>
#include <memory>

// Hands web addresses to the user's browser. The desktop's own (QDesktopServices) answers until
// another is installed; tests install ScriptedWorkspace, which only records the addresses.
class Workspace
{
public:
    virtual ~Workspace() = default;
    // Opens the address outside the program; false when nothing took it.
    virtual bool openURL(const QUrl &url) = 0;

    static bool open(const QUrl &url);
    static Workspace &instance();
    // nullptr returns to the desktop's browser.
    static void setInstance(std::shared_ptr<Workspace> workspace);
};
