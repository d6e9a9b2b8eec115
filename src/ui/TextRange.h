#pragma once

#include <QtGlobal>

// A run of characters in a control's text; location -1 stands for "not found".
struct TextRange
{
    qsizetype location = -1;
    qsizetype length = 0;

    static TextRange notFound() { return {}; }
    bool isNotFound() const { return location < 0; }
    friend bool operator==(const TextRange &, const TextRange &) = default;
};
