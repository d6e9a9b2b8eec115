#include "model/extensionManagerChannel.h"
#include "extensionTestSupport.h"
#include "model/extensionManagerScope.h"

using extensionManagerChannelTest = ExtensionTest;

namespace {
const QString kITunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");
const QString kContent = QStringLiteral("http://purl.org/rss/1.0/modules/content/");
const QString kDC = QStringLiteral("http://purl.org/dc/elements/1.1/");

QStringList titles(const QList<MessageGroup> &groups)
{
    QStringList list;
    for (const MessageGroup &group : groups)
        list.append(group.title());
    return list;
}
} // namespace

TEST_F(extensionManagerChannelTest, NewManagerRegistersTheBuiltinNamespaces)
{
    extensionManagerChannel manager;
    const QStringList registry
        = VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces")).toStringList();
    ASSERT_GE(registry.size(), 8);
    EXPECT_EQ(registry.at(0),
              QStringLiteral("itunes||") + kITunes + QStringLiteral("||1||iTunes") + QChar(0x00AE)
                  + QStringLiteral("||"));
    EXPECT_EQ(extensionNSName::extensionNameFromDescription(registry.at(3)), QStringLiteral("sy"));
    EXPECT_EQ(extensionNSName::extensionNameFromDescription(registry.at(4)), QStringLiteral("dc"));
    EXPECT_EQ(VLXPreferences::getDTDForNamespace(QStringLiteral("trackback")),
              QStringLiteral("http://madskills.com/public/xml/rss/module/trackback/"));
    EXPECT_EQ(manager.countOfExtensions(), 0);
    EXPECT_EQ(manager.extensionAtIndex(0), manager.unknownExtension());
}

TEST_F(extensionManagerChannelTest, UndeclaredITunesElementIsRepairedOnce)
{
    FeedElement feed;
    extensionManagerChannel manager;
    const auto nodes = elements(QStringLiteral(
        "<rss><itunes:author>A</itunes:author><itunes:subtitle>S</itunes:subtitle></rss>"));
    manager.parseXMLNodeIfMine(nodes.at(0), feed);
    EXPECT_TRUE(manager.iTunesExtensionUsed());
    ASSERT_TRUE(manager.iTunesExtension());
    EXPECT_EQ(manager.iTunesExtension()->extensionName(), QStringLiteral("itunes"));
    EXPECT_EQ(manager.iTunesExtension()->DTDURL(), kITunes);
    EXPECT_EQ(feed.errorList(),
              QStringList {QStringLiteral("Automatic Repair::Add missing namespace declaration "
                                          "(itunes)")});
    EXPECT_EQ(feed.repairCount(), 1);

    manager.parseXMLNodeIfMine(nodes.at(1), feed);
    EXPECT_EQ(feed.repairCount(), 1);
    EXPECT_EQ(feed.errorList().size(), 1);
    // Both elements reached the namespace's own class.
    EXPECT_EQ(
        manager.buildXML(QString()),
        QStringLiteral("<itunes:subtitle>S</itunes:subtitle>\n<itunes:author>A</itunes:author>\n"
                       "<itunes:explicit>no</itunes:explicit>\n"));
    EXPECT_EQ(manager.iTunesExtension()->displayName(), QStringLiteral("iTunes") + QChar(0x00AE));
    EXPECT_FALSE(manager.unknownExtensionUsed());
}

TEST_F(extensionManagerChannelTest, KnownURIUnderAnotherPrefixIsWrittenCanonically)
{
    FeedElement feed;
    extensionManagerChannel manager;
    manager.createExtensionsFromArray({QStringLiteral("xmlns:itms=\"%1\"").arg(kITunes)});
    ASSERT_TRUE(manager.iTunesExtensionUsed());
    EXPECT_EQ(manager.iTunesExtension()->extensionProcessingName(), QStringLiteral("itms"));
    manager.parseXMLNodeIfMine(elements(QStringLiteral("<rss xmlns:itms=\"%1\"><itms:author>A"
                                                       "</itms:author></rss>")
                                            .arg(kITunes))
                                   .at(0),
                               feed);
    EXPECT_EQ(feed.repairCount(), 0);
    EXPECT_EQ(manager.namespaceDelecrations(), QStringLiteral("xmlns:itunes=\"%1\"").arg(kITunes));
    EXPECT_EQ(manager.buildXML(QStringLiteral("        ")),
              QStringLiteral("        <itunes:author>A</itunes:author>\n"
                             "        <itunes:explicit>no</itunes:explicit>\n"));
}

