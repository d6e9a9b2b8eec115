#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The preferences window as the window opens it. It installs itself with
// ToolHandOffs::setPreferencesTool(); until then the Preferences command stays disabled.
class PreferencesTool
{
public:
    virtual ~PreferencesTool() = default;
    // Shows the preferences modally for the loaded feed (its per-feed settings' identifier and its
    // channel's namespace descriptions) and returns when they are closed.
    virtual void showPanel(QWidget *window, const QString &uniqueKey, const QStringList &extensions)
        = 0;
};
