#include "panes/ExtensionFieldPane.h"

#include "document/DocumentEditSink.h"
#include "document/FeedDocument.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/PreferencesEditSink.h"
#include "model/VLXFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "panes/EditTracker.h"
#include "panes/PaneKit.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/vlxDisclosureButton.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cstring>

namespace {

using Field = ExtensionField;

QString latin1(const char *text)
{
    return QString::fromLatin1(text ? text : "");
}

// "ITCCategoryTable" names "ITCCategory_Add", "ITCCategory_Delete" and "ITCCategory_Edit".
QString listBase(const ExtensionField &row)
{
    QString base = latin1(row.outlet);
    if (base.endsWith(QLatin1String("Table")))
        base.chop(5);
    return base;
}

// The rows of an object kept whole share its setting: each is named by the setting and its own
// outlet, the outlet's first word left out when the setting already ends with it
// ("FD_AF_FF_EX_mrssChannel" and "channelOptionalElementsTable" make
// "FD_AF_FF_EX_mrssChannelOptionalElementsTable").
QString objectRowSuffix(const QString &key, const ExtensionField &row)
{
    QString tail = latin1(row.outlet);
    if (tail.isEmpty())
        return tail;
    tail[0] = tail.at(0).toUpper();
    qsizetype word = 1;
    while (word < tail.size() && !tail.at(word).isUpper())
        ++word;
    if (key.endsWith(QStringView(tail).left(word)))
        tail.remove(0, word);
    return tail;
}

} // namespace

ExtensionFieldPane::ExtensionFieldPane(std::shared_ptr<extensionNSRaw> extension,
                                       const ExtensionTabs::Context &context, QWidget *parent)
    : ExtensionPane(parent), m_extension(std::move(extension)), m_document(context.document),
      m_tracker(context.tracker), m_scope(context.scope), m_item(context.item)
{
    build();
}

ExtensionFieldPane::ExtensionFieldPane(std::shared_ptr<extensionNSRaw> extension, QWidget *parent)
    : ExtensionPane(parent), m_extension(std::move(extension))
{
    build();
}

ExtensionFieldPane::~ExtensionFieldPane()
{
    detach();
}

FieldExtensionBase *ExtensionFieldPane::fields() const
{
    return FieldExtensionBase::from(m_extension.get());
}

void ExtensionFieldPane::build()
{
    const FieldExtensionBase *object = fields();
    if (!object)
        return;
    m_descriptor = &object->descriptor();
    if (!m_tracker)
        m_tracker = new EditTracker(this);
    // Edits of a preferences twin never reach the feed window's undo stack (the sink itself
    // makes sure), and a pane outside the window has no document to record into.
    if (m_document)
        m_sink = std::make_unique<DocumentEditSink>(m_document, m_scope, m_item);
    else
        m_sink = std::make_unique<PreferencesEditSink>();

    // The rows in table order: the rows of a box go into its disclosure box, the others into
    // the form before or after it.
    auto *column = new QVBoxLayout;
    QFormLayout *form = nullptr;
    const char *box = nullptr;
    for (int f = 0; f < m_descriptor->fieldCount(); ++f) {
        const ExtensionField &row = m_descriptor->field(f);
        QWidget *control = makeControl(f, row);
        if (!control)
            continue;
        const bool sameBox = row.box && box && std::strcmp(row.box, box) == 0;
        if (!form || (row.box && !sameBox)) {
            form = PaneKit::newForm();
            if (row.box)
                PaneKit::disclosure(column, boxBase(row), tr(row.box))->setLayout(form);
            else
                column->addLayout(form);
        } else if (!row.box && box) {
            form = PaneKit::newForm();
            column->addLayout(form);
        }
        box = row.box;
        if (!m_form)
            m_form = form;
        m_fieldForms.insert(f, form);
        if (row.widget == Field::Widget::CheckBox)
            form->addRow(QString(), control);
        else
            form->addRow(tr(row.label ? row.label : row.name), control);
    }
    column->addStretch(1);
    auto *content = new QWidget;
    content->setLayout(column);
    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    setCopySources();
    attach();
    loadData();
}

