#include "model/extensionNSName.h"

#include <gtest/gtest.h>

namespace {

using NS = extensionNSName;

TEST(extensionNSName, ANewOneDescribesItselfAsUserDefined)
{
    const extensionNSName name;
    EXPECT_EQ(name.descriptionOfNamespace(), QStringLiteral("User Defined||||0||"));
    EXPECT_EQ(name.descriptionOfNamespaceShort(), name.descriptionOfNamespace());
}

TEST(extensionNSName, SubclassAnswersAreUsedInTheDescription)
{
    class Supported : public extensionNSName
    {
    public:
        QString extensionName() const override { return QStringLiteral("sy"); }
        QString DTDURL() const override { return QStringLiteral("urn:sy"); }
        bool wellSupported() const override { return true; }
    };
    EXPECT_EQ(Supported().descriptionOfNamespace(), QStringLiteral("sy||urn:sy||1||"));
}

TEST(extensionNSName, SplittingTheThreePartForm)
{
    const QString d = NS::makeDescription(QStringLiteral("abc"), QStringLiteral("urn:x"), false);
    EXPECT_EQ(d, QStringLiteral("abc||urn:x||0||"));
    EXPECT_EQ(NS::extensionNameFromDescription(d), QStringLiteral("abc"));
    EXPECT_EQ(NS::DTDURLFromDescription(d), QStringLiteral("urn:x"));
    EXPECT_FALSE(NS::wellSupportedFromDescription(d));
    EXPECT_EQ(NS::displayDescriptionFromDescription(d), QStringLiteral("abc - urn:x"));
}

TEST(extensionNSName, DisplayNameAsFourthPart)
{
    const QString d = NS::makeDescription(QStringLiteral("abc"), QStringLiteral("urn:x"), true,
                                          QStringLiteral("ABC Module"));
    EXPECT_EQ(d, QStringLiteral("abc||urn:x||1||ABC Module||"));
    EXPECT_TRUE(NS::wellSupportedFromDescription(d));
    EXPECT_EQ(NS::displayDescriptionFromDescription(d), QStringLiteral("ABC Module"));
    // An empty fourth part reads as an empty display text.
    EXPECT_EQ(NS::displayDescriptionFromDescription(QStringLiteral("abc||urn:x||1||||")),
              QString());
}

TEST(extensionNSName, MalformedDescriptionsReadAsEmpty)
{
    for (const QString &d : {QStringLiteral("abc||urn:x"), QStringLiteral("abc||urn:x||1"),
                             QString(), QString(QLatin1String(""))}) {
        EXPECT_EQ(NS::extensionNameFromDescription(d), QString()) << d.toStdString();
        EXPECT_EQ(NS::DTDURLFromDescription(d), QString());
        EXPECT_FALSE(NS::wellSupportedFromDescription(d));
        EXPECT_EQ(NS::displayDescriptionFromDescription(d), QStringLiteral(" - "));
    }
}

TEST(extensionNSName, FlagIsTheLeadingDigits)
{
    EXPECT_TRUE(NS::wellSupportedFromDescription(QStringLiteral("a||u||12abc||")));
    EXPECT_FALSE(NS::wellSupportedFromDescription(QStringLiteral("a||u||yes||")));
    EXPECT_FALSE(NS::wellSupportedFromDescription(QStringLiteral("a||u||00||")));
}

} // namespace
