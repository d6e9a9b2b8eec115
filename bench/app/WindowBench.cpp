// The feed window with a feed of 10,000 items: typing one character in the description of item
// 5,000 (from the key press to the model updated and the panes refreshed), opening the feed, and
// cloning item 5,000 and taking the clone back with Undo. Beside it, leaving a feed that declares
// 1,000 namespaces for one that declares none.
// Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_app
#include "BigFeedWindow.h"

#include "app/Controller.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "panes/EditTracker.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {
using bench::kItems;
using bench::shared;
using bench::Window;
constexpr int kEditedItem = 5000;

void BM_OpenTenThousandItemFeedInTheWindow(benchmark::State &state)
{
    Window &app = shared();
    for (auto _ : state) {
        app.open();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(app.window().currentFeed()->countOfItems());
    }
    if (app.window().currentFeed()->countOfItems() != kItems)
        state.SkipWithError("the feed did not open");
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_OpenTenThousandItemFeedInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TypeOneCharacterInTheDescriptionOfItem5000(benchmark::State &state)
{
    Window &app = shared();
    Vellumcast &window = app.window();
    app.open();
    window.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    window.itemsPane()->itemTable()->selectRow(kEditedItem);
    auto *view = window.outlet<VLXTextView>("Items_Required_Description");
    for (QWidget *page = view; page && page->parentWidget(); page = page->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget()))
            stack->setCurrentWidget(page);
    }
    QApplication::setActiveWindow(window.window());
    view->setFocus();
    view->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    if (window.document()->shownItem() != kEditedItem || !view->hasFocus()) {
        state.SkipWithError("item 5,000 is not shown in a focused description");
        return;
    }
    const VLXItems &item = *window.currentFeed()->itemAtIndex(kEditedItem);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(view, Qt::Key_A);
        // The edit is committed (as when the field is left): checked, stored, one undo step;
        // the item's row and the fields showing it refresh from the document's signals.
        window.finalizeChanges();
        window.undoManager()->closeGroup();
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (!item.descriptionElement().endsWith(QLatin1Char('a')))
        state.SkipWithError("the model did not take the typed character");
}
BENCHMARK(BM_TypeOneCharacterInTheDescriptionOfItem5000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
void BM_CloneItem5000AndUndo(benchmark::State &state)
{
    Window &app = shared();
    Vellumcast &window = app.window();
    app.open();
    window.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    window.itemsPane()->itemTable()->selectRow(kEditedItem);
    QCoreApplication::processEvents();
    if (window.document()->shownItem() != kEditedItem) {
        state.SkipWithError("item 5,000 is not shown");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        // The clone goes to the top as one step, its list record taken first; Undo puts the
        // list back and shows item 5,000 again.
        window.itemActions().cloneItem();
        window.undoManager()->closeGroup();
        QCoreApplication::processEvents();
        window.undoManager()->undo();
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (window.currentFeed()->countOfItems() != kItems
        || window.document()->shownItem() != kEditedItem)
        state.SkipWithError("undo did not put the list back");
}
BENCHMARK(BM_CloneItem5000AndUndo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// A feed declaring 1,000 namespaces shows a tab for each in the channel's, the items' and the
// image's extensions; opening a plain feed after it takes those 3,000 panes out of the window.
void BM_OpenAPlainFeedAfterOneOfAThousandNamespaces(benchmark::State &state)
{
    Window &app = shared();
    const QDir home(app.home.path());
    const QString many = home.filePath("namespaces.xml");
    const QString plain = home.filePath("plain.xml");
    {
        QByteArray declarations;
        for (int i = 0; i < 1000; ++i)
            declarations += QStringLiteral(" xmlns:n%1=\"urn:example:ns%1\"").arg(i).toUtf8();
        QByteArray feed = bench::feedOf(1);
        QFile manyFile(many);
        QFile plainFile(plain);
        if (!manyFile.open(QIODevice::WriteOnly) || !plainFile.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the feeds");
            return;
        }
        plainFile.write(feed);
        manyFile.write(
            feed.replace("<rss version=\"2.0\">", "<rss version=\"2.0\"" + declarations + '>'));
    }
    Vellumcast &window = app.window();
    auto *channelTabs = window.outlet<QTabWidget>("tabsFeeds_FeedsExtensions");
    for (auto _ : state) {
        app.open(many);
        QCoreApplication::processEvents();
        if (channelTabs->count() <= 1000) {
            state.SkipWithError("the namespaces have no tabs");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        app.open(plain);
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (channelTabs->count() != 1)
        state.SkipWithError("the namespace tabs stayed");
}
BENCHMARK(BM_OpenAPlainFeedAfterOneOfAThousandNamespaces)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, bench::releaseShared);
}
