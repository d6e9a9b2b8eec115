#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the XML source window is asked to show: the text to edit, the original text shown
// read-only beside it (none: the window has no original tab), whether the text is a fragment
// (several elements or plain text, checked inside a wrapper root) and the namespace prefixes
// whose tags are coloured.
struct XMLSourceRequest
{
    std::optional<QString> original;
    QString current;
    bool fragment = false;
    QStringList usedExtensions;

    // A text that did not read as a feed, offered for mending: it is the original and the text.
    static XMLSourceRequest mending(const QString &text) { return {text, text, false, {}}; }
    // A raw XML fragment of a namespace, with no original.
    static XMLSourceRequest fragmentOf(const QString &text, const QStringList &usedExtensions)
    {
        return {std::nullopt, text, true, usedExtensions};
    }
};
