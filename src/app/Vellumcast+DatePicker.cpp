// The date picker buttons beside the channel's and the item's publication date.
#include "app/Vellumcast.h"

#include "app/FeedFields.h"
#include "editors/TimeAndDate.h"

#include <QAbstractButton>
#include <QMainWindow>

void Vellumcast::connectDatePickers()
{
    const struct
    {
        const char *button;
        void (Vellumcast::*action)();
    } pickers[] = {{"Feeds_Required_DatePickerButton", &Vellumcast::feedToggleDatePicker},
                   {"Items_Required_DatePickerButton", &Vellumcast::itemToggleDatePicker}};
    for (const auto &picker : pickers) {
        if (auto *button = outlet<QAbstractButton>(QLatin1String(picker.button)))
            connect(button, &QAbstractButton::clicked, this, picker.action);
    }
}

void Vellumcast::feedToggleDatePicker()
{
    pickDate(QStringLiteral("Feeds_Required_PubDate"), -1);
}

void Vellumcast::itemToggleDatePicker()
{
    const int row = selectedItemRow();
    if (row < 0 || !m_document->item(row))
        return;
    pickDate(QStringLiteral("Items_Required_PubDate"), row);
}

void Vellumcast::pickDate(const QString &outlet, int item)
{
    finalizeChanges();
    const FeedField *field = FeedFields::byOutlet(outlet);
    if (!field || (field->isItemScoped() && !m_document->item(item)))
        return;
    TimeAndDate picker;
    picker.setInitialValueVLXDateFormat(m_document->value(*field, item));
    if (picker.showCustomSheet(m_documentWindow) != 1)
        return;
    // Accepting the picker is a step of its own, even when the date stayed the same.
    m_document->commitField(*field, item, picker.resultDateVLXDateFormat());
}
