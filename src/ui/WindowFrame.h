#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// A top-level window's place kept between runs as the text "x y width height": x and y are the
// top-left corner of the window's frame (title bar included), width and height the size of its
// contents. Moving a window places its frame and resizing it sizes its contents, so a window put
// back from its own text lands exactly where it was, however tall the desktop's title bar is.
class WindowFrame
{
public:
    // The window's place in its normal (not maximised, not minimised) state.
    static QString text(const QWidget *window);
    // Puts the window where the text says, brought onto a screen when it would be out of reach.
    // A missing or damaged text, or one smaller than the least size, gives the default size
    // centred on the primary screen.
    static void restore(QWidget *window, const QString &text, const QSize &leastSize,
                        const QSize &defaultSize);
    // The frame as it may stay when its title bar shows on one of the screens' available areas;
    // otherwise centred on the area of the nearest screen (and shrunk where it is larger).
    static QRect reachable(const QRect &frame, const QList<QRect> &screens);

    // How much of the title bar must show for the window to be taken by the mouse.
    static constexpr int kTitleHeight = 24;
    static constexpr int kTitleWidth = 64;
    // Room left around a window placed by the program, for the frame the desktop adds.
    static constexpr int kRoom = 40;
};
