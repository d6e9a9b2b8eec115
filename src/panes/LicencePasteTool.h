#pragma once

#include <QString>

class QWidget;
class extensionNSRaw;

// The dialog that pastes a Creative Commons licence text. It installs itself with
// ToolHandOffs::setLicencePasteTool(); until then the command stays disabled.
class LicencePasteTool
{
public:
    virtual ~LicencePasteTool() = default;
    // The first licence URL of a channel's or an item's Creative Commons extension, "" for none.
    virtual QString firstLicenceURL(const extensionNSRaw &extension) const = 0;
    // Runs the licence list, with the URL preselected when it is not empty; true when the chosen
    // licence's name, URL or HTML was put on the clipboard as plain text.
    virtual bool selectLicense(QWidget *window, const QString &preselectedURL) = 0;
};
