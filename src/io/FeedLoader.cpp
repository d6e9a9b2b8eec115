#include "io/FeedLoader.h"

#include "model/VLXFeed.h"

FeedLoader::FeedLoader(Request request) : m_request(std::move(request)) { }

FeedLoader::~FeedLoader() = default;

FeedLoader::Result FeedLoader::run(const Progress &progress)
{
    const VLXPreferences::ThreadCopy::Use settings(m_settings);
    AlertService::Deferral alerts;
    QString text;
    if (m_request.bytes.isNull()) {
        text = std::exchange(m_request.text, {});
    } else {
        const qint64 size = m_request.bytes.size();
        if (progress && !progress(Stage::Decoding, 0, size))
            return {};
        text = VLXParseFeed::stringFromXMLData(std::exchange(m_request.bytes, {}));
        if (progress && !progress(Stage::Decoding, size, size))
            return {};
    }
    Result result = readText(std::move(text), progress);
    result.alerts = alerts.take();
    return result;
}

FeedLoader::Result FeedLoader::readText(QString text, const Progress &progress)
{
    Result result;
    std::shared_ptr<VLXParseFeed> checked = std::exchange(m_request.checkedReader, nullptr);
    VLXParseFeed fresh;
    VLXParseFeed &reader = checked ? *checked : fresh;
    reader.setProgress(progress);
    reader.setBaseAddress(m_request.address);
    result.status = checked ? int(VLXParseFeed::Success) : reader.isItAFeed(text);
    if (result.status == VLXParseFeed::Success) {
        // Without a use for the text afterwards, the reader frees it before the items are read.
        result.status = m_request.keepText ? reader.parseFeed(text, QString(), nullptr)
                                           : reader.parseFeed(std::move(text), QString(), nullptr);
    }
    reader.setProgress(nullptr);
    if (result.status == VLXParseFeed::Stopped)
        return result;
    if (result.status != VLXParseFeed::Success || !reader.feed()) {
        result.outcome = Outcome::NotAFeed;
        result.error = reader.errorDictionary();
        result.text = std::move(text);
        return result;
    }
    std::shared_ptr<VLXFeed> feed = reader.feed();
    if (m_request.validate) {
        const bool finished = feed->validate([&progress](int done, int total) {
            return !progress || progress(Stage::Validating, done, total);
        });
        if (!finished)
            return result;
    }
    result.outcome = Outcome::Loaded;
    result.feed = std::move(feed);
    result.text = std::move(text);
    return result;
}

void FeedLoader::commitSettings()
{
    m_settings.commit();
}
