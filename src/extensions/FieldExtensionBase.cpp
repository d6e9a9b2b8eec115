#include "extensions/FieldExtensionBase.h"

#include "extensions/ExtensionText.h"
#include "model/FieldRule.h"
#include "model/extensionSettings.h"
#include "model/sortTags.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedUnarchiver.h"

#include <cstring>

namespace {

using Field = ExtensionField;

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

bool hasNumber(const ExtensionField &row)
{
    return row.kind == Field::Kind::Flag || row.kind == Field::Kind::Tristate;
}

} // namespace

FieldExtensionBase::FieldExtensionBase(const ExtensionDescriptor &descriptor)
    : m_descriptor(&descriptor)
{
}

FieldExtensionBase::FieldExtensionBase(const FieldExtensionBase &other)
    : m_descriptor(other.m_descriptor), m_values(other.m_values), m_held(other.m_held)
{
}

FieldExtensionBase::~FieldExtensionBase() = default;

// --- values ------------------------------------------------------------------------------------

const FieldExtensionBase::Value *FieldExtensionBase::find(int field) const
{
    if (!holds(field))
        return nullptr;
    for (const Value &value : m_values) {
        if (value.field == field)
            return &value;
    }
    return nullptr;
}

FieldExtensionBase::Value &FieldExtensionBase::slot(int field)
{
    auto at = m_values.begin();
    while (at != m_values.end() && at->field < field)
        ++at;
    if (at == m_values.end() || at->field != field) {
        // Grown one value at a time: an object keeps the few values it holds for long.
        if (m_values.size() == m_values.capacity()) {
            const auto offset = at - m_values.begin();
            m_values.reserve(m_values.size() + 1);
            at = m_values.begin() + offset;
        }
        at = m_values.insert(at, Value {qint16(field), false, 0, QString()});
    }
    if (field < 64)
        m_held |= quint64(1) << field;
    return *at;
}

void FieldExtensionBase::erase(int field)
{
    std::erase_if(m_values, [field](const Value &value) { return value.field == field; });
    if (field < 64)
        m_held &= ~(quint64(1) << field);
}

bool FieldExtensionBase::emptyHeldText(int field) const
{
    const Value *value = find(field);
    return !value || (value->utf8().isEmpty() && value->text().isEmpty());
}

QString FieldExtensionBase::text(int field) const
{
    const Value *value = find(field);
    if (value && !value->utf8().isNull())
        return QString::fromUtf8(value->utf8());
    // A field holding a number has no text: "" as for every field at its start.
    return value && !value->text().isNull() ? value->text() : QString(QLatin1String(""));
}

QByteArrayView FieldExtensionBase::textUTF8(int field) const
{
    const Value *value = find(field);
    return value && !value->utf8().isNull() ? QByteArrayView(value->utf8()) : QByteArrayView();
}

bool FieldExtensionBase::textMayHold(int field, const QString &search, Qt::CaseSensitivity cs) const
{
    const Value *value = find(field);
    if (!value || value->utf8().isNull())
        return !textIsEmpty(field);
    if (search.isEmpty() || !QStringView(search).isValidUtf16())
        return true;
    const QByteArray needle = search.toUtf8();
    if (cs == Qt::CaseSensitive)
        return QByteArrayView(value->utf8()).contains(needle);
    // Without a letter beyond ASCII on either side, case folding is ASCII's own.
    for (const char c : needle) {
        if (uchar(c) >= 0x80)
            return true;
    }
    return !value->ascii
        || QLatin1StringView(value->utf8())
               .contains(QLatin1StringView(needle), Qt::CaseInsensitive);
}

void FieldExtensionBase::setText(int field, const QString &value)
{
    // A null text is stored as "" and counts as a change even of an empty field.
    if (!value.isNull() && text(field) == value)
        return;
    if (value.isEmpty()) {
        erase(field);
    } else {
        Value &held = slot(field);
        held.held = value;
        held.ascii = false;
    }
    fieldChanged(field);
}

