#include "model/TitledElement.h"

TitledElement::TitledElement()
    : m_title(QStringLiteral("")), m_description(QStringLiteral("")), m_link(QStringLiteral("")),
      m_lastUpload(neverUploaded())
{
}

void TitledElement::setLastUploaded(const QDateTime &value)
{
    m_lastUpload = value.isValid() ? value : neverUploaded();
}

QDateTime TitledElement::neverUploaded()
{
    return QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
}
