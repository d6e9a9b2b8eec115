#pragma once

// The lookup tables shipped in the Qt resource system (":/tables/…"): the language list and
// the two MIME tables. Resources of a static library must be registered explicitly before
// their first use; the tables call init() when they load.
class TableResources
{
public:
    static void init();
};
