// Transfers over HTTP and HTTPS against the local test server: foreground and background loads,
// response details, request options, reliability faults and shutdown.
#include "io/CURLHandle.h"
#include "TransferTestSupport.h"
#include "VLXVersion.h"
#include "common/LocalServer.h"
#include "io/CURLHandleNotifier.h"
#include "io/URLProgressIndicator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FakeProgress : public URLProgressIndicator
{
public:
    bool isIndeterminate() const override { return indeterminate; }
    void setIndeterminate(bool value) override
    {
        indeterminate = value;
        ++indeterminateChanges;
    }
    void advance() override { ++steps; }
    void redraw() override { ++redraws; }

    bool indeterminate = false;
    int indeterminateChanges = 0;
    int steps = 0;
    int redraws = 0;
};

class CURLHandleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The environment's proxies have their own tests; here every load goes direct.
        for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(server.startScript(QStringLiteral("http_server.py")))
            << server.errorString().toStdString();
    }

    void TearDown() override
    {
        CURLHandle::curlGoodbye();
        CURLHandle::setDeliveryLimits(qint64(64) * 1024 * 1024, 60000);
    }

    QUrl url(const QString &path, const QString &scheme = QStringLiteral("http")) const
    {
        return QUrl(server.url(scheme, path));
    }

    std::shared_ptr<CURLHandle> handle(const QString &path)
    {
        auto h = CURLHandle::create(url(path));
        EXPECT_TRUE(h);
        return h;
    }

    static QJsonObject json(const std::optional<QByteArray> &body)
    {
        return body ? QJsonDocument::fromJson(*body).object() : QJsonObject();
    }

    LocalServer server;
};

TEST_F(CURLHandleTest, ForegroundLoadGivesBodyAndResponseDetails)
{
    auto h = handle(QStringLiteral("/ok"));
    FakeProgress progress;
    h->setProgressIndicator(&progress);
    const auto body = h->loadInForeground();
    ASSERT_TRUE(body) << h->curlError().toStdString();
    EXPECT_EQ(*body, QByteArray("hello world"));
    EXPECT_EQ(h->status(), URLHandle::LoadSucceeded);
    EXPECT_EQ(h->httpCode(), 200);
    EXPECT_EQ(h->downloadSize(), 11.0);
    EXPECT_EQ(h->downloadContentLength(), 11.0);
    EXPECT_EQ(h->effectiveURL(), url(QStringLiteral("/ok")).toString());
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyStatusCodeKey).toLongLong(), 200);
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString(), u"OK");
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyServerHTTPVersionKey).toString(),
              u"HTTP/1.1");
    EXPECT_EQ(h->propertyForKey(QStringLiteral("Content-Type")).toString(), u"text/plain");
    EXPECT_FALSE(h->propertyForKey(QStringLiteral("X-Not-There")).isValid());
    EXPECT_FALSE(h->propertyForKey(URLHandle::kHTTPPropertyErrorPageDataKey).isValid());
    EXPECT_TRUE(h->propertyForKey(CURLHandle::kHeaderKey).toString().startsWith(u"HTTP/1.1 200"));
    // The progress control animated while bytes came and got its own state back afterwards.
    EXPECT_GT(progress.steps, 0);
    EXPECT_GE(progress.redraws, progress.steps);
    EXPECT_FALSE(progress.indeterminate);
    EXPECT_EQ(progress.indeterminateChanges, 2);
}

TEST_F(CURLHandleTest, ForegroundLoadOf404ReturnsNothingWithAnErrorText)
{
    auto h = handle(QStringLiteral("/status/404"));
    RecordingClient client;
    h->addClient(&client);
    EXPECT_FALSE(h->loadInForeground());
    EXPECT_EQ(h->status(), URLHandle::LoadFailed);
    EXPECT_EQ(h->result(), CURLE_HTTP_RETURNED_ERROR);
    EXPECT_FALSE(h->curlError().isEmpty());
    EXPECT_TRUE(h->curlError().contains(u"404")) << h->curlError().toStdString();
    EXPECT_EQ(h->httpCode(), 404);
    EXPECT_TRUE(client.data.isEmpty());
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyServerHTTPVersionKey).toString(),
              u"HTTP/1.1");
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString(), u"Not Found");
}

TEST_F(CURLHandleTest, ErrorPageIsReadWhenFailingOnErrorsIsOff)
{
    auto h = handle(QStringLiteral("/status/404"));
    h->setFailsOnError(false);
    const auto body = h->loadInForeground();
    ASSERT_TRUE(body);
    EXPECT_EQ(*body, QByteArray("status 404\n"));
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyServerHTTPVersionKey).toString(),
              u"HTTP/1.1");
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString(), u"Not Found");
}