int FieldExtensionBase::number(int field) const
{
    const Value *value = find(field);
    return value ? value->number : 0;
}

void FieldExtensionBase::setNumber(int field, int value)
{
    if (number(field) == value)
        return;
    if (value == 0)
        erase(field);
    else
        slot(field).number = value;
    fieldChanged(field);
}

QVariant FieldExtensionBase::value(int field) const
{
    const ExtensionField &row = descriptor().field(field);
    if (row.kind == Field::Kind::List)
        return customValue(field);
    if (hasNumber(row))
        return number(field);
    return text(field);
}

void FieldExtensionBase::setValue(int field, const QVariant &value)
{
    const ExtensionField &row = descriptor().field(field);
    if (row.kind == Field::Kind::List)
        setCustomValue(field, value);
    else if (hasNumber(row))
        setNumber(field, value.toInt());
    else
        setText(field, value.toString());
}

QVariant FieldExtensionBase::settingValue(int field) const
{
    const ExtensionField &row = descriptor().field(field);
    if (row.defaultIsObject)
        return objectOfDefaults();
    if (row.kind == Field::Kind::List)
        return archiveCustom(field);
    if (!hasNumber(row))
        return text(field);
    const int n = number(field);
    if (row.kind == Field::Kind::Flag)
        return n != 0 ? QStringLiteral("1") : QString(QLatin1String(""));
    return n == 0 ? QString(QLatin1String("")) : QString::number(n < 0 ? -1 : 1);
}

void FieldExtensionBase::setSettingValue(int field, const QVariant &setting)
{
    const ExtensionField &row = descriptor().field(field);
    if (row.defaultIsObject) {
        // The field of the object the setting holds; anything else counts as an empty default.
        const QVariant object = setting.typeId() == QMetaType::QByteArray
            ? KeyedUnarchiver::unarchiveObjectWithData(setting.toByteArray())
            : setting;
        const auto held
            = std::dynamic_pointer_cast<extensionNSRaw>(KeyedArchivable::fromVariant(object));
        const FieldExtensionBase *source = from(held.get());
        if (source && std::strcmp(source->descriptor().className, descriptor().className) == 0)
            setValue(field, source->value(field));
        else
            setCustomValue(field, QVariant());
        return;
    }
    if (row.kind == Field::Kind::List) {
        setCustomValue(field, setting);
        return;
    }
    if (!hasNumber(row)) {
        setText(field, setting.toString());
        return;
    }
    const int n = ExtensionText::leadingInteger(setting.toString());
    if (row.kind == Field::Kind::Flag)
        setNumber(field, n != 0 ? 1 : 0);
    else
        setNumber(field, n < 0 ? -1 : (n > 0 ? 1 : 0));
}

QVariant FieldExtensionBase::objectOfDefaults() const
{
    // A new object of the class itself (not of a preferences twin), so that the setting reads
    // back as the class wherever it goes.
    const ArchivableRef made
        = KeyedUnarchiver::makeObject(QString::fromLatin1(descriptor().className));
    FieldExtensionBase *fieldsOf = from(dynamic_cast<extensionNSRaw *>(made.get()));
    if (!fieldsOf)
        return QVariant();
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        if (descriptor().field(f).defaultIsObject)
            fieldsOf->setValue(f, value(f));
    }
    return KeyedArchivable::toVariant(made);
}

bool FieldExtensionBase::isEmpty() const
{
    // Every check of every item asks first. A field of the first 64 holds a value only while it
    // is off its start value (setting "" or 0 lets it go, a read keeps no blank text), so its
    // bit answers without reading the values.
    const auto offStart = [&](int f, const ExtensionField &row) {
        if (f < 64)
            return holds(f);
        return hasNumber(row) ? number(f) != 0 : !textIsEmpty(f);
    };
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (!row.countsForEmpty)
            continue;
        if (row.kind == Field::Kind::List ? !customIsEmpty(f) : offStart(f, row))
            return false;
    }
    return true;
}

