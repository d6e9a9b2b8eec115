#pragma once

#include "panes/LicencePasteTool.h"

// The feed window's licence paste: the paste dialog, with the feed's or item's first licence
// preselected.
class CreativeCommonsPasteTool : public LicencePasteTool
{
public:
    QString firstLicenceURL(const extensionNSRaw &extension) const override;
    bool selectLicense(QWidget *window, const QString &preselectedURL) override;
};
