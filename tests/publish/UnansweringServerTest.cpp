// Servers that stop answering: an FTP server that never answers QUIT, a disk server that takes
// its time over an account check. The window's thread must go on handling events meanwhile.
#include "PublishRunFixture.h"
#include "io/EasyHandleCloser.h"
#include "publish/AccountCheck.h"
#include "publish/AccountCheckProgress.h"
#include "publish/DMMemberAccount.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <future>

namespace {

using namespace PublishTestSupport;

const QString kUser = QStringLiteral("publisher");
const QString kPassword = QStringLiteral("secret");

// Counts the turns of the event loop of the thread it lives on.
class Ticker
{
public:
    Ticker()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { ++ticks; });
        m_timer.start(5);
    }
    int ticks = 0;

private:
    QTimer m_timer;
};

class SilentQuitTest : public PublishRunFixture
{
protected:
    void startServer(const QStringList &extra = {})
    {
        ASSERT_TRUE(startFTP(server, remote.path(), kUser, kPassword,
                             QStringList {QStringLiteral("--silent-quit")} + extra))
            << server.errorString().toStdString();
        auto site = std::make_shared<VLXSite>();
        site->setType(1);
        site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(server.port()));
        site->setFtpUsername(kUser);
        site->setFtpUsePASV(1);
        site->setFtpUseEPSV(1);
        publisher.setSite(site);
        view.setText(Field::Password, kPassword);
    }
    void TearDown() override
    {
        EasyHandleCloser::setGoodbyeWait(EasyHandleCloser::kDefaultGoodbyeWait);
        PublishRunFixture::TearDown();
    }

    LocalServer server;
};

TEST_F(SilentQuitTest, ARunEndsAndTheWindowGoesOnWhileTheServerKeepsQuiet)
{
    startServer();
    addEnclosure(QStringLiteral("a.mp3"), 1000);
    addEnclosure(QStringLiteral("b.mp3"), 2000);
    addEnclosure(QStringLiteral("c.mp3"), 3000);
    Ticker ticker;
    // Each file's handle says goodbye and waits: not on this thread, and not for long.
    ASSERT_TRUE(publish(20000));
    EXPECT_EQ(view.status(), QStringLiteral("All 3 files published successfully"));
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("c.mp3"))).size(), 3000);
    EXPECT_GT(EasyHandleCloser::pendingCount(), 0);
    const int ticksAtEnd = ticker.ticks;
    ASSERT_TRUE(waitUntil([] { return EasyHandleCloser::pendingCount() == 0; }, 20000));
    // The loop kept turning while the goodbyes waited.
    EXPECT_GT(ticker.ticks, ticksAtEnd + 10);
}

TEST_F(SilentQuitTest, AbortDuringAStalledUploadEndsTheRun)
{
    // The server holds the upload of a 4 MB file after its first megabyte until the test lets it
    // go on: the upload stalls.
    const HeldTransfer hold(1024 * 1024);
    startServer(hold.serverOptions());
    addEnclosure(QStringLiteral("big.mp3"), 4 * 1024 * 1024);
    addEnclosure(QStringLiteral("next.mp3"), 10);
    publisher.upload();
    // The server makes the (temporary) file when the upload starts.
    ASSERT_TRUE(
        waitUntil([&] { return !QDir(remote.path()).isEmpty(QDir::Files | QDir::Hidden); }));
    ASSERT_TRUE(hold.waitUntilHeld(server));
    Ticker ticker;
    publisher.abort();
    // The run ends while the upload is still held.
    ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); })) << view.log.toStdString();
    ASSERT_TRUE(hold.release());
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
    ASSERT_EQ(publisher.publishResults().size(), 1);
    EXPECT_TRUE(publisher.publishResults().at(0).startsWith(
        QStringLiteral("Item Enclosure big.mp3: Publish failed with reason \"")));
    ASSERT_TRUE(waitUntil([] { return EasyHandleCloser::pendingCount() == 0; }, 10000));
    EXPECT_GT(ticker.ticks, 0);
}

