#include "wizard/WizardEngine.h"

#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "platform/AlertService.h"
#include "platform/PropertyList.h"

#include <QDebug>
#include <QFile>

namespace {
const QString kITunes = QStringLiteral("itunes");

// The pages on which Cancel leaves at once while the feed's title field is still empty: nothing
// of the user's has been asked for yet.
bool isFirstFeedPage(const QString &page)
{
    return page == QLatin1String("Intro_1") || page == QLatin1String("Feed_type")
        || page == QLatin1String("Feed_title");
}

bool isFirstItemPage(const QString &page)
{
    return page == QLatin1String("Item_only_intro")
        || page == QLatin1String("Item_only_iTunes_intro");
}

// Gives the manager the iTunes extension when it lacks it, then fills it from the all-feeds
// defaults.
void giveITunes(baseExtensionManager &manager)
{
    if (!manager.iTunesExtensionUsed())
        manager.createExtensionWithNamespace(kITunes, knownNamespaces::uri(KnownNamespace::iTunes));
    manager.populateExtension(kITunes, QString());
}
} // namespace

WizardEngine::WizardEngine() = default;
WizardEngine::~WizardEngine() = default;

// --- Navigation tables ----------------------------------------------------------------------

QVariantMap WizardEngine::readTable(const QString &name)
{
    QFile file(QStringLiteral(":/wizard/%1.plist").arg(name));
    if (name.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return PropertyList::parse(file.readAll()).toMap();
}

void WizardEngine::useTable(const QString &name)
{
    setTable(readTable(name), name);
}

void WizardEngine::setTable(const QVariantMap &table, const QString &name)
{
    m_table = table;
    m_tableName = name;
}

QVariantMap WizardEngine::entry(const QString &page) const
{
    return m_table.value(page).toMap();
}

QString WizardEngine::target(const QString &page, const QString &key) const
{
    return entry(page).value(key).toString();
}

// --- Pages ----------------------------------------------------------------------------------

void WizardEngine::selectPage(const QString &page)
{
    m_page = page;
    if (m_selector)
        m_selector(page);
}

void WizardEngine::go(const QString &key)
{
    const QString page = target(key);
    if (!page.isEmpty())
        selectPage(page);
}

// --- Dispatch -------------------------------------------------------------------------------

void WizardEngine::setHandler(const QString &name, Handler handler)
{
    if (handler)
        m_handlers.insert(name, std::move(handler));
    else
        m_handlers.remove(name);
}

WizardEngine::Dispatch WizardEngine::buttonPress(int tag)
{
    const QString page = m_page;
    if (!m_table.contains(page)) {
        // A page the table does not know cannot say where to go: the run ends, and no handler
        // acts on a run that is over.
        qWarning().noquote()
            << QStringLiteral("Wizard dictionary error.  Current tab = %1").arg(page);
        end(0);
        return Dispatch::NoEntry;
    }
    const QString functionName = entry(page).value(QStringLiteral("functionName")).toString();
    if (!functionName.isEmpty() && m_handlers.contains(functionName)) {
        m_handlers.value(functionName)(tag);
        return Dispatch::ByFunctionName;
    }
    if (m_handlers.contains(page)) {
        m_handlers.value(page)(tag);
        return Dispatch::ByPage;
    }
    qWarning().noquote() << QStringLiteral("@selector(%1:) not supported").arg(page);
    return Dispatch::NotSupported;
}

// --- The run --------------------------------------------------------------------------------

void WizardEngine::begin()
{
    m_ended = false;
    m_endCode = 0;
    m_items.clear();
    m_itemCounter = 0;
}

void WizardEngine::end(int code)
{
    if (m_ended)
        return;
    m_ended = true;
    m_endCode = code;
    if (m_endHandler)
        m_endHandler(code);
}

// --- Cancel ---------------------------------------------------------------------------------

bool WizardEngine::cancelEndsAtOnce(bool feedTitleEmpty) const
{
    if (isFirstFeedPage(m_page))
        return feedTitleEmpty;
    // The intro of the first item, whether or not the user came back to it from later ones.
    if (isFirstItemPage(m_page))
        return m_itemCounter == 0;
    return false;
}

bool WizardEngine::cancel(bool feedTitleEmpty)
{
    if (!cancelEndsAtOnce(feedTitleEmpty)) {
        Alert question;
        question.style = Alert::Style::Critical;
        question.title = QStringLiteral("Warning");
        question.message = m_cancelQuestion;
        question.defaultButton = QStringLiteral("No");
        question.alternateButton = QStringLiteral("Yes");
        if (AlertService::show(question) != AlertService::kAlternate)
            return false;
    }
    end(0);
    return true;
}

// --- Items ----------------------------------------------------------------------------------

VLXItems *WizardEngine::currentItem() const
{
    return m_itemCounter >= 0 && m_itemCounter < m_items.size() ? m_items.at(m_itemCounter).get()
                                                                : nullptr;
}

QString WizardEngine::countLabel() const
{
    return QStringLiteral("%1 of %2").arg(m_itemCounter + 1).arg(m_items.size());
}

// --- The feed and the new items -------------------------------------------------------------

void WizardEngine::startFeed(const QString &uniqueKey)
{
    begin();
    m_itemWizard = false;
    m_uniqueKey = uniqueKey;
    m_itemExtensions.clear();
    m_kind = kBasic;
    m_feed = std::make_shared<VLXFeed>();
    m_feed->populateWithDefaults();
    useTable(QStringLiteral("WizardNavBasic"));
}

void WizardEngine::startItems(const QStringList &itemExtensions, FeedKind kind)
{
    begin();
    m_itemWizard = true;
    m_uniqueKey.clear();
    m_itemExtensions = itemExtensions;
    m_kind = kind;
    m_feed.reset();
    useTable(kind == kPodcast ? QStringLiteral("WizardNavItemiTunesPodcast")
                              : QStringLiteral("WizardNavItemBasic"));
}

void WizardEngine::chooseFeedKind(FeedKind kind)
{
    m_kind = kind;
    if (kind != kPodcast) {
        useTable(QStringLiteral("WizardNavBasic"));
        if (m_feed && m_feed->XMLExtensions()->iTunesExtensionUsed()) {
            m_feed->XMLExtensions()->deleteExtensionNamed(kITunes);
            for (const auto &item : std::as_const(m_items))
                item->XMLExtensions()->deleteExtensionNamed(kITunes);
        }
        return;
    }
    useTable(QStringLiteral("WizardNaviTunesPodcast"));
    if (!m_feed)
        return;
    // Chosen again, the feed keeps the extension it has and what was stored in it.
    if (!m_feed->XMLExtensions()->iTunesExtensionUsed()) {
        giveITunes(*m_feed->XMLExtensions());
        for (const auto &item : std::as_const(m_items))
            giveITunes(*item->XMLExtensions());
    }
}

bool WizardEngine::feedUsesITunes() const
{
    return m_feed && m_feed->XMLExtensions()->iTunesExtensionUsed();
}

std::shared_ptr<VLXItems> WizardEngine::appendNewItem(bool withITunes)
{
    std::shared_ptr<VLXItems> item = m_itemWizard
        ? VLXItems::initWithUniqueString(m_uniqueKey, m_itemExtensions)
        : VLXItems::initWithUniqueString(m_uniqueKey);
    // Every item the wizard makes has a guid of its own, whatever the defaults say.
    item->setGUID(VLXLogic::generateGUID());
    item->setGUIDAttr(0);
    if (m_kind == kEnclosures || m_kind == kPodcast)
        item->setIncludeEnclosure(1);
    if (withITunes)
        giveITunes(*item->XMLExtensions());
    m_items.append(item);
    return item;
}
