#include "io/FeedLoader.h"

#include "model/VLXFeed.h"
#include "platform/BoundedFileReader.h"
#include "xml/StopCheck.h"
#include "xml/vlxXMLDOM.h"

#include <QLocale>

FeedLoader::FeedLoader(Request request) : m_request(std::move(request)) { }

FeedLoader::~FeedLoader() = default;

FeedLoader::Result FeedLoader::run(const Progress &progress)
{
    const VLXPreferences::ThreadCopy::Use settings(m_settings);
    AlertService::Deferral alerts;
    QString text;
    QByteArray bytes = std::exchange(m_request.bytes, {});
    if (!m_request.path.isEmpty()) {
        QString problem;
        std::optional<QByteArray> read
            = BoundedFileReader::read(m_request.path, vlxXMLDOM::maximumInputSize(), &problem);
        if (!read) {
            Result refused;
            refused.outcome = Outcome::Refused;
            Alert alert;
            alert.style = Alert::Style::Informational;
            alert.title = QStringLiteral("Open Feed");
            alert.message = problem;
            refused.alerts = {alert};
            return refused;
        }
        bytes = std::move(*read);
    }
    // Bytes that need nothing of their text are parsed as they are: no UTF-8 copy of the text
    // is made for the parser, and mostly no text at all (twice their size): the bytes
    // themselves tell that they need none.
    const bool asBytes = !bytes.isNull() && !m_request.keepText && !m_request.checkedReader;
    std::optional<QString> head;
    bool bytesNeedRepair = false;
    // The checks of the bytes before they are parsed walk all of them: they may be stopped too.
    StopCheck stop([&progress, size = bytes.size()] {
        return !progress || progress(Stage::Decoding, size, size);
    });
    if (bytes.isNull()) {
        text = std::exchange(m_request.text, {});
    } else {
        const qint64 size = bytes.size();
        if (progress && !progress(Stage::Decoding, 0, size))
            return {};
        if (asBytes)
            head = VLXParseFeed::headOfBytesReadAsTheyAre(bytes, &stop, &bytesNeedRepair);
        if (stop.stopped())
            return {};
        if (!head)
            text = VLXParseFeed::stringFromXMLData(bytes);
        if (progress && !progress(Stage::Decoding, size, size))
            return {};
    }
    std::optional<Result> direct;
    QString undecodable; // why the bytes give no text, and on which line
    int undecodableLine = 0;
    if (head)
        direct = readBytes(bytes, std::move(*head), progress);
    else if (asBytes && !bytesNeedRepair && VLXParseFeed::readsAsBytes(bytes, text, &stop))
        direct = readBytes(bytes, std::move(text), progress);
    if (stop.stopped())
        return {};
    if (direct) {
        bytes = QByteArray();
    } else if (!bytes.isNull()) {
        // The bytes did not parse: their text is read (and tells why) as any other.
        if (text.isNull())
            text = VLXParseFeed::stringFromXMLData(bytes);
        if (text.isNull()) {
            undecodable = VLXParseFeed::decodingProblem(bytes, &undecodableLine);
            bytes = QByteArray();
        }
    }
    // The bytes of a text that decodes stay (the caller mostly keeps them too) to give the text
    // again if it is refused: the reader lets go of it once it is repaired.
    Result result
        = direct ? std::move(*direct) : readText(std::move(text), std::move(bytes), progress);
    if (result.outcome == Outcome::NotAFeed && !undecodable.isEmpty()) {
        result.reason = undecodable;
        result.reasonLine = undecodableLine;
        result.cause = VLXParseFeed::Cause::Undecodable;
    }
    // A refused feed is not converted either: the notice that it would be is dropped.
    if (result.outcome == Outcome::Refused)
        alerts.take();
    else
        result.alerts = alerts.take();
    return result;
}

std::optional<FeedLoader::Result> FeedLoader::readBytes(const QByteArray &bytes, QString text,
                                                        const Progress &progress)
{
    VLXParseFeed reader;
    reader.setProgress(progress);
    reader.setBaseAddress(m_request.address);
    const int status = reader.parseFeedData(bytes, std::move(text));
    reader.setProgress(nullptr);
    if (status == VLXParseFeed::NotParsedAsBytes)
        return std::nullopt;
    return finishRead(reader, status, QString(), progress);
}

FeedLoader::Result FeedLoader::readText(QString text, QByteArray bytes, const Progress &progress)
{
    std::shared_ptr<VLXParseFeed> checked = std::exchange(m_request.checkedReader, nullptr);
    VLXParseFeed fresh;
    VLXParseFeed &reader = checked ? *checked : fresh;
    reader.setProgress(progress);
    reader.setBaseAddress(m_request.address);
    if (!checked && !m_request.keepText && !bytes.isNull()) {
        // The text is handed over, and given again from its bytes when the check refuses it.
        bool refused = false;
        const int status = reader.checkAndParse(std::move(text), QString(), nullptr, &refused);
        reader.setProgress(nullptr);
        if (refused && status != VLXParseFeed::Stopped)
            text = VLXParseFeed::stringFromXMLData(bytes);
        bytes = QByteArray();
        return finishRead(reader, status, std::move(text), progress);
    }
    bytes = QByteArray();
    int status = checked ? int(VLXParseFeed::Success) : reader.isItAFeed(text);
    if (status == VLXParseFeed::Success) {
        // Without a use for the text afterwards, the reader frees it before the items are read.
        status = m_request.keepText ? reader.parseFeed(text, QString(), nullptr)
                                    : reader.parseFeed(std::move(text), QString(), nullptr);
    }
    reader.setProgress(nullptr);
    return finishRead(reader, status, std::move(text), progress);
}

FeedLoader::Result FeedLoader::finishRead(VLXParseFeed &reader, int status, QString text,
                                          const Progress &progress)
{
    Result result;
    result.status = status;
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
        result.reason = reader.refusal();
        result.cause = reader.refusalCause();
        result.reasonLine = reader.refusalLine();
        result.text = std::move(text);
        return result;
    }
    std::shared_ptr<VLXFeed> feed = reader.feed();
    if (m_request.validate) {
        VLXFeed::MessageCounts counts;
        const bool finished = feed->validate(
            [&progress](int done, int total) {
                return !progress || progress(Stage::Validating, done, total);
            },
            &counts);
        if (!finished)
            return result;
        result.counts = counts;
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
