#include "app/LoadRunner.h"

#include "document/FeedDocument.h"
#include "platform/ShownText.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <memory>

namespace {
std::shared_ptr<const LoadRunner::StageObserver> &observerSlot()
{
    static std::shared_ptr<const LoadRunner::StageObserver> observer;
    return observer;
}

// Set on the window's thread and called on a worker's, which may still run after its load was
// cancelled: each call holds the observer it started with, so replacing it never pulls the
// function out from under a call.
std::shared_ptr<const LoadRunner::StageObserver> stageObserver()
{
    return std::atomic_load(&observerSlot());
}

int &dialogDelay()
{
    static int delay = 250; // a small feed opens without a dialog flashing up
    return delay;
}

// How often the dialog takes the worker's progress.
constexpr int kRefreshInterval = 40;
// The bar counts in steps of its own: a QProgressBar holds ints, a file's size may not fit.
constexpr int kBarSteps = 1000;
} // namespace

// What the worker and the window share of one load. The worker writes the stage, the counts and
// the status text; the window reads them for the dialog and sets the stop flag.
class LoadRunner::Job : public LoadControl
{
public:
    bool report(Stage stage, qint64 done, qint64 total) override
    {
        const int number = static_cast<int>(stage);
        m_total = total;
        m_done = done;
        if (m_stage.exchange(number) != number) {
            if (const auto observer = stageObserver(); observer && *observer)
                (*observer)(stage);
        }
        return !stopRequested();
    }
    bool stopRequested() const override { return m_stopped; }

    void stop()
    {
        m_stopped = true;
        if (thread)
            thread->requestInterruption();
        if (loop)
            loop->quit();
    }

    std::atomic<qint64> m_total {0};
    std::atomic<qint64> m_done {0};
    std::atomic<int> m_stage {-1};
    // The window's thread only.
    QPointer<QThread> thread;
    QEventLoop *loop = nullptr;
    bool questioned = false; // a question came: no dialog for the rest of the load

private:
    std::atomic<bool> m_stopped {false};
};

LoadRunner::LoadRunner(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window), m_refresh(new QTimer(this))
{
    m_refresh->setInterval(kRefreshInterval);
    connect(m_refresh, &QTimer::timeout, this, &LoadRunner::refresh);
}

LoadRunner::~LoadRunner()
{
    cancel();
    // A worker told to stop ends at its next check; a question it was waiting to ask is dropped.
    for (const QPointer<QThread> &worker : m_workers) {
        if (!worker)
            continue;
        worker->wait();
        delete worker.data();
    }
    closeDialog();
}

void LoadRunner::setStageObserver(StageObserver observer)
{
    std::atomic_store(&observerSlot(), std::make_shared<const StageObserver>(std::move(observer)));
}

void LoadRunner::setDialogDelay(int milliseconds)
{
    dialogDelay() = milliseconds;
}

bool LoadRunner::run(const std::function<void(LoadControl &)> &work, const QString &title,
                     const Wording &wording)
{
    // The load under way hands on nothing once this one is asked for.
    cancel();
    waitForWorkers();

    auto job = std::make_shared<Job>();
    m_job = job;
    QThread *worker = QThread::create([job, work] { work(*job); });
    job->thread = worker;
    m_workers.push_back(worker);
    QEventLoop loop;
    job->loop = &loop;
    bool ended = false;
    connect(worker, &QThread::finished, &loop, [&loop, &ended] {
        ended = true;
        loop.quit();
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    // The name a later start or an address handed over can be of any length.
    m_title = ShownText::fitted(title);
    m_wording = wording;
    QTimer::singleShot(dialogDelay(), this, [this, job] {
        if (m_job == job)
            showDialog();
    });
    m_shownStatus.clear();
    m_modalAtStart = QApplication::activeModalWidget();
    m_refresh->start();
    worker->start();
    // Without the dialog (before it shows, or once a question sent it away) the window paints
    // but takes no input: a click or a key meanwhile waits, and reaches the window after the
    // load or meets the dialog of a long one, instead of editing, closing or reopening what is
    // about to be replaced. A question takes its own input in its own loop. With the dialog up,
    // the dialog takes the input; it quits the loop when it goes before the load ends.
    while (!ended && !job->stopRequested() && m_job == job) {
        if (m_dialog)
            loop.exec();
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents
                                            | QEventLoop::WaitForMoreEvents);
    }
    job->loop = nullptr;

    if (m_job == job) {
        refresh();
        m_job.reset();
        m_refresh->stop();
        closeDialog();
    }
    return !job->stopRequested();
}

QDialog *LoadRunner::progressDialog() const
{
    return m_dialog;
}

void LoadRunner::cancel()
{
    if (m_job)
        m_job->stop();
}

void LoadRunner::waitForWorkers()
{
    for (;;) {
        std::erase_if(m_workers, [](const QPointer<QThread> &worker) {
            return !worker || worker->isFinished();
        });
        if (m_workers.empty())
            return;
        QEventLoop wait;
        connect(m_workers.front(), &QThread::finished, &wait, &QEventLoop::quit);
        if (!m_workers.front()->isFinished())
            wait.exec();
    }
}

void LoadRunner::questionComing()
{
    if (!m_job)
        return;
    m_job->questioned = true;
    closeDialog();
}

void LoadRunner::showDialog()
{
    if (!m_job || m_job->questioned)
        return;
    // A window that asks something and came up unannounced is not covered either.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != m_modalAtStart) {
        m_job->questioned = true;
        return;
    }
    closeDialog();
    auto *dialog = new QDialog(m_window);
    dialog->setObjectName(QStringLiteral("LoadProgress"));
    dialog->setWindowTitle(m_wording.dialogTitle.isEmpty() ? tr("Opening Feed")
                                                           : m_wording.dialogTitle);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    m_label = new QLabel(m_title, dialog);
    m_label->setObjectName(QStringLiteral("LoadProgressText"));
    m_label->setMinimumWidth(360);
    m_label->setTextFormat(Qt::PlainText);
    m_bar = new QProgressBar(dialog);
    m_bar->setObjectName(QStringLiteral("LoadProgressBar"));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("LoadProgressCancel"));
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    // Cancel, Escape and closing the dialog all stop the load.
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::rejected, this, &LoadRunner::cancel);
    m_dialog = dialog;
    refresh();
    dialog->show();
}

void LoadRunner::refresh()
{
    if (!m_job)
        return;
    const int stage = m_job->m_stage;
    QString status;
    if (stage >= 0) {
        const auto at = static_cast<LoadControl::Stage>(stage);
        status = m_wording.status ? m_wording.status(at, m_title)
                                  : FeedDocument::stageStatus(at, m_title);
    }
    if (status != m_shownStatus) {
        m_shownStatus = status;
        emit statusChanged(status);
    }
    if (!m_dialog)
        return;
    if (!status.isEmpty())
        m_label->setText(status);
    // Counted stages fill the bar; one not counted yet keeps it busy.
    const qint64 total = m_job->m_total;
    if (total <= 0) {
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, kBarSteps);
    const qint64 done = m_job->m_done;
    m_bar->setValue(
        static_cast<int>(qBound(qint64(0), done * kBarSteps / total, qint64(kBarSteps))));
}

void LoadRunner::closeDialog()
{
    if (!m_dialog)
        return;
    // Closed by the program, not the user: no rejection, so nothing is cancelled.
    QDialog *dialog = m_dialog;
    m_dialog = nullptr;
    dialog->disconnect(this);
    dialog->close();
    // The load goes on without it: its wait no longer gives the input to the dialog.
    if (m_job && m_job->loop)
        m_job->loop->quit();
}
