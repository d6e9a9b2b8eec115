#include "prefs/PreferenceOtherExtensionsPage.h"

#include "model/extensionManagerPrefs.h"
#include "model/extensionNSName.h"
#include "model/extensionNSRaw.h"
#include "panes/PaneKit.h"
#include "panes/RawXMLPane.h"
#include "prefs/PreferencePageKit.h"
#include "prefs/PreferencesContext.h"
#include "settings/VLXPreferencesWorkingCopy.h"
#include "ui/VLXPopUpButton.h"

#include <QCoreApplication>
#include <QHash>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
struct PlaceNames
{
    const char *identifier;
    const char *area; // "FD_AF_FF", ...
    const char *selector; // "AF_FF_OE"
    const char *title;
};

const PlaceNames &namesOf(PreferenceOtherExtensionsPage::Place place)
{
    static const PlaceNames names[] = {
        {"Current Feed Item Other Extensions", "FD_CF_IF", "CF_IF_OE",
         QT_TRANSLATE_NOOP("PreferenceOtherExtensionsPage",
                           "Other namespaces of the current feed's items")},
        {"All Feeds Feed Other Extensions", "FD_AF_FF", "AF_FF_OE",
         QT_TRANSLATE_NOOP("PreferenceOtherExtensionsPage", "Other namespaces of all feeds")},
        {"All Feeds Item Other Extensions", "FD_AF_IF", "AF_IF_OE",
         QT_TRANSLATE_NOOP("PreferenceOtherExtensionsPage", "Other namespaces of all items")},
        {"All Feeds Image Other Extensions", "FD_AF_IM", "AF_IM_OE",
         QT_TRANSLATE_NOOP("PreferenceOtherExtensionsPage", "Other namespaces of all images")},
    };
    return names[int(place)];
}

QString managerNameOf(PreferenceOtherExtensionsPage::Place place)
{
    return QLatin1String(namesOf(place).area) + QStringLiteral("_EX_Extensions");
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceOtherExtensionsPage", text);
}
} // namespace

PreferenceOtherExtensionsPage::PreferenceOtherExtensionsPage(Place place)
    : PreferencesPage(QLatin1String(namesOf(place).identifier),
                      place == Place::CurrentFeedItem ? PreferenceScope::CurrentFeed
                                                      : PreferenceScope::AllFeeds,
                      {{managerNameOf(place), managerNameOf(place), BindingKind::RawXML}}),
      m_place(place), m_managerName(managerNameOf(place)),
      m_manager(std::make_unique<extensionManagerPrefs>())
{
}

PreferenceOtherExtensionsPage::~PreferenceOtherExtensionsPage() = default;

QWidget *PreferenceOtherExtensionsPage::build(PreferencesContext &context)
{
    const PlaceNames &n = namesOf(m_place);
    context.setManager(m_managerName, m_manager.get());
    auto *pane = new QVBoxLayout;
    auto *line = new QHBoxLayout;
    line->addWidget(new QLabel(tr("Namespace:")));
    m_selector = PaneKit::named(new VLXPopUpButton,
                                QLatin1String(n.selector) + QStringLiteral("_selector"));
    m_selector->setHelpAnchor(QStringLiteral("PreferencesOtherExtensions"));
    line->addWidget(m_selector, 1);
    pane->addLayout(line);
    m_tabs
        = PaneKit::named(new QStackedWidget, QLatin1String(n.selector) + QStringLiteral("_tabs"));
    m_tabs->setMinimumHeight(260);
    pane->addWidget(m_tabs, 1);
    QObject::connect(m_selector, &QComboBox::activated, m_tabs,
                     [this](int index) { select(index); });
    if (m_place != Place::CurrentFeedItem) {
        // The registry edited in the open window: the panes follow at once.
        PreferencesContext *shared = &context;
        context.onRegistryChanged([this, shared] { rebuild(*shared); });
    }
    return PreferencePageKit::page(
        identifier(), tr(n.title),
        tr("The raw XML each new element gets for the namespaces that have no editor of their "
           "own."),
        pane);
}

