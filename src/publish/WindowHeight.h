#pragma once

#include <functional>

class QWidget;

// Folding a part of a dialog away (or showing it) changes the window's height by what the part
// needed, keeping the top edge where it is and the width (and any size the user chose) as it is;
// the window stays within the screen (its contents must be able to scroll).
class WindowHeight
{
public:
    // Runs the change (which shows or hides widgets of the window's layout) and grows or
    // shrinks the window by the difference it made to the layout's preferred height.
    static void changeKeepingTop(QWidget *window, const std::function<void()> &change);
};
