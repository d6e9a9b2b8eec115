#pragma once

class QGroupBox;
class QWidget;

// Moves a pane that was laid out elsewhere into the widget that shows it. The two scrolling forms
// wrap the pane in a vertically scrolling area, so a pane taller than its host scrolls; the box
// form moves it without scrolling. Moved widgets keep their names, connections and state.
//
// A pane with a layout moves with its layout (it then sizes itself); a pane of absolutely placed
// widgets keeps their geometry and gets a scrollable depth of its lowest edge plus 18 pixels.
class ViewEmbedding
{
public:
    // Returns the widget that now holds the pane.
    static QWidget *moveObjectsFrom(QWidget *source, QWidget *destination);
    static QWidget *moveObjectsFromToBox(QWidget *source, QGroupBox *destination);
    static QWidget *moveObjectsFromBoxToBox(QGroupBox *source, QGroupBox *destination);

    static constexpr int kBottomMargin = 18;
};