QStringList FieldExtensionBase::listDisplayValues(int field) const
{
    Q_UNUSED(field);
    return {};
}

int FieldExtensionBase::listCount(int field) const
{
    return int(listDisplayValues(field).size());
}

QString FieldExtensionBase::listCellText(int field, int row, const QString &column) const
{
    Q_UNUSED(column);
    return listDisplayValues(field).value(row);
}

QStringList FieldExtensionBase::listSearchTexts(int field) const
{
    return value(field).toStringList();
}

QVariant FieldExtensionBase::listWithEntry(int field, const QVariant &list, int entry,
                                           const QString &text) const
{
    Q_UNUSED(field);
    QStringList entries = list.toStringList();
    if (entry >= 0 && entry < entries.size())
        entries[entry] = text;
    return entries;
}

std::shared_ptr<FieldExtensionBase>
FieldExtensionBase::from(const std::shared_ptr<extensionNSRaw> &object)
{
    return std::dynamic_pointer_cast<FieldExtensionBase>(object);
}

FieldExtensionBase *FieldExtensionBase::from(extensionNSRaw *object)
{
    return dynamic_cast<FieldExtensionBase *>(object);
}

// --- hooks -------------------------------------------------------------------------------------

void FieldExtensionBase::parseCustom(int, const vlxXMLNode *) { }

QString FieldExtensionBase::buildCustom(int, const QString &) const
{
    return QString();
}

QVariant FieldExtensionBase::customValue(int) const
{
    return QVariant();
}

void FieldExtensionBase::setCustomValue(int, const QVariant &) { }

QVariant FieldExtensionBase::archiveCustom(int field) const
{
    return customValue(field);
}

void FieldExtensionBase::unarchiveCustom(int field, const QVariant &archived)
{
    setCustomValue(field, archived);
}

void FieldExtensionBase::applyCustomDefault(int, const QVariant &) { }

bool FieldExtensionBase::customIsEmpty(int) const
{
    return true;
}

QList<FieldExtensionBase::ExportedValue> FieldExtensionBase::exportCustom(int) const
{
    return {};
}

void FieldExtensionBase::validateCustom(int) { }

void FieldExtensionBase::fieldChanged(int)
{
    extension().notifyChanged();
}

// --- archiving and defaults ----------------------------------------------------------------------

void FieldExtensionBase::encodeFields(QVariantMap &coder) const
{
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (!row.archiveKey)
            continue;
        const QString key = latin1(row.archiveKey);
        if (row.kind == Field::Kind::List)
            coder.insert(key, archiveCustom(f));
        else if (hasNumber(row))
            coder.insert(key, number(f));
        else
            coder.insert(key, text(f));
    }
}

void FieldExtensionBase::decodeFields(const QVariantMap &coder)
{
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (!row.archiveKey)
            continue;
        const auto found = coder.constFind(latin1(row.archiveKey));
        if (found == coder.cend())
            continue;
        if (row.kind == Field::Kind::List)
            unarchiveCustom(f, found.value());
        else if (hasNumber(row))
            setNumber(f, found.value().toInt());
        else
            setText(f, found.value().toString());
    }
}

void FieldExtensionBase::populateFields(const QString &uniqueKey)
{
    // Field by field: the feed's own value, when it has one, masks the all-feeds value.
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        QVariant setting;
        if (row.feedDefaultKey && !uniqueKey.isEmpty())
            setting = extensionSettings::feedValue(latin1(row.feedDefaultKey), uniqueKey);
        const bool ownIsSet = row.kind == Field::Kind::List
            ? !setting.toList().isEmpty()
            : setting.isValid() && !setting.toString().isEmpty();
        if (!ownIsSet) {
            if (!row.defaultKey)
                continue;
            setting = extensionSettings::globalValue(latin1(row.defaultKey));
        }
        if (row.kind == Field::Kind::List) {
            applyCustomDefault(f, setting);
            continue;
        }
        // Integers are stored as their decimal text.
        const QString value = setting.toString();
        if (value.isEmpty())
            continue;
        if (hasNumber(row))
            setNumber(f, ExtensionText::leadingInteger(value));
        else
            setText(f, value);
    }
}

