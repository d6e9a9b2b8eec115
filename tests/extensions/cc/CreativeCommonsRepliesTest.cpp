// Reading the licence service's replies and writing the answers that ask for a licence.
#include "extensions/cc/CreativeCommonsReplies.h"

#include <gtest/gtest.h>

using R = CreativeCommonsReplies;

TEST(CreativeCommonsReplies, LocalesShowTheIdAndItsLanguageSorted)
{
    const QStringList locales = R::locales(QStringLiteral(
        "<?xml version=\"1.0\"?><locales>\n  <locale id=\"fr\"/><locale id=\"de_AT\"/>"
        "<locale id=\"xx_YY\"/><locale id=\"EN\"/></locales>"));
    EXPECT_EQ(
        locales,
        (QStringList {"(de_AT) German (Austria)", "(EN) English", "(fr) French", "(xx_YY) "}));
    EXPECT_EQ(R::localeIdOf(QStringLiteral("(de_AT) German (Austria)")), QStringLiteral("de_AT"));
    EXPECT_EQ(R::localeIdOf(QStringLiteral("Select License Locale")), QString());
    EXPECT_TRUE(R::locales(QStringLiteral("<licenses/>")).isEmpty());
    EXPECT_TRUE(R::locales(QStringLiteral("not xml")).isEmpty());
}

TEST(CreativeCommonsReplies, OnlyTextRepliesAreReadAsXML)
{
    const QByteArray xml = "<licenses><license id=\"standard\">CC</license></licenses>";
    EXPECT_EQ(R::classes(R::replyText(xml, QStringLiteral("text/xml; charset=utf-8"))),
              QList<R::Choice> {(R::Choice {QStringLiteral("CC"), QStringLiteral("standard")})});
    const QString other = R::replyText(xml, QStringLiteral("application/xml"));
    EXPECT_EQ(other, QStringLiteral("There were %1 bytes of type application/xml").arg(xml.size()));
    EXPECT_TRUE(R::classes(other).isEmpty());
    EXPECT_FALSE(R::licenseClass(other));
    EXPECT_FALSE(R::issued(other));
}

TEST(CreativeCommonsReplies, EveryAnswerTitleCarriesItsAnswersId)
{
    const auto licenseClass = R::licenseClass(QStringLiteral(
        "<licenseclass id=\"standard\"><label>L</label>"
        "<field id=\"F1\"><label>Q1</label><description>Why</description>"
        "<enum id=\"Y\"><label xml:lang=\"en\">Yes</label><label xml:lang=\"de\">Ja</label></enum>"
        "<enum id=\"Q\"><label> </label></enum><enum id=\"N\"><label>No</label></enum></field>"
        "<field id=\"F2\"><label>Q2</label></field></licenseclass>"));
    ASSERT_TRUE(licenseClass);
    EXPECT_EQ(licenseClass->id, QStringLiteral("standard"));
    EXPECT_TRUE(licenseClass->hasLabel);
    ASSERT_EQ(licenseClass->questions.size(), 2);
    const R::Question &first = licenseClass->questions.at(0);
    EXPECT_EQ(first.label, QStringLiteral("Q1"));
    EXPECT_EQ(first.description, std::optional<QString>(QStringLiteral("Why")));
    // Three titles, two answers: the last title still stands for "N".
    EXPECT_EQ(first.answers, (QList<R::Choice> {{"Yes", "Y"}, {"Ja", "Y"}, {"No", "N"}}));
    EXPECT_FALSE(licenseClass->questions.at(1).description);
    EXPECT_TRUE(R::offersGenerate(*licenseClass));
}

TEST(CreativeCommonsReplies, RowsAndGenerateFollowTheClass)
{
    EXPECT_EQ(R::rowsFor(QStringLiteral("standard")), 3);
    EXPECT_EQ(R::rowsFor(QStringLiteral("recombo")), 2);
    EXPECT_EQ(R::rowsFor(QStringLiteral("publicdomain")), 0);
    const auto publicDomain = R::licenseClass(
        QStringLiteral("<licenseclass id=\"publicdomain\"><label>PD</label></licenseclass>"));
    ASSERT_TRUE(publicDomain);
    EXPECT_TRUE(R::offersGenerate(*publicDomain));
    const auto unknown = R::licenseClass(
        QStringLiteral("<licenseclass id=\"other\"><label>O</label></licenseclass>"));
    EXPECT_FALSE(R::offersGenerate(*unknown));
    const auto unlabelled
        = R::licenseClass(QStringLiteral("<licenseclass id=\"standard\"></licenseclass>"));
    EXPECT_FALSE(R::offersGenerate(*unlabelled));
}

TEST(CreativeCommonsReplies, TheIssuedHTMLLosesItsWrapper)
{
    const auto issued = R::issued(QStringLiteral(
        "<result><license-uri>http://l/by/</license-uri><license-name>By</license-name>"
        "<html><a href=\"u\">b</a></html></result>"));
    ASSERT_TRUE(issued);
    EXPECT_EQ(issued->url, QStringLiteral("http://l/by/"));
    EXPECT_EQ(issued->name, QStringLiteral("By"));
    EXPECT_EQ(issued->html, QStringLiteral("<a href=\"u\">b</a>"));
}

TEST(CreativeCommonsReplies, AnswersHoldOneLinePerRowWithEscapedIds)
{
    EXPECT_EQ(R::answers(QStringLiteral("de_AT"), QStringLiteral("standard"),
                         {{"F1", "E1"}, {"F2", "N"}}),
              QStringLiteral("<answers>\n  <locale>de_AT</locale>\n  <license-standard>\n"
                             "    <F1>E1</F1>\n    <F2>N</F2>\n  </license-standard>\n"
                             "</answers>\n"));
    EXPECT_EQ(R::answers(QString(), QStringLiteral("publicdomain"), {}),
              QStringLiteral("<answers>\n  <license-publicdomain>\n  </license-publicdomain>\n"
                             "</answers>\n"));
    EXPECT_EQ(R::answers(QStringLiteral("a<b"), QStringLiteral("c"), {{"F", "by&sa"}}),
              QStringLiteral("<answers>\n  <locale>a&lt;b</locale>\n  <license-c>\n"
                             "    <F>by&amp;sa</F>\n  </license-c>\n</answers>\n"));
}

TEST(CreativeCommonsReplies, PathsCarryTheLocaleOnlyWhenChosen)
{
    EXPECT_EQ(R::localesPath(), QStringLiteral("/rest/1.5/locales"));
    EXPECT_EQ(R::classesPath(QString()), QStringLiteral("/rest/1.5/"));
    EXPECT_EQ(R::classesPath(QStringLiteral("de_AT")), QStringLiteral("/rest/1.5/?locale=de_AT"));
    EXPECT_EQ(R::questionsPath(QStringLiteral("standard"), QString()),
              QStringLiteral("/rest/1.5/license/standard"));
    EXPECT_EQ(R::questionsPath(QStringLiteral("standard"), QStringLiteral("ja")),
              QStringLiteral("/rest/1.5/license/standard?locale=ja"));
    EXPECT_EQ(R::issuePath(QStringLiteral("recombo")),
              QStringLiteral("/rest/1.5/license/recombo/issue"));
}
