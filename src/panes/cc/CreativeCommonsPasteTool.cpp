#include "panes/cc/CreativeCommonsPasteTool.h"

#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/cc/creativeCommonsItem.h"
#include "panes/cc/creativeCommonsPaste.h"

QString CreativeCommonsPasteTool::firstLicenceURL(const extensionNSRaw &extension) const
{
    QStringList list;
    if (const auto *channel = dynamic_cast<const creativeCommonsChannel *>(&extension))
        list = channel->licenseString();
    else if (const auto *item = dynamic_cast<const creativeCommonsItem *>(&extension))
        list = item->licenseString();
    return list.isEmpty() ? QString() : list.first();
}

bool CreativeCommonsPasteTool::selectLicense(QWidget *window, const QString &preselectedURL)
{
    creativeCommonsPaste dialog;
    dialog.setFeedLicenseURLString(preselectedURL);
    return dialog.selectLicense(window) == 1;
}
