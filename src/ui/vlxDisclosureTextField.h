#pragma once

#include "ui/VLXTextField.h"

#include <QPointer>

class VLXButton;

// The one-line summary beside a disclosure button: read-only, it shows what the closed box holds.
class vlxDisclosureTextField : public VLXTextField
{
    Q_OBJECT
public:
    explicit vlxDisclosureTextField(QWidget *parent = nullptr);
    VLXButton *button() const { return m_button; }
    void setButton(VLXButton *button) { m_button = button; }

private:
    QPointer<VLXButton> m_button;
};