TEST_F(extensionManagerChannelTest, DeclarationsAndElementsFollowTheirOwnOrders)
{
    FeedElement feed;
    extensionManagerChannel manager;
    manager.createExtensionsFromArray({QStringLiteral("xmlns:geo=\"urn:geo\""),
                                       QStringLiteral("xmlns:content=\"%1\"").arg(kContent),
                                       QStringLiteral("xmlns:media='x'").replace(u'\'', u'"'),
                                       QStringLiteral("xmlns:itunes=\"%1\"").arg(kITunes)});
    EXPECT_EQ(manager.arrayOfNamespaceDelecrations(),
              (QStringList {QStringLiteral("xmlns:itunes=\"%1\"").arg(kITunes),
                            QStringLiteral("xmlns:content=\"%1\"").arg(kContent),
                            QStringLiteral("xmlns:media=\"http://search.yahoo.com/mrss/\""),
                            QStringLiteral("xmlns:geo=\"urn:geo\"")}));
    EXPECT_EQ(manager.arrayOfExtensionNames(),
              (QStringList {QStringLiteral("itunes"), QStringLiteral("media"),
                            QStringLiteral("content"), QStringLiteral("geo")}));

    for (const vlxXMLNode *node :
         elements(QStringLiteral("<rss><geo:lat>1</geo:lat><content:encoded>c</content:encoded>"
                                 "<loose>u</loose><itunes:author>a</itunes:author></rss>")))
        manager.parseXMLNodeIfMine(node, feed);
    EXPECT_EQ(manager.buildXML(QStringLiteral("        ")),
              QStringLiteral("        <itunes:author>a</itunes:author>\n"
                             "        <itunes:explicit>no</itunes:explicit>\n"
                             "        <content:encoded><![CDATA[c]]></content:encoded>\n"
                             "        <geo:lat>1</geo:lat>\n"
                             "        <loose>u</loose>\n"));
    EXPECT_EQ(manager.countOfExtensions(), 5);
    EXPECT_EQ(manager.extensionDescriptionAtIndex(3), QStringLiteral("geo - urn:geo"));
    EXPECT_EQ(manager.extensionAtIndex(4), manager.unknownExtension());
    EXPECT_EQ(manager.extensionAtIndex(40), manager.unknownExtension());
}

TEST_F(extensionManagerChannelTest, ListedNamespaceKeepsItsRawXML)
{
    FeedElement feed;
    extensionManagerChannel manager;
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    for (const vlxXMLNode *node : elements(QStringLiteral(
             "<rss xmlns:geo=\"urn:geo\"><geo:lat>1</geo:lat><geo:long>2</geo:long></rss>")))
        manager.parseXMLNodeIfMine(node, feed);
    EXPECT_FALSE(manager.unknownExtensionUsed());
    EXPECT_EQ(manager.notWellSupportedArray().at(0)->rawXML(),
              QStringLiteral("<geo:lat>1</geo:lat><geo:long>2</geo:long>"));
    EXPECT_EQ(manager.buildXML(QStringLiteral("        ")),
              QStringLiteral("        <geo:lat>1</geo:lat>\n        <geo:long>2</geo:long>\n"));
    EXPECT_EQ(
        manager.buildXML(QStringLiteral("            ")),
        QStringLiteral("            <geo:lat>1</geo:lat>\n            <geo:long>2</geo:long>\n"));
}

