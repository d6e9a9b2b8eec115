#include "extensions/ExtensionEditSink.h"

#include "extensions/FieldExtensionBase.h"

FieldExtensionBase *ExtensionEdit::fields() const
{
    return FieldExtensionBase::from(extension.get());
}

ExtensionEditSink::~ExtensionEditSink() = default;

void ExtensionEditSink::commit(const ExtensionEdit &edit)
{
    FieldExtensionBase *fields = edit.fields();
    if (!fields || edit.field < 0 || edit.field >= fields->descriptor().fieldCount()
        || edit.oldValue == edit.newValue)
        return;
    if (!edit.extension->allowsUndo()) {
        apply(edit);
        return;
    }
    record(edit);
}

void ExtensionEditSink::apply(const ExtensionEdit &edit)
{
    if (FieldExtensionBase *fields = edit.fields())
        fields->setValue(edit.field, edit.newValue);
}
