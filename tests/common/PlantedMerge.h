#pragma once

#include "io/VLXParseFeed.h"

#include <QString>

// A faulty rule planted in the repairs made before parsing for as long as this lives: it escapes
// the title "One & more" as far as the next end tag of its name, as a reading that takes a value
// left open to run to its name's next end would, and so takes the items between into the title.
// The check behind the repairs must refuse what it makes.
struct PlantedMerge
{
    PlantedMerge()
    {
        VLXParseFeed::plantRule([](const QString &repaired) {
            const qsizetype start = repaired.indexOf(u"<title>One") + 7;
            const qsizetype end = repaired.indexOf(u"</title>", start);
            if (start < 7 || end < 0)
                return repaired;
            QString merged = repaired;
            return merged.replace(start, end - start,
                                  VLXParseFeed::encodeIllegalXMLCharacters(
                                      repaired.sliced(start, end - start)));
        });
    }
    ~PlantedMerge() { VLXParseFeed::plantRule(nullptr); }
    PlantedMerge(const PlantedMerge &) = delete;
    PlantedMerge &operator=(const PlantedMerge &) = delete;
};