TEST_F(extensionManagerChannelTest, UnclaimedElementsEndInTheUserDefinedExtension)
{
    FeedElement feed;
    extensionManagerChannel manager;
    for (const vlxXMLNode *node :
         elements(QStringLiteral("<rss><plain>1</plain><zz:odd>2</zz:odd>"
                                 "<trackback:ping>http://x</trackback:ping></rss>")))
        EXPECT_EQ(manager.parseXMLNodeIfMine(node, feed), 0);
    EXPECT_TRUE(manager.unknownExtensionUsed());
    // A prefix bound nowhere could only be written undeclared: that element is left out, and
    // the user-defined extension says so.
    EXPECT_EQ(manager.unknownExtension()->rawXML(), QStringLiteral("<plain>1</plain>"));
    EXPECT_EQ(manager.unknownExtension()->errorList(),
              QStringList {QStringLiteral("Automatic Repair::Removed the element <zz:odd> from the "
                                          "kept XML: its namespace prefix is declared nowhere in "
                                          "the feed")});
    // Channel-level trackback elements are kept as read, after the declaration is repaired.
    EXPECT_TRUE(manager.trackBackExtensionUsed());
    EXPECT_EQ(manager.trackBackExtension()->rawXML(),
              QStringLiteral("<trackback:ping>http://x</trackback:ping>"));
    EXPECT_EQ(feed.repairCount(), 1);

    // The user-defined group stands even without entries; others only with entries.
    EXPECT_EQ(titles(manager.parseXMLErrorList(true, true, false)),
              QStringList {QStringLiteral("\"User Defined\" Extension")});
    manager.validate(nullptr);
    EXPECT_EQ(manager.parseXMLWarnCount(), 1);
    const QList<MessageGroup> groups = manager.parseXMLErrorList(false, true, false);
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups.at(0).entries().size(), 1);
    manager.clearParseXMLErrorList();
    EXPECT_EQ(manager.parseXMLWarnCount(), 0);
}

TEST_F(extensionManagerChannelTest, RegisteredPrefixIsRepairedIntoAListedExtension)
{
    VLXPreferences::addMissingXMLNamespaces({QStringLiteral("geo||urn:geo||0||")});
    FeedElement feed;
    extensionManagerChannel manager;
    const auto nodes
        = elements(QStringLiteral("<rss><geo:lat>1</geo:lat><geo:long>2</geo:long></rss>"));
    manager.parseXMLNodeIfMine(nodes.at(0), feed);
    manager.parseXMLNodeIfMine(nodes.at(1), feed);
    EXPECT_EQ(manager.notWellSupportedArray().size(), 1);
    EXPECT_EQ(manager.namespaceDelecrations(), QStringLiteral("xmlns:geo=\"urn:geo\""));
    EXPECT_EQ(
        feed.errorList(),
        QStringList {QStringLiteral("Automatic Repair::Add missing namespace declaration (geo)")});
    EXPECT_FALSE(manager.unknownExtensionUsed());
}

TEST_F(extensionManagerChannelTest, NamelessOrUnreadableNamespaceIsNeverDeclared)
{
    extensionManagerChannel manager;
    manager.createExtensionWithString(QStringLiteral("xmlns:=\"urn:nothing\""));
    manager.createExtensionWithString(QStringLiteral("xmlns=\"http://default.example/\""));
    manager.createExtensionsFromArrayOfDescriptions({QStringLiteral("broken||urn:x")});
    manager.createExtensionWithNamespace(QString(), QStringLiteral("urn:y"));
    // Nor one that no XML reader would accept: every feed written with it would be unreadable.
    manager.createExtensionWithString(QStringLiteral("xmlns:e=\"\""));
    manager.createExtensionWithString(QStringLiteral("xmlns:s=\"a b\""));
    manager.createExtensionWithString(QStringLiteral("xmlns:n=\"http://x/&nbsp;\""));
    manager.createExtensionWithNamespace(QStringLiteral("a:b"), QStringLiteral("urn:z"));
    manager.createExtensionWithNamespace(QStringLiteral("xmlns"), QStringLiteral("urn:z"));
    EXPECT_TRUE(manager.notWellSupportedArray().isEmpty());
    EXPECT_FALSE(manager.namespaceDelecrations().contains(QStringLiteral("xmlns:=")));
    // A listed extension renamed to nothing is left out of the declarations too.
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    manager.setExtensionNameAtIndex(QString(), 0);
    EXPECT_EQ(manager.namespaceDelecrations(), QString());
}

