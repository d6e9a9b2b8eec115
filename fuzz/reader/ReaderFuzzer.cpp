// Any byte sequence must come out of the reader as a status: decoding, the feed check and the
// full read (with its repairs) run on every input, and the channel-only read as well.
//
// For coverage inside the library, instrument all of it, not only this file:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVLX_BUILD_FUZZ=ON \
//     -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined \
//     -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
//   cmake --build build-fuzz --target fuzz_reader
//   build-fuzz/fuzz/reader/fuzz_reader -max_len=16384 -timeout=20 -dict=fuzz/feeds.dict \
//     work-corpus fuzz/reader/corpus tests/data/feeds

#include "io/VLXParseFeed.h"
#include "platform/AlertService.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdint>
#include <cstdlib>

namespace {

class QuietAlerts : public AlertService
{
public:
    int runAlert(const Alert &) override { return kDefault; }
};

void setUp()
{
    static int argc = 1;
    static char name[] = "fuzz_reader";
    static char *argv[] = { name, nullptr };
    QStandardPaths::setTestModeEnabled(true);
    static QCoreApplication app(argc, argv);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

void check(int status)
{
    if (status != 0 && status != 2 && status != 3 && status != 4)
        std::abort();
}

// The text with every CDATA section (up to its first "]]>", or to the end when unclosed) put
// as one mark: blanks inside a section are the text's own and the repairs leave them, and the
// mark keeps a "<" and a blank on either side of a section from reading as "< ".
QString outsideCdata(const QString &text)
{
    QString out;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(u"<![CDATA[", from, Qt::CaseInsensitive);
        out += QStringView(text).sliced(from, (open < 0 ? text.size() : open) - from);
        if (open < 0)
            break;
        out += u'#';
        const qsizetype close = text.indexOf(u"]]>", open);
        from = close < 0 ? text.size() : close + 3;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = (setUp(), true);
    (void)ready;
    const QString text = VLXParseFeed::stringFromXMLData(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    VLXParseFeed parser;
    check(parser.isItAFeed(text));
    check(parser.parseFeed(text, QStringLiteral("fuzz"), nullptr));
    check(parser.parseFeedChannelOnly(text));
    VLXParseFeed::getFeedTypeAndVersion(text);

    // The repairs skip their work when a single sweep finds nothing to do; that sweep must never
    // miss a change one of the steps would make.
    QStringList messages;
    const QString repaired = VLXParseFeed::repairText(text, &messages);
    if (repaired.constData() == text.constData()) {
        const QString outside = outsideCdata(text);
        if (text.contains(u"&amp;apos;") || outside.contains(u"< ") || outside.contains(u" >")
            || text.contains(u"</xml>"))
            std::abort();
        for (const char *tag : { "title", "description", "dc:title", "dc:description",
                                 "content:encoded" }) {
            bool changed = false;
            VLXParseFeed::fixEntityEncodingText(text, QString::fromLatin1(tag), &changed);
            if (changed)
                std::abort();
        }
    }
    return 0;
}
