#pragma once

#include "document/LoadControl.h"
#include "platform/QuestionNotice.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QLabel;
class QProgressBar;
class QThread;
class QTimer;
class QWidget;

// Runs a feed's load on a worker thread while the window's thread goes on painting, and shows
// its progress over the window: a bar that counts where the work can be counted, the stage's
// text, and Cancel. The dialog is window-modal, so the feed shown cannot be edited meanwhile;
// questions the work asks come to the window's thread through MainThreadCall.
//
// A question never sits under the dialog: when one comes (QuestionNotice), the dialog closes,
// or does not open, for the rest of the load, which goes on with the answer while the window
// paints and holds back clicks and keys as before the dialog showed.
//
// One load at a time: a load started while another runs cancels that one, waits until its
// worker has ended, and only then begins; the cancelled one hands on nothing.
class LoadRunner : public QObject
{
    Q_OBJECT
public:
    // The dialog opens over the window (which may be null).
    explicit LoadRunner(QWidget *window, QObject *parent = nullptr);
    ~LoadRunner() override;
    void setWindow(QWidget *window) { m_window = window; }

    // What the dialog says: its title, and the text of each stage (the status line shows it
    // too). By default those of opening a feed.
    struct Wording
    {
        QString dialogTitle;
        std::function<QString(LoadControl::Stage, const QString &title)> status;
    };
    // Runs the work on a worker thread and returns when it has ended, or at once when the load
    // is cancelled (the worker then stops at its next check and its results are dropped: the
    // work must keep its results in what it owns, e.g. a shared pointer it captured). Events
    // are processed meanwhile. The title names what is loaded. False when cancelled.
    bool run(const std::function<void(LoadControl &)> &work, const QString &title,
             const Wording &wording = Wording());
    bool isRunning() const { return m_job != nullptr; }
    // Stops the running load, if any.
    void cancel();
    // The progress dialog of the running load (null between loads).
    QDialog *progressDialog() const;

    // Tests watch the stages: called on the worker thread as each stage begins.
    using StageObserver = std::function<void(LoadControl::Stage)>;
    static void setStageObserver(StageObserver observer);
    // How long a load runs before its dialog shows (tests show it at once).
    static void setDialogDelay(int milliseconds);

signals:
    // The status text of the running load's stage, on the window's thread.
    void statusChanged(const QString &text);

private:
    class Job;
    void waitForWorkers();
    void questionComing();
    void showDialog();
    void refresh();
    void closeDialog();

    QPointer<QWidget> m_window;
    std::shared_ptr<Job> m_job;
    std::vector<QPointer<QThread>> m_workers;
    QPointer<QDialog> m_dialog;
    QPointer<QLabel> m_label;
    QPointer<QProgressBar> m_bar;
    QTimer *m_refresh = nullptr;
    QString m_shownStatus;
    QString m_title; // what the running load reads
    Wording m_wording;
    QPointer<QWidget> m_modalAtStart; // a modal window the load was started under
    QuestionNotice m_questions {[this] { questionComing(); }};
};
