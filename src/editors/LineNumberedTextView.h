#pragma once

#include "ui/VLXTextView.h"

class MNLineNumberingRulerView;

// A text view of the kit that can carry a line-number ruler in its left margin. It opens up
// the geometry of its visible blocks, which the ruler needs to draw beside them.
class LineNumberedTextView : public VLXTextView
{
    Q_OBJECT
public:
    explicit LineNumberedTextView(QWidget *parent = nullptr);

    // The ruler, made on the first call.
    MNLineNumberingRulerView *addVerticalRuler();
    MNLineNumberingRulerView *verticalRuler() const { return m_ruler; }

    using QPlainTextEdit::firstVisibleBlock;
    // Where the block lies in viewport coordinates (meaningful for blocks on screen).
    QRectF blockGeometry(const QTextBlock &block) const;
    // The block's height, laying it out when it has not been.
    qreal blockHeight(const QTextBlock &block) const;
    // Reserves the room the ruler takes.
    void setRulerThickness(int thickness);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeRuler();

    MNLineNumberingRulerView *m_ruler = nullptr;
    int m_rulerThickness = 0;
};
