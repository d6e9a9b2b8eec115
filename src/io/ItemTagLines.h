#pragma once

#include <QtGlobal>

#include <vector>

// The lines of a text's start tags of items and entries, in the text's order. A text may hold
// millions of them, on a few lines: each tag is kept as the distance from the tag before it, a
// byte or two, so that the record stays a small part of the text's own size.
class ItemTagLines
{
public:
    struct Lines
    {
        int start = 1; // of the tag's "<"
        int end = 1; // of its ">", where the parser places the element
    };

    // Adds a tag after those added before it.
    void add(Lines lines);
    qsizetype size() const { return m_count; }

    // The tags in order, read once.
    class Reader
    {
    public:
        explicit Reader(const ItemTagLines &tags) : m_tags(tags) { }
        bool next(Lines *lines);

    private:
        int number();

        const ItemTagLines &m_tags;
        std::size_t m_at = 0;
        Lines m_last;
    };

private:
    void write(int number);

    std::vector<quint8> m_bytes;
    qsizetype m_count = 0;
    Lines m_last;
};
