#include "io/FeedLoader.h"

#include "model/VLXFeed.h"

#include <QLocale>

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
    // A refused feed is not converted either: the notice that it would be is dropped.
    if (result.outcome == Outcome::Refused)
        alerts.take();
    else
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
    if (result.status == VLXParseFeed::TooManyItems) {
        result.outcome = Outcome::Refused;
        result.alerts = {tooManyItemsAlert(reader.itemCount())};
        return result;
    }
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

Alert FeedLoader::tooManyItemsAlert(qint64 items)
{
    // The program's messages are English, and so are their numbers.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = QStringLiteral("Feed Too Large");
    alert.message
        = QStringLiteral("This feed has %1 items. Vellumcast opens feeds of up to %2 "
                         "items, so it was not read.")
              .arg(english.toString(items), english.toString(VLXParseFeed::kMaximumItems));
    alert.defaultButton = QStringLiteral("OK");
    return alert;
}

void FeedLoader::commitSettings()
{
    m_settings.commit();
}
