#include "model/URLReference.h"
#include "model/VLXLogic.h"
#include "platform/ScriptedAlertService.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(SafeLinks, AmpersandsEndUpEscapedOnceAndLatin1IsPercentEscaped)
{
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/?x=1&amp;y=2")),
              QStringLiteral("http://a/?x=1&amp;y=2"));
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/?x=1&y=2")),
              QStringLiteral("http://a/?x=1&amp;y=2"));
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/my file.mp3#top")),
              QStringLiteral("http://a/my%20file.mp3#top"));
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/100%/\"<{}>")),
              QStringLiteral("http://a/100%/%22%3C%7B%7D%3E"));
    // Latin-1, not UTF-8: e-acute is one byte.
    EXPECT_EQ(VLXLogic::createSafeLink(QString::fromUtf8("http://a/caf\xC3\xA9")),
              QStringLiteral("http://a/caf%E9"));
    // Outside Latin-1 the text stays unescaped (ampersands are still fixed).
    const QString cyrillic = QString::fromUtf8("http://a/\xD0\xB4 &");
    EXPECT_EQ(VLXLogic::createSafeLink(cyrillic), QString::fromUtf8("http://a/\xD0\xB4 &amp;"));
}

TEST(URLTests, SchemeIsWhatMakesAURL)
{
    EXPECT_TRUE(VLXLogic::checkURL(QString()));
    EXPECT_TRUE(VLXLogic::checkURL(QStringLiteral("  \n")));
    EXPECT_TRUE(VLXLogic::checkURL(QStringLiteral("http://www.example.com/a b")));
    EXPECT_TRUE(VLXLogic::checkURL(QStringLiteral("mailto:me@example.com")));
    EXPECT_FALSE(VLXLogic::checkURL(QStringLiteral("www.example.com/feed.xml")));
    EXPECT_FALSE(VLXLogic::checkURL(QStringLiteral("http://a/100%zz")));
}

TEST(URLTests, ALinkAskedAboutAgainGetsItsOwnAnswer)
{
    // Answers are kept per link: texts of the same length, shared or copied, or asked about in
    // turns, never get another link's answer.
    const QString mp3 = QStringLiteral("http://a.example/1.mp3");
    const QString m4a = QStringLiteral("http://a.example/1.m4a");
    const QString broken = QStringLiteral("http://a.example/1%zz");
    for (int round = 0; round < 2; ++round) {
        for (const QString &link : {mp3, m4a, QString(mp3), broken, m4a}) {
            SCOPED_TRACE(link.toStdString());
            const auto url = URLReference::parse(link);
            ASSERT_EQ(url.has_value(), link != broken);
            if (url) {
                EXPECT_EQ(url->pathExtension(), link.right(3));
            }
            EXPECT_EQ(VLXLogic::checkURL(link), link != broken);
        }
    }
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/?x=1&y=2")),
              QStringLiteral("http://a/?x=1&amp;y=2"));
    EXPECT_EQ(VLXLogic::createSafeLink(QStringLiteral("http://a/?x=1;y=2")),
              QStringLiteral("http://a/?x=1;y=2"));
}

TEST(URLTests, SplitterKeepsTheHostAsWritten)
{
    const auto url = URLReference::parse(u"HTTP://User@Www.Example.COM:8080/a/b.MP3?q=1#frag");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), QStringLiteral("HTTP"));
    EXPECT_EQ(url->userInfo(), QStringLiteral("User"));
    EXPECT_EQ(url->host(), QStringLiteral("Www.Example.COM"));
    EXPECT_EQ(url->port(), QStringLiteral("8080"));
    EXPECT_EQ(url->path(), QStringLiteral("/a/b.MP3"));
    EXPECT_EQ(url->query(), QStringLiteral("q=1"));
    EXPECT_EQ(url->fragment(), QStringLiteral("frag"));
    EXPECT_EQ(url->pathExtension(), QStringLiteral("MP3"));

    const auto bare = URLReference::parse(u"//rpc.example.com");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->hasScheme());
    EXPECT_EQ(bare->host(), QStringLiteral("rpc.example.com"));
    EXPECT_TRUE(bare->path().isEmpty());

    EXPECT_FALSE(URLReference::parse(u"http://a b/"));
    EXPECT_FALSE(URLReference::parse(u"http://a/#x#y"));
    EXPECT_FALSE(URLReference::parse(u"http://a:80x/"));
    EXPECT_EQ(URLReference::parse(u"/dir.d/.hidden")->pathExtension(), QString());
}

