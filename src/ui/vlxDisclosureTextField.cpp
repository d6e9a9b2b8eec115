#include "ui/vlxDisclosureTextField.h"

#include "ui/VLXButton.h"

vlxDisclosureTextField::vlxDisclosureTextField(QWidget *parent) : VLXTextField(parent)
{
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    QPalette muted = palette();
    muted.setColor(QPalette::Base, Qt::transparent);
    muted.setColor(QPalette::Text, muted.color(QPalette::PlaceholderText));
    setPalette(muted);
}
