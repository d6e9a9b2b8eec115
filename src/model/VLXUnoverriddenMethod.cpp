#include "model/VLXUnoverriddenMethod.h"

const QString VLXUnoverriddenMethod::kName = QStringLiteral("Unoverridden baseclass method");

VLXUnoverriddenMethod::VLXUnoverriddenMethod(const QString &reason)
    : std::logic_error((kName + QStringLiteral(": ") + reason).toStdString()), m_reason(reason)
{
}

QString VLXUnoverriddenMethod::reasonFor(const QString &className, const QString &declaration)
{
    return QStringLiteral("Base class %1 member \"%2\" must be overridden")
        .arg(className, declaration);
}

void VLXUnoverriddenMethod::raise(const QString &className, const QString &declaration)
{
    throw VLXUnoverriddenMethod(reasonFor(className, declaration));
}
