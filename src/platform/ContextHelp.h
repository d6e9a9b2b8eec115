#pragma once

class QObject;

// Context help of an interface object. A control of the control kit offers it by declaring
// `Q_INVOKABLE void showContextHelp()` (or a slot of that name), which opens the help at the
// control's anchor; core code only asks whether the object answers and sends the request.
class ContextHelp
{
public:
    // True when the object is given and declares showContextHelp().
    static bool answers(const QObject *object);
    // Sends showContextHelp() to the object when it answers it.
    static void show(QObject *object);
};
