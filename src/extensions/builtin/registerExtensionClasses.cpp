#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/cc/creativeCommonsItem.h"
#include "extensions/content/contentEncodedChannel.h"
#include "extensions/content/contentEncodedItem.h"
#include "extensions/dc/dcChannel.h"
#include "extensions/dc/dcImage.h"
#include "extensions/dc/dcItem.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssItem.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "extensions/sy/syChannel.h"
#include "extensions/trackback/trackBackChannel.h"
#include "extensions/trackback/trackBackItem.h"
#include "model/extensionFactory.h"

// The one place where the concrete extension classes are made known: one for every place where
// a known namespace has elements (knownNamespaces::existsAt).
void registerExtensionClasses(extensionFactory &factory)
{
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Channel,
                          [] { return std::make_shared<iTunesChannel>(); });
    factory.registerClass(KnownNamespace::iTunes, ExtensionPlace::Item,
                          [] { return std::make_shared<iTunesItem>(); });
    factory.registerEnclosureRule(KnownNamespace::iTunes, &iTunesItem::checkURLForFileTypes);
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
    factory.registerClass(KnownNamespace::dublinCore, ExtensionPlace::Channel,
                          [] { return std::make_shared<dcChannel>(); });
    factory.registerClass(KnownNamespace::dublinCore, ExtensionPlace::Item,
                          [] { return std::make_shared<dcItem>(); });
    factory.registerClass(KnownNamespace::dublinCore, ExtensionPlace::Image,
                          [] { return std::make_shared<dcImage>(); });
    factory.registerClass(KnownNamespace::syndication, ExtensionPlace::Channel,
                          [] { return std::make_shared<syChannel>(); });
    factory.registerClass(KnownNamespace::contentEncoded, ExtensionPlace::Channel,
                          [] { return std::make_shared<contentEncodedChannel>(); });
    factory.registerClass(KnownNamespace::contentEncoded, ExtensionPlace::Item,
                          [] { return std::make_shared<contentEncodedItem>(); });
}
