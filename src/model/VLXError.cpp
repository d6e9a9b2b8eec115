#include "model/VLXError.h"

const QString VLXError::kErrorDomain = QStringLiteral("com.mossgate.Vellumcast.ErrorDomain");
const QString VLXError::kWarningDomain = QStringLiteral("com.mossgate.Vellumcast.WarningDomain");
