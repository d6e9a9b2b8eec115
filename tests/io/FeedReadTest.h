#pragma once

#include "common/TestSupport.h"
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

#include <memory>

// Reads feeds as the window does (decode, check, read) with fresh settings and scripted alerts.
class FeedReadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
    }
    void TearDown() override { AlertService::setInstance(nullptr); }

    // Decodes, checks and reads a file of tests/data/feeds; answers the read's status.
    int open(const char *name)
    {
        text = VLXParseFeed::stringFromXMLData(
            TestSupport::readData(QStringLiteral("feeds/") + QLatin1String(name)));
        return read(text);
    }
    // The read's status, or 100 plus the check's status when the check refuses the text.
    int read(const QString &feedText)
    {
        parser = std::make_unique<VLXParseFeed>();
        const int check = parser->isItAFeed(feedText);
        if (check != 0)
            return 100 + check;
        return parser->parseFeed(feedText, QStringLiteral("base"), nullptr);
    }
    // Opens the bytes as the window opens a file (without keeping their text), or, given no
    // bytes, the text as the window opens a mended one.
    static FeedLoader::Result opened(const QByteArray &bytes, const QString &text = {})
    {
        FeedLoader::Request request;
        request.bytes = bytes;
        request.text = text;
        request.keepText = !text.isNull();
        return FeedLoader(std::move(request)).run();
    }
    // The parser's words for why an opening was refused.
    static QString descriptionOf(const FeedLoader::Result &result)
    {
        return result.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
    }
    VLXFeed &feed() { return *parser->feed(); }
    VLXItems &item(int i) { return *parser->feed()->itemAtIndex(i); }
    bool hasRepair(const FeedElement &element, const QString &text)
    {
        return element.errorList().contains(
            FeedElement::makeEntry(FeedElement::kAutomaticRepair, text));
    }
    // The texts of the element's "Automatic Repair" entries, in the log's order.
    static QStringList repairsOf(const FeedElement &element)
    {
        QStringList repairs;
        for (const QString &entry : element.errorList()) {
            if (FeedElement::entryKind(entry) == FeedElement::kAutomaticRepair)
                repairs << FeedElement::entryText(entry);
        }
        return repairs;
    }

    std::shared_ptr<ScriptedAlertService> alerts;
    std::unique_ptr<VLXParseFeed> parser;
    QString text;
};
