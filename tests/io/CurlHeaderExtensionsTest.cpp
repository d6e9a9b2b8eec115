#include "io/CurlHeaderExtensions.h"

#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

const QString kHeaders = QStringLiteral("HTTP/1.1 404 Not Found\r\n"
                                        "Content-Type: text/html\r\n"
                                        "Set-Cookie: a=1\r\n"
                                        "SET-COOKIE: b=2; Path=/\r\n"
                                        "X-Odd:no-blank\r\n"
                                        "\r\n");

TEST(CurlHeaderExtensions, StatusLineGivesVersionAndReason)
{
    EXPECT_EQ(CurlHeaderExtensions::headerHTTPVersion(kHeaders), u"HTTP/1.1");
    EXPECT_EQ(CurlHeaderExtensions::headerStatus(kHeaders), u"Not Found");
    EXPECT_EQ(CurlHeaderExtensions::headerStatus(QStringLiteral("HTTP/1.0 200 OK")), u"OK");
    EXPECT_EQ(CurlHeaderExtensions::headerStatus(QStringLiteral("HTTP/2 200\r\nA: b\r\n")), u"");
    EXPECT_EQ(CurlHeaderExtensions::headerStatus(QString()), u"");
    EXPECT_TRUE(CurlHeaderExtensions::headerHTTPVersion(QStringLiteral("nospace")).isNull());
}

TEST(CurlHeaderExtensions, LinesSplitAtEveryKindOfBreak)
{
    EXPECT_EQ(CurlHeaderExtensions::componentsSeparatedByLineSeparators(
                  QStringLiteral("a\r\nb\nc\rd\u2028e\u2029f\u0085g\n")),
              (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f"),
                            QStringLiteral("g"), QString()}));
    EXPECT_EQ(CurlHeaderExtensions::componentsSeparatedByLineSeparators(QStringLiteral("a\n\nb")),
              (QStringList {QStringLiteral("a"), QString(), QStringLiteral("b")}));
}

TEST(CurlHeaderExtensions, NamedHeadersMatchWhateverTheirCase)
{
    EXPECT_EQ(CurlHeaderExtensions::headersMatchingKey(kHeaders, QStringLiteral("set-cookie")),
              (QStringList {QStringLiteral("a=1"), QStringLiteral("b=2; Path=/")}));
    EXPECT_EQ(CurlHeaderExtensions::headerMatchingKey(kHeaders, QStringLiteral("content-type")),
              u"text/html");
    EXPECT_TRUE(
        CurlHeaderExtensions::headerMatchingKey(kHeaders, QStringLiteral("x-odd")).isNull());
    EXPECT_TRUE(
        CurlHeaderExtensions::headersMatchingKey(kHeaders, QStringLiteral("none")).isEmpty());
    // The status line is never taken for a header, whatever it looks like.
    EXPECT_TRUE(CurlHeaderExtensions::headersMatchingKey(QStringLiteral("Weird: status\r\nA: b"),
                                                         QStringLiteral("weird"))
                    .isEmpty());
    EXPECT_EQ(CurlHeaderExtensions::headerKey(QStringLiteral("Content-Type: a: b")),
              u"content-type");
    EXPECT_EQ(CurlHeaderExtensions::headerValue(QStringLiteral("Content-Type: a: b")), u"a: b");
    EXPECT_TRUE(CurlHeaderExtensions::headerKey(QStringLiteral("no separator")).isNull());
}

TEST(CurlHeaderExtensions, AllHeadersAsSingleEntryDictionaries)
{
    const QVariantList dicts = CurlHeaderExtensions::allHTTPHeaderDicts(kHeaders);
    ASSERT_EQ(dicts.size(), 3);
    EXPECT_EQ(dicts.at(0).toMap(),
              (QVariantMap {{QStringLiteral("content-type"), QStringLiteral("text/html")}}));
    EXPECT_EQ(dicts.at(2).toMap(),
              (QVariantMap {{QStringLiteral("set-cookie"), QStringLiteral("b=2; Path=/")}}));
}

} // namespace
