#pragma once

#include <QStringList>

// The export templates shipped in the Qt resource system (":/templates/…"), which start-up
// copies into the user's Templates folder. Resources of a static library must be registered
// before their first use; both operations do it.
class TemplateResources
{
public:
    static void init();
    // The resource paths of every shipped template, sorted by file name.
    static QStringList templatePaths();
};
