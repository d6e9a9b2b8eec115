#pragma once

#include <QtGlobal>

#include <vector>

// The lines of a text's start tags of items and entries, in the text's order: of each tag's "<",
// and of its ">" (where the parser places the element). A text may hold millions of them, on a
// few lines: each tag is kept as the distance from the tag before it, a byte where that is short,
// so that the record stays a small part of the text's own size.
class ItemTagLines
{
public:
    struct Lines
    {
        int start = 0;
        int end = 0;
    };

    // Adds a tag after those added before it (its start no earlier than their end).
    void add(Lines lines);
    qsizetype size() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }

    // The tags in order, read once.
    class Reader
    {
    public:
        explicit Reader(const ItemTagLines &tags) : m_tags(tags) { }
        bool next(Lines *lines);

    private:
        quint64 number();

        const ItemTagLines &m_tags;
        std::size_t m_at = 0;
        int m_lastEnd = 1;
    };

private:
    void write(quint64 number);

    std::vector<quint8> m_bytes;
    qsizetype m_count = 0;
    int m_lastEnd = 1;
};
