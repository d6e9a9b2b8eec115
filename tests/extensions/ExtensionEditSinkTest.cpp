#include "extensions/ExtensionEditSink.h"
#include "extensions/PreferencesEditSink.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesChannelPrefs.h"

#include <gtest/gtest.h>

namespace {

// Stands for the feed window's sink: it records what reaches it, then applies it.
class RecordingSink : public ExtensionEditSink
{
public:
    QList<ExtensionEdit> recorded;

protected:
    void record(const ExtensionEdit &edit) override
    {
        recorded.append(edit);
        apply(edit);
    }
};

ExtensionEdit subtitleEdit(const std::shared_ptr<iTunesChannel> &channel, const QString &to)
{
    return {channel, iTunesChannel::kSubtitle, channel->subtitle(), to,
            QStringLiteral("iTunes Subtitle")};
}

} // namespace

TEST(ExtensionEditSink, FeedEditsAreRecordedAndTwinEditsOnlyApplied)
{
    RecordingSink sink;
    const auto channel = std::make_shared<iTunesChannel>();
    sink.commit(subtitleEdit(channel, QStringLiteral("New")));
    ASSERT_EQ(sink.recorded.size(), 1);
    EXPECT_EQ(channel->subtitle(), QStringLiteral("New"));

    // An edit that changes nothing is dropped.
    sink.commit(subtitleEdit(channel, QStringLiteral("New")));
    EXPECT_EQ(sink.recorded.size(), 1);

    // A twin held by the very same sink never reaches its record().
    const auto twin = std::make_shared<iTunesChannelPrefs>();
    sink.commit(subtitleEdit(twin, QStringLiteral("Default")));
    EXPECT_EQ(sink.recorded.size(), 1);
    EXPECT_EQ(twin->subtitle(), QStringLiteral("Default"));

    // List values travel whole.
    PreferencesEditSink prefs;
    const QList<iTunesCategory> list {{QStringLiteral("Arts"), QStringLiteral("Design")}};
    prefs.commit({twin, iTunesChannel::kCategory, twin->value(iTunesChannel::kCategory),
                  QVariant::fromValue(list), QStringLiteral("Add Category")});
    EXPECT_EQ(twin->category(), list);
    // A field the object does not have, or a raw extension, is ignored.
    prefs.commit({twin, 99, QVariant(), QVariant(1), QString()});
    prefs.commit({std::make_shared<extensionNSRaw>(), 0, QVariant(), QVariant(1), QString()});
}

TEST(ExtensionEditSink, ChangeListenersHearOfEveryAppliedEdit)
{
    const auto channel = std::make_shared<iTunesChannel>();
    int heard = 0;
    channel->addChangeListener([&] { ++heard; });
    PreferencesEditSink sink;
    sink.commit({channel, iTunesChannel::kExplicit, 0, -1, QStringLiteral("Explicit")});
    EXPECT_EQ(channel->explicitValue(), -1);
    EXPECT_EQ(heard, 1);
    channel->setExplicit(-1);
    EXPECT_EQ(heard, 1);
}