QWidget *ExtensionFieldPane::makeControl(int field, const ExtensionField &row)
{
    const QString outlet = latin1(row.outlet);
    QWidget *control = nullptr;
    QWidget *placed = nullptr;
    switch (row.widget) {
    case Field::Widget::None:
        return nullptr;
    case Field::Widget::LineEdit:
        control = PaneKit::textField(outlet);
        break;
    case Field::Widget::TextView: {
        auto *view = PaneKit::named(new VLXTextView, outlet);
        view->setMinimumHeight(80);
        // Nothing is dragged into the text: it holds plain text only.
        view->setAcceptDrops(false);
        control = view;
        break;
    }
    case Field::Widget::CheckBox: {
        auto *box = PaneKit::named(new VLXCheckBox, outlet);
        box->setText(tr(row.label ? row.label : row.name));
        control = box;
        break;
    }
    case Field::Widget::PopUp: {
        auto *popUp = PaneKit::named(new VLXPopUpButton, outlet);
        for (int value = -1; row.choices && value <= 1; ++value)
            popUp->addItem(tr(row.choices[value + 1]), value);
        control = popUp;
        break;
    }
    case Field::Widget::Date: {
        auto *line = PaneKit::textField(outlet);
        auto *picker = PaneKit::smallButton(outlet + QStringLiteral("_DatePicker"),
                                            tr("Pick\u2026"), tr("Choose the date and time"));
        picker->setHelpAnchor(QStringLiteral("DatePicker"));
        connect(picker, &QAbstractButton::clicked, this, [this, field] { pickDate(field); });
        placed = new QWidget;
        auto *beside = new QHBoxLayout(placed);
        beside->setContentsMargins(0, 0, 0, 0);
        beside->addWidget(line, 1);
        beside->addWidget(picker);
        control = line;
        break;
    }
    case Field::Widget::Language: {
        auto *popUp = PaneKit::named(new VLXPopUpButton, outlet);
        // Each title carries its code, the value of the field.
        for (const QString &title : VLXFeedLanguage::sharedLanguageTitles())
            popUp->addItem(title, VLXFeedLanguage::sharedCodeForTitle(title));
        popUp->setMaxVisibleItems(20);
        control = popUp;
        break;
    }
    case Field::Widget::Words: {
        auto *popUp = PaneKit::named(new VLXPopUpButton, outlet);
        popUp->addItem(QString(), QString());
        for (const char *const *word = row.choices; word && *word; ++word)
            popUp->addItem(QString::fromLatin1(*word), QString::fromLatin1(*word));
        control = popUp;
        break;
    }
    case Field::Widget::HTML: {
        auto *view = PaneKit::named(new VLXTextViewHTML, outlet);
        view->setTabChangesFocus(true);
        view->setMinimumHeight(120);
        view->setEditHTMLSource([this, field](VLXTextViewHTML *) { editHTML(field); });
        view->setReturnIsNL(VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt()
                            != 0);
        auto *edit
            = PaneKit::smallButton(outlet + QStringLiteral("_EditHTML"), tr("Edit HTML\u2026"),
                                   tr("Edit the HTML as formatted text"));
        edit->setHelpAnchor(QStringLiteral("WYSIWYGEditor"));
        connect(edit, &QAbstractButton::clicked, this, [this, field] { editHTML(field); });
        placed = new QWidget;
        auto *stack = new QVBoxLayout(placed);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->addWidget(view, 1);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(edit);
        stack->addLayout(buttons);
        control = view;
        break;
    }
    case Field::Widget::Table: {
        const QString base = listBase(row);
        QStringList columns;
        QStringList titles;
        for (const char *const *c = row.columns; c && *c; ++c) {
            columns.append(latin1(*c));
            titles.append(row.columnTitles ? tr(row.columnTitles[columns.size() - 1])
                                           : columns.last());
        }
        if (columns.isEmpty())
            columns.append(QStringLiteral("value"));
        placed = PaneKit::tableWithButtons(this, outlet, base + QStringLiteral("_Add"),
                                           base + QStringLiteral("_Delete"),
                                           base + QStringLiteral("_Edit"), columns);
        auto *table = placed->findChild<VLXTableView *>(outlet);
        if (row.columnTitles) {
            table->setDataSource(this, columns, titles);
            table->horizontalHeader()->setStretchLastSection(true);
        } else {
            table->horizontalHeader()->hide();
        }
        if (!row.editsEntries)
            delete placed->findChild<VLXButton *>(base + QStringLiteral("_Edit"));
        table->setDragEnabled(true);
        table->setAcceptDrops(true);
        table->viewport()->setAcceptDrops(true);
        table->setDropIndicatorShown(true);
        table->setDragDropOverwriteMode(false);
        table->setDragDropMode(QAbstractItemView::DragDrop);
        table->setDefaultDropAction(Qt::MoveAction);
        const auto button
            = [placed](const QString &name) { return placed->findChild<VLXButton *>(name); };
        connect(button(base + QStringLiteral("_Add")), &QPushButton::clicked, this,
                [this, field] { addListEntry(field); });
        connect(button(base + QStringLiteral("_Delete")), &QPushButton::clicked, this,
                [this, field] { deleteListEntry(field); });
        if (row.editsEntries) {
            connect(table, &VLXTableView::doubleAction, this,
                    [this, field] { editListEntry(field); });
            connect(button(base + QStringLiteral("_Edit")), &QPushButton::clicked, this,
                    [this, field] { editListEntry(field); });
        }
        control = table;
        break;
    }
    }
    if (auto *anchored = dynamic_cast<VLXHelpAnchored *>(control))
        anchored->setHelpAnchor(latin1(row.helpAnchor));
    m_controls.insert(field, control);
    m_rows.insert(field, placed ? placed : control);
    follow(field, control);
    return placed ? placed : control;
}

