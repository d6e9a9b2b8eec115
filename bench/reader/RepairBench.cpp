// The text repairs of the reader on a feed whose one description is mixed markup of 1, 16 and
// 100 MB: tags and bare ampersands among entities, every "<" and ">" of it to be escaped.
#include "io/VLXParseFeed.h"

#include <benchmark/benchmark.h>

namespace {

QString feedWithMixedDescription(qint64 bytes)
{
    const QString piece = QStringLiteral("<p>Show notes with <b>bold</b> words, AT&T &amp; "
                                         "friends, 3 > 2 &eacute;t&eacute;.</p> ");
    return QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>T</title>"
                          "<item><title>Mixed</title><description>")
        + piece.repeated(bytes / piece.size())
        + QStringLiteral("</description></item></channel></rss>");
}

void BM_RepairMixedMarkupDescription(benchmark::State &state)
{
    const QString text = feedWithMixedDescription(state.range(0) << 20);
    for (auto _ : state) {
        QStringList messages;
        const QString repaired = VLXParseFeed::repairText(text, &messages);
        if (repaired.size() <= text.size() || messages.isEmpty()) {
            state.SkipWithError("the description was not repaired");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * text.size() * qint64(sizeof(QChar)));
}
BENCHMARK(BM_RepairMixedMarkupDescription)
    ->Arg(1)
    ->Arg(16)
    ->Arg(100)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

} // namespace
