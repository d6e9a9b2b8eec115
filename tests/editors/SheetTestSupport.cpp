#include "SheetTestSupport.h"

#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

void SheetTest::SetUp()
{
    alerts = ScriptedAlertService::install();
    findPanel = std::make_shared<ScriptedSearchStepHost>();
    SearchStepHost::setInstance(findPanel);
    auto memory = std::make_unique<MemoryDefaultsStore>();
    store = memory.get();
    VLXPreferences::useStore(std::move(memory));
}

void SheetTest::TearDown()
{
    settle();
    SearchStepHost::setInstance(nullptr);
    AlertService::setInstance(nullptr);
}

void SheetTest::whileModal(std::function<void()> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        action();
        QTimer::singleShot(5000, [modal] {
            if (modal && modal->isVisible()) {
                ADD_FAILURE() << "a modal window was left open";
                modal->close();
            }
        });
    });
}

void SheetTest::settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