TEST_F(extensionManagerChannelTest, DeletingAndCopying)
{
    FeedElement feed;
    extensionManagerChannel manager;
    manager.createExtensionWithNamespace(QStringLiteral("itunes"), kITunes);
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    manager.parseXMLNodeIfMine(elements(QStringLiteral("<rss><odd>1</odd></rss>")).at(0), feed);

    const auto copy = manager.copy();
    EXPECT_FALSE(copy->listensForMissingDeclarations());
    EXPECT_EQ(copy->arrayOfExtensionNames(), manager.arrayOfExtensionNames());
    EXPECT_NE(copy->iTunesExtension(), manager.iTunesExtension());
    EXPECT_NE(copy->notWellSupportedArray().at(0), manager.notWellSupportedArray().at(0));
    copy->unknownExtension()->setRawXML(QString());
    EXPECT_EQ(manager.unknownExtension()->rawXML(), QStringLiteral("<odd>1</odd>"));

    manager.deleteExtensionNamed(QStringLiteral("dc")); // not in use: nothing
    EXPECT_EQ(manager.countOfExtensions(), 3);
    manager.deleteExtensionNamed(QStringLiteral("User Defined"));
    EXPECT_FALSE(manager.unknownExtensionUsed());
    EXPECT_EQ(manager.unknownExtension()->rawXML(), QString());
    manager.deleteExtensionNamed(QStringLiteral("itunes"));
    EXPECT_FALSE(manager.iTunesExtensionUsed());
    EXPECT_FALSE(manager.iTunesExtension());
    manager.deleteExtensionNamed(QStringLiteral("geo"));
    EXPECT_EQ(manager.countOfExtensions(), 0);
}

TEST_F(extensionManagerChannelTest, TextInputTakesOnlyDublinCore)
{
    FeedElement feed;
    extensionManagerChannel manager;
    const auto nodes = elements(QStringLiteral("<rss><dc:rights>r</dc:rights><x:y>1</x:y></rss>"));
    EXPECT_EQ(manager.parseXMLNodeIfMineTI(nodes.at(1), feed), 0);
    EXPECT_FALSE(manager.dublinCoreExtensionUsed());
    manager.parseXMLNodeIfMineTI(nodes.at(0), feed);
    EXPECT_TRUE(manager.dublinCoreExtensionUsed());
    EXPECT_EQ(feed.repairCount(), 1);
    EXPECT_EQ(manager.buildXMLTI(QStringLiteral("            ")),
              QStringLiteral("            <dc:rights>r</dc:rights>\n"));
    // The textInput elements stay inside textInput, not among the channel's.
    EXPECT_EQ(manager.buildXML(QStringLiteral("        ")), QString());
}

TEST_F(extensionManagerChannelTest, DeclarationsFollowEveryChangeOfTheNamespaces)
{
    extensionManagerChannel manager;
    EXPECT_TRUE(manager.arrayOfNamespaceDelecrations().isEmpty());
    manager.createExtensionsFromArray({QStringLiteral("xmlns:geo=\"urn:geo\""),
                                       QStringLiteral("xmlns:itunes=\"%1\"").arg(kITunes)});
    const QStringList before = manager.arrayOfNamespaceDelecrations();
    EXPECT_EQ(before,
              (QStringList {QStringLiteral("xmlns:itunes=\"%1\"").arg(kITunes),
                            QStringLiteral("xmlns:geo=\"urn:geo\"")}));
    EXPECT_EQ(manager.arrayOfNamespaceDelecrations(), before);

    manager.setExtensionDTDURLAtIndex(QStringLiteral("urn:geo2"), 1);
    EXPECT_EQ(manager.arrayOfNamespaceDelecrations().at(1),
              QStringLiteral("xmlns:geo=\"urn:geo2\""));
    manager.notWellSupportedArray().first()->setExtensionName(QStringLiteral("place"));
    EXPECT_EQ(manager.arrayOfNamespaceDelecrations().at(1),
              QStringLiteral("xmlns:place=\"urn:geo2\""));
    manager.setITunesExtensionUsed(false);
    EXPECT_EQ(manager.arrayOfNamespaceDelecrations(),
              QStringList {QStringLiteral("xmlns:place=\"urn:geo2\"")});
    manager.deleteExtensionNamed(QStringLiteral("place"));
    EXPECT_TRUE(manager.arrayOfNamespaceDelecrations().isEmpty());
    // The list handed out earlier is the caller's own.
    EXPECT_EQ(before.size(), 2);
}

