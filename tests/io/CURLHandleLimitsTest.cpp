// Transfers that never end or never stop sending: the time and size limits every load has.
#include "TransferTestSupport.h"
#include "common/LocalServer.h"
#include "io/CURLHandle.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

class CURLHandleLimitsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(server.startScript(QStringLiteral("http_server.py")))
            << server.errorString().toStdString();
        // Short limits, so that hostile servers are given up within the test's time.
        CURLHandle::setDefaultTimeouts(1, 1);
        CURLHandle::setDefaultMaximumSize(1024 * 1024);
    }

    void TearDown() override
    {
        CURLHandle::setDefaultTimeouts(CURLHandle::kDefaultConnectTimeout,
                                       CURLHandle::kDefaultTransferTimeout);
        CURLHandle::setDefaultMaximumSize(CURLHandle::kDefaultMaximumSize);
        CURLHandle::curlGoodbye();
    }

    std::shared_ptr<CURLHandle> handle(const QString &path)
    {
        return CURLHandle::create(QUrl(server.url(QStringLiteral("http"), path)));
    }

    // Loads in the foreground; answers the reason of the failure, or "" after a success.
    static QString failureOf(CURLHandle &h, qint64 *elapsedMs = nullptr)
    {
        QElapsedTimer timer;
        timer.start();
        const bool ok = h.loadInForeground().has_value();
        if (elapsedMs)
            *elapsedMs = timer.elapsed();
        return ok ? QString() : h.curlError();
    }

    LocalServer server;
};

TEST_F(CURLHandleLimitsTest, ADrippingOrSilentServerIsGivenUpAfterTheOverallTime)
{
    for (const QString &path : {QStringLiteral("/drip?every=0.4"), QStringLiteral("/silent")}) {
        SCOPED_TRACE(path.toStdString());
        auto h = handle(path);
        qint64 elapsed = 0;
        EXPECT_EQ(failureOf(*h, &elapsed),
                  QStringLiteral("The transfer did not finish within 1 second."));
        EXPECT_GE(elapsed, 900);
        EXPECT_LT(elapsed, 5000);
    }
    // Background loads keep the same limits and report the same reason.
    auto h = handle(QStringLiteral("/drip?every=0.4"));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }, 10000));
    EXPECT_EQ(client.reason, QStringLiteral("The transfer did not finish within 1 second."));
    // A handle may choose its own limit.
    auto patient = handle(QStringLiteral("/slow?chunks=3&delay=0.6"));
    patient->setTransferTimeout(10);
    EXPECT_EQ(failureOf(*patient), QString());
}

TEST_F(CURLHandleLimitsTest, AConnectionThatNeverCompletesIsGivenUpAfterTheConnectTime)
{
    // A server that accepts and then says nothing: the TLS handshake never ends.
    LocalServer mute;
    ASSERT_TRUE(mute.startScript(QStringLiteral("http_server.py"), {QStringLiteral("--mute")}))
        << mute.errorString().toStdString();
    auto h = CURLHandle::create(QUrl(mute.url(QStringLiteral("https"), QStringLiteral("/"))));
    h->setTransferTimeout(10);
    qint64 elapsed = 0;
    EXPECT_EQ(failureOf(*h, &elapsed),
              QStringLiteral("No connection to 127.0.0.1 could be made within 1 second."));
    EXPECT_LT(elapsed, 1900);
}

TEST_F(CURLHandleLimitsTest, BodiesLargerThanTheLimitFailWithoutBeingHeld)
{
    const QString reason = QStringLiteral("The response is larger than 1 MB, the most that is "
                                          "accepted.");
    // An announced length is refused before the body; a chunked body is counted as it comes.
    for (const QString &path : {QStringLiteral("/large?size=3000000"),
                                QStringLiteral("/large-chunked?size=3000000")}) {
        SCOPED_TRACE(path.toStdString());
        auto h = handle(path);
        EXPECT_EQ(failureOf(*h), reason);
        EXPECT_LE(h->availableResourceData().size(), 1024 * 1024);
    }
    auto background = handle(QStringLiteral("/large-chunked?size=3000000"));
    RecordingClient client;
    background->addClient(&client);
    background->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }, 10000));
    EXPECT_EQ(client.reason, reason);
    // Up to the limit everything arrives; a handle may lift the limit for itself.
    for (const QString &path : {QStringLiteral("/large?size=1048576"),
                                QStringLiteral("/large-chunked?size=1048576")}) {
        auto h = handle(path);
        EXPECT_EQ(failureOf(*h), QString()) << path.toStdString();
    }
    auto unlimited = handle(QStringLiteral("/large-chunked?size=3000000"));
    unlimited->setMaximumSize(0);
    const auto body = unlimited->loadInForeground();
    ASSERT_TRUE(body);
    EXPECT_TRUE(*body == serverPattern(3000000));
}

} // namespace
