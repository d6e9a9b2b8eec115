#include "io/ItemCheck.h"

#include "io/FeedTextScan.h"

std::vector<ItemCheck::TagLines> ItemCheck::linesOf(QStringView text,
                                                    const std::vector<TagReading::Span> &tags)
{
    // The "<" and ">" of the tags stand in order, one tag after another.
    std::vector<qsizetype> positions;
    positions.reserve(tags.size() * 2);
    for (const TagReading::Span &tag : tags) {
        positions.push_back(tag.lt);
        positions.push_back(tag.end);
    }
    const std::vector<int> lines = FeedTextScan::linesOf(
        reinterpret_cast<const char16_t *>(text.utf16()), text.size(), positions);
    std::vector<TagLines> out(tags.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = {lines[2 * i], lines[2 * i + 1]};
    return out;
}

std::vector<ItemCheck::TagLines> ItemCheck::itemTagsOf(QStringView text, StopCheck *stop)
{
    return linesOf(text, TagReading(text, {}, true, stop).itemTags());
}

int ItemCheck::firstLost(const std::vector<TagLines> &tags, const std::vector<int> &items)
{
    if (items.size() >= tags.size())
        return 0;
    // Each item the document holds stands where one of the tags ends, in order: the first tag
    // without its item is the one lost.
    std::size_t next = 0;
    for (const TagLines &tag : tags) {
        while (next < items.size() && items[next] < tag.end)
            ++next;
        if (next < items.size() && items[next] == tag.end) {
            ++next;
            continue;
        }
        return tag.start;
    }
    return tags.front().start;
}

QString ItemCheck::description()
{
    return QStringLiteral("An item starts on this line that the repairs would read as part of "
                          "another element: a value before it may be left open, or closed by a "
                          "misspelt end tag.");
}