TEST_F(CURLHandleTest, AfterRedirectsStatusAndHeadersComeFromTheLastResponse)
{
    auto h = handle(QStringLiteral("/redirect/3"));
    const auto body = h->loadInForeground();
    ASSERT_TRUE(body) << h->curlError().toStdString();
    EXPECT_EQ(*body, QByteArray("final"));
    EXPECT_TRUE(h->effectiveURL().endsWith(u"/redirect/0"));
    // The whole header text keeps every response...
    const QString all = h->propertyForKey(CURLHandle::kHeaderKey).toString();
    EXPECT_EQ(all.count(QStringLiteral("HTTP/1.1 302 Found")), 3);
    // ...but status, version and named headers are those of the final one.
    EXPECT_EQ(h->propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString(), u"OK");
    EXPECT_EQ(h->propertyForKey(QStringLiteral("content-type")).toString(), u"text/plain");
    EXPECT_EQ(h->propertyForKey(QStringLiteral("X-Final")).toString(), u"yes");
    EXPECT_FALSE(h->propertyForKey(QStringLiteral("X-Hop")).isValid());
    EXPECT_FALSE(h->propertyForKey(URLHandle::kHTTPPropertyRedirectionHeadersKey).isValid());
    // Cookies the redirects set were still set.
    EXPECT_EQ(h->getResponseCookies().size(), 3);
}

TEST_F(CURLHandleTest, RedirectsCanBeLeftUnfollowedAndLoopsEndInAnError)
{
    auto once = handle(QStringLiteral("/redirect/2"));
    once->setFollowsRedirects(false);
    ASSERT_TRUE(once->loadInForeground());
    EXPECT_EQ(once->httpCode(), 302);
    EXPECT_EQ(once->propertyForKey(URLHandle::kHTTPPropertyRedirectionHeadersKey).toString(),
              u"/redirect/1");

    auto loop = handle(QStringLiteral("/loop"));
    EXPECT_FALSE(loop->loadInForeground());
    EXPECT_EQ(loop->result(), CURLE_TOO_MANY_REDIRECTS);
}

TEST_F(CURLHandleTest, ResponseCookiesAreListedAndParsed)
{
    auto h = handle(QStringLiteral("/cookies"));
    ASSERT_TRUE(h->loadInForeground());
    const QStringList cookies = h->getResponseCookies();
    ASSERT_EQ(cookies.size(), 2);
    EXPECT_EQ(cookies.at(0), u"session=abc123; Path=/; HttpOnly");
    EXPECT_EQ(h->propertyForKey(CURLHandle::kCookiesKey).toStringList(), cookies);
}

TEST_F(CURLHandleTest, RequestOptionsReachTheServer)
{
    auto h = handle(QStringLiteral("/echo"));
    h->setHTTPHeaders({{QStringLiteral("X-Test"), QStringLiteral("one")}});
    h->setHTTPHeaders({{QStringLiteral("X-Other"), QStringLiteral("two")}});
    h->setRequestCookies(
        {{QStringLiteral("a"), QStringLiteral("1")},
         {QStringLiteral("b"), QVariantMap {{QStringLiteral("value"), QStringLiteral("2")}}}});
    h->setReferer(QStringLiteral("http://example.invalid/from"));
    h->setPostDictionary({{QStringLiteral("a b"), QStringLiteral("x&y")}});
    const QJsonObject echo = json(h->loadInForeground());
    const QJsonObject headers = echo.value(u"headers").toObject();
    EXPECT_EQ(echo.value(u"method").toString(), u"POST");
    EXPECT_EQ(echo.value(u"body").toString(), u"a%20b=x%26y");
    EXPECT_EQ(headers.value(u"x-test").toString(), u"one");
    EXPECT_EQ(headers.value(u"x-other").toString(), u"two");
    EXPECT_EQ(headers.value(u"cookie").toString(), u"a=1; b=2; ");
    EXPECT_EQ(headers.value(u"referer").toString(), u"http://example.invalid/from");
    // Every handle introduces itself with the application's signature.
    EXPECT_EQ(headers.value(u"user-agent").toString(), CURLHandle::defaultSignature());
    EXPECT_EQ(CURLHandle::defaultSignature(),
              QStringLiteral("Vellumcast Mac v%1 (%2)")
                  .arg(QString::fromUtf8(VLXVersion::kVersionString),
                       QString::fromUtf8(VLXVersion::kBuildString)));
}

