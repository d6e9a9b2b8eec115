#include "extensionTestSupport.h"
#include "model/VLXUnoverriddenMethod.h"
#include "model/extensionManagerPrefs.h"

#include <QStringList>

using baseExtensionManagerTest = ExtensionTest;

namespace {

// An extension whose find steps are scripted and logged, so the manager's walk can be watched.
class scriptedExtension : public extensionNSPrefs
{
public:
    struct Log
    {
        QStringList calls;
    };
    scriptedExtension(QString name, bool finds, bool replaces, std::shared_ptr<Log> log)
        : m_finds(finds), m_replaces(replaces), m_log(std::move(log))
    {
        setExtensionName(name);
    }
    bool replace(const QString &, const std::optional<QString> &replacement, bool, int, QObject *,
                 QObject *, int) override
    {
        m_log->calls.append(extensionName() + u'=' + replacement.value_or(QStringLiteral("nil")));
        setReplaceResult(m_replaces && replacement.has_value());
        const bool found = m_finds;
        m_finds = false; // found once, then exhausted
        return found;
    }
    int replaceAll(const QString &, const QString &, int) override
    {
        m_log->calls.append(QStringLiteral("all:") + extensionName());
        return 2;
    }

protected:
    extensionNSRaw *newCopy() const override { return new scriptedExtension(*this); }

private:
    bool m_finds;
    bool m_replaces;
    std::shared_ptr<Log> m_log;
};

} // namespace

TEST_F(baseExtensionManagerTest, CountsReadTheFlagsThroughTheGetters)
{
    baseExtensionManager manager;
    EXPECT_EQ(manager.countOfExtensions(), 0);
    manager.setUnknownExtensionUsed(true);
    EXPECT_EQ(manager.countOfExtensions(), 1);
    manager.setUnknownExtensionUsed(false);
    manager.setITunesExtensionUsed(true);
    manager.setNotWellSupportedArray(
        {std::make_shared<extensionNSPrefs>(), std::make_shared<extensionNSPrefs>()});
    EXPECT_EQ(manager.countOfExtensions(), 3);

    const auto copy = manager.copyManager();
    EXPECT_EQ(copy->countOfExtensions(), 3);
    EXPECT_NE(copy->notWellSupportedArray().at(0), manager.notWellSupportedArray().at(0));
}

TEST_F(baseExtensionManagerTest, DeclarationTextsSplitIntoPrefixAndURI)
{
    EXPECT_EQ(baseExtensionManager::namespaceOfDeclaration(QStringLiteral("xmlns:geo=\"urn:g\"")),
              QStringLiteral("geo"));
    EXPECT_EQ(baseExtensionManager::DTDURLOfDeclaration(QStringLiteral("xmlns:geo=\"urn:g\"")),
              QStringLiteral("urn:g"));
    EXPECT_EQ(baseExtensionManager::namespaceOfDeclaration(QStringLiteral("xmlns=\"urn:g\"")),
              QString());
    EXPECT_EQ(baseExtensionManager::DTDURLOfDeclaration(QStringLiteral("xmlns:geo")), QString());
    EXPECT_EQ(baseExtensionManager::DTDURLOfDeclaration(QStringLiteral("xmlns:geo=\"")), QString());
}

TEST_F(baseExtensionManagerTest, AbstractOperationsRaiseWithTheirDeclaration)
{
    baseExtensionManager manager;
    try {
        manager.extensionAtIndex(0);
        FAIL() << "nothing raised";
    } catch (const VLXUnoverriddenMethod &e) {
        EXPECT_EQ(e.name(), QStringLiteral("Unoverridden baseclass method"));
        EXPECT_EQ(e.reason(),
                  QStringLiteral("Base class baseExtensionManager member \"- "
                                 "(id)extensionAtIndex:(int)pos\" must be overridden"));
    }
    EXPECT_THROW(manager.createExtensionWithNamespace(QStringLiteral("a"), QStringLiteral("b")),
                 VLXUnoverriddenMethod);
    EXPECT_THROW(manager.buildXML(QString()), VLXUnoverriddenMethod);
    EXPECT_THROW(manager.deleteExtensionNamed(QString()), VLXUnoverriddenMethod);
    EXPECT_THROW(manager.arrayOfExtensionDescriptions(), VLXUnoverriddenMethod);
    // Text forms are built on the abstract creation and raise through it.
    EXPECT_THROW(manager.createExtensionWithString(QStringLiteral("xmlns:a=\"b\"")),
                 VLXUnoverriddenMethod);
    EXPECT_NO_THROW(manager.createExtensionWithString(QStringLiteral("no colon")));
}

TEST_F(baseExtensionManagerTest, FindWalkReplacesAtMostOncePerWalk)
{
    auto log = std::make_shared<scriptedExtension::Log>();
    extensionManagerPrefs manager;
    manager.deleteExtensionNamed(QStringLiteral("User Defined"));
    manager.setNotWellSupportedArray(
        {std::make_shared<scriptedExtension>(QStringLiteral("a"), false, false, log),
         std::make_shared<scriptedExtension>(QStringLiteral("b"), true, true, log),
         std::make_shared<scriptedExtension>(QStringLiteral("c"), false, true, log)});

    EXPECT_TRUE(
        manager.replace(QStringLiteral("x"), QStringLiteral("y"), true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(manager.searchExtensionIndex(), 1);
    EXPECT_TRUE(manager.replaceDone());
    // The walk goes on in the same extension, which is now exhausted; the replacement was made,
    // so the third extension is offered none.
    EXPECT_FALSE(
        manager.replace(QStringLiteral("x"), QStringLiteral("y"), true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(log->calls,
              (QStringList {QStringLiteral("a=y"), QStringLiteral("b=y"), QStringLiteral("b=y"),
                            QStringLiteral("c=nil")}));
    EXPECT_EQ(manager.searchExtensionIndex(), 3);
    EXPECT_FALSE(manager.replace(QStringLiteral("x"), std::nullopt, true, 0, nullptr, nullptr, 0));

    manager.resetSearch();
    EXPECT_EQ(manager.searchExtensionIndex(), 0);
    log->calls.clear();
    EXPECT_FALSE(manager.replace(QStringLiteral("x"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(
        log->calls,
        (QStringList {QStringLiteral("a=nil"), QStringLiteral("b=nil"), QStringLiteral("c=nil")}));
}

TEST_F(baseExtensionManagerTest, ReplaceAllStartsWhereTheWalkStands)
{
    auto log = std::make_shared<scriptedExtension::Log>();
    extensionManagerPrefs manager;
    manager.deleteExtensionNamed(QStringLiteral("User Defined"));
    manager.setNotWellSupportedArray(
        {std::make_shared<scriptedExtension>(QStringLiteral("a"), false, false, log),
         std::make_shared<scriptedExtension>(QStringLiteral("b"), true, false, log),
         std::make_shared<scriptedExtension>(QStringLiteral("c"), false, false, log)});
    manager.replace(QStringLiteral("x"), std::nullopt, true, 0, nullptr, nullptr, 0);
    log->calls.clear();
    EXPECT_EQ(manager.replaceAll(QStringLiteral("x"), QStringLiteral("y"), 0), 4);
    EXPECT_EQ(log->calls, (QStringList {QStringLiteral("all:b"), QStringLiteral("all:c")}));
}
