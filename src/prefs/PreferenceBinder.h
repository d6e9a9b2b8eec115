#pragma once

#include "prefs/PreferenceBinding.h"

#include <QVariant>

class PreferencesContext;
class QWidget;

// Carries one binding out in either direction: from a value into its control (filling the
// pages) and from the control back into a value (reading them back). The controls are found
// under `root` by object name; working lists and managers in the context.
//
// The conversions of the check, explicit and language kinds are offered on their own as well,
// for panes that show settings through controls of their own.
class PreferenceBinder
{
public:
    static void fill(QWidget *root, const PreferenceBinding &binding, const QVariant &value,
                     PreferencesContext &context);
    // The value the control holds now; an invalid value when the control is missing (the
    // stored value is then left as it is).
    static QVariant read(QWidget *root, const PreferenceBinding &binding,
                         PreferencesContext &context);

    // Explicit menus: "-1", "" and "1" are items 0, 1 and 2; item 1 reads back as "".
    static int explicitIndex(const QVariant &value);
    static QString explicitValue(int index);
    // Check boxes stored as text: "1" on, "" off.
    static bool stringCheckState(const QVariant &value);
    static QString stringCheckValue(bool on);
    // The 33 date titles and 25 time titles of the smart-date menus.
    static const QStringList &smartDateTitles();
    static const QStringList &smartTimeTitles();
};
