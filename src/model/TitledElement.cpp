#include "model/TitledElement.h"

TitledElement::TitledElement()
    : m_title(QStringLiteral("")), m_description(QStringLiteral("")), m_link(QStringLiteral(""))
{
}
