// The FTP transcript: what it keeps when it fills up, listings inside it, passwords masked.
#include "publish/TransferTranscript.h"
#include "publish/UploadSource.h"

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void feed(TransferTranscript &t, curl_infotype type, const QByteArray &bytes)
{
    QByteArray copy = bytes;
    TransferTranscript::debugCallback(nullptr, type, copy.data(), size_t(copy.size()), &t);
}

TEST(TransferTranscriptTest, MasksEveryPasswordAlsoOutsideAscii)
{
    TransferTranscript t;
    feed(t, CURLINFO_HEADER_IN, "220 Welcome\r\n");
    feed(t, CURLINFO_HEADER_OUT, "USER publisher\r\n");
    feed(t, CURLINFO_HEADER_OUT, QStringLiteral("PASS pässwörd €1\r\n").toUtf8());
    feed(t, CURLINFO_HEADER_IN, "530 Login incorrect.\r\n");
    feed(t, CURLINFO_HEADER_OUT, "PASS another one\r\n");
    feed(t, CURLINFO_TEXT, "Connection died\n");
    const QString text = t.closingText();
    EXPECT_EQ(text,
              QStringLiteral("< 220 Welcome\r\n> USER publisher\r\n> PASS ********\r\n"
                             "< 530 Login incorrect.\r\n> PASS ********\r\n"
                             "* Connection died\n"));
    EXPECT_FALSE(text.contains(u"pässwörd"));
    t.clear();
    EXPECT_TRUE(t.closingText().isEmpty());
}

TEST(TransferTranscriptTest, PutsTheFoldersOfAListingWhereItsDataArrived)
{
    TransferTranscript t;
    feed(t, CURLINFO_HEADER_OUT, "LIST\r\n");
    feed(t, CURLINFO_HEADER_IN, "150 Here it comes\r\n");
    feed(t, CURLINFO_DATA_IN, "drwxr-xr-x 2 1000 1000 4096 Jan 15 10:30 www\r\n");
    feed(t, CURLINFO_DATA_IN, "-rw-r--r-- 1 user staff 12 Jan 15 2005 a.xml\r\n");
    feed(t, CURLINFO_HEADER_IN, "226 Done\r\n");
    // Data of an upload or a download is not a listing.
    feed(t, CURLINFO_DATA_IN, "drwxr-xr-x 2 u g 1 Jan 15 2005 notalisting\r\n");
    EXPECT_EQ(t.closingText(),
              QStringLiteral("> LIST\r\n< 150 Here it comes\r\n        www/\n"
                             "< 226 Done\r\n"));
}

TEST(TransferTranscriptTest, DropsWholePiecesThatNoLongerFit)
{
    TransferTranscript t;
    const QByteArray big(60000, 'a');
    feed(t, CURLINFO_TEXT, big);
    feed(t, CURLINFO_TEXT, QByteArray(50000, 'b')); // no room: dropped whole
    feed(t, CURLINFO_TEXT, "small\n"); // still fits
    const QByteArray kept = t.transcriptBytes();
    EXPECT_EQ(kept, "* " + big + "* small\n");
    EXPECT_LT(kept.size(), TransferTranscript::kBufferSize);
}

TEST(TransferTranscriptTest, UploadSourcesCountWhatTheyHandOverAndCarryTheAbort)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(QByteArray(10000, 'z'));
    file.flush();
    QString error;
    auto source = UploadSource::fromFile(file.fileName(), &error);
    ASSERT_TRUE(source) << error.toStdString();
    EXPECT_EQ(source->size(), 10000);
    char buffer[4096];
    EXPECT_EQ(UploadSource::readCallback(buffer, 1, sizeof buffer, source.get()), sizeof buffer);
    EXPECT_EQ(source->bytesSent(), 4096);
    EXPECT_EQ(UploadSource::seekCallback(source.get(), 0, SEEK_SET), CURL_SEEKFUNC_OK);
    EXPECT_EQ(source->bytesSent(), 0);
    size_t total = 0;
    while (const size_t n = UploadSource::readCallback(buffer, 1, sizeof buffer, source.get()))
        total += n;
    EXPECT_EQ(total, 10000u);
    source->abort();
    EXPECT_EQ(UploadSource::readCallback(buffer, 1, sizeof buffer, source.get()),
              size_t(CURL_READFUNC_ABORT));

    EXPECT_FALSE(UploadSource::fromFile(file.fileName() + QStringLiteral(".gone"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(UploadSource::fromFile(QStringLiteral("/dev/zero"), &error));
    // Nor a named pipe, whose opening would wait for a writer, nor a folder.
    QTemporaryDir folder;
    const QString pipe = folder.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &path : {pipe, folder.path()}) {
        error.clear();
        EXPECT_FALSE(UploadSource::fromFile(path, &error)) << path.toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("it is "))) << error.toStdString();
    }
}

} // namespace
