#include "xml/XMLentities.h"

#include <gtest/gtest.h>

TEST(XMLentities, TableHoldsExactlyTheXmlLatin1AndPunctuationNames)
{
    const auto &table = XMLentities::entities();
    EXPECT_EQ(table.size(), 127);
    EXPECT_EQ(table.value(QStringLiteral("amp")), 38u);
    EXPECT_EQ(table.value(QStringLiteral("apos")), 39u);
    EXPECT_EQ(table.value(QStringLiteral("iexcl")), 161u);
    EXPECT_EQ(table.value(QStringLiteral("times")), 215u);
    EXPECT_EQ(table.value(QStringLiteral("yuml")), 255u);
    EXPECT_EQ(table.value(QStringLiteral("hellip")), 8230u);
    EXPECT_EQ(table.value(QStringLiteral("euro")), 8364u);
    // Names are case-sensitive: Eacute and eacute are two letters.
    EXPECT_EQ(table.value(QStringLiteral("Eacute")), 201u);
    EXPECT_EQ(table.value(QStringLiteral("eacute")), 233u);
    for (const char *absent : {"nbsp", "alpha", "OElig", "Scaron", "circ", "tilde", "rarr", "AMP"})
        EXPECT_FALSE(table.contains(QString::fromLatin1(absent))) << absent;
}

TEST(XMLentities, OneSharedTable)
{
    EXPECT_EQ(&XMLentities::sharedInstance(), &XMLentities::sharedInstance());
    EXPECT_EQ(&XMLentities::entities(), &XMLentities::sharedInstance().entityTable());
}
