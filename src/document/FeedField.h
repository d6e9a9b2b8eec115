#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class FeedDocument;
class QObject;

// Where the value of a field lives: the channel, the item at an index, or the channel's image.
// Extension tables use the same scopes; their resolver reaches the extension object of the
// channel's, the item's or the image's manager.
enum class FieldScope { Channel, Item, Image };

// How the field's control shows it.
enum class FieldKind {
    Line, // a one-line text field
    Text, // a multi-line text view (taken as written, never trimmed)
    Choice, // a pop-up whose value is a code (the control maps codes and titles)
};

// What a field's check may use: the document, the control the check is about (its alerts name
// it and "More Info." opens its help) and the item being edited (-1 outside the items).
struct FieldCheckContext
{
    FeedDocument &document;
    QObject *control;
    int item;
};

// One editable field of the feed window, as a row of a field table: the outlet name of its
// control, where its value lives, how to read and write it, the check made when the user leaves
// the control, the name of its undo step, what a change refreshes afterwards (the automatic
// publication dates), and its help topic.
//
// Rows are made with makeField() from a resolver that finds the target object (the channel, an
// item, the image, or an extension object) and a getter and setter over that object. Everything
// else (tracking a control, filling it, checking, committing with undo) loops over the rows, so a
// new field, or a whole extension's table, is only rows.
struct FeedField
{
    // The value, "" when the target is missing (no such item, no extension).
    using Read = std::function<QString(const FeedDocument &, int item)>;
    // Stores the value; false when there is no target to store it in.
    using Write = std::function<bool(FeedDocument &, int item, const QString &value)>;
    // Given the text the user left (trimmed unless the kind is Text), shows the model's alert when
    // the value is wrong and answers the text to keep (a repaired date, an expanded path). A
    // failed check never holds the user in the field: the answer is committed all the same.
    using Check = std::function<QString(const FieldCheckContext &, const QString &text)>;
    // What follows a committed change: the automatic publication dates the field refreshes.
    using AfterEdit = std::function<void(FeedDocument &, int item)>;

    QString outlet;
    FieldScope scope = FieldScope::Channel;
    FieldKind kind = FieldKind::Line;
    QString undoName;
    QString helpAnchor;
    Read read;
    Write write; // null: the pane commits this field itself (guid, local enclosure file)
    Check check; // null: the trimmed text is kept
    AfterEdit afterEdit; // null: nothing follows

    bool isItemScoped() const { return scope == FieldScope::Item; }
};

// The row of a field whose target the resolver finds: `resolve(document, item)` answers a
// pointer to the target or nullptr; `get` and `set` are member functions (or callables) of it.
template<typename Resolve, typename Get, typename Set>
FeedField makeField(const QString &outlet, FieldScope scope, Resolve resolve, Get get, Set set,
                    const QString &undoName, FeedField::AfterEdit afterEdit = {},
                    FeedField::Check check = {}, const QString &helpAnchor = {},
                    FieldKind kind = FieldKind::Line)
{
    FeedField field;
    field.outlet = outlet;
    field.scope = scope;
    field.kind = kind;
    field.undoName = undoName;
    field.helpAnchor = helpAnchor;
    field.read = [resolve, get](const FeedDocument &document, int item) -> QString {
        const auto *target = resolve(document, item);
        return target ? QString(std::invoke(get, *target)) : QString();
    };
    field.write = [resolve, set](FeedDocument &document, int item, const QString &value) {
        auto *target = resolve(document, item);
        if (!target)
            return false;
        std::invoke(set, *target, value);
        return true;
    };
    field.check = std::move(check);
    field.afterEdit = std::move(afterEdit);
    return field;
}

// A one-line summary shown beside a group of fields (the cloud, the text input, the enclosure,
// the source, the guid), built from the texts of its member controls as they are typed.
struct FieldSummary
{
    QString outlet;
    QStringList members; // outlet names; a check box counts as "1" or "0"
    std::function<QString(const QStringList &texts)> build;
};
