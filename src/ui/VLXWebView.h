#pragma once

#include "ui/VLXHelpAnchored.h"

#include <QWebEngineView>
#include <functional>

class QMenu;

// A web view of the kit (previews, the HTML editor), with a help anchor. Its context menu is
// the engine's standard one plus "Help"; an owner may rearrange the menu before it shows.
class VLXWebView : public QWebEngineView, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    explicit VLXWebView(QWidget *parent = nullptr);

    // Called with the standard menu (for the click lastContextMenuRequest() describes) before
    // "Help" is added and the menu shown.
    void setContextMenuFilter(std::function<void(QMenu *)> filter)
    {
        m_menuFilter = std::move(filter);
    }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    std::function<void(QMenu *)> m_menuFilter;
};
