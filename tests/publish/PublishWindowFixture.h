#pragma once

#include "ModalScript.h"
#include "PublishTestSupport.h"
#include "io/CURLHandle.h"
#include "model/TitledElement.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "publish/PublishDialogs.h"
#include "publish/PublishWindow.h"
#include "publish/editSite.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

// A feed, the publish sheet with a publisher of its own over it, the feed window it is a sheet
// on, scripted alerts and settings in memory.
class PublishWindowFixture : public ::testing::Test
{
protected:
    using Toggle = PublishView::Toggle;
    using Field = PublishView::Field;

    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        editSite::resetPasswordWarning();
        ASSERT_TRUE(local.isValid() && remote.isValid());
        feed.setTitle(QStringLiteral("The Show"));
        host.resize(900, 800);
    }
    void TearDown() override
    {
        ModalScript::cancelPending();
        PublishDialogs::setFolderBrowserFactory({});
        PublishDialogs::setAdditionalFileEditorFactory({});
        AlertService::setInstance(nullptr);
        CURLHandle::curlGoodbye();
    }

    // Runs the sheet for the feed; the script runs once it is up and ends with close().
    int runSheet(const std::function<void()> &script, bool expandImage = false)
    {
        ModalScript::whenShown(QStringLiteral("uploadWindow"), script);
        return window.uploadFile(&host, {&feed, kFeedKey, expandImage});
    }
    template<typename T = QWidget> T *outlet(const QString &name) const
    {
        T *found = window.outlet<T>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    QPushButton *button(const QString &name) const { return outlet<QPushButton>(name); }
    void close() { button(QStringLiteral("cancelButton"))->click(); }
    // Presses Publish and waits for the run to end.
    bool publish(int timeoutMs = 30000)
    {
        PublishTestSupport::waitUntil([&] { return !publisher.imageConversionRunning(); });
        button(QStringLiteral("uploadButton"))->click();
        return PublishTestSupport::waitUntil([&] { return !publisher.isRunning(); }, timeoutMs);
    }

    std::shared_ptr<VLXSite> storeSite(const QString &name, int type)
    {
        auto site = std::make_shared<VLXSite>();
        site->setType(type);
        site->setSiteName(name);
        VLXPreferences::updatePubSite(site);
        return site;
    }
    void useSite(const std::shared_ptr<VLXSite> &site)
    {
        VLXPreferences::setObjectForKey(site->siteIdentifier(), QStringLiteral("FTP_CF_PubSiteID"),
                                        kFeedKey);
    }
    QString feedSetting(const QString &key) const
    {
        return VLXPreferences::objectForKey(key, kFeedKey).toString();
    }
    // An item whose enclosure is a local file of that many bytes.
    std::shared_ptr<VLXItems> addEnclosure(const QString &name, qsizetype size)
    {
        const QString path = local.filePath(name);
        EXPECT_TRUE(PublishTestSupport::writeFile(path, QByteArray(size, 'x')));
        auto item = std::make_shared<VLXItems>();
        item->setTitle(name);
        item->setEnclosureAttrURL(QStringLiteral("http://example.com/media/") + name);
        item->setLocalEnclosureFilePath(path);
        feed.addItem(item);
        return item;
    }

    const QString kFeedKey = QStringLiteral("FEED-1");
    std::shared_ptr<ScriptedAlertService> alerts;
    QTemporaryDir local;
    QTemporaryDir remote;
    VLXFeed feed;
    vlxFTP publisher;
    PublishWindow window {publisher};
    QWidget host;
};