QStringList capturedWarnings;

void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        capturedWarnings << message;
}

TEST_F(CURLHandleTest, OptionTableSkipsValuesOfTheWrongKindAndStillTransfers)
{
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
    auto h = handle(QStringLiteral("/echo"));
    h->setStringOrNumberObject(QVariantList {1, 2}, CURLOPT_REFERER);
    h->setStringOrNumberObject(QStringLiteral("not a pointer"), CURLOPT_WRITEDATA);
    h->setUserAgent(QStringLiteral("Agent/1"));
    h->setUserName(QStringLiteral("u"), QStringLiteral("p"));
    h->setUserName(QString(), QStringLiteral("ignored"));
    EXPECT_EQ(h->optionValue(CURLOPT_USERPWD).toString(), u"u:p");
    const QJsonObject echo = json(h->loadInForeground());
    qInstallMessageHandler(previous);
    ASSERT_FALSE(echo.isEmpty()) << h->curlError().toStdString();
    // One line per skipped value (the table goes in option-number order).
    EXPECT_EQ(capturedWarnings,
              (QStringList {QStringLiteral("Ignoring CURL option of type QString for key %1")
                                .arg(int(CURLOPT_WRITEDATA)),
                            QStringLiteral("Ignoring CURL option of type QVariantList for key %1")
                                .arg(int(CURLOPT_REFERER))}));
    const QJsonObject headers = echo.value(u"headers").toObject();
    EXPECT_FALSE(headers.contains(u"referer"));
    EXPECT_EQ(headers.value(u"user-agent").toString(), u"Agent/1");
    EXPECT_TRUE(headers.value(u"authorization").toString().startsWith(u"Basic "));
}

TEST_F(CURLHandleTest, AcceptedEncodingsCanBeSwitchedOffAgain)
{
    auto h = handle(QStringLiteral("/echo"));
    h->setAcceptCompression(true);
    EXPECT_TRUE(h->hasOption(CURLOPT_ACCEPT_ENCODING));
    QJsonObject echo = json(h->loadInForeground());
    EXPECT_TRUE(echo.value(u"headers").toObject().contains(u"accept-encoding"));
    h->setAcceptCompression(false);
    EXPECT_FALSE(h->hasOption(CURLOPT_ACCEPT_ENCODING));
    echo = json(h->loadInForeground());
    EXPECT_FALSE(echo.value(u"headers").toObject().contains(u"accept-encoding"));
}

TEST_F(CURLHandleTest, MultipartPostSendsEveryPartWithItsHeader)
{
    auto h = handle(QStringLiteral("/echo"));
    h->setMultipartPostDictionary(
        {{QStringLiteral("data"), QByteArray("\x01\x02raw", 5)},
         {QStringLiteral("number"), 42},
         {QStringLiteral("text"), QStringLiteral("h\u00e9")},
         {QStringLiteral("other"), QVariantList {1}}},
        {{QStringLiteral("data"), QStringLiteral("Content-Type: application/x-test")}});
    const QJsonObject echo = json(h->loadInForeground());
    const QByteArray body = echo.value(u"body").toString().toLatin1();
    EXPECT_TRUE(echo.value(u"headers")
                    .toObject()
                    .value(u"content-type")
                    .toString()
                    .startsWith(u"multipart/form-data"));
    EXPECT_TRUE(
        body.contains("name=\"data\"\r\nContent-Type: application/x-test\r\n\r\n\x01\x02raw"));
    EXPECT_TRUE(body.contains("name=\"number\"\r\n\r\n42\r\n"));
    EXPECT_TRUE(body.contains("name=\"text\"\r\n\r\nh\xc3\xa9\r\n"));
    EXPECT_TRUE(body.contains("name=\"other\"\r\n\r\n\r\n"));
}

TEST_F(CURLHandleTest, PutUploadsTheFileFromItsOffset)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("upload.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0123456789");
    file.close();

    auto h = handle(QStringLiteral("/echo"));
    ASSERT_TRUE(h->setPutFile(path));
    h->setPutFileOffset(4);
    const QJsonObject echo = json(h->loadInForeground());
    EXPECT_EQ(echo.value(u"method").toString(), u"PUT");
    EXPECT_EQ(echo.value(u"body").toString(), u"456789");
    EXPECT_EQ(h->uploadSize(), 6.0);
}