TEST_F(SilentQuitTest, ClosingAllShutsTheWaitingConnectionsAtOnce)
{
    startServer();
    // A goodbye wait far longer than the test may take: only closeAll() can end it.
    EasyHandleCloser::setGoodbyeWait(std::chrono::minutes(10));
    const QString path = local.filePath(QStringLiteral("up.txt"));
    ASSERT_TRUE(writeFile(path, "twelve bytes"));
    auto handle = CURLHandle::create(QUrl(QStringLiteral("ftp://%1:%2@127.0.0.1:%3/up.txt")
                                              .arg(kUser, kPassword)
                                              .arg(server.port())));
    ASSERT_TRUE(handle);
    ASSERT_TRUE(handle->setPutFile(path));
    ASSERT_TRUE(handle->loadInForeground().has_value()) << handle->curlError().toStdString();
    handle.reset();
    EXPECT_EQ(EasyHandleCloser::pendingCount(), 1);

    auto closed = std::async(std::launch::async, [] { EasyHandleCloser::closeAll(); });
    ASSERT_EQ(closed.wait_for(std::chrono::seconds(15)), std::future_status::ready);
    EXPECT_EQ(EasyHandleCloser::pendingCount(), 0);
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("up.txt"))), QByteArray("twelve bytes"));
}

// --- The disk account check ---------------------------------------------------------------------

class RecordingIndicator : public AccountCheck::Indicator
{
public:
    void checkStarted(std::function<void()> cancelIt) override
    {
        ++started;
        cancel = std::move(cancelIt);
        if (cancelAfterMs >= 0)
            QTimer::singleShot(cancelAfterMs, [this] { cancel(); });
    }
    void checkEnded() override { ++ended; }

    int cancelAfterMs = -1;
    int started = 0;
    int ended = 0;
    std::function<void()> cancel;
};

class AccountCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(server.startScript(QStringLiteral("http_server.py")))
            << server.errorString().toStdString();
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    std::shared_ptr<DMMemberAccount> account(const QString &serverPath)
    {
        DMMemberAccount::setServerURL(server.url(QStringLiteral("http"), serverPath));
        return DMMemberAccount::accountWithName(QStringLiteral("member"), kPassword,
                                                QStringLiteral("XMLf"));
    }

    LocalServer server;
};

TEST_F(AccountCheckTest, ASlowGoodAnswerIsValidAndTheLoopTurnsMeanwhile)
{
    RecordingIndicator indicator;
    Ticker ticker;
    EXPECT_EQ(AccountCheck::validate(account(QStringLiteral("/dav-slow/1.5/%@")), &indicator),
              DMMemberAccount::kValid);
    EXPECT_GT(ticker.ticks, 10);
    EXPECT_EQ(indicator.started, 1);
    EXPECT_EQ(indicator.ended, 1);
    EXPECT_EQ(AccountCheck::validate(nullptr, &indicator), DMMemberAccount::kNoAccount);
}

TEST_F(AccountCheckTest, CancelReturnsBeforeTheServerAnswers)
{
    RecordingIndicator indicator;
    indicator.cancelAfterMs = 200;
    Ticker ticker;
    // The server would answer after ten minutes.
    EXPECT_EQ(AccountCheck::validate(account(QStringLiteral("/dav-slow/600/%@")), &indicator),
              DMMemberAccount::kCancelled);
    EXPECT_GT(ticker.ticks, 0);
    EXPECT_EQ(indicator.ended, 1);

    // The site's account check says nothing of a cancel and gives no account.
    VLXSite site;
    site.setType(2);
    site.setDmAccount(1);
    site.setDmUsername(QStringLiteral("member"));
    QString password = kPassword;
    EXPECT_FALSE(DMMemberAccount::validatedAccountForSite(site, &password, &indicator));
}

TEST_F(AccountCheckTest, AnAnswerThatBreaksOffIsANetworkErrorNotItsStatus)
{
    EXPECT_EQ(account(QStringLiteral("/dav-cut/%@"))->validateCredentials(),
              DMMemberAccount::kNetworkError);
}

TEST_F(AccountCheckTest, TheWindowShowsTheCheckAndItsCancelStopsIt)
{
    QWidget window;
    window.show();
    AccountCheckProgress progress(&window);
    bool cancelled = false;
    progress.checkStarted([&] { cancelled = true; });
    ASSERT_TRUE(progress.dialog());
    ASSERT_TRUE(waitUntil([&] { return progress.dialog()->isVisible(); }, 5000));
    EXPECT_EQ(progress.dialog()->parentWidget(), &window);
    EXPECT_EQ(progress.dialog()->windowModality(), Qt::WindowModal);
    auto *cancel = progress.dialog()->findChild<QPushButton *>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    cancel->click();
    EXPECT_TRUE(cancelled);
    progress.checkEnded();
    EXPECT_FALSE(progress.dialog());

    // A quick answer shows nothing.
    progress.checkStarted([] {});
    QPointer<QProgressDialog> quick = progress.dialog();
    progress.checkEnded();
    waitUntil([] { return false; }, AccountCheckProgress::kShowDelayMs + 200);
    EXPECT_TRUE(!quick || !quick->isVisible());
}

} // namespace
