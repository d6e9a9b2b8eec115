#pragma once

#include "extensions/ExtensionEditSink.h"

// The sink of the preferences window: edits of default values are applied, nothing else
// happens (no undo, no publication date).
class PreferencesEditSink : public ExtensionEditSink
{
protected:
    void record(const ExtensionEdit &edit) override { apply(edit); }
};
