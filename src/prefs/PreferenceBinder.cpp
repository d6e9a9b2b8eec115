#include "prefs/PreferenceBinder.h"

#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerPrefs.h"
#include "model/extensionNSRaw.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesContext.h"
#include "settings/VLXPreferencesWorkingCopy.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

namespace {

QWidget *controlOf(QWidget *root, const PreferenceBinding &binding)
{
    if (!root)
        return nullptr;
    QWidget *control = root->objectName() == binding.control
        ? root
        : root->findChild<QWidget *>(binding.control);
    if (control && binding.tag >= 0) {
        if (auto *matrix = qobject_cast<VLXMatrix *>(control))
            return matrix->cellWithTag(binding.tag);
        return nullptr;
    }
    return control;
}

void setText(QWidget *control, const QString &text)
{
    if (auto *field = qobject_cast<QLineEdit *>(control))
        field->setText(text);
    else if (auto *view = qobject_cast<VLXTextView *>(control))
        view->setStringValue(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
}

QString textOf(QWidget *control)
{
    if (auto *field = qobject_cast<QLineEdit *>(control))
        return field->text();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        return plain->toPlainText();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    return QString();
}

QString trimmed(const QString &text)
{
    // White space and line ends at both ends, as the text system understands them.
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).isSpace())
        ++start;
    while (end > start && text.at(end - 1).isSpace())
        --end;
    return text.mid(start, end - start);
}

