// Time in proportion to the file where "--" and comment openings pile up, at 1, 2 and 4 MB:
// - a well-formed feed whose channel holds an instruction whose text reads like a description
//   of many unclosed comments and one comment end, opened through the reader;
// - the same description outside the instruction, where every opening is stray text, repaired
//   (the repairs before parsing find the comments, and the value's parts, on their own);
// - a file that is not well-formed, one comment full of "--", refused by the reader's check.
// Beside them, libxml2 alone reads the well-formed feed into its own tree.
#include "io/VLXParseFeed.h"
#include "xml/vlxXMLDOM.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

namespace {

QByteArray feedAround(const QByteArray &inside)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
           "<title>T</title><link>https://e.org/</link>"
        + inside + "</channel></rss>\n";
}

QByteArray instructionOfCommentOpenings(qint64 bytes)
{
    const QByteArray opening = "<!-- --";
    return feedAround("<?note <description>" + opening.repeated(bytes / opening.size())
                      + "--></description>?>");
}

QByteArray descriptionOfCommentOpenings(qint64 bytes)
{
    const QByteArray opening = "<!-- --";
    return feedAround("<description>" + opening.repeated(bytes / opening.size())
                      + "--></description>");
}

QByteArray commentOfDoubleHyphens(qint64 bytes)
{
    const QByteArray words = "a -- ";
    return feedAround("<!-- " + words.repeated(bytes / words.size()) + "-->");
}

void BM_OpenFeedWithCommentOpeningsInAnInstruction(benchmark::State &state)
{
    const QByteArray bytes = instructionOfCommentOpenings(state.range(0) << 20);
    for (auto _ : state) {
        const QString text = VLXParseFeed::stringFromXMLData(bytes);
        VLXParseFeed parser;
        if (parser.isItAFeed(text) != VLXParseFeed::Success
            || parser.parseFeed(text, QString(), nullptr) != VLXParseFeed::Success) {
            state.SkipWithError("the feed did not open");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_OpenFeedWithCommentOpeningsInAnInstruction)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

void BM_Libxml2ReadsFeedWithCommentOpeningsInAnInstruction(benchmark::State &state)
{
    const QByteArray bytes = instructionOfCommentOpenings(state.range(0) << 20);
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_HUGE);
        if (!doc) {
            state.SkipWithError("libxml2 did not read the feed");
            return;
        }
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Libxml2ReadsFeedWithCommentOpeningsInAnInstruction)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

void BM_RepairDescriptionOfCommentOpenings(benchmark::State &state)
{
    const QString text
        = VLXParseFeed::stringFromXMLData(descriptionOfCommentOpenings(state.range(0) << 20));
    for (auto _ : state) {
        QStringList messages;
        if (VLXParseFeed::repairText(text, &messages).size() <= text.size()) {
            state.SkipWithError("the description was not repaired");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_RepairDescriptionOfCommentOpenings)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

void BM_RefuseCommentOfDoubleHyphens(benchmark::State &state)
{
    const QByteArray bytes = commentOfDoubleHyphens(state.range(0) << 20);
    for (auto _ : state) {
        const QString text = VLXParseFeed::stringFromXMLData(bytes);
        VLXParseFeed parser;
        const bool refused = parser.isItAFeed(text) == VLXParseFeed::NotAFeed
            && parser.errorDictionary()
                   .value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey))
                   .toString()
                   .startsWith(QLatin1String("Double hyphen within comment"));
        if (!refused) {
            state.SkipWithError("the file was not refused for its comment");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_RefuseCommentOfDoubleHyphens)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond);

} // namespace
