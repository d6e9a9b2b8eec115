#include "io/CurlHTTPExtensions.h"

#include <gtest/gtest.h>

namespace {

TEST(CurlHTTPExtensions, FormEncodingEscapesSeparatorsAndLeavesNoTrailingAmpersand)
{
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTP({{QStringLiteral("a b"), QStringLiteral("x&y")}}),
              u"a%20b=x%26y");
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTP({}), u"");
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTP(
                  {{QStringLiteral("k"), QStringLiteral(";:@&=/+?#%\"<>")}}),
              u"k=%3B%3A%40%26%3D%2F%2B%3F%23%25%22%3C%3E");
    EXPECT_EQ(
        CurlHTTPExtensions::formatForHTTP({{QStringLiteral("safe"), QStringLiteral("a-b_c.d~e")}}),
        u"safe=a-b_c.d~e");
}

TEST(CurlHTTPExtensions, ListsGiveOnePairPerElementAndOrderingIsFollowed)
{
    const QVariantMap form {
        {QStringLiteral("tag"), QStringList {QStringLiteral("one"), QStringLiteral("two")}},
        {QStringLiteral("n"), 5},
        {QStringLiteral("flag"), true}};
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTP(form), u"flag=1&n=5&tag=one&tag=two");
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTPUsingEncoding(
                  form, QStringConverter::Utf8,
                  {QStringLiteral("tag"), QStringLiteral("missing"), QStringLiteral("n")}),
              u"tag=one&tag=two&n=5");
}

TEST(CurlHTTPExtensions, TextOutsideTheEncodingIsEscapedAsUtf8)
{
    const QVariantMap form {{QStringLiteral("t"), QStringLiteral("caf\u00e9 \u20ac")}};
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTP(form), u"t=caf%C3%A9%20%E2%82%AC");
    // Latin-1 holds the e-acute as one byte but not the euro sign: that text goes out as UTF-8
    // rather than as question marks.
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTPUsingEncoding(
                  {{QStringLiteral("t"), QStringLiteral("caf\u00e9")}}, QStringConverter::Latin1),
              u"t=caf%E9");
    EXPECT_EQ(CurlHTTPExtensions::formatForHTTPUsingEncoding(form, QStringConverter::Latin1),
              u"t=caf%C3%A9%20%E2%82%AC");
}

TEST(CurlHTTPExtensions, CookiesAreParsedIntoDictionaries)
{
    const QVariantMap cookies = CurlHTTPExtensions::parsedCookies(
        {QStringLiteral("session=abc=123; Path=/; HttpOnly"),
         QStringLiteral("theme=dark; Max-Age=60"), QStringLiteral("Secure; no value here"),
         QStringLiteral("theme=light; Path=/docs")});
    ASSERT_EQ(cookies.size(), 2);
    const QVariantMap session = cookies.value(QStringLiteral("session")).toMap();
    EXPECT_EQ(session.value(QStringLiteral("value")).toString(), u"abc=123");
    EXPECT_EQ(session.value(QStringLiteral("Path")).toString(), u"/");
    EXPECT_FALSE(session.contains(QStringLiteral("HttpOnly")));
    // The later cookie of a name replaces the earlier one as a whole.
    const QVariantMap theme = cookies.value(QStringLiteral("theme")).toMap();
    EXPECT_EQ(theme,
              (QVariantMap {{QStringLiteral("value"), QStringLiteral("light")},
                            {QStringLiteral("Path"), QStringLiteral("/docs")}}));
}

} // namespace
