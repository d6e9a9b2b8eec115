#pragma once

#include <QVariant>

// When a stored setting counts as holding nothing. The extension-defaults test asks only about
// texts and lists; the migration ladder also counts an empty dictionary as nothing, so that a
// step never writes an empty value over a key that holds something.
class SettingEmptiness
{
public:
    // An empty text or list; any other value, a dictionary included, is not empty here.
    static bool isEmptyTextOrList(const QVariant &value);
    // An empty text, list or dictionary.
    static bool isEmptyCollectionOrText(const QVariant &value);
    // A text, list or dictionary that holds something.
    static bool isNonEmptyCollectionOrText(const QVariant &value);
};