TEST(URLTests, AlertFormsExplainAndAnswerTheButton)
{
    auto alerts = ScriptedAlertService::install();
    EXPECT_EQ(VLXLogic::checkURLAndInform(QString(), QStringLiteral("Link "), true), 1);
    EXPECT_TRUE(alerts->alerts().isEmpty());

    alerts->queueAnswer(-1);
    EXPECT_EQ(
        VLXLogic::checkURLAndInform(QStringLiteral("example.com"), QStringLiteral("Link "), true),
        -1);
    Alert alert = alerts->alerts().last();
    EXPECT_EQ(alert.style, Alert::Style::Critical);
    EXPECT_EQ(alert.title, QStringLiteral("Warning"));
    EXPECT_TRUE(alert.message.startsWith(QStringLiteral(
        "Link \"example.com\" does not seem to be a completely valid URL.  The scheme is "
        "missing or not recognized.  The URL should be in a format similar to \"")));
    EXPECT_EQ(alert.otherButton, QStringLiteral("More Info."));

    EXPECT_EQ(
        VLXLogic::checkURLAndInform(QStringLiteral("http://a/%zz"), QStringLiteral("L "), false),
        1);
    alert = alerts->alerts().last();
    EXPECT_EQ(alert.style, Alert::Style::Informational);
    EXPECT_TRUE(alert.message.startsWith(QStringLiteral(
        "L \"http://a/%zz\" does not seem to be a valid URL.  URL should be in a format similar "
        "to \"")));
    EXPECT_TRUE(alert.otherButton.isEmpty());

    EXPECT_EQ(
        VLXLogic::checkEMailAndInform(QStringLiteral("me.at.home"), QStringLiteral("E "), false),
        1);
    EXPECT_EQ(alerts->alerts().last().message,
              QStringLiteral("E \"me.at.home\" does not seem to be a completely valid email "
                             "address"));
    AlertService::setInstance(nullptr);
}

TEST(EMailTests, LiteralAtThenDot)
{
    EXPECT_TRUE(VLXLogic::checkEMail(QString()));
    EXPECT_TRUE(VLXLogic::checkEMail(QStringLiteral(" ")));
    EXPECT_FALSE(VLXLogic::checkEMail(QStringLiteral("nobody.example.com")));
    EXPECT_FALSE(VLXLogic::checkEMail(QStringLiteral("first.last@localhost")));
    EXPECT_TRUE(VLXLogic::checkEMail(QStringLiteral("a@b.")));
}

TEST(GeneratedGuids, GeneratorMakesWhatTheTestAccepts)
{
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString guid = VLXLogic::generateGUID();
        EXPECT_TRUE(VLXLogic::isAutoGenGUID(guid)) << guid.toStdString();
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 50);

    const QString good = VLXLogic::generateGUID();
    EXPECT_FALSE(VLXLogic::isAutoGenGUID(good.toLower().chopped(4) + QStringLiteral("-VLX")));
    EXPECT_FALSE(VLXLogic::isAutoGenGUID(good.mid(1)));
    EXPECT_FALSE(VLXLogic::isAutoGenGUID(u'0' + good));
    // A bare UUID with the suffix is too short.
    EXPECT_FALSE(VLXLogic::isAutoGenGUID(good.left(36) + QStringLiteral("-VLX")));
    QString moved = good;
    moved[8] = u'0';
    moved[9] = u'-';
    EXPECT_FALSE(VLXLogic::isAutoGenGUID(moved));
}
