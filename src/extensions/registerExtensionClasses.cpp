#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/extensionFactory.h"

// The one place where the concrete extension classes are made known. Each namespace folder adds
// its classes here as they arrive; until then its elements are kept as raw XML.
void registerExtensionClasses(extensionFactory &factory)
{
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Channel,
                          [] { return std::make_shared<iTunesChannel>(); });
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Item,
                          [] { return std::make_shared<iTunesItem>(); });
}
