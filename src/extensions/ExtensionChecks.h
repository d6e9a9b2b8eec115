#pragma once

#include <QString>

class VLXError;

// The steps the class-level checks of the extension classes are made of. Each answers whether
// the value passes; a failing step stores its VLXError (error domain) when one is asked for.
class ExtensionChecks
{
public:
    ExtensionChecks() = delete;

    // Fails with code 1 when the value is empty once trimmed.
    static bool notBlank(const QString &value, const char *title, const char *text,
                         VLXError *error);
    // Fails with code 2 when the value has more than limit characters; the text's "%1" takes
    // the length.
    static bool atMost(const QString &value, int limit, const char *title, const char *text,
                       VLXError *error);
    // Fails with the code and texts given.
    static bool fail(VLXError *error, int code, const QString &title, const QString &text);
};
