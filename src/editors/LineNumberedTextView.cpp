#include "editors/LineNumberedTextView.h"

#include "editors/MNLineNumberingRulerView.h"

#include <QTextBlock>

LineNumberedTextView::LineNumberedTextView(QWidget *parent) : VLXTextView(parent) { }

MNLineNumberingRulerView *LineNumberedTextView::addVerticalRuler()
{
    if (!m_ruler) {
        m_ruler = new MNLineNumberingRulerView(this);
        m_rulerThickness = m_ruler->ruleThickness();
        setViewportMargins(m_rulerThickness, 0, 0, 0);
        placeRuler();
        m_ruler->show();
    }
    return m_ruler;
}

QRectF LineNumberedTextView::blockGeometry(const QTextBlock &block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

qreal LineNumberedTextView::blockHeight(const QTextBlock &block) const
{
    return blockBoundingRect(block).height();
}

void LineNumberedTextView::setRulerThickness(int thickness)
{
    if (thickness == m_rulerThickness)
        return;
    m_rulerThickness = thickness;
    setViewportMargins(thickness, 0, 0, 0);
    placeRuler();
}

void LineNumberedTextView::resizeEvent(QResizeEvent *event)
{
    VLXTextView::resizeEvent(event);
    placeRuler();
}

void LineNumberedTextView::placeRuler()
{
    if (!m_ruler)
        return;
    const QRect contents = contentsRect();
    m_ruler->setGeometry(contents.left(), contents.top(), m_rulerThickness, contents.height());
}
