#include "SettingsFixture.h"

#include "model/extensionNSName.h"

namespace {

using Registry = SettingsFixture;

QString ns(const char *prefix, const char *url, bool supported = false)
{
    return extensionNSName::makeDescription(QLatin1String(prefix), QLatin1String(url), supported);
}

QStringList builtIns()
{
    QStringList list;
    for (const char *p :
         {"itunes", "media", "content", "sy", "dc", "creativeCommons", "cf", "trackback"})
        list.append(extensionNSName::makeDescription(QLatin1String(p),
                                                     QStringLiteral("urn:%1").arg(QLatin1String(p)),
                                                     true, QStringLiteral("Name")));
    return list;
}

QStringList stored(const VLXPreferences &prefs)
{
    QStringList out;
    for (const QVariant &v : const_cast<VLXPreferences &>(prefs)
                                 .preferences()
                                 .value(QStringLiteral("General_XMLNamespaces"))
                                 .toList())
        out.append(v.toString());
    return out;
}

TEST_F(Registry, BuiltInsReplaceOlderEntriesAndComeFirst)
{
    reload({{QStringLiteral("General_XMLNamespaces"),
             QVariantList {ns("raw", "urn:raw"), ns("itunes", "urn:old-itunes", true),
                           ns("other", "urn:dc"), ns("gone", "urn:gone", true)}}});
    VLXPreferences::addMissingSupportedXMLNamespaces(builtIns());
    EXPECT_EQ(stored(*prefs), builtIns() + QStringList {ns("raw", "urn:raw")});
    EXPECT_EQ(prefs->general_XMLNamespaces(), stored(*prefs));
    EXPECT_TRUE(store->contains(QStringLiteral("General_XMLNamespaces")));
}

TEST_F(Registry, MissingNamespacesAreAddedByPrefixOnly)
{
    reload({{QStringLiteral("General_XMLNamespaces"), QVariantList {ns("foo", "urn:foo")}}});
    const int syncs = store->syncCount();
    VLXPreferences::addMissingXMLNamespaces({ns("foo", "urn:other"), ns("User Defined", "")});
    EXPECT_EQ(stored(*prefs), QStringList {ns("foo", "urn:foo")});
    EXPECT_EQ(store->syncCount(), syncs + 1); // saves also when nothing was added

    VLXPreferences::addMissingXMLNamespaces({ns("bar", "urn:bar"), ns("bar", "urn:bar2")});
    EXPECT_EQ(stored(*prefs), (QStringList {ns("bar", "urn:bar"), ns("foo", "urn:foo")}));
    EXPECT_EQ(VLXPreferences::getDTDForNamespace(QStringLiteral("bar")), QStringLiteral("urn:bar"));
    EXPECT_TRUE(VLXPreferences::getDTDForNamespace(QStringLiteral("Bar")).isNull());
}

TEST_F(Registry, SortingKeepsWellSupportedOrderAndSortsTheRestWithoutCase)
{
    QStringList &working = prefs->general_XMLNamespaces();
    working = {ns("Zed", "u"),      ns("zz", "u", true), ns("alpha", "u"), ns("ab", "u"),
               ns("aa", "u", true), ns("Beta", "u"),     ns("abc", "u")};
    prefs->sortNamespaces();
    EXPECT_EQ(working,
              (QStringList {ns("zz", "u", true), ns("aa", "u", true), ns("abc", "u"), ns("ab", "u"),
                            ns("alpha", "u"), ns("Beta", "u"), ns("Zed", "u")}));
}

TEST_F(Registry, WorkingRegistryEditsIgnoreIndicesOutOfRange)
{
    QStringList &working = prefs->general_XMLNamespaces();
    prefs->addGeneral_XMLNamespaces(std::nullopt);
    prefs->addGeneral_XMLNamespaces(QStringList {ns("b", "u"), ns("a", "u")});
    EXPECT_EQ(working, (QStringList {ns("a", "u"), ns("b", "u")}));
    prefs->replaceGeneral_XMLNamespaces(ns("c", "u"), -1);
    prefs->replaceGeneral_XMLNamespaces(ns("c", "u"), 2);
    prefs->removeGeneral_XMLNamespacesAtIndex(-1);
    prefs->removeGeneral_XMLNamespacesAtIndex(5);
    EXPECT_EQ(working.size(), 2);
    prefs->replaceGeneral_XMLNamespaces(ns("c", "u"), 0);
    EXPECT_EQ(working, (QStringList {ns("b", "u"), ns("c", "u")}));
    prefs->removeGeneral_XMLNamespacesAtIndex(0);
    EXPECT_EQ(working, QStringList {ns("c", "u")});

    working << ns("User Defined", "") << ns("d", "u") << ns("User Defined", "x");
    prefs->validateGeneralXMLNamespaces();
    EXPECT_EQ(working, (QStringList {ns("c", "u"), ns("d", "u")}));
}

TEST_F(Registry, MalformedEntriesAreKeptAndSorted)
{
    VLXPreferences::addMissingXMLNamespaces({QStringLiteral("broken||u"), ns("a", "u")});
    // A malformed entry has an empty prefix, which sorts like its whole text.
    EXPECT_EQ(stored(*prefs).size(), 2);
}

} // namespace
