#pragma once

#include <QString>
#include <memory>

// The help book. The window installs an implementation that shows the page holding an anchor;
// without one, requests are logged and dropped.
class HelpService
{
public:
    virtual ~HelpService() = default;
    virtual void openAnchor(const QString &anchor) = 0;

    // Opens the help at the anchor through the installed service; an empty anchor does nothing.
    static void open(const QString &anchor);

    static HelpService &instance();
    // Replaces the process service; nullptr returns to the headless default.
    static void setInstance(std::shared_ptr<HelpService> service);
};
