#include "editors/MNLineNumberCache.h"
#include "editors/MNLineNumberingRulerView.h"
#include "editors/TextFinder.h"
#include "editors/XMLColorRanges.h"
#include "editors/XMLSourceTextView.h"
#include "common/PodcastFeed.h"
#include "model/VLXFeed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextBlock>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

// The XML source editor on the text of a 10,000-item podcast feed (about 20 MB): how soon the
// first screen shows coloured, how long the rest takes to arrive and be counted while the window
// keeps painting, and Replace All of a word that occurs in every item. libxml2 parsing the same
// text runs beside the colouring pass for scale. Then a feed written on one line, whose single
// element of several megabytes must load in time that grows with its length, not its square.

namespace {

const QString &feedText()
{
    static const QString text = PodcastFeed::podcast(10000, 9)->buildXML();
    return text;
}

void sizeCounters(benchmark::State &state)
{
    state.counters["MB"] = double(feedText().toUtf8().size()) / 1e6;
}

// A window-sized view as the editor shows it: coloured, with its ruler.
struct EditorView
{
    EditorView()
    {
        view.resize(860, 600);
        view.addVerticalRuler();
        view.show();
    }
    void open(const QString &text)
    {
        view.setColored(false);
        view.loadText(text);
        view.setColored(true);
    }
    // Serves the event loop until the text is in and counted; answers the longest time a
    // single turn of the loop took, which is how long the window could not paint.
    qint64 settle()
    {
        qint64 longest = 0;
        QElapsedTimer turn;
        while (view.isLoading() || !view.verticalRuler()->cache()->isComplete()) {
            turn.start();
            QCoreApplication::processEvents();
            longest = std::max(longest, turn.nsecsElapsed());
        }
        return longest;
    }
    XMLSourceTextView view;
};

void BM_ColourRanges(benchmark::State &state)
{
    const QString &text = feedText();
    qsizetype runs = 0;
    for (auto _ : state) {
        const XMLColorRanges ranges(text, {QStringLiteral("itunes")});
        runs = ranges.runs().size();
        benchmark::DoNotOptimize(runs);
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
    state.counters["runs"] = double(runs);
    sizeCounters(state);
}

void BM_Libxml2Parse(benchmark::State &state)
{
    const QByteArray utf8 = feedText().toUtf8();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(utf8.constData(), int(utf8.size()), "feed.xml", "UTF-8",
                                      XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(state.iterations() * utf8.size());
    sizeCounters(state);
}

// From handing the text over to the first screen painted in colour.
void BM_OpenFirstScreenColoured(benchmark::State &state)
{
    EditorView editor;
    const QString &text = feedText();
    int coloured = 0;
    for (auto _ : state) {
        editor.open(text);
        editor.view.viewport()->grab();
        editor.view.verticalRuler()->grab();
        state.PauseTiming();
        coloured = int(editor.view.firstVisibleBlock().next().layout()->formats().size());
        editor.view.loadText(QString());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["formats_on_line_2"] = coloured;
    sizeCounters(state);
}

// From handing the text over until all of it is in and every line counted.
void BM_OpenWhole(benchmark::State &state)
{
    EditorView editor;
    const QString &text = feedText();
    qint64 longest = 0;
    for (auto _ : state) {
        editor.open(text);
        longest = std::max(longest, editor.settle());
    }
    state.counters["longest_stall_ms"] = double(longest) / 1e6;
    state.counters["lines"] = editor.view.document()->lineCount();
    sizeCounters(state);
}

// A feed whose channel, with a description of state.range(0) KiB, stands on one line: from
// handing the text over until it is in and counted.
void BM_OpenOneLongLine(benchmark::State &state)
{
    EditorView editor;
    const QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>"
                                        "<title>One line</title><description>")
        + QStringLiteral("words of a description ").repeated(state.range(0) * 1024 / 23)
        + QStringLiteral("</description></channel></rss>\n");
    qint64 longest = 0;
    for (auto _ : state) {
        editor.open(text);
        longest = std::max(longest, editor.settle());
        state.PauseTiming();
        editor.view.loadText(QString());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = double(longest) / 1e6;
    state.counters["MB"] = double(text.size()) / 1e6;
    state.SetComplexityN(text.size());
}

void BM_ReplaceAllCommonWord(benchmark::State &state)
{
    EditorView editor;
    const QString &text = feedText();
    TextFinder &finder = TextFinder::sharedInstance();
    finder.setTextObjectToSearchIn(&editor.view);
    auto field = [&](const char *name) {
        return finder.findPanel()->findChild<QLineEdit *>(QLatin1String(name));
    };
    field("findTextField")->setText(QStringLiteral("episode"));
    field("replaceTextField")->setText(QStringLiteral("installment"));
    QString status;
    for (auto _ : state) {
        state.PauseTiming();
        editor.open(text);
        editor.view.finishLoading();
        state.ResumeTiming();
        finder.replaceAll();
        state.PauseTiming();
        status = finder.statusText();
        state.ResumeTiming();
    }
    state.SetLabel(status.toStdString());
    sizeCounters(state);
}

} // namespace

BENCHMARK(BM_ColourRanges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFirstScreenColoured)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWhole)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OpenOneLongLine)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(1024)
    ->Arg(4096)
    ->Arg(20480)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReplaceAllCommonWord)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
