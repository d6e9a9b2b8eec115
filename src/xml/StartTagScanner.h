#pragma once

#include <QByteArrayView>

#include <vector>

// Counts the attributes of every start tag in XML text before the parser sees it.
//
// libxml2 compares each attribute of a start tag with every one before it (and every attribute
// default of the DTD with every attribute), so one tag with a million attributes takes minutes,
// and it only reports the tag once it has read it whole. The scanner looks at the raw text in
// one pass, a piece at a time as it is handed on: a start tag's attributes are its quoted
// values; comments, CDATA sections, processing instructions, end tags and the document type
// declaration with its internal subset are passed over. Text that is not well-formed may be
// counted wrongly, but then the parser refuses it anyway.
class StartTagScanner
{
public:
    // Far more than any feed element carries, and few enough that libxml2's checks of one tag
    // stay cheap: a document of such tags reads in a few times the time of an ordinary one.
    static constexpr int kMaximumAttributes = 1024;

    explicit StartTagScanner(int maximumAttributes = kMaximumAttributes);

    // Scans the next piece of text in UTF-8 (or any encoding that keeps ASCII as it is). Answers
    // false once a start tag has had more attributes than allowed.
    bool scan(QByteArrayView text);
    // The same for text in 16- or 32-bit units of the given byte order (UTF-16, UTF-32).
    bool scanUnits(QByteArrayView data, int unitSize, bool bigEndian);
    // The width in bytes of the text's units judged from its first bytes, as XML detects its
    // encoding: 2 or 4 for UTF-16 and UTF-32 (*bigEndian set), else 1.
    static int unitSizeOf(QByteArrayView data, bool *bigEndian);

    // A CDATA section that ends in the piece scanned last: where its content starts and ends
    // (before the "]]>") in that piece, and whether it started in that piece too (start is -1
    // for one that started earlier).
    struct CDataSection
    {
        qsizetype start;
        qsizetype end;
    };
    // Each scan() from now on fills sections (emptied first) with the CDATA sections that end in
    // its piece, in order; nullptr stops the recording.
    void recordCDataSections(std::vector<CDataSection> *sections) { m_sections = sections; }

    bool exceeded() const { return m_exceeded; }
    // Where the start tag that had too many attributes begins: its "<", counted in bytes (or
    // units) from the start of all that was scanned. Lines are not counted while scanning,
    // which would cost a third of the scan; the caller, who has the text, counts them.
    qint64 tagStart() const { return m_tagStart; }
    int maximumAttributes() const { return m_maximum; }

private:
    enum class State : quint8 {
        Text,
        Open,        // after "<"
        Bang,        // after "<!": a comment, a CDATA section or a declaration
        Comment,     // until "-->"
        CData,       // until "]]>"
        Instruction, // until "?>"
        EndTag,      // until ">"
        StartTag,    // quoted values counted until ">"
        Declaration, // a declaration, quotes respected; "[" opens the internal subset
        Subset,      // inside the internal subset, between its declarations
    };

    void step(char c);
    void leaveMarkup();

    int m_maximum;
    bool m_exceeded = false;
    State m_state = State::Text;
    bool m_inSubset = false;
    char m_quote = 0;
    int m_run = 0; // consecutive "-", "]" or "?" before a possible end of markup
    char m_bang[8] = {};
    int m_bangLength = 0;
    int m_attributes = 0;
    qint64 m_scanned = 0;  // bytes (units) of the pieces before the current one
    qint64 m_position = 0; // of the character being stepped
    qint64 m_tagStart = 0;
    std::vector<CDataSection> *m_sections = nullptr;
    qint64 m_cdataStart = -1; // of the open section's content, from the start of all scanned
};