void PreferenceOtherExtensionsPage::fill(PreferencesContext &context)
{
    rebuild(context);
    PreferencesPage::fill(context);
    rebuildPanes(context);
}

void PreferenceOtherExtensionsPage::rebuild(PreferencesContext &context)
{
    // The texts of the manager so far, by name, for the extensions that stay.
    QHash<QString, QString> texts;
    for (const auto &extension : m_manager->arrayOfExtensions()) {
        if (extension)
            texts.insert(extension->extensionName(), extension->rawXML());
    }
    auto fresh = std::make_unique<extensionManagerPrefs>();
    if (m_place == Place::CurrentFeedItem) {
        const CurrentFeedExtensions &used = context.used();
        fresh->setITunesExtensionUsed(used.iTunes);
        fresh->setMediaRSSExtensionUsed(used.mediaRSS);
        fresh->setContentEncodedExtensionUsed(used.contentEncoded);
        fresh->setDublinCoreExtensionUsed(used.dublinCore);
        fresh->setCreativeCommonsExtensionUsed(used.creativeCommons);
        for (const QString &description : used.otherNamespaces)
            fresh->createExtensionWithNamespace(
                extensionNSName::extensionNameFromDescription(description),
                extensionNSName::DTDURLFromDescription(description));
        // The feed's own namespaces only: its items have no user-defined default here.
        fresh->deleteExtensionNamed(extensionNSName::kUserDefined);
        // Another feed's texts never carry over.
        texts.clear();
    } else if (context.hasStore()) {
        for (const QString &entry : std::as_const(context.store().general_XMLNamespaces())) {
            if (extensionNSName::wellSupportedFromDescription(entry))
                continue;
            fresh->createExtensionWithNamespace(
                extensionNSName::extensionNameFromDescription(entry),
                extensionNSName::DTDURLFromDescription(entry));
        }
        fresh->createExtensionWithNamespace(extensionNSName::kUserDefined, QString());
    }
    for (const auto &extension : fresh->arrayOfExtensions()) {
        if (extension && texts.contains(extension->extensionName()))
            extension->setRawXML(texts.value(extension->extensionName()));
    }
    m_manager = std::move(fresh);
    context.setManager(m_managerName, m_manager.get());
    if (m_place != Place::CurrentFeedItem)
        rebuildPanes(context);
}

void PreferenceOtherExtensionsPage::rebuildPanes(PreferencesContext &context)
{
    if (!m_selector || !m_tabs)
        return;
    while (m_tabs->count() > 0) {
        QWidget *old = m_tabs->widget(0);
        m_tabs->removeWidget(old);
        old->setParent(nullptr);
        old->deleteLater();
    }
    m_selector->clear();
    PreferencesContext *shared = &context;
    for (const auto &extension : m_manager->arrayOfExtensions()) {
        if (!extension)
            continue;
        m_selector->addItem(
            QStringLiteral("%1 - %2").arg(extension->extensionName(), extension->DTDURL()));
        auto *pane = new RawXMLPane(extension);
        QObject::connect(pane, &RawXMLPane::rawXMLEdited, pane,
                         [shared] { shared->miscChanged(); });
        m_tabs->addWidget(pane);
    }
    if (m_selector->count() > 0)
        select(0);
}

QStringList PreferenceOtherExtensionsPage::selectorTitles() const
{
    QStringList titles;
    for (int i = 0; m_selector && i < m_selector->count(); ++i)
        titles.append(m_selector->itemText(i));
    return titles;
}

void PreferenceOtherExtensionsPage::select(int index)
{
    if (!m_selector || !m_tabs || index < 0 || index >= m_tabs->count())
        return;
    m_selector->setCurrentIndex(index);
    m_tabs->setCurrentIndex(index);
}
