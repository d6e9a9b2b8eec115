#include "model/FieldRule.h"
#include "model/VLXLogic.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedHelpService.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {
// A model class stating two rules the way the channel and image do.
class RuledElement : public FeedElement
{
public:
    static bool validateTitle(const QString &value, VLXError *error)
    {
        return FieldRule::check(
            value,
            {{FieldRule::notBlank,
              {QStringLiteral("Title is blank"), QStringLiteral("Feed title can not be blank")}}},
            error);
    }
    static bool validateDocs(const QString &value, VLXError *error)
    {
        return FieldRule::check(
            value,
            {{FieldRule::blankOrURL,
              {QStringLiteral("Docs is invalid"), QStringLiteral("Feed Docs is not a valid URL")}}},
            error);
    }
    static bool validateNote(const QString &value, VLXError *error)
    {
        return FieldRule::check(
            value,
            {{FieldRule::notBlank,
              {QStringLiteral("Note differs"), QStringLiteral("Odd note"), true}}},
            error);
    }
    VLX_FIELD_RULE_TRIO(Title)
    VLX_FIELD_RULE_TRIO(Docs)
    VLX_FIELD_RULE_TRIO(Note)
};

class HelpfulControl : public QObject
{
    Q_OBJECT
public:
    int helpShown = 0;
    Q_INVOKABLE void showContextHelp() { ++helpShown; }
};

// Controls of the control kit declare it const.
class ConstHelpfulControl : public QObject
{
    Q_OBJECT
public:
    mutable int helpShown = 0;
    Q_INVOKABLE void showContextHelp() const { ++helpShown; }
};

class FieldRuleTest : public ::testing::Test
{
protected:
    void SetUp() override { alerts = ScriptedAlertService::install(); }
    void TearDown() override { AlertService::setInstance(nullptr); }
    std::shared_ptr<ScriptedAlertService> alerts;
};
} // namespace

TEST_F(FieldRuleTest, CheckFillsTheErrorOnlyWhenAsked)
{
    VLXError error;
    EXPECT_FALSE(RuledElement::validateTitle(QStringLiteral(" \n\t "), &error));
    EXPECT_EQ(error.domain(), QStringLiteral("com.mossgate.Vellumcast.ErrorDomain"));
    EXPECT_EQ(error.code(), 1);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Feed title can not be blank"));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Title is blank"));
    EXPECT_FALSE(RuledElement::validateTitle(QString(), nullptr));
    EXPECT_TRUE(RuledElement::validateTitle(QStringLiteral("x"), nullptr));
}

TEST_F(FieldRuleTest, LogAddsOneEntryOfTheDomainsKind)
{
    RuledElement element;
    element.validateAndLogTitle(QStringLiteral("fine"));
    EXPECT_TRUE(element.errorList().isEmpty());
    element.validateAndLogTitle(QString());
    element.validateAndLogNote(QString());
    EXPECT_EQ(element.errorList(),
              QStringList({QStringLiteral("Validate Error::Feed title can not be blank"),
                           QStringLiteral("Validate Warning::Odd note")}));
    EXPECT_EQ(element.errorCount(), 1);
    EXPECT_EQ(element.warnCount(), 1);
    EXPECT_EQ(element.repairCount(), 0);
}

TEST_F(FieldRuleTest, InformShowsOkAloneWithoutAHelpfulControl)
{
    EXPECT_TRUE(RuledElement::validateAndInformDocs(QStringLiteral("http://a.b/"), nullptr));
    EXPECT_TRUE(alerts->alerts().isEmpty());

    QObject plain;
    EXPECT_FALSE(RuledElement::validateAndInformDocs(QStringLiteral("no scheme"), &plain));
    ASSERT_EQ(alerts->alerts().size(), 1);
    const Alert &alert = alerts->alerts().first();
    EXPECT_EQ(alert.style, Alert::Style::Critical);
    EXPECT_EQ(alert.title, QStringLiteral("Docs is invalid"));
    EXPECT_EQ(alert.message, QStringLiteral("Feed Docs is not a valid URL"));
    EXPECT_EQ(alert.defaultButton, QStringLiteral("OK"));
    EXPECT_TRUE(alert.alternateButton.isEmpty());
    EXPECT_TRUE(alert.otherButton.isEmpty());
}

