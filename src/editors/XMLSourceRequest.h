#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the XML source window is asked to show: the text to edit, the original text shown
// read-only beside it (none: the window has no original tab), whether the text is a fragment
// (several elements or plain text, checked inside a wrapper root), the namespace prefixes
// whose tags are coloured, and, for a text that was refused, why (shown in the message list
// while the window is open, under the label of its kind), and the line shown first, selected
// (0: the start).
struct XMLSourceRequest
{
    std::optional<QString> original;
    QString current;
    bool fragment = false;
    QStringList usedExtensions;
    QString refusal;
    int line = 0;
    QString refusalKind {};

    // A text that did not read as a feed, offered for mending: it is the original and the text.
    static XMLSourceRequest mending(const QString &text, const QString &refusal = {}, int line = 0,
                                    const QString &kind = {})
    {
        return {text, text, false, {}, refusal, line, kind};
    }
    // A raw XML fragment of a namespace, with no original.
    static XMLSourceRequest fragmentOf(const QString &text, const QStringList &usedExtensions)
    {
        return {std::nullopt, text, true, usedExtensions, {}, 0, {}};
    }
};
