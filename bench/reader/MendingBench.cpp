// The text offered to mend a feed whose bytes give no text, at 4, 16 and 48 MB where every other
// byte is no text in the encoding it declares: the time grows with the size, never with the
// bytes at fault over again. Beside it, the same size of text that decodes, read as any file.
#include "io/VLXParseFeed.h"

#include <benchmark/benchmark.h>

namespace {

enum Charset { Utf8, EucJp, Iso2022Jp, Windows1255 };

const char *const kLabels[] = {"UTF-8", "EUC-JP", "ISO-2022-JP", "windows-1255"};
// A character of each, then a byte that is no text in it (one the converter holds back in
// windows-1255); and the same with a character for that byte.
const char *const kUnits[] = {"a\xFF", "a\xFF", "a\x80", "\xF9\xFF"};
const char *const kGood[] = {"ab", "ab", "ab", "\xF9\xF9"};

QByteArray feedOf(Charset charset, qint64 bytes, bool broken)
{
    const QByteArray unit = broken ? kUnits[charset] : kGood[charset];
    return "<?xml version=\"1.0\" encoding=\"" + QByteArray(kLabels[charset])
        + "\"?>\n<rss version=\"2.0\"><channel><title>" + unit.repeated(bytes / unit.size())
        + "</title></channel></rss>\n";
}

void BM_TextForMending(benchmark::State &state)
{
    const auto charset = Charset(state.range(0));
    const QByteArray bytes = feedOf(charset, state.range(1) << 20, true);
    state.SetLabel(kLabels[charset]);
    for (auto _ : state) {
        const QString text = VLXParseFeed::textForMending(bytes);
        if (!text.endsWith(u"</rss>\n")) {
            state.SkipWithError("the text was not offered whole");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_TextForMending)
    ->ArgsProduct({{Utf8, EucJp, Iso2022Jp, Windows1255}, {4, 16, 48}})
    ->ArgNames({"charset", "MB"})
    ->Unit(benchmark::kMillisecond);

void BM_TextThatDecodes(benchmark::State &state)
{
    const auto charset = Charset(state.range(0));
    const QByteArray bytes = feedOf(charset, state.range(1) << 20, false);
    state.SetLabel(kLabels[charset]);
    for (auto _ : state) {
        if (VLXParseFeed::stringFromXMLData(bytes).isNull()) {
            state.SkipWithError("the text did not decode");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_TextThatDecodes)
    ->ArgsProduct({{Utf8, EucJp, Iso2022Jp, Windows1255}, {4, 16, 48}})
    ->ArgNames({"charset", "MB"})
    ->Unit(benchmark::kMillisecond);

} // namespace
