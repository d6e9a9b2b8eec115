#include "prefs/PreferenceAdvancedPage.h"

#include "panes/PaneKit.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "ui/VLXTextField.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {
struct PlaceNames
{
    const char *identifier;
    const char *area; // "FD_CF_IF", "FD_AF_FF", ...
    const char *key; // the comments' key ("FD_AF_AD_XMLComments" has no area part)
    const char *title;
};

const PlaceNames &namesOf(PreferenceAdvancedPage::Place place)
{
    static const PlaceNames names[] = {
        {"Current Feed Item Advanced", "FD_CF_IF", "FD_CF_IF_AD_XMLComments",
         QT_TRANSLATE_NOOP("PreferenceAdvancedPage", "Advanced item settings of this feed")},
        {"All Feeds Advanced", "FD_AF_FF", "FD_AF_AD_XMLComments",
         QT_TRANSLATE_NOOP("PreferenceAdvancedPage", "Advanced feed settings of all feeds")},
        {"All Feeds Item Advanced", "FD_AF_IF", "FD_AF_IF_AD_XMLComments",
         QT_TRANSLATE_NOOP("PreferenceAdvancedPage", "Advanced item settings of all feeds")},
        {"All Feeds Image Advanced", "FD_AF_IM", "FD_AF_IM_AD_XMLComments",
         QT_TRANSLATE_NOOP("PreferenceAdvancedPage", "Advanced image settings of all feeds")},
    };
    return names[int(place)];
}

PreferenceBindings bindingsFor(PreferenceAdvancedPage::Place place)
{
    const PlaceNames &n = namesOf(place);
    PreferenceBindings b;
    if (place == PreferenceAdvancedPage::Place::Channel) {
        b.append({QStringLiteral("FD_AF_FF_AD_StyleSheet"), QStringLiteral("FD_AF_AD_Stylesheet"),
                  BindingKind::Text});
        b.append({QStringLiteral("FD_AF_FF_AD_StyleSheetCSS"),
                  QStringLiteral("FD_AF_AD_StylesheetCSS"), BindingKind::Text});
    }
    b.append({QLatin1String(n.area) + QStringLiteral("_AD_Comments"), QLatin1String(n.key),
              BindingKind::List});
    return b;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceAdvancedPage", text);
}
} // namespace

PreferenceAdvancedPage::PreferenceAdvancedPage(Place place)
    : PreferencesPage(QLatin1String(namesOf(place).identifier),
                      place == Place::CurrentFeedItem ? PreferenceScope::CurrentFeed
                                                      : PreferenceScope::AllFeeds,
                      bindingsFor(place)),
      m_place(place)
{
}

QWidget *PreferenceAdvancedPage::build(PreferencesContext &context)
{
    const PlaceNames &n = namesOf(m_place);
    const QString area = QLatin1String(n.area);
    auto *pane = new QVBoxLayout;
    if (m_place == Place::Channel) {
        auto *form = PaneKit::newForm();
        form->addRow(tr("XSL Style Sheet:"),
                     PaneKit::textField(QStringLiteral("FD_AF_FF_AD_StyleSheet"), tr("https://")));
        form->addRow(
            tr("CSS Style Sheet:"),
            PaneKit::textField(QStringLiteral("FD_AF_FF_AD_StyleSheetCSS"), tr("https://")));
        pane->addLayout(form);
    }
    const QString list = area + QStringLiteral("_AD_Comments");
    PreferencesContext *shared = &context;
    pane->addWidget(PreferencePageKit::editableList(
        context, area + QStringLiteral("_AD_CommentsTable"), list, tr("XML Comments:"),
        QStringLiteral("comment"),
        {area + QStringLiteral("_AD_AddComments"), area + QStringLiteral("_AD_DelComments"),
         area + QStringLiteral("_AD_EditComments")},
        [shared, list](VLXTableView *table, int tag) {
            PreferenceListActions::commentAction(*shared, list, table, tag);
        }));
    return PreferencePageKit::page(identifier(), tr(n.title), QString(), pane);
}
