#pragma once

#include "io/ItemTagLines.h"

#include <QString>
#include <QStringView>

#include <vector>

class StopCheck;

// The check behind the repairs made before parsing: whatever a rule decides, no item may be
// taken into another element. A repaired text that parses is refused when its document holds
// fewer elements named item or entry (at any depth, in any namespace) than the text as written
// holds start tags the parser reads as such (TagReading::takeItemTags: outside comments, CDATA
// sections and instructions, written, or spaced where a tool would write one). Elements, not the
// feed's items: an item inside an extension, or an entry inside another's history, counts on
// both sides, and a tag counts only where the parser would name its element an item, so a text
// whose repaired form is well-formed never fails it.
class ItemCheck
{
public:
    ItemCheck() = delete;

    // The item tags of a text, read on their own (TagReading::takeItemTags).
    static ItemTagLines itemTagsOf(QStringView text, StopCheck *stop = nullptr);

    // 0 when the document's items (vlxXMLDOM::linesOfItems) are at least as many as the text's
    // item tags; else the line of the first tag that did not become an item.
    static int firstLost(const ItemTagLines &tags, const std::vector<int> &items);

    // What a refusal for a lost item says, for the line firstLost names.
    static QString description();
};
