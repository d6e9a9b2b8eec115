#include "publish/TransferTranscript.h"

#include "publish/FTPListingParser.h"

#include <QRegularExpression>
#include <cstring>

namespace {

const char kMarkerLine[] = "##DIRLISTHERE##\n";
constexpr qsizetype kMarkerLength = sizeof(kMarkerLine) - 1;

} // namespace

TransferTranscript::TransferTranscript()
{
    m_transcript.bytes.assign(size_t(kBufferSize), '\0');
    m_listing.bytes.assign(size_t(kBufferSize), '\0');
}

bool TransferTranscript::Buffer::append(const char *data, qsizetype size)
{
    // Room for the piece and its terminating zero, with a byte to spare; otherwise drop it
    // whole: a transcript never shows half a line.
    if (length + size + 2 >= qsizetype(bytes.size()))
        return false;
    std::memcpy(bytes.data() + length, data, size_t(size));
    length += size;
    bytes[size_t(length)] = '\0';
    return true;
}

void TransferTranscript::attachTo(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &TransferTranscript::debugCallback);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, static_cast<void *>(this));
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
}

void TransferTranscript::detachFrom(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, static_cast<curl_debug_callback>(nullptr));
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, static_cast<void *>(nullptr));
}

int TransferTranscript::debugCallback(CURL *, curl_infotype type, char *data, size_t size,
                                      void *transcript)
{
    static_cast<TransferTranscript *>(transcript)->capture(type, data, qsizetype(size));
    return 0;
}

void TransferTranscript::capture(curl_infotype type, const char *data, qsizetype size)
{
    // The prefix and the piece go in together or not at all.
    const auto appendLine = [&](const char *prefix) {
        if (m_transcript.length + size + 2 + 2 >= kBufferSize)
            return;
        m_transcript.append(prefix, 2);
        m_transcript.append(data, size);
    };
    switch (type) {
    case CURLINFO_TEXT:
        appendLine("* ");
        break;
    case CURLINFO_HEADER_IN:
        appendLine("< ");
        if (m_listingState == ListingArriving)
            m_listingState = NoListing;
        break;
    case CURLINFO_HEADER_OUT:
        appendLine("> ");
        if (size >= 4 && (std::memcmp(data, "NLST", 4) == 0 || std::memcmp(data, "LIST", 4) == 0))
            m_listingState = ListingRequested;
        break;
    case CURLINFO_DATA_IN:
        if (m_listingState == NoListing)
            break;
        if (m_listingState == ListingRequested && m_transcript.length + 18 < kBufferSize)
            m_transcript.append(kMarkerLine, kMarkerLength);
        m_listingState = ListingArriving;
        m_listing.append(data, size);
        break;
    default:
        break;
    }
}

QByteArray TransferTranscript::transcriptBytes() const
{
    return QByteArray(m_transcript.bytes.data(), m_transcript.length);
}

QByteArray TransferTranscript::listingBytes() const
{
    return QByteArray(m_listing.bytes.data(), m_listing.length);
}

QString TransferTranscript::maskPasswords(const QString &text)
{
    static const QRegularExpression pass(QStringLiteral("^(> )?PASS [^\\r\\n]*"),
                                         QRegularExpression::MultilineOption
                                             | QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(pass, QStringLiteral("\\1PASS ********"));
    return masked;
}

QString TransferTranscript::closingText() const
{
    QString text = QString::fromUtf8(transcriptBytes());
    if (text.contains(QLatin1String(kListingMarker)))
        text.replace(QLatin1String(kListingMarker),
                     FTPListingParser::directoriesOnly(listingBytes()));
    return maskPasswords(text);
}

void TransferTranscript::clear()
{
    m_transcript.length = 0;
    m_transcript.bytes[0] = '\0';
    m_listing.length = 0;
    m_listing.bytes[0] = '\0';
}
