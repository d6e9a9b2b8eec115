#include "model/extensionManagerPrefs.h"
#include "extensionTestSupport.h"
#include "model/TemplateValues.h"
#include "model/VLXUnoverriddenMethod.h"

using extensionManagerPrefsTest = ExtensionTest;

namespace {
template<class F> QString reasonOf(F call)
{
    try {
        call();
    } catch (const VLXUnoverriddenMethod &e) {
        return e.reason();
    }
    return QStringLiteral("(nothing raised)");
}

QString reason(const char *declaration)
{
    return QStringLiteral("Base class baseExtensionManager member \"%1\" must be overridden")
        .arg(QString::fromLatin1(declaration));
}
} // namespace

TEST_F(extensionManagerPrefsTest, KeepsRawDefaultsForAnyPrefix)
{
    extensionManagerPrefs manager;
    EXPECT_TRUE(manager.unknownExtensionUsed());
    EXPECT_FALSE(manager.listensForMissingDeclarations());
    manager.createExtensionWithNamespace(QStringLiteral("itunes"), QStringLiteral("urn:i"));
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    EXPECT_EQ(manager.arrayOfExtensionNames(),
              (QStringList {QStringLiteral("itunes"), QStringLiteral("geo"),
                            QStringLiteral("User Defined")}));
    EXPECT_FALSE(manager.extensionAtIndex(0)->allowsUndo());
    EXPECT_EQ(manager.extensionAtIndex(9), manager.unknownExtension());

    EXPECT_EQ(manager.extensionNamed(QStringLiteral("User Defined")), manager.unknownExtension());
    manager.deleteExtensionNamed(QStringLiteral("User Defined"));
    EXPECT_EQ(manager.extensionNamed(QStringLiteral("User Defined")), nullptr);
    EXPECT_EQ(manager.arrayOfExtensionNames().size(), 2);

    manager.setITunesExtensionUsed(true);
    manager.deleteExtensionNamed(QStringLiteral("itunes"));
    EXPECT_FALSE(manager.iTunesExtensionUsed());
    EXPECT_EQ(manager.arrayOfExtensionNames().size(), 2); // the flag only
}

TEST_F(extensionManagerPrefsTest, ParsesWithoutRepairs)
{
    FeedElement owner;
    extensionManagerPrefs manager;
    manager.createExtensionWithNamespace(QStringLiteral("geo"), QStringLiteral("urn:geo"));
    for (const vlxXMLNode *node : elements(
             QStringLiteral("<rss><geo:lat>1</geo:lat><itunes:author>a</itunes:author></rss>")))
        manager.parseXMLNodeIfMine(node, owner);
    EXPECT_EQ(owner.repairCount(), 0);
    EXPECT_EQ(manager.buildXML(QString()),
              QStringLiteral("<geo:lat>1</geo:lat>\n<itunes:author xmlns:itunes=\"http://"
                             "www.itunes.com/dtds/podcast-1.0.dtd\">a</itunes:author>\n"));
}

TEST_F(extensionManagerPrefsTest, InheritsTheRaisingOperations)
{
    extensionManagerPrefs manager;
    EXPECT_EQ(reasonOf([&] { manager.parseXMLErrorCount(); }), reason("- (int)parseXMLErrorCount"));
    EXPECT_EQ(reasonOf([&] { manager.parseXMLWarnCount(); }), reason("- (int)parseXMLWarnCount"));
    EXPECT_EQ(reasonOf([&] { manager.parseXMLRepairCount(); }),
              reason("- (int)parseXMLRepairCount"));
    EXPECT_EQ(reasonOf([&] { manager.validate(nullptr); }),
              reason("- (void)validate:(VLXFeed *)feed"));
    EXPECT_EQ(reasonOf([&] { manager.finalProcessing(nullptr); }),
              reason("- (void)finalProcessing:(VLXFeed *)feed"));
    EXPECT_EQ(reasonOf([&] { manager.preferencesChanged(); }),
              reason("- (void)preferencesChanged"));
    EXPECT_EQ(reasonOf([&] { manager.populateWithDefaults(QString()); }),
              reason("- (void)populateWithDefaults:(NSString *)uniqueKey"));
    EXPECT_EQ(reasonOf([&] { manager.populateExtension(QString(), QString()); }),
              reason("- (void)populateExtension:(NSString *)extensionName "
                     "withDefaults:(NSString *)uniqueKey"));
    EXPECT_EQ(reasonOf([&] { manager.parseXMLErrorList(true, true, true); }),
              reason("- (NSArray *)parseXMLErrorList:(BOOL)includeErrors "
                     "includeWarn:(BOOL)includeWarn includeRepair:(BOOL)includeRepair"));
    EXPECT_EQ(reasonOf([&] { manager.clearParseXMLErrorList(); }),
              reason("- (void)clearParseXMLErrorList"));
    TemplateValues values;
    EXPECT_EQ(reasonOf([&] { manager.actuallyBuildExport(values); }),
              reason("- (NSMutableString *)actuallyBuildExport:(NSString *)template "
                     "substitutions:(NSArray *)substitutions"));
    manager.deactivate(); // does nothing, raises nothing
}
