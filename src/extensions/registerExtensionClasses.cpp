#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/cc/creativeCommonsItem.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssItem.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "extensions/trackback/trackBackChannel.h"
#include "extensions/trackback/trackBackItem.h"
#include "model/extensionFactory.h"

// The one place where the concrete extension classes are made known. Each namespace folder adds
// its classes here as they arrive; until then its elements are kept as raw XML.
void registerExtensionClasses(extensionFactory &factory)
{
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Channel,
                          [] { return std::make_shared<iTunesChannel>(); });
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Item,
                          [] { return std::make_shared<iTunesItem>(); });
    factory.registerClass(KnownNamespace::mediaRSS, ExtensionPlace::Channel,
                          [] { return std::make_shared<mrssChannel>(); });
    factory.registerClass(KnownNamespace::mediaRSS, ExtensionPlace::Item,
                          [] { return std::make_shared<mrssItem>(); });
    factory.registerClass(KnownNamespace::microsoftCF, ExtensionPlace::Channel,
                          [] { return std::make_shared<microsoftCFChannel>(); });
    factory.registerClass(KnownNamespace::trackBack, ExtensionPlace::Channel,
                          [] { return std::make_shared<trackBackChannel>(); });
    factory.registerClass(KnownNamespace::trackBack, ExtensionPlace::Item,
                          [] { return std::make_shared<trackBackItem>(); });
    factory.registerClass(KnownNamespace::creativeCommons, ExtensionPlace::Channel,
                          [] { return std::make_shared<creativeCommonsChannel>(); });
    factory.registerClass(KnownNamespace::creativeCommons, ExtensionPlace::Item,
                          [] { return std::make_shared<creativeCommonsItem>(); });
}