TEST_F(CURLHandleTest, IfModifiedSinceGetsNotModified)
{
    auto h = handle(QStringLiteral("/modified"));
    h->setIfModSince(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
    const auto body = h->loadInForeground();
    ASSERT_TRUE(body);
    EXPECT_TRUE(body->isEmpty());
    EXPECT_EQ(h->httpCode(), 304);
}

TEST_F(CURLHandleTest, BackgroundLoadDeliversDataThenFinishOnTheCreatingThread)
{
    auto h = handle(QStringLiteral("/slow?chunks=5&delay=0.05"));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    EXPECT_EQ(h->status(), URLHandle::LoadInProgress);
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    spinFor(100);
    EXPECT_EQ(client.summary(), u"began data finished");
    EXPECT_EQ(client.finished, 1);
    EXPECT_EQ(client.data, QByteArray("chunk-0\nchunk-1\nchunk-2\nchunk-3\nchunk-4\n"));
    EXPECT_TRUE(client.allOnThread(QThread::currentThread()));
    EXPECT_EQ(h->status(), URLHandle::LoadSucceeded);
    EXPECT_EQ(h->availableResourceData(), client.data);
    EXPECT_EQ(h->propertyForKey(QStringLiteral("Transfer-Encoding")).toString(), u"chunked");
    EXPECT_FALSE(h->isTransferRunning());
}

TEST_F(CURLHandleTest, BackgroundLoadOfALargeBodyLosesNothing)
{
    const qsizetype size = 16 * 1024 * 1024 + 17;
    auto h = handle(QStringLiteral("/large?size=%1").arg(size));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }, 60000));
    EXPECT_EQ(client.finished, 1) << client.reason.toStdString();
    EXPECT_EQ(client.data.size(), size);
    EXPECT_TRUE(client.data == serverPattern(size));
}

TEST_F(CURLHandleTest, BackgroundFailureReportsTheReason)
{
    auto h = handle(QStringLiteral("/status/404"));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_EQ(client.summary(), u"began failed");
    EXPECT_TRUE(client.reason.contains(u"404"));
    EXPECT_EQ(h->status(), URLHandle::LoadFailed);
    EXPECT_EQ(h->failureReason(), client.reason);
}

TEST_F(CURLHandleTest, CancelledBackgroundLoadNeverFinishesAndTheHandleLoadsAgain)
{
    auto h = handle(QStringLiteral("/slow?chunks=40&delay=0.05"));
    RecordingClient client;
    h->addClient(&client);
    client.onData = [&] {
        if (client.cancelled == 0)
            h->cancelLoadInBackground();
    };
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.cancelled > 0; }));
    // Whatever was still on its way is dropped, and no outcome follows.
    ASSERT_TRUE(waitUntil([&] { return !h->isTransferRunning(); }, 5000));
    spinFor(300);
    EXPECT_EQ(client.summary(), u"began data cancelled");
    EXPECT_EQ(client.finished + client.failed, 0);
    EXPECT_EQ(h->status(), URLHandle::NotLoaded);

    RecordingClient second;
    h->removeClient(&client);
    h->addClient(&second);
    h->setURL(url(QStringLiteral("/ok")));
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return second.ended(); }));
    EXPECT_EQ(second.summary(), u"began data finished");
    EXPECT_EQ(second.data, QByteArray("hello world"));

    // Straight after a cancel the handle also loads in the foreground.
    h->setURL(url(QStringLiteral("/slow?chunks=40&delay=0.05")));
    h->loadInBackground();
    h->cancelLoadInBackground();
    h->setURL(url(QStringLiteral("/ok")));
    EXPECT_EQ(h->loadInForeground(), QByteArray("hello world"));
}

TEST_F(CURLHandleTest, AnAbortedTransferFailsPromptlyEvenWhileTheServerIsSilent)
{
    // One chunk, then the server says nothing for ten seconds.
    auto h = handle(QStringLiteral("/slow?chunks=2&delay=10"));
    RecordingClient client;
    h->addClient(&client);
    QElapsedTimer timer;
    client.onData = [&] {
        if (!timer.isValid()) {
            timer.start();
            h->abortTransfer();
        }
    };
    h->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }, 8000));
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_EQ(client.summary(), u"began data failed");
    EXPECT_FALSE(client.reason.isEmpty());
    EXPECT_EQ(h->result(), int(CURLE_ABORTED_BY_CALLBACK));

    // The next load of the handle is not aborted by the earlier request.
    h->setURL(url(QStringLiteral("/ok")));
    EXPECT_EQ(h->loadInForeground(), QByteArray("hello world"));
}

