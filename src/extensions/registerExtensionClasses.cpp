#include "model/extensionFactory.h"

// The one place where the concrete extension classes are made known. Each namespace folder adds
// its classes here as they arrive; until then its elements are kept as raw XML.
void registerExtensionClasses(extensionFactory &factory)
{
    (void)factory;
}
