#include "resources/TableResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used at global scope, outside any namespace.
static void initTableResources()
{
    Q_INIT_RESOURCE(vlx_tables);
}

void TableResources::init()
{
    static const bool done = (initTableResources(), true);
    Q_UNUSED(done);
}
