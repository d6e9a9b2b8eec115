#pragma once

#include <QString>
#include <atomic>
#include <curl/curl.h>
#include <vector>

// What an FTP transfer said, caught through libcurl's debug callback: every command sent
// ("> "), every reply line ("< ") and libcurl's own notes ("* "), and apart from them the data
// of a directory listing. The text goes into the transfer log when the transfer has ended, with
// every password the client sent masked.
//
// Capture runs on the transfer thread into two fixed buffers of 102,400 bytes, without
// allocating: a piece that no longer fits is dropped whole (a later, smaller one may still
// fit). The main thread reads the buffers only after the transfer has ended. The publisher and
// the folder browser each keep their own transcript.
class TransferTranscript
{
public:
    static constexpr qsizetype kBufferSize = 102400;
    // Stands in the transcript where listing data arrived.
    static constexpr const char *kListingMarker = "##DIRLISTHERE##";

    TransferTranscript();

    // Sets VERBOSE and the debug callback with this transcript as its data.
    void attachTo(CURL *curl);
    // Takes the callback off a handle whose transfer has ended, so that what libcurl says while
    // the handle is cleaned up later ("Closing connection") never reaches this transcript, which
    // may be catching the next transfer by then.
    static void detachFrom(CURL *curl);
    // libcurl's DEBUGFUNCTION; always answers 0.
    static int debugCallback(CURL *handle, curl_infotype type, char *data, size_t size,
                             void *transcript);

    // The transcript as UTF-8 text: the listing marker replaced by the folders of the listing,
    // every PASS argument replaced by "********".
    QString closingText() const;
    // Empties both buffers; the listing state stays.
    void clear();

    QByteArray transcriptBytes() const;
    QByteArray listingBytes() const;

    // Replaces the argument of every PASS command line by "********".
    static QString maskPasswords(const QString &text);

private:
    // Listing state: none, LIST or NLST sent, listing data arriving.
    enum ListingState { NoListing = 0, ListingRequested = 1, ListingArriving = 2 };

    struct Buffer
    {
        std::vector<char> bytes;
        qsizetype length = 0;
        bool append(const char *data, qsizetype size);
    };

    void capture(curl_infotype type, const char *data, qsizetype size);

    Buffer m_transcript;
    Buffer m_listing;
    std::atomic<int> m_listingState {NoListing};
};
