#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedHelpService.h"
#include "platform/ScriptedStatusSink.h"

#include <gtest/gtest.h>

TEST(Services, InstalledFakesAnswerUntilRemoved)
{
    auto status = ScriptedStatusSink::install();
    StatusSink::show(QStringLiteral("Reading items…"));
    StatusSink::show(QString());
    EXPECT_EQ(status->texts(), QStringList({QStringLiteral("Reading items…"), QString()}));
    StatusSink::setInstance(nullptr);
    StatusSink::show(QStringLiteral("nowhere")); // the silent default
    EXPECT_EQ(status->texts().size(), 2);

    auto help = ScriptedHelpService::install();
    HelpService::open(QString()); // an empty anchor asks for nothing
    HelpService::open(QStringLiteral("FeedLink"));
    EXPECT_EQ(help->anchors(), QStringList({QStringLiteral("FeedLink")}));
    HelpService::setInstance(nullptr);

    auto alerts = ScriptedAlertService::install();
    alerts->queueAnswer(AlertService::kAlternate);
    Alert alert;
    alert.alternateButton = QStringLiteral("Cancel");
    EXPECT_EQ(AlertService::show(alert), AlertService::kAlternate);
    EXPECT_EQ(AlertService::show(alert), AlertService::kDefault); // script ran out
    EXPECT_EQ(alerts->alerts().size(), 2);
    AlertService::setInstance(nullptr);
}
