#pragma once

#include "xml/StartTagScanner.h"

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <optional>
#include <vector>

// The contents of CDATA sections taken out of a UTF-8 text before libxml2 reads it, and handed
// back in their order as the parser reports each section.
//
// libxml2 reads a CDATA section a character at a time, which makes the show notes of a podcast
// (content:encoded) the largest cost of parsing it. The text is handed on a piece at a time, each
// piece scanned first (StartTagScanner). Of a section that starts and ends in one piece and holds
// only characters XML allows, in UTF-8, the parser is given only the line breaks, so that it
// counts lines as before; the content is kept here, its line breaks made what the parser makes of
// them. Any other section (spanning two pieces, or holding something the parser refuses, which it
// then reports as it always does) is read by the parser as it stands.
class LiftedCData
{
public:
    // Whether a document's bytes are read as UTF-8 as they stand: led by an XML declaration
    // that names UTF-8 or no encoding.
    static bool appliesTo(QByteArrayView document);

    // When the pieces are views of bytes that outlive the parse, a content that needs no change
    // is handed back as a view of them instead of a copy.
    explicit LiftedCData(bool piecesOutliveTheParse) : m_borrows(piecesOutliveTheParse) { }

    // The piece as the parser is to read it, the contents of its whole sections (as the scanner
    // found them in it) kept here.
    QByteArray lift(QByteArrayView piece,
                    const std::vector<StartTagScanner::CDataSection> &sections);

    struct Content
    {
        QByteArrayView text;
        bool borrowed = false; // a view of the pieces' bytes, valid as long as they are
    };
    // The content of the section the parser has just read as `parsed`: the kept content, or
    // `parsed` itself for a section that was not lifted. Nothing when what the parser read is
    // not what is left of the next section lifted. A content not borrowed is valid until the
    // next call.
    std::optional<Content> take(QByteArrayView parsed);

private:
    struct Section
    {
        const char *borrowed = nullptr; // the content in the pieces' bytes, else in m_contents
        qsizetype length = -1; // of the content; -1: read by the parser as it is
        qsizetype parsedLength = 0; // what the parser reads of it
    };
    bool m_borrows;
    std::deque<Section> m_sections;
    QByteArray m_contents;
    qsizetype m_taken = 0; // of m_contents, handed back already
};
