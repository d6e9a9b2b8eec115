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
#include "model/VLXUnoverriddenMethod.h"
#include "model/extensionNSRaw.h"

#include <gtest/gtest.h>

namespace {

// A namespace class of its own answers YES, whatever its stored flag says.
class supportedName : public extensionNSRaw
{
public:
    bool wellSupported() const override { return true; }

protected:
    extensionNSRaw *newCopy() const override { return new supportedName(*this); }
};

template<class F> QString reasonOf(F call)
{
    try {
        call();
    } catch (const VLXUnoverriddenMethod &e) {
        EXPECT_EQ(e.name(), QStringLiteral("Unoverridden baseclass method"));
        return e.reason();
    }
    return QStringLiteral("(nothing raised)");
}

} // namespace

TEST(extensionNSName, NewObjectHasNoProcessingNameAndNoFieldNames)
{
    extensionNSName name;
    EXPECT_TRUE(name.fieldNames().isEmpty());
    EXPECT_FALSE(name.extensionProcessingName().isNull());
    EXPECT_TRUE(name.extensionProcessingName().isEmpty());
    EXPECT_FALSE(name.storedWellSupported());
}

TEST(extensionNSName, NamespacesAreEqualByExactNameAndURI)
{
    extensionNSRaw a;
    extensionNSRaw b;
    a.setExtensionName(QStringLiteral("geo"));
    a.setDTDURL(QStringLiteral("urn:geo"));
    b.setExtensionName(QStringLiteral("GEO"));
    b.setDTDURL(QStringLiteral("urn:geo"));
    EXPECT_FALSE(a.isEqualToNamespace(b));
    b.setExtensionName(QStringLiteral("geo"));
    b.setExtensionProcessingName(QStringLiteral("g"));
    EXPECT_TRUE(a.isEqualToNamespace(b));
}

TEST(extensionNSName, CopyStoresWhatTheClassSaysOfItsSupport)
{
    supportedName source;
    source.setExtensionName(QStringLiteral("abc"));
    source.setFieldNames({QStringLiteral("abc:one")});
    EXPECT_FALSE(source.storedWellSupported());
    const auto copy = source.copyExtension();
    EXPECT_TRUE(copy->storedWellSupported());
    EXPECT_EQ(copy->fieldNames(), QStringList {QStringLiteral("abc:one")});
    EXPECT_EQ(copy->descriptionOfNamespace(), QStringLiteral("abc||||1||"));
}

TEST(extensionNSName, ArchiveKeepsTheIdentity)
{
    extensionNSRaw source;
    source.setExtensionName(QStringLiteral("geo"));
    source.setExtensionProcessingName(QStringLiteral("g"));
    source.setDTDURL(QStringLiteral("urn:geo"));
    source.setFieldNames({QStringLiteral("geo:lat")});
    source.setRawXML(QStringLiteral("<geo:lat>1</geo:lat>"));
    source.recordRepair(QStringLiteral("fixed"));
    QVariantMap coder;
    source.encodeWithCoder(coder);
    EXPECT_EQ(coder.value(QStringLiteral("wellSupported")).toInt(), 0);

    extensionNSRaw restored;
    restored.initWithCoder(coder);
    EXPECT_EQ(restored.extensionName(), QStringLiteral("geo"));
    EXPECT_EQ(restored.extensionProcessingName(), QStringLiteral("g"));
    EXPECT_EQ(restored.DTDURL(), QStringLiteral("urn:geo"));
    EXPECT_EQ(restored.fieldNames(), source.fieldNames());
    EXPECT_EQ(restored.rawXML(), source.rawXML());
    EXPECT_EQ(restored.repairCount(), 1);
    EXPECT_EQ(restored.lastFoundRange(), (extensionNSRaw::Range {extensionNSRaw::kNotFound, 0}));
}

TEST(extensionNSName, ClassLevelIdentityMustBeProvidedBySubclasses)
{
    EXPECT_EQ(reasonOf([] { extensionNSName::classExtensionName(); }),
              QStringLiteral("Base class extensionNSName member \"+ (NSString *)extensionNames\" "
                             "must be overridden"));
    EXPECT_EQ(reasonOf([] { extensionNSName::classDTDURL(); }),
              QStringLiteral("Base class extensionNSName member \"+ (NSString *)DTDURL\" must be "
                             "overridden"));
    EXPECT_EQ(reasonOf([] { extensionNSName::classDescriptionOfNamespace(); }),
              QStringLiteral("Base class extensionNSName member \"+ (NSString "
                             "*)descriptionOfNamespace\" must be overridden"));
    EXPECT_EQ(reasonOf([] { extensionNSName::classDescriptionOfNamespaceShort(); }),
              QStringLiteral("Base class extensionNSName member \"+ (NSString "
                             "*)descriptionOfNamespaceShort\" must be overridden"));
}
