#pragma once

#include "ui/VLXButton.h"

#include <QPointer>

#include <QGroupBox>

// The small triangle that shows and hides a box of optional fields; the summary field on the same
// line tells what the box holds while it is closed.
class vlxDisclosureButton : public VLXButton
{
    Q_OBJECT
public:
    explicit vlxDisclosureButton(QWidget *parent = nullptr);

    QWidget *labelField() const { return m_labelField; }
    void setLabelField(QWidget *field) { m_labelField = field; }
    QWidget *resultField() const { return m_resultField; }
    void setResultField(QWidget *field) { m_resultField = field; }
    QGroupBox *boxField() const { return m_boxField; }
    void setBoxField(QGroupBox *box);

private:
    void showState(bool open);

    QPointer<QWidget> m_labelField;
    QPointer<QWidget> m_resultField;
    QPointer<QGroupBox> m_boxField;
};
