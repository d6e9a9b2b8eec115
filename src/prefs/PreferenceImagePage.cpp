#include "prefs/PreferenceImagePage.h"

#include "panes/PaneKit.h"
#include "prefs/PreferencePageKit.h"
#include "ui/VLXTextField.h"

#include <QCoreApplication>
#include <QFormLayout>

namespace {
const char *const kFields[][2] = {
    {"Title", QT_TRANSLATE_NOOP("PreferenceImagePage", "Title:")},
    {"Description", QT_TRANSLATE_NOOP("PreferenceImagePage", "Description:")},
    {"Link", QT_TRANSLATE_NOOP("PreferenceImagePage", "Link:")},
    {"URL", QT_TRANSLATE_NOOP("PreferenceImagePage", "URL:")},
    {"Width", QT_TRANSLATE_NOOP("PreferenceImagePage", "Width:")},
    {"Height", QT_TRANSLATE_NOOP("PreferenceImagePage", "Height:")},
};

PreferenceBindings imageBindings()
{
    PreferenceBindings b;
    // The image keys carry a "Pref" their fields do not.
    for (const auto &field : kFields)
        b.append({QStringLiteral("FD_AF_IM_") + QLatin1String(field[0]),
                  QStringLiteral("PrefFD_AF_IM_") + QLatin1String(field[0]), BindingKind::Text});
    return b;
}
} // namespace

PreferenceImagePage::PreferenceImagePage()
    : PreferencesPage(QStringLiteral("All Feeds Image"), PreferenceScope::AllFeeds, imageBindings())
{
}

QWidget *PreferenceImagePage::build(PreferencesContext &)
{
    auto *form = PaneKit::newForm();
    for (const auto &field : kFields)
        form->addRow(QCoreApplication::translate("PreferenceImagePage", field[1]),
                     PaneKit::textField(QStringLiteral("FD_AF_IM_") + QLatin1String(field[0])));
    return PreferencePageKit::page(
        identifier(), QCoreApplication::translate("PreferenceImagePage", "Image of all feeds"),
        QCoreApplication::translate("PreferenceImagePage",
                                    "A new feed's image starts with these values."),
        form);
}
