#include "extensions/dc/DublinCoreRows.h"

#include "model/VLXLogic.h"

#define VLX_DC_NAME(element, Name) #element,
const char *const DublinCoreRows::kElements[kCount] = {VLX_DC_ELEMENTS(VLX_DC_NAME)};
#undef VLX_DC_NAME

ExtensionField DublinCoreRows::withRules(ExtensionField row, int element)
{
    using F = ExtensionField;
    switch (element) {
    case kDate:
        if (row.read != F::Read::Custom)
            row.read = F::Read::Date;
        row.widget = F::Widget::Date;
        row.leave = F::Leave::Keep;
        row.leaveHook = &repairTypedDate;
        break;
    case kLanguage:
        row.widget = F::Widget::Language;
        row.leave = F::Leave::Keep;
        row.searchable = false;
        row.countsForEmpty = false;
        break;
    case kDescription:
        row.widget = F::Widget::TextView;
        row.leave = F::Leave::Keep;
        break;
    default:
        row.widget = F::Widget::LineEdit;
        row.leave = F::Leave::Trim;
        break;
    }
    return row;
}

bool DublinCoreRows::repairTypedDate(QString &value, QObject *interface)
{
    Q_UNUSED(interface);
    value = VLXLogic::FixRDFInternetDateTimeAndInform(value.trimmed(), true,
                                                      QStringLiteral("dc:date"));
    return true;
}

QString DublinCoreRows::w3cDate(const QString &pubDate)
{
    if (pubDate.isEmpty())
        return pubDate;
    return VLXLogic::FixRDFInternetDateTime(pubDate, true, nullptr);
}