TEST_F(FieldRuleTest, MoreInformationOpensTheControlsHelp)
{
    HelpfulControl control;
    alerts->queueAnswer(AlertService::kOther);
    EXPECT_FALSE(RuledElement::validateAndInformNote(QString(), &control));
    EXPECT_EQ(alerts->alerts().first().otherButton, QStringLiteral("More Information"));
    EXPECT_EQ(control.helpShown, 1);

    alerts->queueAnswer(AlertService::kDefault);
    EXPECT_FALSE(RuledElement::validateAndInformNote(QString(), &control));
    EXPECT_EQ(control.helpShown, 1);

    ConstHelpfulControl constControl;
    alerts->queueAnswer(AlertService::kOther);
    EXPECT_FALSE(RuledElement::validateAndInformNote(QString(), &constControl));
    EXPECT_EQ(alerts->alerts().last().otherButton, QStringLiteral("More Information"));
    EXPECT_EQ(constControl.helpShown, 1);
}

TEST_F(FieldRuleTest, ReadyMadeTestsUseTrimmedBlank)
{
    EXPECT_TRUE(FieldRule::blankOrDigits(QStringLiteral("   ")));
    EXPECT_TRUE(FieldRule::blankOrDigits(QStringLiteral("080")));
    EXPECT_FALSE(FieldRule::blankOrDigits(QStringLiteral(" 80")));
    EXPECT_TRUE(FieldRule::blankOrEMail(QStringLiteral(" a@b.c ")));
    EXPECT_FALSE(FieldRule::blankOrEMail(QStringLiteral("ab.c")));
    EXPECT_TRUE(FieldRule::blankOrURL(QStringLiteral(" http://a/ ")));
}

// Links near the plain web form: the rule answers as a full reading of the link does.
TEST_F(FieldRuleTest, LinksNearThePlainWebFormAnswerAsAFullReading)
{
    const struct
    {
        const char16_t *link;
        bool passes;
    } cases[] = {
        {u"http://example.com/ep/1.mp3", true},
        {u"https://a.org/p?q=1;r=(2)", true},
        {u"http://", true},
        {u"http://h:80/x", true},
        {u"http://h:8x/", false},
        {u"http://a/b c", true},
        {u"http://a/%41", true},
        {u"http://a/%zz", false},
        {u"http://a/#f#g", false},
        {u"http://a/?x=1&y=2", true},
        {u"http://a/\u00e9", true},
        {u"http://a/<b>", true},
        {u"HTTP://a/", true},
        {u"example.com/x", false},
        {u" http://a/ ", true},
        {u"http//a", false},
        // Past the scheme links are read eight units at a time: a mark that needs a full
        // reading in the middle of a block, at its end and in the units after the last block.
        {u"http://example.com/abc%zzdefghijk", false},
        {u"http://example.com/abcdefg#h#ijklm", false},
        {u"http://example.com/abcdefghijklmn%", false},
        {u"http://example.com/episodes/12.mp3?a=1&b=2", true},
        {u"http://example.com/abcdefgéhijklmn", true},
    };
    for (const auto &c : cases) {
        const QString link = QString::fromUtf16(c.link);
        EXPECT_EQ(FieldRule::blankOrURL(link), c.passes) << link.toStdString();
        EXPECT_EQ(VLXLogic::checkURL(link.trimmed()), c.passes) << link.toStdString();
    }
}

TEST(AlertServiceTest, ShowWithHelpOpensTheAnchorOnMoreInformation)
{
    auto alerts = ScriptedAlertService::install();
    auto help = ScriptedHelpService::install();
    alerts->queueAnswer(AlertService::kOther);
    Alert alert;
    alert.title = QStringLiteral("T");
    EXPECT_EQ(AlertService::showWithHelp(alert, QStringLiteral("FeedTitle")), AlertService::kOther);
    EXPECT_EQ(alerts->alerts().first().otherButton, QStringLiteral("More Information"));
    EXPECT_EQ(help->anchors(), QStringList({QStringLiteral("FeedTitle")}));
    // Without an anchor there is no third button and no help.
    EXPECT_EQ(AlertService::showWithHelp(alert, QString()), AlertService::kDefault);
    EXPECT_TRUE(alerts->alerts().last().otherButton.isEmpty());
    EXPECT_EQ(help->anchors().size(), 1);
    AlertService::setInstance(nullptr);
    HelpService::setInstance(nullptr);
    // The headless default answers without blocking.
    EXPECT_EQ(AlertService::show(alert), AlertService::kDefault);
}

#include "FieldRuleTest.moc"
