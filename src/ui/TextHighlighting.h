#pragma once

#include "ui/TextRange.h"
#include "ui/VLXComboBox.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QString>

// The highlight operations of find and replace on whichever text control of the kit a widget is
// (the three share them but no base class). A widget that is none of them has no highlight:
// its highlighted string is null and its range not found.
namespace TextHighlighting {

template<typename Operation> auto onTextControl(QWidget *control, Operation operation)
{
    using Result = decltype(operation(static_cast<VLXTextField *>(nullptr)));
    if (auto *field = qobject_cast<VLXTextField *>(control))
        return operation(field);
    if (auto *view = qobject_cast<VLXTextView *>(control))
        return operation(view);
    if (auto *combo = qobject_cast<VLXComboBox *>(control))
        return operation(combo);
    return Result();
}

inline QString highlightedString(QWidget *control)
{
    return onTextControl(control, [](auto *c) { return c->highlightedString(); });
}

inline TextRange highlightRange(QWidget *control)
{
    return onTextControl(control, [](auto *c) { return c->hightlightRange(); });
}

inline void setHighlightRange(QWidget *control, TextRange range)
{
    onTextControl(control, [range](auto *c) {
        c->setHighlightRange(range);
        return 0;
    });
}

inline void replaceHighlighted(QWidget *control, const QString &text)
{
    onTextControl(control, [&text](auto *c) {
        c->replaceHighlightedWithString(text);
        return 0;
    });
}

} // namespace TextHighlighting
