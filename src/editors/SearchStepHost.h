#pragma once

#include <QString>
#include <memory>

// What an edit sheet serving as one step of the feed's search-and-replace walk needs of the find
// panel and of the feed window while it runs modally: the panel's texts, and the three window
// actions a sheet hands over to when the user leaves the sheet's own search. The window installs
// its implementation; tests install a scripted one. Without one, the texts are empty and the
// actions do nothing, so a sheet never searches on its own.
class SearchStepHost
{
public:
    virtual ~SearchStepHost() = default;

    // The find panel's Find and Replace texts ("" when empty) and the search string of the search
    // in progress.
    virtual QString findField() const = 0;
    virtual QString replaceField() const = 0;
    virtual QString previousSearchString() const = 0;

    // The feed window's Find Next, Replace All and the command that shows the find panel.
    virtual void findNext() = 0;
    virtual void findPanelReplaceAllAction() = 0;
    virtual void orderFrontFindPanel() = 0;

    static SearchStepHost &instance();
    // Replaces the process host; nullptr returns to the silent default.
    static void setInstance(std::shared_ptr<SearchStepHost> host);
};
