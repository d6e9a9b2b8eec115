// The Common Feed default sort on a feed of 10,000 items: after every closed step the window
// asks the extensions to bring the status line up to date, and the MS-SLE tab works out whether
// the items still stand in the order of the default sort (newest first). Measured: an edit of
// item 5,000's title committed as one step, and the status-line update on its own.
#include "BigFeedWindow.h"

#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "panes/mscf/microsoftCFChannelPane.h"
#include "ui/VLXTableView.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <chrono>

namespace {
using bench::kItems;
using bench::shared;
using bench::Window;

// Items newest first, so the order test reads every item before it answers.
QByteArray listFeed()
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                      "xmlns:cf=\"http://www.microsoft.com/schemas/rss/core/2005\"><channel>"
                      "<title>Sorted</title><link>https://example.org/</link>"
                      "<description>A feed of many items</description>"
                      "<cf:listinfo><cf:sort label=\"Newest\" default=\"yes\"/></cf:listinfo>\n";
    const QDateTime start(QDate(2026, 12, 7), QTime(9, 0), QTimeZone::utc());
    for (int i = 0; i < kItems; ++i)
        text += QStringLiteral("<item><title>Episode %1</title><link>https://example.org/%1</link>"
                               "<description>Episode %1.</description>"
                               "<pubDate>%2</pubDate></item>\n")
                    .arg(i)
                    .arg(QLocale::c().toString(start.addSecs(-60 * i),
                                               QStringLiteral("ddd, dd MMM yyyy HH:mm:ss +0000")))
                    .toUtf8();
    return text + "</channel></rss>\n";
}

// The big sorted feed open, its default sort stored: the pane that keeps the buttons.
microsoftCFChannelPane *openSorted(Window &app)
{
    const QString path = QDir(app.home.path()).filePath(QStringLiteral("sorted.xml"));
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        file.write(listFeed());
        file.close();
    }
    app.open(path);
    QCoreApplication::processEvents();
    auto *table = app.window().outlet<VLXTableView>(QStringLiteral("MSCFListInfoTable"));
    auto *pane = table ? dynamic_cast<microsoftCFChannelPane *>(table->dataSource()) : nullptr;
    if (pane) {
        pane->storeDefaultSort(QString(), QStringLiteral("pubDate"), QStringLiteral("date"));
        pane->updateResortControls();
    }
    return pane;
}

void BM_StatusLineAfterAnEditOfItem5000(benchmark::State &state)
{
    Window &app = shared();
    microsoftCFChannelPane *pane = openSorted(app);
    FeedDocument &document = *app.window().document();
    if (!pane || document.feed()->countOfItems() != kItems) {
        state.SkipWithError("the sorted feed did not open with its MS-SLE tab");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        // One committed edit; closing its step makes the window update the status line.
        document.editField(QStringLiteral("Items_Required_Title"), 5000,
                           QStringLiteral("Episode 5000, take %1").arg(++n));
        app.window().undoManager()->closeGroup();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (pane->statusLineButtonShown())
        state.SkipWithError("the sorted items were taken as out of order");
}
BENCHMARK(BM_StatusLineAfterAnEditOfItem5000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

void BM_StatusLineUpdateAlone(benchmark::State &state)
{
    Window &app = shared();
    microsoftCFChannelPane *pane = openSorted(app);
    if (!pane) {
        state.SkipWithError("the sorted feed did not open with its MS-SLE tab");
        return;
    }
    extensionManagerChannel &manager = *app.window().currentFeed()->XMLExtensions();
    for (auto _ : state)
        manager.updateStatusLine();
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_StatusLineUpdateAlone)->Unit(benchmark::kMillisecond)->Iterations(100);
} // namespace
