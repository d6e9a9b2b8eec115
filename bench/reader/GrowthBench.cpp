// How the time to open a hostile file grows with its size, at 1, 2 and 4 MB (the shapes of the
// tag walk's turns from 1 to 32 MB): it must grow in proportion (at most some 2.2 to 2.3 times
// per doubling), whatever the text holds. Each shape runs on
// the window's paths: the file's bytes (parsed as they are when nothing needs repair), its text,
// and the repairs made before the text is read; libxml2 alone reads the same bytes beside them.
// Compare the times of one shape and path across the three sizes (and the BigO line Google
// Benchmark fits to them).
//
// The shapes put runs of the openings the scans before parsing look for where XML reads none of
// them as markup (inside a comment that holds "--", which XML reads as no comment, inside an
// instruction whose target is no name, before the root), many closed comments and many
// unclosed "<?x " in a description the repairs walk, runs of tags that match nothing, spaced
// end tags a written end follows, end tags values did not open, and the turns of the walk of
// the tags: spaced end tags whose names or depths take turns, a new name at every tag, values
// left open inside values, start tags a value opened followed by end tags it did not, and
// spaced empty tags after a run of values left open.
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>

#include <functional>
#include <string>
#include <vector>

namespace {

QByteArray feed(const QByteArray &beforeRoot, const QByteArray &inChannel)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + beforeRoot
        + "<rss version=\"2.0\"><channel><title>T</title><link>https://e.org/</link>"
          "<item><title>One</title></item>"
        + inChannel + "</channel></rss>\n";
}

QByteArray runOf(const QByteArray &piece, qint64 bytes)
{
    return piece.repeated(bytes / piece.size());
}

struct Shape
{
    std::string name;
    std::function<QByteArray(qint64 bytes)> make;
    int largestMB = 4;
};

std::vector<Shape> shapes()
{
    std::vector<Shape> all;
    const std::pair<const char *, QByteArray> openings[] = {
        {"DocumentTypes", "<!DOCTYPE x [ "},
        {"CommentOpenings", "<!-- "},
        {"InstructionOpenings", "<? "},
        {"SectionOpenings", "<![CDATA[ "},
    };
    for (const auto &[name, opening] : openings) {
        all.push_back({std::string(name) + "InABogusComment", [opening](qint64 bytes) {
                           return feed("<!-- -- " + runOf(opening, bytes) + " -->\n", {});
                       }});
        all.push_back({std::string(name) + "InABogusInstruction", [opening](qint64 bytes) {
                           return feed("<?1x " + runOf(opening, bytes) + " ?>\n", {});
                       }});
        all.push_back({std::string(name) + "BeforeTheRoot",
                       [opening](qint64 bytes) { return feed(runOf(opening, bytes), {}); }});
    }
    // A stray "&" makes the description one to repair.
    all.push_back({"ClosedCommentsInADescription", [](qint64 bytes) {
                       return feed({},
                                   "<item><description>" + runOf("<!-- c --> & ", bytes)
                                       + "</description></item>");
                   }});
    all.push_back({"UnclosedInstructionsInADescription", [](qint64 bytes) {
                       return feed({},
                                   "<item><description>" + runOf("<?x ", bytes)
                                       + "</description></item>");
                   }});
    // The walks of the tags that tell a value's end and a spaced tag's: start tags that never
    // close, then end tags that match none of them, in a description and in the channel, and
    // spaced start tags under a written one followed by spaced end tags of it.
    all.push_back({"UnmatchedEndTagsInADescription", [](qint64 bytes) {
                       return feed({},
                                   "<item><description>& " + runOf("<a>", bytes / 2)
                                       + runOf("</b>", bytes / 2) + "</description></item>");
                   }});
    all.push_back({"UnmatchedEndTagsInTheChannel", [](qint64 bytes) {
                       return feed({},
                                   "<x>" + runOf("< a>", bytes / 2) + "<b>"
                                       + runOf("</c>", bytes / 2) + "</x>");
                   }});
    // Fewer spaced start tags than the walk keeps open at most (it gives up past that).
    all.push_back({"SpacedEndTagsUnderSpacedStarts", [](qint64 bytes) {
                       return feed({},
                                   "<b><x>" + runOf("< a>", 200000) + runOf("< /b>", bytes - 200000)
                                       + "</x></b>");
                   }});
    // Spaced end tags of an element whose written end follows them: each is the author's text,
    // which the tags after it tell, read once for all of them.
    all.push_back({"SpacedEndTagsBeforeAWrittenEnd",
                   [](qint64 bytes) { return feed({}, "<x>" + runOf("a< /x>", bytes) + "</x>"); }});
    all.push_back({"SpacedOwnEndTagsInATitle", [](qint64 bytes) {
                       return feed(
                           {}, "<item><title>" + runOf("a < /title>", bytes) + "</title></item>");
                   }});
    // End tags a description did not open, in one description and in many: each is asked of
    // the elements open around the value, followed once through the text.
    all.push_back({"StrayEndTagsInADescription", [](qint64 bytes) {
                       return feed({},
                                   "<item><description>& " + runOf("</i>", bytes)
                                       + "</description></item>");
                   }});
    all.push_back({"StrayEndTagsInManyDescriptions", [](qint64 bytes) {
                       return feed(
                           {}, runOf("<item><description>a & b</i> c</description></item>", bytes));
                   }});
    // Spaced end tags whose questions differ from one to the next: each is answered from the
    // index of the tags after it, not by reading them again.
    all.push_back({"SpacedEndTagsTakingTurns",
                   [](qint64 bytes) {
                       return feed({}, "<item>" + runOf("<a>1< /a><b>2< /b>", bytes) + "</item>");
                   },
                   32});
    all.push_back({"SpacedEndTagsOfANewNameEachTime",
                   [](qint64 bytes) {
                       QByteArray run;
                       run.reserve(bytes + 32);
                       for (qint64 k = 0; run.size() < bytes; ++k)
                           run += "<n" + QByteArray::number(k) + ">1< /n" + QByteArray::number(k)
                               + ">";
                       return feed({}, "<item>" + run + "</item>");
                   },
                   32});
    all.push_back({"SpacedEndTagsOfThreeNamesAtTwoDepths",
                   [](qint64 bytes) {
                       return feed({},
                                   "<item>"
                                       + runOf("<a><b>1< /b>< /a><c><b>2< /b>< /c><b><a>3< /a>"
                                               "< /b>",
                                               bytes)
                                       + "</item>");
                   },
                   32});
    all.push_back(
        {"SpacedTitlesAndDescriptionsTakingTurns",
         [](qint64 bytes) {
             return feed({},
                         "< item>"
                             + runOf("< title>a & b< /title>< description>c< /description>", bytes)
                             + "< /item>");
         },
         32});
    all.push_back({"StartTagsThenStrayEndTagsInADescription",
                   [](qint64 bytes) {
                       return feed({},
                                   "<item><description>& " + runOf("<b>", 60000 * 3)
                                       + runOf("</i>", bytes) + "</description></item>");
                   },
                   32});
    all.push_back({"ValuesLeftOpenInValues",
                   [](qint64 bytes) {
                       return feed({},
                                   "<item><title>\n<description>\n<dc:title>\n"
                                   "<dc:description>\n<content:encoded>"
                                       + runOf("<b>x</b> & ", bytes) + "</content:encoded></item>");
                   },
                   32});
    all.push_back({"SpacedTitlesLeftOpenInATitle",
                   [](qint64 bytes) {
                       return feed({}, "< item>" + runOf("\n< title>x &", bytes) + "\n< /item>");
                   },
                   32});
    // Values left open one inside another (fewer than the walk keeps open at most), then spaced
    // empty tags: each empty tag belongs to the element around the run of values, found at
    // once however long the run.
    all.push_back({"TitlesLeftOpenThenSpacedEmptyTags",
                   [](qint64 bytes) {
                       const QByteArray titles = runOf("<title>", 60000 * 7);
                       return feed({},
                                   "<item>" + titles + runOf("< e/>", bytes - titles.size())
                                       + "</item>");
                   },
                   32});
    all.push_back({"SpacedTitlesLeftOpenThenSpacedEnclosures",
                   [](qint64 bytes) {
                       const QByteArray titles = runOf("\n< title>x &", 60000 * 12);
                       return feed({},
                                   "< item>" + titles
                                       + runOf("\n< enclosure url=\"x\"/>", bytes - titles.size())
                                       + "\n< /item>");
                   },
                   32});
    return all;
}

