#pragma once

#include "publish/VLXBrowseBase.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Driving the folder browsers and the additional-file dialog from tests.
namespace BrowserTestSupport {

// Runs a modal dialog (run() enters its loop) with the script running inside that loop. The
// script ends by accepting or cancelling; a dialog it leaves open fails the test and is closed,
// so a test fails instead of hanging.
inline int whileModal(const std::function<int()> &run, const std::function<void()> &script)
{
    QTimer::singleShot(0, qApp, [script] {
        QWidget *shown = QApplication::activeModalWidget();
        script();
        if (shown && QApplication::activeModalWidget() == shown) {
            ADD_FAILURE() << "the script left " << shown->objectName().toStdString() << " open";
            if (auto *dialog = qobject_cast<QDialog *>(shown))
                dialog->reject();
        }
    });
    return run();
}

// Clicks the named button of the browser's dialog.
inline void click(const VLXBrowseBase &browser, const char *name)
{
    auto *button = browser.outlet<QAbstractButton>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

inline QStringList names(const VLXBrowseBase &browser)
{
    QStringList list;
    for (const QVariantMap &entry : browser.browseFiles())
        list.append(entry.value(QStringLiteral("cxFilenameKey")).toString());
    return list;
}

// The table row showing the entry of that name, or -1.
inline int rowOf(const VLXBrowseBase &browser, const QString &name)
{
    return int(names(browser).indexOf(name));
}

inline void selectRow(const VLXBrowseBase &browser, const QString &name)
{
    auto *table = browser.outlet<VLXTableView>(QStringLiteral("browseTable"));
    const int row = rowOf(browser, name);
    ASSERT_GE(row, 0) << name.toStdString();
    table->selectRow(row);
}

// What the table shows in a cell.
inline QVariant cell(const VLXBrowseBase &browser, const QString &name, int column,
                     int role = Qt::DisplayRole)
{
    auto *table = browser.outlet<VLXTableView>(QStringLiteral("browseTable"));
    return table->model()->index(rowOf(browser, name), column).data(role);
}

// Chooses a history title as the user would from the pop-up.
inline void chooseHistory(VLXBrowseBase &browser, const QString &title)
{
    auto *history = browser.outlet<VLXPopUpButton>(QStringLiteral("browseHistory"));
    const int index = history->findText(title);
    ASSERT_GE(index, 0) << title.toStdString();
    history->setCurrentIndex(index);
    browser.browseHistorySelected();
}

} // namespace BrowserTestSupport
