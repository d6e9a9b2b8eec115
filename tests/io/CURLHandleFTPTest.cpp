// FTP and FTPS transfers against a local pyftpdlib server: uploads, resumed uploads, listings.
#include "TransferTestSupport.h"
#include "common/LocalServer.h"
#include "io/CURLHandle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kUser = QStringLiteral("publisher");
const QString kPassword = QStringLiteral("s3cret:pw");

class CURLHandleFTPTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(local.isValid());
        root = local.filePath(QStringLiteral("root"));
        ASSERT_TRUE(QDir().mkpath(root));
    }

    void TearDown() override { CURLHandle::curlGoodbye(); }

    void startServer(bool tls = false)
    {
        QStringList arguments {QStringLiteral("--root"),     root,
                               QStringLiteral("--user"),     kUser,
                               QStringLiteral("--password"), kPassword};
        if (tls) {
            QString error;
            certificate = LocalServer::makeSelfSignedCertificate(server.workDir(), &error);
            ASSERT_TRUE(certificate) << error.toStdString();
            arguments << QStringLiteral("--cert") << certificate->certFile
                      << QStringLiteral("--key") << certificate->keyFile;
        }
        ASSERT_TRUE(server.startScript(QStringLiteral("ftp_server.py"), arguments))
            << server.errorString().toStdString();
    }

    std::shared_ptr<CURLHandle> handle(const QString &path)
    {
        auto h = CURLHandle::create(QUrl(server.url(QStringLiteral("ftp"), path)));
        EXPECT_TRUE(h);
        h->setUserName(kUser, kPassword);
        if (certificate) {
            h->setStringOrNumberObject(qlonglong(CURLUSESSL_ALL), CURLOPT_USE_SSL);
            h->setStringOrNumberObject(certificate->certFile, CURLOPT_CAINFO);
        }
        return h;
    }

    QString writeLocal(const QString &name, const QByteArray &bytes)
    {
        const QString path = local.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir local;
    QString root;
    LocalServer server;
    std::optional<LocalServer::Certificate> certificate;
};

TEST_F(CURLHandleFTPTest, UploadsAFileInTheForeground)
{
    startServer();
    const QByteArray content = serverPattern(300 * 1024);
    auto h = handle(QStringLiteral("/feed.xml"));
    ASSERT_TRUE(h->setPutFile(writeLocal(QStringLiteral("feed.xml"), content)));
    ASSERT_TRUE(h->loadInForeground()) << h->curlError().toStdString();
    EXPECT_EQ(readFile(root + QStringLiteral("/feed.xml")), content);
    EXPECT_EQ(h->uploadSize(), double(content.size()));
    // The server's replies are the header text of an FTP transfer.
    EXPECT_TRUE(h->headerString().contains(u"226")) << h->headerString().toStdString();

    // The upload was for that transfer only: the next load of the handle reads, it does not
    // send a closed file again.
    h->setURL(QUrl(server.url(QStringLiteral("ftp"), QStringLiteral("/feed.xml"))));
    const auto back = h->loadInForeground();
    ASSERT_TRUE(back) << h->curlError().toStdString();
    EXPECT_EQ(*back, content);
}

TEST_F(CURLHandleFTPTest, ResumesAnUploadAtAnOffset)
{
    startServer();
    const QByteArray content = serverPattern(200 * 1024 + 3);
    const qsizetype offset = 70000;
    QFile partial(root + QStringLiteral("/episode.mp3"));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write(content.left(offset));
    partial.close();

    auto h = handle(QStringLiteral("/episode.mp3"));
    ASSERT_TRUE(h->setPutFile(writeLocal(QStringLiteral("episode.mp3"), content)));
    h->setPutFileOffset(offset);
    h->setStringOrNumberObject(1, CURLOPT_APPEND);
    ASSERT_TRUE(h->loadInForeground()) << h->curlError().toStdString();
    EXPECT_EQ(h->uploadSize(), double(content.size() - offset));
    EXPECT_TRUE(readFile(root + QStringLiteral("/episode.mp3")) == content);
}

TEST_F(CURLHandleFTPTest, ListsAFolder)
{
    startServer();
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("images")));
    writeLocal(QStringLiteral("unused"), {});
    QFile(local.filePath(QStringLiteral("unused"))).copy(root + QStringLiteral("/index.html"));

    auto full = handle(QStringLiteral("/"));
    const auto listing = full->loadInForeground();
    ASSERT_TRUE(listing) << full->curlError().toStdString();
    EXPECT_TRUE(listing->contains("images"));
    EXPECT_TRUE(listing->contains("index.html"));
    EXPECT_TRUE(listing->startsWith("d") || listing->startsWith("-")) << listing->constData();

    auto names = handle(QStringLiteral("/"));
    names->setStringOrNumberObject(true, CURLOPT_DIRLISTONLY);
    const auto onlyNames = names->loadInForeground();
    ASSERT_TRUE(onlyNames);
    QStringList lines
        = QString::fromUtf8(*onlyNames).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList {QStringLiteral("images"), QStringLiteral("index.html")}));
}

TEST_F(CURLHandleFTPTest, UploadsInTheBackground)
{
    startServer();
    const QByteArray content = serverPattern(50 * 1024);
    auto h = handle(QStringLiteral("/bg.bin"));
    ASSERT_TRUE(h->setPutFile(writeLocal(QStringLiteral("bg.bin"), content)));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_EQ(client.finished, 1) << client.reason.toStdString();
    EXPECT_EQ(readFile(root + QStringLiteral("/bg.bin")), content);
}

TEST_F(CURLHandleFTPTest, WrongPasswordAndMissingFileAreErrors)
{
    startServer();
    auto h = handle(QStringLiteral("/x.bin"));
    h->setUserName(kUser, QStringLiteral("wrong"));
    ASSERT_TRUE(h->setPutFile(writeLocal(QStringLiteral("x.bin"), "x")));
    EXPECT_FALSE(h->loadInForeground());
    EXPECT_EQ(h->result(), CURLE_LOGIN_DENIED);
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/x.bin")));

    EXPECT_FALSE(h->setPutFile(local.filePath(QStringLiteral("does-not-exist"))));
    auto missing = handle(QStringLiteral("/nothing-here.txt"));
    EXPECT_FALSE(missing->loadInForeground());
    EXPECT_FALSE(missing->curlError().isEmpty());
}

TEST_F(CURLHandleFTPTest, FtpsUploadsOverTls)
{
    startServer(true);
    const QByteArray content("<rss version=\"2.0\"/>\n");
    auto h = handle(QStringLiteral("/secure.xml"));
    ASSERT_TRUE(h->setPutFile(writeLocal(QStringLiteral("secure.xml"), content)));
    ASSERT_TRUE(h->loadInForeground()) << h->curlError().toStdString();
    EXPECT_EQ(readFile(root + QStringLiteral("/secure.xml")), content);
    EXPECT_TRUE(h->headerString().contains(u"234")) << h->headerString().toStdString();

    // The server refuses to talk in the clear.
    auto plain = CURLHandle::create(QUrl(server.url(QStringLiteral("ftp"), QStringLiteral("/"))));
    plain->setUserName(kUser, kPassword);
    EXPECT_FALSE(plain->loadInForeground());
}

} // namespace
