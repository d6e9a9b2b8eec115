#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"
#include "settings/categoryElement.h"

#include <gtest/gtest.h>

namespace {

TEST(categoryElement, StartsEmptyAndCopiesAreIndependent)
{
    categoryElement element;
    EXPECT_EQ(element.categoryString(), QString(QLatin1String("")));
    EXPECT_FALSE(element.categoryString().isNull());
    EXPECT_FALSE(element.categoryDomainString().isNull());

    element.setCategoryString(QStringLiteral("News"));
    const auto copy = element.copy();
    copy->setCategoryString(QStringLiteral("Sport"));
    EXPECT_EQ(element.categoryString(), QStringLiteral("News"));
    element.setCategoryDomainString(QString());
    EXPECT_FALSE(element.categoryDomainString().isNull());
}

TEST(categoryElement, KeyedArchiveUsesItsTwoKeys)
{
    const auto element = std::make_shared<categoryElement>(QStringLiteral("Tech"), QString());
    const QByteArray bytes
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(element));

    const QVariantMap archive = PropertyList::parse(bytes).toMap();
    const QVariantMap top = archive.value(QStringLiteral("$top")).toMap();
    EXPECT_EQ(top.value(QStringLiteral("$class")).toString(), QStringLiteral("categoryElement"));
    EXPECT_EQ(top.value(QStringLiteral("Category")).toString(), QStringLiteral("Tech"));
    EXPECT_EQ(top.value(QStringLiteral("Category Domain")).toString(), QString(QLatin1String("")));

    const auto back = KeyedArchivable::objectAs<categoryElement>(
        KeyedUnarchiver::unarchiveObjectWithData(bytes));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->categoryString(), QStringLiteral("Tech"));
    EXPECT_EQ(back->categoryDomainString(), QString(QLatin1String("")));
}

} // namespace
