#pragma once

#include "extensions/ExtensionDescriptor.h"
#include "model/TemplateValues.h"
#include "model/extensionNSRaw.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

class ExtensionFindView;
class UTF8Writer;
class vlxXMLNode;

// The generic body of every namespace class whose elements are fields of a table
// (ExtensionDescriptor): it holds one value per field and implements, by walking the table,
// reading, writing, archiving, defaults, emptiness, validation, template export, find and
// replace. FieldExtension<Place> joins it to the placement base the managers expect; a class
// only states its table, its checks, and (through the custom hooks below) whatever a table row
// cannot say, such as a list of records.
//
// Panes, edit sinks and undo records reach any such object through this interface: fields by
// index, values as QVariants (a string, an integer, or the class's list value).
class FieldExtensionBase
{
public:
    virtual ~FieldExtensionBase();

    const ExtensionDescriptor &descriptor() const { return *m_descriptor; }
    // The extension object that these fields make up.
    virtual extensionNSRaw &extension() = 0;
    virtual const extensionNSRaw &extension() const = 0;

    // Text of a Text field ("" for any other kind); setting an equal text changes nothing.
    QString text(int field) const;
    void setText(int field, const QString &value);
    // Whether the text is empty, without making it.
    bool textIsEmpty(int field) const { return !holds(field) || emptyHeldText(field); }
    // The text as UTF-8 when the field holds it so (a long text read from a document, kept as
    // the document had it until a view asks for it), else a null view.
    QByteArrayView textUTF8(int field) const;
    // False only when the text cannot hold the search (as QString::indexOf finds it); answered
    // from the UTF-8 bytes without making the text where it can be.
    bool textMayHold(int field, const QString &search, Qt::CaseSensitivity cs) const;
    // Integer of a Flag or Tristate field (0 for any other kind).
    int number(int field) const;
    void setNumber(int field, int value);
    // Any field as one value; setValue() takes what value() gives for that field.
    QVariant value(int field) const;
    void setValue(int field, const QVariant &value);

    // A field as a default setting keeps it: texts as they are, flags as "1" or "", tristates as
    // "-1", "" or "1", lists in their archived form, and a row whose default is the whole object
    // as a new object of the class holding every such field (see defaultIsObject). Setting one
    // takes that form back (an object also from its archive); a list or object that cannot be
    // read leaves the field empty.
    QVariant settingValue(int field) const;
    void setSettingValue(int field, const QVariant &setting);

    // YES when every field that counts is at its start value.
    virtual bool isEmpty() const;
    // Asks the processor for the block of the values, and then for the texts they hold.
    void prefetchValues() const { __builtin_prefetch(m_values.data()); }
    void prefetchValueTexts() const
    {
        for (const Value &value : m_values) {
            if (const QString *text = std::get_if<QString>(&value.held))
                __builtin_prefetch(text->constData());
            else
                __builtin_prefetch(value.utf8().constData());
        }
    }

    // The rows a pane's table shows for a List field, in list order.
    virtual QStringList listDisplayValues(int field) const;
    // How many rows that table has, and the text of one cell (a column the row names): counted
    // from, and taken from, the display values unless the class says more. A class whose lists
    // may grow long answers both without making every row's text: the table asks for each row
    // it paints.
    virtual int listCount(int field) const;
    virtual QString listCellText(int field, int row, const QString &column) const;
    // A searchable list: the text of each entry, and a list value of the field (as value()
    // gives it) with one entry's text replaced. A list of strings (URLs) needs nothing more.
    virtual QStringList listSearchTexts(int field) const;
    virtual QVariant listWithEntry(int field, const QVariant &list, int entry,
                                   const QString &text) const;

    // The pane showing the object, while it does (see ExtensionFindView).
    void setFindView(ExtensionFindView *view) { m_findView = view; }
    ExtensionFindView *findView() const { return m_findView; }

    // The field interface of an extension object; null for raw extensions.
    static std::shared_ptr<FieldExtensionBase> from(const std::shared_ptr<extensionNSRaw> &object);
    static FieldExtensionBase *from(extensionNSRaw *object);

    // The sort-tag catalogue of an item class: {prefix: {"displayName", "DTDURL",
    // "wellSupported": YES, "sortTags": {element: {"type", "children": NO}}}} of the fields
    // that have a sort type.
    static QVariantMap sortTagsOf(const ExtensionDescriptor &descriptor);

    // What a pane does when the user leaves a field's control with the typed text: the row's
    // leave rule, then its hook. Answers false when the user must stay in the field.
    static bool leaveField(const ExtensionField &row, QString &value, QObject *interface);

protected:
    explicit FieldExtensionBase(const ExtensionDescriptor &descriptor);
    // A copy has the same values and no find view.
    FieldExtensionBase(const FieldExtensionBase &other);
    FieldExtensionBase &operator=(const FieldExtensionBase &) = delete;

