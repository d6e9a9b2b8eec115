#pragma once

#include "document/FeedDocument.h"
#include "extensions/ExtensionFindView.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionTabs.h"
#include "panes/ListFieldEditor.h"
#include "ui/VLXTableDataSource.h"

#include <QAbstractButton>
#include <QHash>
#include <QPointer>
#include <map>
#include <memory>

class ExtensionEditSink;
class QFormLayout;
class FieldExtensionBase;
class WYSIWYG;
struct ExtensionDescriptor;
struct ExtensionField;

// The pane of a namespace class, built from its field table: a labelled control per field (line
// field, text view, check box, pop-up, date field with its picker, language pop-up, pop-up of
// words, HTML view with "Edit HTML", or a list table with +, - and Edit; rows of a box sit in a
// disclosure box of their own), with the row's help
// topic, "Copy From" the feed's or item's title or description where the row offers it, and the
// row's rules when the user leaves a field. Edits go to an edit sink: in the feed window one
// undo step each on the document's stack, elsewhere (and always for a preferences twin) applied
// only. The pane shows the object it is given and refreshes through the object's change
// listener, so an undo of an item the pane no longer shows leaves the pane alone.
//
// In the feed window it is also where find and replace shows the object's matches and replaces
// them (ExtensionFieldPane+Find.cpp), as edits of its controls.
class ExtensionFieldPane : public ExtensionPane, public VLXTableDataSource, public ExtensionFindView
{
    Q_OBJECT
public:
    // A pane of the feed window (its tracker, its document, its scope and shown item).
    ExtensionFieldPane(std::shared_ptr<extensionNSRaw> extension,
                       const ExtensionTabs::Context &context, QWidget *parent = nullptr);
    // A pane of default values: edits are applied to the object only.
    explicit ExtensionFieldPane(std::shared_ptr<extensionNSRaw> extension,
                                QWidget *parent = nullptr);
    ~ExtensionFieldPane() override;

    // A pane of default values in the preferences window: each control is named after the
    // setting it shows there ("FD_AF_FF_EX_ITCSubtitle"; the all-feeds setting, or the feed's
    // own for `currentFeed`), and a field without such a setting is not shown. An HTML view
    // keeps "Edit HTML" in its own menu only, and while its editor is open the window it sits
    // in steps aside (hidden, then shown again when the editor ends).
    void usePreferenceKeys(bool currentFeed);
    // The setting a field stands for in this pane; "" outside the preferences or without one.
    QString settingKey(int field) const;

    // How the list field's entries are added, edited, removed and moved.
    void setListEditor(int field, std::shared_ptr<ListFieldEditor> editor);

    void setExtension(std::shared_ptr<extensionNSRaw> extension) override;
    void loadData() override;
    // An object of the class whose field table built this pane.
    bool fits(const std::shared_ptr<extensionNSRaw> &extension) const override;
    FieldExtensionBase *fields() const;
    // The feed window's document; none for a pane of default values.
    FeedDocument *document() const { return m_document; }
    EditTracker *tracker() const { return m_tracker; }
    // The control of a field (by its index in the table).
    QWidget *control(int field) const { return m_controls.value(field); }

    // The list actions of the table buttons, double click and drops.
    void addListEntry(int field);
    void deleteListEntry(int field);
    void editListEntry(int field);
    bool moveListEntry(int field, int from, int dropRow);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;
    QStringList tableViewDragTypes(VLXTableView *table) override;
    bool tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data) override;
    Qt::DropAction tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                         int row) override;
    bool tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row) override;

    // ExtensionFindView.
    std::optional<QString> highlightedString(int field) const override;
    extensionNSRaw::Range replaceHighlighted(int field, const QString &text) override;
    void showMatch(int field, extensionNSRaw::Range range, QObject *onTab, QObject *underTab,
                   int atIndex) override;
    // A searchable list's entry goes through the URL panel titled by the field's row.
    ListStep searchListEntry(int field, int entry, const QString &search,
                             const std::optional<QString> &replacement, bool thenSearch,
                             int options, QObject *onTab, QObject *underTab, int atIndex) override;

private:
    void build();
    QWidget *makeControl(int field, const ExtensionField &row);
    // The disclosure button of the box the row sits in; null outside a box.
    QAbstractButton *disclosureOf(const ExtensionField &row) const;
    QString boxBase(const ExtensionField &row) const;
    void setCopySources();
    void follow(int field, QWidget *control);
    void commit(int field, const QVariant &value, const QString &actionName);
    // A value chosen and accepted (a picked date, a word of the pop-up): one step of its own
    // even when it is the value already held. A preferences twin only takes the value.
    void commitChosen(int field, const QString &value, const QString &actionName);
    // ExtensionFieldPane+Editors.cpp: the date picker and the HTML editor of a field.
    void pickDate(int field);
    void editHTML(int field);
    int itemShown() const;
    void commitList(int field, const std::optional<QVariant> &list, ListFieldEditor::Action action);
    void show(int field);
    void attach();
    void detach();
    int listFieldOf(const VLXTableView *table) const;
    int draggedRow(const QMimeData *data, const VLXTableView *table) const;

    std::shared_ptr<extensionNSRaw> m_extension;
    const ExtensionDescriptor *m_descriptor = nullptr;
    std::unique_ptr<ExtensionEditSink> m_sink;
    QPointer<FeedDocument> m_document; // none outside the feed window
    QPointer<EditTracker> m_tracker;
    FieldScope m_scope = FieldScope::Channel;
    std::function<int()> m_item;
    QHash<int, QWidget *> m_controls;
    QHash<int, QWidget *> m_rows; // what the form holds for a field (a table with its buttons)
    QFormLayout *m_form = nullptr; // the first form
    QHash<int, QFormLayout *> m_fieldForms; // the form (or a box's) holding each field
    enum class Keys { None, AllFeeds, CurrentFeed } m_keys = Keys::None;
    std::map<int, std::shared_ptr<ListFieldEditor>> m_listEditors;
    int m_listener = 0;
    QPointer<WYSIWYG> m_htmlEditor; // the editor of a pane outside the feed window
};
