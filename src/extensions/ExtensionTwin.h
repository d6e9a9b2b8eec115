#pragma once

#include "model/extensionNSRaw.h"

#include <QString>

// The preferences twin of an extension class: the same fields, edited in the preferences window
// as default values. It registers no undo (its edits go to the preferences edit sink, which only
// applies them), is archived under its own class name and copies as itself.
//
//     inline constexpr char kFooPrefsName[] = "fooPrefs";
//     using fooPrefs = ExtensionTwin<foo, kFooPrefsName>;
template<class Base, const char *ArchiveName> class ExtensionTwin : public Base
{
public:
    ExtensionTwin() = default;

    bool allowsUndo() const override { return false; }
    QString archiveClassName() const override { return QString::fromLatin1(ArchiveName); }

protected:
    ExtensionTwin(const ExtensionTwin &) = default;
    extensionNSRaw *newCopy() const override { return new ExtensionTwin(*this); }
};
