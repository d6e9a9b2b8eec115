// The URL-handle base on its own: client bookkeeping and the class registry.
#include "io/URLHandle.h"
#include "TransferTestSupport.h"
#include "io/URLHandleClient.h"

#include <gtest/gtest.h>

namespace {

// A handle whose "transfer" is driven by the test through the base's protected feed.
class ScriptedHandle : public URLHandle
{
public:
    using URLHandle::URLHandle;
    std::optional<QByteArray> loadInForeground() override { return QByteArray("fore"); }
    void beginLoadInBackground() override { ++begun; }
    QVariant propertyForKey(const QString &) override { return {}; }
    void feed(const QByteArray &bytes, bool complete) { didLoadBytes(bytes, complete); }
    void fail(const QString &reason) { backgroundLoadDidFailWithReason(reason); }
    int begun = 0;
};

TEST(URLHandle, ClientsHearEveryStepInOrderAndMayLeaveOnTheWay)
{
    auto handle = std::make_shared<ScriptedHandle>(QUrl(QStringLiteral("x-test:a")), false);
    RecordingClient first;
    RecordingClient second;
    handle->addClient(&first);
    handle->addClient(&second);
    handle->addClient(&first); // once is enough
    first.onData = [&] { handle->removeClient(&second); };

    handle->loadInBackground();
    handle->loadInBackground(); // already running: not begun twice
    EXPECT_EQ(handle->begun, 1);
    handle->feed("ab", false);
    handle->feed("cd", true);
    EXPECT_EQ(first.summary(), u"began data finished");
    EXPECT_EQ(first.data, QByteArray("abcd"));
    // Removed during the first data call, before its own turn came.
    EXPECT_EQ(second.summary(), u"began");
    EXPECT_EQ(handle->status(), URLHandle::LoadSucceeded);
    EXPECT_EQ(handle->resourceData(), QByteArray("abcd"));
}

TEST(URLHandle, FailureAndCancelSettleTheStatus)
{
    auto handle = std::make_shared<ScriptedHandle>(QUrl(QStringLiteral("x-test:c")), false);
    RecordingClient client;
    handle->addClient(&client);
    handle->loadInBackground();
    handle->fail(QStringLiteral("gone"));
    EXPECT_EQ(handle->status(), URLHandle::LoadFailed);
    EXPECT_EQ(handle->failureReason(), u"gone");
    handle->loadInBackground();
    handle->cancelLoadInBackground();
    EXPECT_EQ(handle->status(), URLHandle::NotLoaded);
    EXPECT_EQ(client.summary(), u"began failed began cancelled");
}

TEST(URLHandle, RegistryFindsTheFirstClassThatTakesTheURL)
{
    const auto takes = [](const QString &scheme) {
        return [scheme](const QUrl &url) { return url.scheme() == scheme; };
    };
    URLHandle::registerURLHandleClass({QStringLiteral("one"), takes(QStringLiteral("x-one")), {}});
    URLHandle::registerURLHandleClass({QStringLiteral("two"), takes(QStringLiteral("x-two")), {}});
    EXPECT_EQ(URLHandle::URLHandleClassForURL(QUrl(QStringLiteral("x-two:y")))->name, u"two");
    // Registering a name again replaces its entry.
    URLHandle::registerURLHandleClass(
        {QStringLiteral("two"), takes(QStringLiteral("x-three")), {}});
    EXPECT_FALSE(URLHandle::URLHandleClassForURL(QUrl(QStringLiteral("x-two:y"))));
    EXPECT_TRUE(URLHandle::URLHandleClassForURL(QUrl(QStringLiteral("x-three:y"))));
    URLHandle::unregisterURLHandleClass(QStringLiteral("one"));
    EXPECT_FALSE(URLHandle::URLHandleClassForURL(QUrl(QStringLiteral("x-one:y"))));
    URLHandle::unregisterURLHandleClass(QStringLiteral("two"));
}

} // namespace