TEST_F(CURLHandleTest, ClientsMayReleaseTheHandleWhenTold)
{
    // Common practice: the owner lets go of the handle as soon as it hears of the outcome, or
    // as soon as it has seen enough data.
    RecordingClient finishing;
    auto done = handle(QStringLiteral("/ok"));
    std::weak_ptr<CURLHandle> doneWatch = done;
    done->addClient(&finishing);
    finishing.onEnd = [&] { done.reset(); };
    done->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return finishing.ended(); }));
    EXPECT_TRUE(doneWatch.expired());

    RecordingClient impatient;
    auto running = handle(QStringLiteral("/slow?chunks=40&delay=0.05"));
    std::weak_ptr<CURLHandle> runningWatch = running;
    running->addClient(&impatient);
    impatient.onData = [&] { running.reset(); };
    running->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return runningWatch.expired(); }));
    spinFor(200);
    EXPECT_EQ(impatient.summary(), u"began data");
}

TEST_F(CURLHandleTest, BackgroundDeliveryReachesANestedModalLoop)
{
    auto h = handle(QStringLiteral("/slow?chunks=3&delay=0.05"));
    RecordingClient client;
    h->addClient(&client);
    bool endedInsideNestedLoop = false;
    // As a modal dialog does: a handler of the outer loop runs a loop of its own until done.
    QTimer::singleShot(0, [&] {
        QEventLoop modal;
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, &modal, [&] {
            if (client.ended() || !guard.isActive())
                modal.quit();
        });
        guard.start(10);
        QTimer::singleShot(20000, &modal, &QEventLoop::quit);
        h->loadInBackground();
        modal.exec();
        endedInsideNestedLoop = client.ended();
    });
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_TRUE(endedInsideNestedLoop);
    EXPECT_EQ(client.summary(), u"began data finished");
}

TEST_F(CURLHandleTest, UndeliverableDataFailsTheLoadInsteadOfBeingDropped)
{
    // The creating thread does not serve its event loop for a while: the bytes in flight reach
    // the limit, the transfer waits, gives up, and the load fails; nothing reports success.
    CURLHandle::setDeliveryLimits(64 * 1024, 300);
    auto h = handle(QStringLiteral("/large?size=%1").arg(8 * 1024 * 1024));
    RecordingClient client;
    h->addClient(&client);
    h->loadInBackground();
    QThread::msleep(1500);
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_EQ(client.finished, 0);
    EXPECT_EQ(client.failed, 1);
    EXPECT_TRUE(client.reason.contains(u"delivered")) << client.reason.toStdString();
    EXPECT_LT(client.data.size(), 8 * 1024 * 1024);
    // What did arrive arrived whole and in order.
    EXPECT_TRUE(client.data == serverPattern(client.data.size()));
}

