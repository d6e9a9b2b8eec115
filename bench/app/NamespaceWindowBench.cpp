// The window's thread under the watchdog (bench::watched) with a feed whose channel declares a
// thousand namespaces (41 KB, ten items): each namespace has a tab of its own among the channel's
// extension tabs and among the items'. Figures, the median of the repetitions and "_max" the
// longest (VLX_BENCH_PAIRS, 7 unset, at least 5):
//   - "open_gap_ms": opening it while the channel's extension tabs are shown;
//   - "channel_tab_gap_ms": showing one of the channel's namespace tabs;
//   - "items_extensions_gap_ms": showing the items' extension tabs;
//   - "select_item_gap_ms": selecting another item while they are shown;
//   - "item_tab_gap_ms": showing one of the item's namespace tabs;
//   - "import_open_gap_ms", "import_gap_ms": through the import window, reading a source of ten
//     items whose rss declares the same thousand prefixes for other namespaces and whose every
//     item uses them all, then importing its items (each of the thousand prefixes renamed).
// Between the runs the window shows a feed of ten items. Runs on the offscreen platform unless
// another is asked for:
//   build/bench/bench_app_namespaces [--benchmark_filter=Import]
#include "BigFeedWindow.h"

#include "import/VLXImport.h"
#include "model/VLXFeed.h"

#include <QAction>
#include <QTabWidget>
#include <QTableView>

namespace {

constexpr int kNamespaces = 1000;
constexpr int kItems = 10;

// A feed whose rss declares the prefixes n0 to n999 for namespaces under the base address. The
// channel and each item hold an element of one of them; with usedByEveryItem, each item holds
// one of every namespace.
QByteArray declaringFeed(const QByteArray &base, bool usedByEveryItem)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"";
    for (int n = 0; n < kNamespaces; ++n)
        text += " xmlns:n" + QByteArray::number(n) + "=\"" + base + QByteArray::number(n) + "/\"";
    text += "><channel><title>Namespaces</title><link>https://example.org/</link>"
            "<description>A feed of many namespaces</description>"
            "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate><n0:note>channel</n0:note>\n";
    for (int i = 0; i < kItems; ++i) {
        const QByteArray number = QByteArray::number(i);
        text += "<item><title>Item " + number + "</title><link>https://example.org/" + number
            + "</link><description>Item " + number + ".</description><guid>https://example.org/"
            + number + "</guid><pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate>";
        for (int n = usedByEveryItem ? 0 : i; n < (usedByEveryItem ? kNamespaces : i + 1); ++n) {
            const QByteArray prefix = "n" + QByteArray::number(n);
            text += "<" + prefix + ":note>" + number + "</" + prefix + ":note>";
        }
        text += "</item>\n";
    }
    return text + "</channel></rss>\n";
}

bench::Window &app()
{
    return bench::smallFeedWindow();
}

QString fileBeside(const QString &name, const QByteArray &contents)
{
    const QString path = QDir(app().home.path()).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return path;
}

QString feedPath()
{
    static const QString path = fileBeside(QStringLiteral("namespaces.xml"),
                                           declaringFeed("https://example.org/a/", false));
    return path;
}

QString sourcePath()
{
    static const QString path
        = fileBeside(QStringLiteral("source.xml"), declaringFeed("https://example.org/b/", true));
    return path;
}

// Opens a file as a user who closes the parse results.
void openFile(const QString &path)
{
    bench::Window &window = app();
    window.alerts->clear();
    window.alerts->queueAnswer(AlertService::kAlternate);
    window.open(path);
}

QTabWidget *tabs(const char *name)
{
    return app().window().outlet<QTabWidget>(QLatin1String(name));
}

// Shows the sub-tab of that name ("Extensions").
void showSubTab(const char *tabsName, const QString &name)
{
    QTabWidget *sub = tabs(tabsName);
    for (int i = 0; sub && i < sub->count(); ++i) {
        if (sub->widget(i)->objectName() == name)
            sub->setCurrentIndex(i);
    }
}

bool showsAllNamespaces(const char *tabsName)
{
    QTabWidget *namespaces = tabs(tabsName);
    return namespaces && namespaces->count() >= kNamespaces;
}

void BM_ThousandNamespacesInTheWindow(benchmark::State &state)
{
    const QString path = feedPath();
    const QString extensions = QStringLiteral("Extensions");
    Vellumcast &window = app().window();
    bench::Figures figures;
    for (auto _ : state) {
        openFile(app().feedPath);
        tabs("tabsFeeds")->setCurrentIndex(WindowServices::FeedsTab);
        showSubTab("tabsFeeds_FeedsSub", extensions);
        figures.add("open_gap_ms", bench::watched([&] { openFile(path); }));
        if (!showsAllNamespaces("tabsFeeds_FeedsExtensions")
            || window.currentFeed()->countOfItems() != kItems) {
            state.SkipWithError("the feed did not open with its namespaces");
            return;
        }
        figures.add("channel_tab_gap_ms", bench::watched([&] {
                        tabs("tabsFeeds_FeedsExtensions")->setCurrentIndex(kNamespaces / 2);
                    }));
        tabs("tabsFeeds")->setCurrentIndex(WindowServices::ItemsTab);
        figures.add("items_extensions_gap_ms",
                    bench::watched([&] { showSubTab("tabsFeeds_ItemsSub", extensions); }));
        auto *list = window.outlet<QTableView>(QStringLiteral("Items_Required_Items"));
        figures.add("select_item_gap_ms", bench::watched([&] { list->selectRow(kItems / 2); }));
        figures.add("item_tab_gap_ms", bench::watched([&] {
                        tabs("tabsFeeds_ItemsExtensions")->setCurrentIndex(kNamespaces / 2);
                    }));
        if (!showsAllNamespaces("tabsFeeds_ItemsExtensions")) {
            state.SkipWithError("the item does not show its namespaces");
            return;
        }
    }
    figures.report(state);
}

void BM_ImportUsingAThousandClashingPrefixes(benchmark::State &state)
{
    const QString path = feedPath();
    const QString source = sourcePath();
    Vellumcast &window = app().window();
    bench::Figures figures;
    for (auto _ : state) {
        openFile(path);
        tabs("tabsFeeds")->setCurrentIndex(WindowServices::ItemsTab);
        window.command("importFeedItems")->trigger();
        auto *import = window.window()->findChild<VLXImport *>();
        if (!import) {
            state.SkipWithError("no import window");
            return;
        }
        figures.add("import_open_gap_ms", bench::watched([&] {
                        import->openFeedAtPath(source);
                        while (import->isOpening())
                            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                    }));
        import->markAllItems();
        int imported = 0;
        figures.add("import_gap_ms", bench::watched([&] { imported = import->doImport(); }));
        import->cancel();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (imported != kItems || window.currentFeed()->countOfItems() != 2 * kItems) {
            state.SkipWithError("the items were not imported");
            return;
        }
    }
    figures.report(state);
}

void repeated(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->Iterations(CoreBench::pairs());
}

} // namespace

BENCHMARK(BM_ThousandNamespacesInTheWindow)->Apply(repeated);
BENCHMARK(BM_ImportUsingAThousandClashingPrefixes)->Apply(repeated);

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, bench::releaseSmallFeedWindow);
}