// --- export ------------------------------------------------------------------------------------

void FieldExtensionBase::exportFields(TemplateValues &values) const
{
    std::vector<int> order(m_descriptor->exportOrder.begin(), m_descriptor->exportOrder.end());
    if (order.empty()) {
        for (int f = 0; f < descriptor().fieldCount(); ++f)
            order.push_back(f);
    }
    using Holds = TemplateValues::Holds;
    for (const int f : order) {
        const ExtensionField &row = descriptor().field(f);
        if (row.kind == Field::Kind::List) {
            for (const ExportedValue &exported : exportCustom(f))
                values.put(exported.token, exported.value, exported.holds);
            continue;
        }
        if (!row.exportToken)
            continue;
        const QString token = latin1(row.exportToken);
        if (!values.asks(token))
            continue; // a text may have to be made: only for a placeholder the template holds
        if (row.kind == Field::Kind::Flag)
            values.put(token, number(f) != 0 ? QStringLiteral("YES") : QStringLiteral("NO"));
        else if (row.kind == Field::Kind::Tristate)
            values.put(token,
                       number(f) == 1
                           ? QStringLiteral("YES")
                           : (number(f) == -1 ? QStringLiteral("CLEAN") : QStringLiteral("NO")));
        else
            values.put(token, text(f),
                       row.read == Field::Read::Link ? Holds::Address : Holds::PlainText);
    }
}

// --- validation and the rest ---------------------------------------------------------------------

void FieldExtensionBase::validateFields()
{
    const auto validateField = [&](int f) {
        const ExtensionField &row = descriptor().field(f);
        if (row.kind == Field::Kind::List) {
            validateCustom(f);
            return;
        }
        if (!row.check)
            return;
        // A text held as such is checked where it stands, not copied.
        const Value *value = find(f);
        const bool inPlace = value && value->utf8().isNull() && !value->text().isNull();
        const QString made = inPlace ? QString() : text(f);
        VLXError error;
        if (row.check(inPlace ? value->text() : made, &error))
            return;
        if (row.logsWarning)
            extension().recordWarning(error.localizedDescription());
        else
            FieldRule::logFailure(extension(), error);
    };
    // Runs for every item of a feed: the order is walked where it stands.
    if (!m_descriptor->validateOrder.empty()) {
        for (const int f : m_descriptor->validateOrder)
            validateField(f);
        return;
    }
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        if (descriptor().field(f).check)
            validateField(f);
    }
}

QVariantMap FieldExtensionBase::sortTagsOf(const ExtensionDescriptor &descriptor)
{
    QVariantMap tags;
    for (const ExtensionField &row : descriptor.fields) {
        if (row.sortType)
            tags.insert(latin1(row.element), sortTags::tag(latin1(row.sortType)));
    }
    QVariantMap catalogue;
    catalogue.insert(
        knownNamespaces::prefix(descriptor.ns),
        sortTags::namespaceRecord(knownNamespaces::displayName(descriptor.ns, descriptor.place),
                                  knownNamespaces::uri(descriptor.ns), true, tags));
    return catalogue;
}

bool FieldExtensionBase::leaveField(const ExtensionField &row, QString &value, QObject *interface)
{
    switch (row.leave) {
    case Field::Leave::Keep:
        break;
    case Field::Leave::Trim:
        value = value.trimmed();
        break;
    case Field::Leave::TrimAndInform:
        value = value.trimmed();
        // A failing check explains itself; the value stays for the user to mend.
        if (row.check)
            FieldRule::inform([&](VLXError *e) { return row.check(value, e); }, interface);
        break;
    }
    return !row.leaveHook || row.leaveHook(value, interface);
}

int ExtensionDescriptor::indexOf(const char *name) const
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (std::strcmp(fields[i].name, name) == 0)
            return int(i);
    }
    return -1;
}