QString ExtensionFieldPane::settingKey(int field) const
{
    if (!m_descriptor || field < 0 || field >= m_descriptor->fieldCount())
        return QString();
    const ExtensionField &row = m_descriptor->field(field);
    switch (m_keys) {
    case Keys::AllFeeds:
        return latin1(row.defaultKey);
    case Keys::CurrentFeed:
        return latin1(row.feedDefaultKey);
    case Keys::None:
        break;
    }
    return QString();
}

void ExtensionFieldPane::usePreferenceKeys(bool currentFeed)
{
    if (!m_descriptor || !m_form)
        return;
    m_keys = currentFeed ? Keys::CurrentFeed : Keys::AllFeeds;
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        const int field = it.key();
        const QString key = settingKey(field);
        if (key.isEmpty()) {
            // Nothing to keep a default in: the field is not offered.
            m_fieldForms.value(field, m_form)->setRowVisible(m_rows.value(field), false);
            continue;
        }
        // The setting's name; a check box or menu kept as text ("ITCBlockStr") is named
        // without the "Str", a table after its setting with "Table" ("ITCCategoryTable").
        const ExtensionField &row = m_descriptor->field(field);
        QString name = key;
        if ((row.widget == Field::Widget::CheckBox || row.widget == Field::Widget::PopUp)
            && name.endsWith(QLatin1String("Str")))
            name.chop(3);
        if (row.defaultIsObject)
            name += objectRowSuffix(key, row);
        else if (row.widget == Field::Widget::Table)
            name += QStringLiteral("Table");
        if (row.widget == Field::Widget::Date) {
            if (auto *picker
                = findChild<VLXButton *>(latin1(row.outlet) + QStringLiteral("_DatePicker")))
                picker->setObjectName(name + QStringLiteral("DatePicker"));
        }
        if (row.widget == Field::Widget::HTML) {
            // The text view's own "Edit HTML" opens the editor; the button is not offered.
            if (auto *edit
                = findChild<VLXButton *>(latin1(row.outlet) + QStringLiteral("_EditHTML"))) {
                edit->setObjectName(name + QStringLiteral("EditHTML"));
                edit->hide();
            }
        }
        if (row.widget == Field::Widget::Table) {
            const QString oldBase = listBase(row);
            QString newBase = name;
            if (newBase.endsWith(QLatin1String("Table")))
                newBase.chop(5);
            for (const char *suffix : {"_Add", "_Delete", "_Edit"}) {
                if (auto *button = findChild<VLXButton *>(oldBase + QLatin1String(suffix)))
                    button->setObjectName(newBase + QLatin1String(suffix));
            }
        }
        it.value()->setObjectName(name);
    }
}

