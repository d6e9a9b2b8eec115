#pragma once

#include <QString>

class QLineEdit;

// The check a text field of the preferences window gets when its editing ends: the text is
// trimmed (and the field shows the trimmed text); an empty text is accepted as it is; otherwise
// the field's class-level check runs and explains a bad value in an alert. The value is kept
// either way: a default may be anything the user wants, the alert only warns.
class PreferenceFieldChecks
{
public:
    // Runs the check of the field named like `field` (none for most fields).
    static void endEditing(QLineEdit *field);
    static bool hasCheck(const QString &control);
};
