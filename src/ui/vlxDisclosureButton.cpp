#include "ui/vlxDisclosureButton.h"

#include <QGroupBox>
#include <QStyle>

vlxDisclosureButton::vlxDisclosureButton(QWidget *parent) : VLXButton(parent)
{
    setCheckable(true);
    setFlat(true);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(22, 22);
    showState(false);
    // Opening and closing is the button's own business; owners react to toggled().
    connect(this, &QAbstractButton::toggled, this, &vlxDisclosureButton::showState);
}

void vlxDisclosureButton::setBoxField(QGroupBox *box)
{
    m_boxField = box;
    if (box)
        box->setVisible(isChecked());
}

void vlxDisclosureButton::showState(bool open)
{
    setIcon(style()->standardIcon(open ? QStyle::SP_TitleBarUnshadeButton
                                       : QStyle::SP_ToolBarHorizontalExtensionButton));
    setToolTip(open ? tr("Hide details") : tr("Show details"));
    if (m_boxField)
        m_boxField->setVisible(open);
}
