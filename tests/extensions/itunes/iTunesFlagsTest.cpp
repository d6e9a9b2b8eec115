#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "iTunesTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int kLogged = 9; // read as 0, with a warning naming the text

// The value and the log an element gives an extension of the class.
template<class Extension>
std::pair<int, QStringList> read(const QString &element, const QString &text)
{
    Extension extension;
    readElements(extension, QStringLiteral("itunes"),
                 QStringLiteral("<itunes:%1>%2</itunes:%1>").arg(element, text));
    return {element == u"block" ? extension.block() : extension.explicitValue(),
            extension.listOfErrors(true, true, true)};
}

} // namespace

TEST(iTunesFlags, WordsAreReadInAnyCaseOnTheChannelAndTheItem)
{
    // Text, explicit, block.
    const std::tuple<const char *, int, int> rows[] = {
        {"yes", 1, 1},
        {" Yes ", 1, 1},
        {"TRUE", 1, 1},
        {"Explicit", 1, kLogged},
        {"clean", -1, kLogged},
        {"CLEAN", -1, kLogged},
        {"no", 0, 0},
        {"False", 0, 0},
        {"", 0, 0},
        {"maybe", kLogged, kLogged},
    };
    for (const auto &[text, explicitValue, block] : rows) {
        for (const auto &[element, value] :
             {std::pair {"explicit", explicitValue}, {"block", block}}) {
            SCOPED_TRACE(std::string(element) + ": " + text);
            const std::pair<int, QStringList> expected {
                value == kLogged ? 0 : value,
                value == kLogged
                    ? QStringList {QStringLiteral(
                                       "Validate Warning::\"%1\" is not understood as a value of "
                                       "itunes:%2; it was read as \"no\"")
                                       .arg(QLatin1String(text), element)}
                    : QStringList()};
            EXPECT_EQ(read<iTunesChannel>(element, text), expected);
            EXPECT_EQ(read<iTunesItem>(element, text), expected);
        }
    }
}

TEST(iTunesFlags, ARepeatedExplicitKeepsTheFirstAndWritesTheRestAfterIt)
{
    iTunesItem item;
    readElements(item, QStringLiteral("itunes"),
                 QStringLiteral("<itunes:explicit>no</itunes:explicit><itunes:author>A"
                                "</itunes:author><itunes:explicit>true</itunes:explicit>"
                                "<itunes:block>yes</itunes:block><itunes:block>no</itunes:block>"));
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<itunes:author>A</itunes:author>\n<itunes:block>yes</itunes:block>\n"
                             "<itunes:explicit>no</itunes:explicit>\n"
                             "<itunes:explicit>true</itunes:explicit>\n"
                             "<itunes:block>no</itunes:block>\n"));
}
