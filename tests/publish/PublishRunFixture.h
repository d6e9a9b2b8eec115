#pragma once

#include "PublishTestSupport.h"
#include "ScriptedPublishView.h"
#include "io/CURLHandle.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

// A feed, a publisher and its window, temporary folders for local files and for a server's root.
class PublishRunFixture : public ::testing::Test
{
protected:
    using Toggle = PublishView::Toggle;
    using Field = PublishView::Field;

    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(local.isValid() && remote.isValid());
        feed.setTitle(QStringLiteral("The Show"));
        publisher.setView(&view);
        publisher.setFeed(&feed, kFeedKey);
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    // An item whose enclosure is a local file of the given size, checked in the table.
    std::shared_ptr<VLXItems> addEnclosure(const QString &name, qsizetype size)
    {
        const QString path = local.filePath(name);
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char('a' + (i + name.size()) % 26);
        EXPECT_TRUE(PublishTestSupport::writeFile(path, bytes));
        return addEnclosureAt(name, path);
    }
    std::shared_ptr<VLXItems> addEnclosureAt(const QString &name, const QString &path)
    {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(name);
        item->setEnclosureAttrURL(QStringLiteral("http://example.com/media/")
                                  + QString::fromLatin1(QUrl::toPercentEncoding(name)));
        item->setLocalEnclosureFilePath(path);
        feed.addItem(item);
        publisher.itemsWithEnclosures().append({item, nullptr, 1, {}});
        view.setOn(Toggle::UploadEnclosure, true);
        return item;
    }

    // Runs the publisher until its run ends.
    bool publish(int timeoutMs = 30000)
    {
        publisher.upload();
        return PublishTestSupport::waitUntil([&] { return !publisher.isRunning(); }, timeoutMs);
    }

    static constexpr const char *kFeedKeyText = "FEED-1";
    const QString kFeedKey = QString::fromLatin1(kFeedKeyText);
    QTemporaryDir local;
    QTemporaryDir remote;
    VLXFeed feed;
    ScriptedPublishView view;
    vlxFTP publisher;
};
