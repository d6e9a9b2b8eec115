#pragma once

#include <QString>

class FeedElement;
class FieldExtensionBase;
class vlxXMLNode;

// What the text of an itunes:explicit or itunes:block element says. Feeds spell these words in
// many ways ("yes", "Yes", "true", "explicit"), so each is read trimmed and in any letter case.
// A text that is none of the words reads as "no", with a warning on the log that names it; a
// blank text says nothing and reads as "no" silently.
class iTunesFlagWords
{
public:
    iTunesFlagWords() = delete;

    // 1 for "yes", "true" or "explicit"; -1 for "clean"; 0 for "no", "false" and anything else.
    static int readExplicit(const QString &text, FeedElement &log);
    // 1 for "yes" or "true"; 0 for "no", "false" and anything else.
    static int readBlock(const QString &text, FeedElement &log);

    // Reads an element into the object's explicit or block field. The first explicit read
    // stands, whatever it says (explicitRead remembers it was read): a repeat is kept beside it
    // and written after it, as the object keeps every element it does not hold. A block is
    // written only when it says "yes", so only a block held makes a later one a repeat.
    static void readExplicitElement(FieldExtensionBase &object, int field, bool &explicitRead,
                                    const vlxXMLNode *node);
    static void readBlockElement(FieldExtensionBase &object, int field, const vlxXMLNode *node);
};