void ExtensionFieldPane::setCopySources()
{
    if (!m_document)
        return;
    QPointer<FeedDocument> document = m_document;
    const FieldScope scope = m_scope;
    const std::function<int()> item = m_item;
    for (int f = 0; f < m_descriptor->fieldCount(); ++f) {
        const ExtensionField &row = m_descriptor->field(f);
        if (row.copyFrom == Field::CopyFrom::None)
            continue;
        const bool title = row.copyFrom == Field::CopyFrom::Title;
        // The channel's, or the shown item's, title or description at the time it is chosen.
        const auto source = [document, scope, item, title]() -> QString {
            if (!document)
                return QString();
            if (scope == FieldScope::Item) {
                const VLXItems *shown = document->item(item ? item() : -1);
                return shown ? (title ? shown->title() : shown->descriptionElement()) : QString();
            }
            return title ? document->feed()->title() : document->feed()->descriptionElement();
        };
        const QString label = title ? tr("Title") : tr("Description");
        if (auto *line = qobject_cast<VLXTextField *>(control(f)))
            line->setCopySource(source, label);
        else if (auto *view = qobject_cast<VLXTextView *>(control(f)))
            view->setCopySource(source, label);
    }
}

void ExtensionFieldPane::follow(int field, QWidget *control)
{
    const ExtensionField &row = m_descriptor->field(field);
    const QString undoName = latin1(row.undoName);
    switch (row.widget) {
    case Field::Widget::LineEdit:
    case Field::Widget::Date:
        // The row's rules when the user leaves the field (a refused text keeps the user there),
        // then markup typed into the field is removed unless the row keeps it.
        m_tracker->trackRefusing(
            control,
            [&row](QWidget *c, const QString &proposed) -> std::optional<QString> {
                QString value = proposed;
                if (!FieldExtensionBase::leaveField(row, value, c))
                    return std::nullopt;
                return row.keepsMarkup ? value : VLXLogic::stripHTML(value);
            },
            [this, field, undoName](QWidget *, const QString &, const QString &text) {
                commit(field, text, undoName);
            });
        break;
    case Field::Widget::TextView:
    case Field::Widget::HTML:
        // Markup typed or pasted into the text is removed unless the row keeps it; the view
        // shows what is kept. The text is never trimmed.
        m_tracker->track(
            control,
            [&row](QWidget *, const QString &proposed) {
                return row.keepsMarkup ? proposed : VLXLogic::stripHTML(proposed);
            },
            [this, field, undoName](QWidget *, const QString &, const QString &text) {
                commit(field, text, undoName);
            });
        break;
    case Field::Widget::CheckBox:
        connect(qobject_cast<VLXCheckBox *>(control), &QAbstractButton::clicked, this,
                [this, field, undoName](bool checked) {
                    m_tracker->finalizeChanges();
                    commit(field, checked ? 1 : 0, undoName);
                });
        break;
    case Field::Widget::PopUp: {
        auto *popUp = qobject_cast<VLXPopUpButton *>(control);
        connect(popUp, QOverload<int>::of(&QComboBox::activated), this,
                [this, field, undoName, popUp](int index) {
                    m_tracker->finalizeChanges();
                    commit(field, popUp->itemData(index).toInt(), undoName);
                });
        break;
    }
    case Field::Widget::Language:
    case Field::Widget::Words: {
        // A language chosen again is no change; a word chosen is a step even when it is the
        // one held.
        auto *popUp = qobject_cast<VLXPopUpButton *>(control);
        const bool words = row.widget == Field::Widget::Words;
        connect(popUp, QOverload<int>::of(&QComboBox::activated), this,
                [this, field, undoName, popUp, words](int index) {
                    m_tracker->finalizeChanges();
                    const QString value = popUp->itemData(index).toString();
                    if (words)
                        commitChosen(field, value, undoName);
                    else
                        commit(field, value, undoName);
                });
        break;
    }
    case Field::Widget::Table:
    case Field::Widget::None:
        break;
    }
}

void ExtensionFieldPane::commit(int field, const QVariant &value, const QString &actionName)
{
    FieldExtensionBase *object = fields();
    if (!object || !m_sink)
        return;
    m_sink->commit({m_extension, field, object->value(field), value, actionName});
    // The control shows what the model kept (an edit refused for want of an item puts the
    // model's value back).
    show(field);
}

