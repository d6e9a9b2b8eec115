#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class FieldExtensionBase;
class extensionNSRaw;

// One edit of one field of an extension object, as a pane hands it on: the object (shared, so
// an undo record can keep it after the pane is gone), the field, the values before and after,
// and the name of the action.
struct ExtensionEdit
{
    std::shared_ptr<extensionNSRaw> extension;
    int field = -1;
    QVariant oldValue;
    QVariant newValue;
    QString actionName;

    FieldExtensionBase *fields() const;
};

// Where the edits of an extension pane go. The feed window's sink records each edit on its undo
// stack (with the publication date it refreshes); the preferences window's sink only applies it.
// Whatever sink a pane holds, an edit of an object that allows no undo (a preferences twin) is
// only applied: it never reaches an undo stack, nor the feed open in the window.
class ExtensionEditSink
{
public:
    virtual ~ExtensionEditSink();

    // Applies the edit through the right sink; an edit that changes nothing is dropped.
    void commit(const ExtensionEdit &edit);

    // Puts the edit's new value into its object.
    static void apply(const ExtensionEdit &edit);

protected:
    // Records and applies an edit of an object that allows undo.
    virtual void record(const ExtensionEdit &edit) = 0;
};
