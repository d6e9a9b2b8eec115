#include "ModalScript.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace ModalScript {

namespace {
constexpr int kPollMs = 5;
constexpr int kPatienceMs = 30000;

// Scripts still waiting for their window; a test's end drops them.
QObject &pending()
{
    static QObject *holder = new QObject(qApp);
    return *holder;
}
} // namespace

void cancelPending()
{
    for (QObject *child : pending().children())
        delete child;
}

QDialog *active(const QString &objectName)
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    return dialog && dialog->objectName() == objectName ? dialog : nullptr;
}

void whenShown(const QString &objectName, std::function<void()> action)
{
    auto *timer = new QTimer(&pending());
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        *waited += kPollMs;
        QPointer<QDialog> dialog = active(objectName);
        if (!dialog) {
            if (*waited < kPatienceMs)
                return;
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the modal window " << objectName.toStdString() << " never came";
            if (auto *other = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                other->reject();
            return;
        }
        timer->stop();
        timer->deleteLater();
        // A watchdog for this modal run only: it goes when the run ends.
        auto *watchdog = new QTimer(dialog);
        watchdog->setSingleShot(true);
        QObject::connect(dialog, &QDialog::finished, watchdog, &QObject::deleteLater);
        QObject::connect(watchdog, &QTimer::timeout, dialog, [dialog, objectName] {
            ADD_FAILURE() << "the modal window " << objectName.toStdString() << " was left open";
            dialog->done(0);
        });
        watchdog->start(kPatienceMs);
        action();
    });
    timer->start(kPollMs);
}

} // namespace ModalScript
