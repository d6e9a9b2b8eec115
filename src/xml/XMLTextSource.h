#pragma once

#include "xml/LiftedCData.h"
#include "xml/StartTagScanner.h"
#include "xml/vlxXMLDOM.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <optional>
#include <vector>

// The parser's input when it reads a text: the rewritten prolog, then the rest of the text
// encoded to UTF-8 one slice at a time, counting the bytes against the size limit. Bytes read
// as they are go a slice at a time too, without a prolog of their own.
struct XMLTextSource
{
    static constexpr qsizetype kSliceUnits = 32768;
    static constexpr qsizetype kSliceBytes = 65536;

    QByteArray pending;
    qsizetype pendingAt = 0;
    QStringView rest;
    qint64 limit = 0;
    qint64 delivered = 0;
    bool tooLarge = false;
    const vlxXMLDOM::Progress *progress = nullptr;
    bool stopped = false;
    StartTagScanner scanner;
    bool pendingScanned = false;
    // What is needed to name the line of a byte the scanner points at: the rewritten prolog's
    // size (it holds no line break of its own) and the text after it.
    qsizetype prologBytes = 0;
    QStringView body;
    // Bytes read as they are: what is left of them, and all of them.
    bool fromBytes = false;
    // For UTF-8 bytes: the CDATA sections lifted out of each piece before the parser reads it.
    std::optional<LiftedCData> lifted;
    std::vector<StartTagScanner::CDataSection> sections;
    QByteArray bytes; // the bytes themselves, when the tree is to keep them
    QByteArrayView restBytes;
    QByteArrayView bodyBytes;
    // Whether the bytes not yet handed on may still hold a section's end ("]]>").
    bool sectionEndsLeft = true;

    // The line of a byte the scanner points at, from 1.
    qint64 lineAt(qint64 byteOffset) const;
    // The length of the next slice of restBytes, at least `size`, that does not cut a CDATA section
    // in two: a section within one slice is lifted out of the parse whatever its length, while the
    // parser reads a cut one itself and refuses it beyond its limit for a text (10 MB), which
    // older files with long show notes in one section hold. A section without an end is cut.
    qsizetype wholeCDataSlice(qsizetype size);
    // libxml2's read callback: the next bytes for the parser; 0 at the end, -1 on a failure.
    static int read(void *context, char *buffer, int length);
};
