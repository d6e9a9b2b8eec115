#include "platform/ContextHelp.h"

#include <QMetaObject>
#include <QObject>

bool ContextHelp::answers(const QObject *object)
{
    return object && object->metaObject()->indexOfMethod("showContextHelp()") >= 0;
}

void ContextHelp::show(QObject *object)
{
    if (answers(object))
        QMetaObject::invokeMethod(object, "showContextHelp", Qt::DirectConnection);
}