TEST_F(CURLHandleTest, BrokenResponsesFailInsteadOfGivingPartialData)
{
    auto closed = handle(QStringLiteral("/close-mid-body"));
    EXPECT_FALSE(closed->loadInForeground());
    EXPECT_NE(closed->result(), CURLE_OK);

    auto shortBody = handle(QStringLiteral("/wrong-length"));
    EXPECT_FALSE(shortBody->loadInForeground());
    EXPECT_EQ(shortBody->result(), CURLE_PARTIAL_FILE);

    auto stalled = handle(QStringLiteral("/stall?seconds=30"));
    stalled->setLowSpeedTime(1);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(stalled->loadInForeground());
    EXPECT_EQ(stalled->result(), CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(timer.elapsed(), 15000);

    auto background = handle(QStringLiteral("/wrong-length"));
    RecordingClient client;
    background->addClient(&client);
    background->loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_EQ(client.finished, 0);
    EXPECT_EQ(client.failed, 1);
    EXPECT_FALSE(client.reason.isEmpty());
}

TEST_F(CURLHandleTest, HttpsWorksWithTheGivenCertificateAuthorityOnly)
{
    LocalServer tls;
    QString error;
    const auto certificate = LocalServer::makeSelfSignedCertificate(tls.workDir(), &error);
    ASSERT_TRUE(certificate) << error.toStdString();
    ASSERT_TRUE(tls.startScript(QStringLiteral("http_server.py"),
                                {QStringLiteral("--cert"), certificate->certFile,
                                 QStringLiteral("--key"), certificate->keyFile}))
        << tls.errorString().toStdString();

    auto trusted
        = CURLHandle::create(QUrl(tls.url(QStringLiteral("https"), QStringLiteral("/ok"))));
    trusted->setStringOrNumberObject(certificate->certFile, CURLOPT_CAINFO);
    const auto body = trusted->loadInForeground();
    ASSERT_TRUE(body) << trusted->curlError().toStdString();
    EXPECT_EQ(*body, QByteArray("hello world"));

    // The system store does not know our certificate: refused, not silently accepted.
    auto untrusted
        = CURLHandle::create(QUrl(tls.url(QStringLiteral("https"), QStringLiteral("/ok"))));
    EXPECT_FALSE(untrusted->loadInForeground());
    EXPECT_EQ(untrusted->result(), CURLE_PEER_FAILED_VERIFICATION);
}

TEST_F(CURLHandleTest, OnlyWebAndFtpProtocolsAreSpoken)
{
    auto file = CURLHandle::create(QUrl(QStringLiteral("file:///etc/hostname")));
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->loadInForeground());
    EXPECT_EQ(file->result(), CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_FALSE(CURLHandle::canInitWithURL(QUrl(QStringLiteral("file:///etc/hostname"))));
    EXPECT_TRUE(CURLHandle::canInitWithURL(QUrl(QStringLiteral("HTTPS://example.invalid/"))));
    EXPECT_TRUE(CURLHandle::canInitWithURL(QUrl(QStringLiteral("ftp://example.invalid/"))));
    CURLHandle::curlAcceptURL(QUrl(QStringLiteral("gopher://example.invalid/")));
    EXPECT_TRUE(CURLHandle::canInitWithURL(QUrl(QStringLiteral("gopher://example.invalid/"))));
}

TEST_F(CURLHandleTest, CacheRegistryAndNotifications)
{
    int created = 0;
    int changed = 0;
    int deleted = 0;
    QObject guard;
    QObject::connect(CURLHandleNotifier::instance(), &CURLHandleNotifier::handleCreated, &guard,
                     [&] { ++created; });
    QObject::connect(CURLHandleNotifier::instance(), &CURLHandleNotifier::cacheChanged, &guard,
                     [&] { ++changed; });
    QObject::connect(CURLHandleNotifier::instance(), &CURLHandleNotifier::cacheDeleted, &guard,
                     [&] { ++deleted; });

    const QUrl address = url(QStringLiteral("/ok"));
    auto first = CURLHandle::cachedHandleForURL(address);
    auto again = CURLHandle::cachedHandleForURL(address);
    EXPECT_EQ(first, again);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(CURLHandle::cachedHandleCount(), 1);

    const auto handleClass = URLHandle::URLHandleClassForURL(address);
    ASSERT_TRUE(handleClass);
    EXPECT_EQ(handleClass->cachedHandleForURL(address), first);

    // A second set-up drops the cache (and must not trip over the handles it releases).
    CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
    EXPECT_EQ(CURLHandle::cachedHandleCount(), 0);
    first = CURLHandle::cachedHandleForURL(address);
    again.reset();
    EXPECT_EQ(changed, 2);

    CURLHandle::curlFlushEntireCache();
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(CURLHandle::cachedHandleCount(), 0);
    EXPECT_NE(CURLHandle::cachedHandleForURL(address), first);

    CURLHandle::curlGoodbye();
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(URLHandle::URLHandleClassForURL(address));
    CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
}

TEST_F(CURLHandleTest, NoTransferThreadOutlivesQuit)
{
    auto atQuit = handle(QStringLiteral("/stall?seconds=60"));
    auto atGoodbye = handle(QStringLiteral("/stall?seconds=60"));
    RecordingClient client;
    atQuit->addClient(&client);
    atGoodbye->addClient(&client);
    atQuit->loadInBackground();
    atGoodbye->loadInBackground();
    ASSERT_TRUE(atQuit->isTransferRunning());

    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(200, [] { QCoreApplication::quit(); });
    QCoreApplication::exec(); // ends with aboutToQuit
    EXPECT_FALSE(atQuit->isTransferRunning());
    EXPECT_FALSE(atGoodbye->isTransferRunning());
    EXPECT_LT(timer.elapsed(), 10000);

    auto late = handle(QStringLiteral("/stall?seconds=60"));
    late->addClient(&client);
    late->loadInBackground();
    CURLHandle::curlGoodbye();
    EXPECT_FALSE(late->isTransferRunning());
    spinFor(200);
    EXPECT_EQ(client.finished, 0);
    EXPECT_EQ(client.failed, 0);
    CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
}

} // namespace