TEST_F(extensionManagerChannelTest, AnAddressFeedsWriteForAKnownNamespaceNamesIt)
{
    using K = KnownNamespace;
    const struct
    {
        const char *address;
        std::optional<KnownNamespace> names;
    } cases[] = {
        {"http://www.itunes.com/DTDs/Podcast-1.0.dtd", K::iTunes},
        {"https://www.itunes.com/dtds/podcast-1.0.dtd", K::iTunes},
        {"http://itunes.com/dtds/podcast-1.0.dtd/", K::iTunes},
        {"http://search.yahoo.com/mrss", K::mediaRSS},
        {"http://tools.search.yahoo.com/mrss/", K::mediaRSS},
        {"http://purl.org/rss/1.0/modules/content", K::contentEncoded},
        {"HTTPS://PURL.ORG/DC/ELEMENTS/1.1", K::dublinCore},
        {"http://purl.org/dc/terms/", std::nullopt},
        {"http://search.yahoo.com/mrss/extra", std::nullopt},
        {"ftp://www.itunes.com/dtds/podcast-1.0.dtd", std::nullopt},
        {"urn:example:itunes", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        const QString address = QString::fromLatin1(c.address);
        EXPECT_EQ(knownNamespaces::fromURI(address), c.names);
        if (!c.names)
            continue;
        // Declared under it, the namespace is read into its class, told of, and written under
        // its own URI.
        extensionManagerChannel manager;
        manager.createExtensionsFromArray({QStringLiteral("xmlns:x=\"%1\"").arg(address)});
        EXPECT_TRUE(manager.extensionUsed(*c.names));
        const QString own = knownNamespaces::uri(*c.names);
        EXPECT_EQ(manager.namespaceDelecrations(),
                  QStringLiteral("xmlns:%1=\"%2\"").arg(knownNamespaces::prefix(*c.names), own));
        const QStringList entries = manager.knownExtension(*c.names)->errorList();
        ASSERT_EQ(entries.size(), 1);
        EXPECT_TRUE(entries.at(0).startsWith(QStringLiteral("Automatic Repair::Old ")));
        EXPECT_TRUE(entries.at(0).endsWith(QStringLiteral(" used ") + address));
    }
}

TEST_F(extensionManagerChannelTest, APrefixNumberedForAnotherNamespaceIsNoneTheDocumentDeclares)
{
    // A known prefix bound to another URI takes a number the document leaves free, in whatever
    // order the document declares the two.
    const QString first = QStringLiteral("xmlns:itunes1=\"urn:example:first\"");
    const QString second = QStringLiteral("xmlns:itunes=\"urn:example:second\"");
    for (const QStringList &declarations : {QStringList {first, second}, QStringList {second, first}}) {
        extensionManagerChannel manager;
        manager.createExtensionsFromArray(declarations);
        QStringList listed;
        for (const auto &extension : manager.notWellSupportedArray())
            listed.append(extension->extensionName() + u' ' + extension->DTDURL());
        listed.sort();
        EXPECT_EQ(listed, (QStringList {QStringLiteral("itunes1 urn:example:first"),
                                        QStringLiteral("itunes2 urn:example:second")}));
        EXPECT_FALSE(manager.iTunesExtensionUsed());
    }
}
