#pragma once

#include <QWidget>

// The document view into which panes are moved. Qt's widgets already measure y from the top, so
// this only names the role (and answers the question for code that asks).
class flippedView : public QWidget
{
    Q_OBJECT
public:
    explicit flippedView(QWidget *parent = nullptr) : QWidget(parent) { }
    bool isFlipped() const { return true; }
};
