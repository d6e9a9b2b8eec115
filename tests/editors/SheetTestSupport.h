#pragma once

#include "editors/SearchStepHost.h"
#include "platform/ScriptedAlertService.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class MemoryDefaultsStore;

// A find panel and feed window as a sheet sees them: texts the test sets, and a log of the
// window actions the sheet handed over to.
class ScriptedSearchStepHost : public SearchStepHost
{
public:
    QString findField() const override { return find; }
    QString replaceField() const override { return replacement; }
    QString previousSearchString() const override { return previous; }
    void findNext() override { calls << QStringLiteral("findNext"); }
    void findPanelReplaceAllAction() override { calls << QStringLiteral("replaceAll"); }
    void orderFrontFindPanel() override { calls << QStringLiteral("orderFrontFindPanel"); }

    QString find;
    QString replacement;
    QString previous;
    QStringList calls;
};

// Every sheet test: scripted alerts, a scripted find panel, settings in memory.
class SheetTest : public ::testing::Test
{
public:
    // Runs the action once the next modal window is up (a sheet that ended before its run never
    // shows one, and the action is dropped). A sheet the test forgot to end is cancelled after a
    // few seconds, so a failing test fails instead of hanging.
    static void whileModal(std::function<void()> action);
    // Lets deferred calls (hand-overs to the window) run.
    static void settle();

protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<ScriptedAlertService> alerts;
    std::shared_ptr<ScriptedSearchStepHost> findPanel;
    MemoryDefaultsStore *store = nullptr;
};