void openBytes(benchmark::State &state, const QByteArray &bytes, bool keepText)
{
    for (auto _ : state) {
        FeedLoader::Request request;
        request.bytes = bytes;
        request.keepText = keepText;
        request.validate = false;
        FeedLoader loader(std::move(request));
        if (loader.run().outcome == FeedLoader::Outcome::Stopped) {
            state.SkipWithError("the load stopped");
            return;
        }
    }
}

void repairAndRead(benchmark::State &state, const QByteArray &bytes)
{
    const QString text = VLXParseFeed::stringFromXMLData(bytes);
    for (auto _ : state) {
        VLXParseFeed reader;
        if (reader.parseFeed(text, QString(), nullptr) == VLXParseFeed::Stopped) {
            state.SkipWithError("the read stopped");
            return;
        }
    }
}

// The repairs made before parsing alone: libxml2's dictionary of names grows slower than its
// names once they are in the hundreds of thousands, so a shape of a new name at every tag is
// judged on this path.
void repairsAlone(benchmark::State &state, const QByteArray &bytes)
{
    const QString text = VLXParseFeed::stringFromXMLData(bytes);
    for (auto _ : state) {
        QStringList messages;
        benchmark::DoNotOptimize(VLXParseFeed::repairText(text, &messages));
    }
}

void libxml2Reads(benchmark::State &state, const QByteArray &bytes)
{
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_HUGE
                                          | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        xmlFreeDoc(doc);
    }
}

// glibc raises the size from which it maps a block of its own to the largest mapped block freed,
// so that a large block comes from fresh pages at one size and from the heap at the next: a
// jump in time at one doubling, from what ran before, that is none of the program's work. A
// fixed threshold maps every large block alike at every size.
void fixMappingThreshold()
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

[[maybe_unused]] const bool registered = [] {
    using Path = std::function<void(benchmark::State &, const QByteArray &)>;
    const std::pair<const char *, Path> paths[] = {
        {"Bytes", [](benchmark::State &s, const QByteArray &b) { openBytes(s, b, false); }},
        {"Text", [](benchmark::State &s, const QByteArray &b) { openBytes(s, b, true); }},
        {"Repaired", repairAndRead},
        {"Repairs", repairsAlone},
        {"Libxml2", libxml2Reads},
    };
    for (const Shape &shape : shapes()) {
        for (const auto &[pathName, path] : paths) {
            benchmark::RegisterBenchmark(("BM_Growth/" + shape.name + "/" + pathName).c_str(),
                                         [make = shape.make, path = path](benchmark::State &state) {
                                             fixMappingThreshold();
                                             const QByteArray bytes = make(state.range(0) << 20);
                                             path(state, bytes);
                                             state.SetBytesProcessed(state.iterations()
                                                                     * bytes.size());
                                             state.SetComplexityN(state.range(0));
                                         })
                ->RangeMultiplier(2)
                ->Range(1, shape.largestMB)
                ->ArgName("MB")
                ->Complexity(benchmark::oN)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

} // namespace
