#pragma once

#include "extensions/ExtensionField.h"
#include "model/knownNamespaces.h"

#include <span>

// The constant description of one namespace at one place: which namespace and class it is, the
// element names in parse order (the index a field-name list dispatches on), the field table and
// the orders in which the fields are written, exported and validated where those differ from
// the table's. One static descriptor per class; every object points at it.
struct ExtensionDescriptor
{
    KnownNamespace ns;
    ExtensionPlace place;
    const char *className; // the archive class name ("iTunesChannel")
    std::span<const char *const> elements; // parse order: index = position in the name list
    std::span<const ExtensionField> fields; // model order
    std::span<const int> writeOrder = {}; // field indexes; empty: model order
    std::span<const int> exportOrder = {};
    std::span<const int> validateOrder = {}; // checked fields; empty: every field with a check
    // "Removed illegal HTML from the iTunes tag %1": the repair reported when reading strips
    // markup from a text.
    const char *htmlRepair = nullptr;
    // "Old iTunes DTDURL used %1": the repair reported when a document declares the namespace
    // under another URI; nullptr when another URI passes silently.
    const char *oldURIRepair = nullptr;

    int fieldCount() const { return int(fields.size()); }
    const ExtensionField &field(int index) const { return fields[size_t(index)]; }
    // The index of the field named so; -1 when there is none.
    int indexOf(const char *name) const;
};