QString ExtensionFieldPane::boxBase(const ExtensionField &row) const
{
    return QString::fromLatin1(m_descriptor->className) + u'_'
        + QString::fromLatin1(row.box).remove(u' ');
}

QAbstractButton *ExtensionFieldPane::disclosureOf(const ExtensionField &row) const
{
    if (!row.box)
        return nullptr;
    return findChild<vlxDisclosureButton *>(boxBase(row) + QStringLiteral("_Disclosure"));
}

int ExtensionFieldPane::itemShown() const
{
    return m_scope == FieldScope::Item && m_item ? m_item() : -1;
}

// --- showing the model ---------------------------------------------------------------------------

void ExtensionFieldPane::show(int field)
{
    QWidget *widget = control(field);
    const FieldExtensionBase *object = fields();
    if (!widget || !object)
        return;
    if (auto *table = qobject_cast<VLXTableView *>(widget)) {
        table->reloadData();
        return;
    }
    if (auto *box = qobject_cast<QAbstractButton *>(widget)) {
        const QSignalBlocker quiet(box);
        box->setChecked(object->number(field) != 0);
        return;
    }
    if (auto *popUp = qobject_cast<QComboBox *>(widget)) {
        const QSignalBlocker quiet(popUp);
        const ExtensionField &row = m_descriptor->field(field);
        // A code the table does not know shows no choice until the user makes one.
        if (row.widget == Field::Widget::Language || row.widget == Field::Widget::Words)
            popUp->setCurrentIndex(popUp->findData(object->text(field)));
        else
            popUp->setCurrentIndex(popUp->findData(object->number(field)));
        return;
    }
    // A text the user is changing stays as typed until the edit ends.
    if (m_tracker->editingControl() == widget && m_tracker->hasUncommittedChange())
        return;
    m_tracker->setDisplayedText(widget, object->text(field));
}

void ExtensionFieldPane::loadData()
{
    const bool shown = fields() != nullptr;
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        it.value()->setEnabled(shown);
        show(it.key());
    }
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setEnabled(shown && !button->objectName().endsWith(QLatin1String("_Delete"))
                           && !button->objectName().endsWith(QLatin1String("_Edit")));
    // The Delete and Edit buttons follow the rows of their tables.
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        if (auto *table = qobject_cast<VLXTableView *>(it.value()))
            numberOfRowsInTableView(table);
    }
}

void ExtensionFieldPane::attach()
{
    if (!m_extension || !fields())
        return;
    QPointer<ExtensionFieldPane> self(this);
    m_listener = m_extension->addChangeListener([self] {
        if (self)
            self->loadData();
    });
    // The window's search shows this object's matches here (not the defaults of preferences).
    if (m_document)
        fields()->setFindView(this);
}

void ExtensionFieldPane::detach()
{
    if (FieldExtensionBase *object = fields(); object && object->findView() == this)
        object->setFindView(nullptr);
    if (m_extension && m_listener)
        m_extension->removeChangeListener(m_listener);
    m_listener = 0;
}

void ExtensionFieldPane::setExtension(std::shared_ptr<extensionNSRaw> extension)
{
    if (extension == m_extension)
        return;
    // An edit under way belongs to the object shown so far; one its rules refused is dropped.
    if (m_tracker && m_tracker->isEditing() && isAncestorOf(m_tracker->editingControl())) {
        m_tracker->finalizeChanges();
        if (m_tracker->isEditing() && isAncestorOf(m_tracker->editingControl()))
            m_tracker->clear();
    }
    detach();
    // Only an object of the same class can be shown by these controls.
    const FieldExtensionBase *object = FieldExtensionBase::from(extension.get());
    m_extension = object && &object->descriptor() == m_descriptor ? std::move(extension) : nullptr;
    attach();
    loadData();
}

bool ExtensionFieldPane::fits(const std::shared_ptr<extensionNSRaw> &extension) const
{
    const FieldExtensionBase *object = FieldExtensionBase::from(extension.get());
    return object && m_descriptor && &object->descriptor() == m_descriptor;
}

void ExtensionFieldPane::setListEditor(int field, std::shared_ptr<ListFieldEditor> editor)
{
    m_listEditors[field] = std::move(editor);
}
