#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Answers the next modal window with this object name once it is up, as the user would; a
// window that never comes fails the test instead of leaving a script behind for another.
inline void answerDialog(const QString &name, std::function<void(QWidget *dialog)> script)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, script, tries] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name) {
            timer->stop();
            timer->deleteLater();
            script(modal);
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no window " << name.toStdString();
        }
    });
    timer->start();
}

// Clicks the named button of a dialog.
inline void clickIn(QWidget *dialog, const QString &button)
{
    auto *found = dialog->findChild<QAbstractButton *>(button);
    ASSERT_NE(found, nullptr) << button.toStdString();
    found->click();
}
