#pragma once

#include <QByteArray>
#include <QString>

// Checks property-list bytes before libplist reads them.
//
// libplist parses recursively and copies every reference of a binary list, so a small hostile
// file can exhaust the stack (a hundred thousand nested arrays) or memory (objects that refer to
// the same child twice per level expand to millions of nodes). The guard measures what the
// parsed value would be without building it: the nesting depth, the number of values and the
// bytes of text and data they hold once every shared reference is expanded. A binary list is
// walked through its own offset table, each object measured once; an XML list is scanned for
// its tags. It also refuses what libplist cannot survive: a string holding a NUL character, a
// reference to an object that is still being read (a cycle), offsets outside the file.
class PropertyListGuard
{
public:
    struct Limits
    {
        int maxDepth = 256;
        qint64 maxObjects = 1000000;
        qint64 maxExpandedBytes = qint64(64) * 1024 * 1024;
    };

    // True when the bytes are safe for libplist within the limits; otherwise *problem says why
    // (for a log line, e.g. "it nests deeper than 256 levels").
    static bool check(const QByteArray &bytes, const Limits &limits, QString *problem = nullptr);
};
