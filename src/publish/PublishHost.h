#pragma once

class QWidget;

// What the publishing windows ask of the feed window: the OPML window over its list of feeds,
// for an additional file of the OPML kind. The window provides it (install(), made by the
// window's class); while no feed window exists current() is null and no OPML list is offered.
class PublishHost
{
public:
    virtual ~PublishHost() = default;

    // The host of the feed window while one exists, else null.
    static PublishHost *current();
    using CurrentHost = PublishHost *(*)();
    static void install(CurrentHost current);

    // True when the OPML window is there to choose the feeds of the list.
    virtual bool hasOPMLList() const = 0;
    // Runs the OPML window modally over the parent on the window's list of feeds.
    virtual void showOPMLList(QWidget *parent) = 0;
};
