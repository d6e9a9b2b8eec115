#pragma once

#include <QString>
#include <memory>

class VLXSite;
class additionalFiles;

// The dialog that adds one additional file to a feed or changes one, as the publish window
// uses it: made afresh for each use, given the feed and the site, run, and read back. It is
// installed through PublishDialogs.
class AdditionalFileEditor
{
public:
    virtual ~AdditionalFileEditor() = default;
    // The feed's identifier (for its settings) and the site chosen in the publish window.
    virtual void setUniqueKey(const QString &uniqueKey) = 0;
    virtual void setPubSite(const std::shared_ptr<VLXSite> &site) = 0;
    // The record to change; without one the dialog makes a new record.
    virtual void setAdditionalFilesInfo(const std::shared_ptr<additionalFiles> &record) = 0;
    // Runs the dialog modally: 1 when the user accepted, 0 otherwise.
    virtual int edit() = 0;
    // The record as accepted.
    virtual std::shared_ptr<additionalFiles> additionalFilesInfo() const = 0;
};
