#include "io/ItemCheck.h"

#include "io/TagReading.h"

ItemTagLines ItemCheck::itemTagsOf(QStringView text, StopCheck *stop)
{
    return TagReading(text, {}, true, stop).takeItemTags();
}

int ItemCheck::firstLost(const ItemTagLines &tags, const std::vector<int> &items)
{
    if (qsizetype(items.size()) >= tags.size())
        return 0;
    // Each item the document holds stands where one of the tags ends, in order: the first tag
    // without its item is the one lost.
    std::size_t next = 0;
    ItemTagLines::Reader reader(tags);
    ItemTagLines::Lines tag;
    int first = 0;
    while (reader.next(&tag)) {
        if (first == 0)
            first = tag.start;
        while (next < items.size() && items[next] < tag.end)
            ++next;
        if (next < items.size() && items[next] == tag.end) {
            ++next;
            continue;
        }
        return tag.start;
    }
    return first;
}

QString ItemCheck::description()
{
    return QStringLiteral("An item starts on this line that the repairs would read as part of "
                          "another element: a value before it may be left open, or closed by a "
                          "misspelt end tag.");
}