// No item is selected when no item has the title.
void selectTitle(QComboBox *menu, const QString &title)
{
    menu->setCurrentIndex(menu->findText(title, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

} // namespace

int PreferenceBinder::explicitIndex(const QVariant &value)
{
    const int index = value.toString().toInt() + 1;
    return index < 0 || index > 2 ? 1 : index;
}

QString PreferenceBinder::explicitValue(int index)
{
    if (index == 2)
        return QStringLiteral("1");
    if (index == 0)
        return QStringLiteral("-1");
    return QString(QLatin1String(""));
}

bool PreferenceBinder::stringCheckState(const QVariant &value)
{
    return value.toString().toInt() != 0;
}

QString PreferenceBinder::stringCheckValue(bool on)
{
    return on ? QStringLiteral("1") : QString(QLatin1String(""));
}

const QStringList &PreferenceBinder::smartDateTitles()
{
    static const QStringList titles = [] {
        const QStringList days {QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                                QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                                QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                QStringLiteral("Saturday")};
        QStringList all {QStringLiteral("Today"), QStringLiteral("Tomorrow")};
        all += days;
        for (const char *which : {"First", "Last"}) {
            for (const QString &day : days)
                all.append(QStringLiteral("%1 %2 of the month").arg(QLatin1String(which), day));
        }
        all += {QStringLiteral("First Day of the month"), QStringLiteral("Last Day of the month")};
        for (const QString &day : days)
            all.append(QStringLiteral("X %1 of the month").arg(day));
        all.append(QStringLiteral("X Day of the month"));
        return all;
    }();
    return titles;
}

const QStringList &PreferenceBinder::smartTimeTitles()
{
    static const QStringList titles = [] {
        QStringList all {QStringLiteral("Current Time")};
        for (int hour = 0; hour < 24; ++hour) {
            const int shown = hour % 12 == 0 ? 12 : hour % 12;
            all.append(QStringLiteral("%1:00 %2")
                           .arg(shown)
                           .arg(hour < 12 ? QLatin1String("AM") : QLatin1String("PM")));
        }
        return all;
    }();
    return titles;
}

void PreferenceBinder::fill(QWidget *root, const PreferenceBinding &binding, const QVariant &value,
                            PreferencesContext &context)
{
    switch (binding.kind) {
    case BindingKind::List:
        context.list(binding.control).setItems(value.toList());
        return;
    case BindingKind::ArchivedList:
        context.list(binding.control)
            .setItems(KeyedUnarchiver::unarchiveObjectWithData(value.toByteArray()).toList());
        return;
    case BindingKind::Registry: {
        QStringList &registry = context.store().general_XMLNamespaces();
        registry = value.toStringList();
        context.store().validateGeneralXMLNamespaces();
        PreferenceWorkingList &shown = context.list(binding.control);
        QVariantList items;
        for (const QString &entry : std::as_const(registry))
            items.append(entry);
        shown.setItems(items);
        return;
    }
    case BindingKind::RawXML: {
        extensionManagerPrefs *manager = context.manager(binding.control);
        if (!manager)
            return;
        // Every extension shows the stored text, "" when none is stored: a text typed and then
        // cancelled or reverted must not stay behind to be stored by the next OK. A stored
        // entry whose extension the manager does not have is skipped.
        const QVariantMap texts = value.toMap();
        for (const auto &extension : manager->arrayOfExtensions()) {
            if (extension)
                extension->setRawXML(texts.value(extension->extensionName()).toString());
        }
        return;
    }
    default:
        break;
    }

    QWidget *control = controlOf(root, binding);
    if (!control)
        return;
    switch (binding.kind) {
    case BindingKind::Text:
    case BindingKind::TextView:
    case BindingKind::PlainText:
    case BindingKind::PlainTextView:
    case BindingKind::W3CDate:
        setText(control, value.toString());
        break;
    case BindingKind::Integer:
        setText(control, QString::number(value.toInt()));
        break;
    case BindingKind::Check01:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setChecked(value.toInt() != 0);
        break;
    case BindingKind::CheckYesNo:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setChecked(value.toBool());
        break;
    case BindingKind::CheckString1:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setChecked(stringCheckState(value));
        break;
    case BindingKind::SecondRow:
        if (auto *matrix = qobject_cast<VLXMatrix *>(control)) {
            const bool second = value.toInt() != 0;
            matrix->setStateOfTag(0, second ? 0 : 1);
            matrix->setStateOfTag(1, second ? 1 : 0);
        }
        break;
    case BindingKind::Explicit:
        if (auto *menu = qobject_cast<QComboBox *>(control))
            menu->setCurrentIndex(explicitIndex(value));
        break;
    case BindingKind::Index:
        if (auto *menu = qobject_cast<QComboBox *>(control)) {
            const int index = value.toInt();
            menu->setCurrentIndex(index >= 0 && index < menu->count() ? index : -1);
        }
        break;
    case BindingKind::Language:
        if (auto *menu = qobject_cast<QComboBox *>(control))
            selectTitle(menu, VLXFeedLanguage::sharedTitleForCode(value.toString()));
        break;
    case BindingKind::Title:
        if (auto *menu = qobject_cast<QComboBox *>(control))
            selectTitle(menu, value.toString());
        break;
    default:
        // The label kind shows nothing from the value.
        break;
    }
}

QVariant PreferenceBinder::read(QWidget *root, const PreferenceBinding &binding,
                                PreferencesContext &context)
{
    switch (binding.kind) {
    case BindingKind::List:
        return context.list(binding.control).items();
    case BindingKind::ArchivedList:
        return KeyedArchiver::archivedDataWithRootObject(context.list(binding.control).items());
    case BindingKind::Registry:
        return context.store().general_XMLNamespaces();
    case BindingKind::RawXML: {
        extensionManagerPrefs *manager = context.manager(binding.control);
        if (!manager)
            return {};
        QVariantMap texts;
        for (const auto &extension : manager->arrayOfExtensions()) {
            if (extension && !extension->rawXML().isEmpty())
                texts.insert(extension->extensionName(), extension->rawXML());
        }
        return texts;
    }
    default:
        break;
    }

    QWidget *control = controlOf(root, binding);
    if (!control)
        return {};
    switch (binding.kind) {
    case BindingKind::Text:
        return textOf(control);
    case BindingKind::TextView:
        return trimmed(textOf(control));
    case BindingKind::PlainText:
    case BindingKind::PlainTextView: {
        QString text = textOf(control);
        if (binding.kind == BindingKind::PlainTextView)
            text = trimmed(text);
        text = VLXLogic::stripHTML(text);
        setText(control, text);
        return text;
    }
    case BindingKind::W3CDate: {
        const QString text = trimmed(textOf(control));
        const QString fixed
            = text.isEmpty() ? text : VLXLogic::FixRDFInternetDateTime(text, true, nullptr);
        setText(control, fixed);
        return fixed;
    }
    case BindingKind::Integer:
    case BindingKind::Label:
        return textOf(control).trimmed().toInt();
    case BindingKind::Check01:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            return button->isChecked() ? 1 : 0;
        return {};
    case BindingKind::CheckYesNo:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            return button->isChecked();
        return {};
    case BindingKind::CheckString1:
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            return stringCheckValue(button->isChecked());
        return {};
    case BindingKind::SecondRow:
        if (auto *matrix = qobject_cast<VLXMatrix *>(control))
            return matrix->stateOfTag(1);
        return {};
    case BindingKind::Explicit:
        if (auto *menu = qobject_cast<QComboBox *>(control))
            return explicitValue(menu->currentIndex());
        return {};
    case BindingKind::Index:
        // A menu showing no item (a stored index out of range) leaves the value alone.
        if (auto *menu = qobject_cast<QComboBox *>(control); menu && menu->currentIndex() >= 0)
            return menu->currentIndex();
        return {};
    case BindingKind::Language:
        // A code the table does not know shows no item; it stays as it was stored.
        if (auto *menu = qobject_cast<QComboBox *>(control); menu && menu->currentIndex() >= 0)
            return VLXFeedLanguage::sharedCodeForTitle(menu->currentText());
        return {};
    case BindingKind::Title:
        if (auto *menu = qobject_cast<QComboBox *>(control))
            return menu->currentIndex() < 0 ? QString(QLatin1String("")) : menu->currentText();
        return {};
    default:
        return {};
    }
}