    // Hooks for the fields a row marks Custom (reading, writing) or List (everything else).
    // The defaults do nothing, write nothing and count as empty.
    virtual void parseCustom(int field, const vlxXMLNode *node);
    virtual QString buildCustom(int field, const QString &prefix) const;
    // Writing a Custom field into the document being written; buildCustom()'s text unless the
    // class writes straight into the buffer.
    virtual void appendCustom(UTF8Writer &out, int field, const QString &prefix) const;
    virtual QVariant customValue(int field) const;
    virtual void setCustomValue(int field, const QVariant &value);
    // The archived form of the list (property-list values and archivable objects).
    virtual QVariant archiveCustom(int field) const;
    virtual void unarchiveCustom(int field, const QVariant &archived);
    // Applies a default setting to the list when the setting is usable.
    virtual void applyCustomDefault(int field, const QVariant &setting);
    virtual bool customIsEmpty(int field) const;
    // A value a template export places: its token, the value, and what the value is.
    struct ExportedValue
    {
        QString token;
        QString value;
        TemplateValues::Holds holds = TemplateValues::Holds::PlainText;
    };
    // The list's exported values, in export order.
    virtual QList<ExportedValue> exportCustom(int field) const;
    virtual void validateCustom(int field);
    // Sent after a value changed: the object's change listeners hear of it.
    virtual void fieldChanged(int field);

    // The algorithms FieldExtension<Place> runs for the extension's operations.
    // "prefix:element" for each element of the parse order, the prefix in lower case.
    QStringList fieldNamesFor(const QString &processingName) const;
    // Reads an element into its fields. Answers false, reading nothing, for an element the class
    // does not take: a name outside the parse order, an element that holds no field, or a repeat
    // of an element whose fields hold a value already (the first one read stands).
    bool parseFieldNode(const vlxXMLNode *node);
    QString buildFieldsXML(const QString &prefix) const;
    void appendFieldsXML(UTF8Writer &out, const QString &prefix) const;
    void encodeFields(QVariantMap &coder) const;
    void decodeFields(const QVariantMap &coder);
    void populateFields(const QString &uniqueKey);
    void exportFields(TemplateValues &values) const;
    int replaceAllFields(const QString &search, const QString &replacement, int options);
    // Whether findInFields() from the start would find the text in a field or list entry.
    bool fieldsHold(const QString &search, int options) const;
    bool findInFields(const QString &search, const std::optional<QString> &replacement,
                      bool thenSearch, int options, QObject *onTab, QObject *underTab, int atIndex);
    // The list step of a find: each entry holding the text goes to the find view's sheet.
    bool findInList(int field, const QString &search, std::optional<QString> &pending,
                    bool thenSearch, int options, QObject *onTab, QObject *underTab, int atIndex);
    // Logs the checks of the validation order; List fields through validateCustom().
    void validateFields();
    // The text of the Text field written as that element path ("subtitle", "owner/email").
    std::optional<QString> fieldElementText(const QString &path) const;
    // The descriptor's own URI stands; another one is reported when the descriptor says so.
    void noteDeclaredURI(const QString &uri);

    // The text of an element, or, where it has none, the URL it names in RSS 1.0 style
    // (rdf:resource="…").
    static QString textOrResource(const vlxXMLNode *node);

    // Text read from an element with its markup removed; a removal that changes more than
    // white space is reported as the descriptor's HTML repair naming the tag.
    QString strippedText(const QString &text, QLatin1StringView tag);

private:
    // A new object of the class with this one's values of the rows whose default is the object.
    QVariant objectOfDefaults() const;

    // A field that holds something else than its start value ("" or 0). Most objects hold a
    // few of the many fields of their table, so only those take room.
    // A field holds a number, a text, or the text as the document had it in UTF-8 when read so;
    // the two forms of the text share their room (objects are many, one or two per item).
    struct Value
    {
        qint16 field;
        bool ascii = false; // the UTF-8 holds ASCII only
        int number = 0;
        std::variant<QString, QByteArray> held;

        // The text held as a text, else a null one.
        const QString &text() const
        {
            static const QString none;
            const QString *text = std::get_if<QString>(&held);
            return text ? *text : none;
        }
        // The text held as UTF-8, else a null array.
        const QByteArray &utf8() const
        {
            static const QByteArray none;
            const QByteArray *bytes = std::get_if<QByteArray>(&held);
            return bytes ? *bytes : none;
        }
    };
    const Value *find(int field) const;
    // False when the field is surely at its start value: the bits of the fields held (the
    // first 64; any later field may be held).
    bool holds(int field) const { return field >= 64 || (m_held >> field) & 1; }
    bool emptyHeldText(int field) const;
    Value &slot(int field);
    void erase(int field);

    // The fields an element of the parse order holds.
    const std::vector<int> &fieldsOfElement(size_t element) const;
    QString readValue(const ExtensionField &row, const vlxXMLNode *node);
    // Reads an HTML field's element as UTF-8 when the text needs no decoding (answers false,
    // storing nothing, when it does).
    bool storeReadUTF8(int field, const vlxXMLNode *node);
    void storeRead(int field, const QString &text);
    void appendElementLine(UTF8Writer &out, const QString &prefix, const ExtensionField &row,
                           const Value &value) const;
    // The field's value when it holds a text that is not empty.
    const Value *nonEmptyText(int field) const
    {
        const Value *value = holds(field) ? find(field) : nullptr;
        return value && !(value->text().isEmpty() && value->utf8().isEmpty()) ? value : nullptr;
    }

    const ExtensionDescriptor *m_descriptor;
    std::vector<Value> m_values; // in field order
    quint64 m_held = 0;
    ExtensionFindView *m_findView = nullptr;
};
