#include "app/FeedSearchWalk.h"

#include "app/FeedFindPanel.h"
#include "app/ItemsPane.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "editors/SearchStepSheet.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "panes/SearchReveal.h"
#include "ui/TextHighlighting.h"

#include <QTabWidget>

namespace {
using Step = FeedSearchWalk::Step;
using Kind = FeedSearchWalk::StepKind;

// Rows of the field table the search passes over: the language pop-up (a choice, not a text),
// the item's comments address and its local enclosure file.
bool searched(const FeedField &field)
{
    return field.kind != FieldKind::Choice && field.outlet != FeedFields::kItemCommentsURL
        && field.outlet != FeedFields::kEnclosureFile;
}

// The text rows of a scope in table order, with the lists and the extensions at their step
// numbers (counted from 1).
QList<Step> makeSteps(FieldScope scope)
{
    QList<std::pair<int, Kind>> placed;
    switch (scope) {
    case FieldScope::Channel:
        placed = {{5, Kind::Categories}, {21, Kind::Extensions}, {24, Kind::Comments}};
        break;
    case FieldScope::Item:
        placed = {{5, Kind::Categories}, {13, Kind::Extensions}, {14, Kind::Comments}};
        break;
    case FieldScope::Image:
        placed = {{7, Kind::Extensions}, {8, Kind::Comments}};
        break;
    }
    QList<Step> steps;
    const auto placeDue = [&] {
        while (!placed.isEmpty() && placed.first().first == steps.size() + 1)
            steps << Step {placed.takeFirst().second};
    };
    for (const FeedField &field : FeedFields::all()) {
        if (field.scope != scope || !searched(field))
            continue;
        placeDue();
        steps << Step {Kind::Text, &field};
    }
    placeDue();
    return steps;
}

bool isMatch(TextRange range)
{
    return !range.isNotFound() && range.length > 0;
}
} // namespace

const QList<Step> &FeedSearchWalk::steps(FieldScope scope)
{
    static const QList<Step> channel = makeSteps(FieldScope::Channel);
    static const QList<Step> item = makeSteps(FieldScope::Item);
    static const QList<Step> image = makeSteps(FieldScope::Image);
    switch (scope) {
    case FieldScope::Item:
        return item;
    case FieldScope::Image:
        return image;
    case FieldScope::Channel:
        break;
    }
    return channel;
}

FeedSearchWalk::FeedSearchWalk(WindowServices &window, FeedFindPanel &panel, QObject *parent)
    : QObject(parent), m_window(window), m_panel(panel)
{
}

void FeedSearchWalk::reset()
{
    m_position = Position();
}

int FeedSearchWalk::options() const
{
    return m_panel.ignoreCase() ? SearchStepSheet::CaseInsensitive : 0;
}

TextRange FeedSearchWalk::searchField(const QString &text, const QString &search, int options)
{
    const TextRange last = m_position.lastFound;
    const qsizetype from = last.isNotFound() ? 0 : last.location + last.length;
    const Qt::CaseSensitivity cs
        = (options & SearchStepSheet::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const qsizetype at
        = (search.isEmpty() || from > text.size()) ? -1 : text.indexOf(search, from, cs);
    m_position.lastFound = at < 0 ? TextRange::notFound() : TextRange {at, search.size()};
    return m_position.lastFound;
}

QTabWidget *FeedSearchWalk::subTabs(FieldScope scope) const
{
    static const char *const names[]
        = {"tabsFeeds_FeedsSub", "tabsFeeds_ItemsSub", "tabsFeeds_ImagesSub"};
    return m_window.outlet<QTabWidget>(QLatin1String(names[int(scope)]));
}

QTabWidget *FeedSearchWalk::extensionTabs(FieldScope scope) const
{
    static const char *const names[]
        = {"tabsFeeds_FeedsExtensions", "tabsFeeds_ItemsExtensions", "tabsFeeds_ImagesExtensions"};
    return m_window.outlet<QTabWidget>(QLatin1String(names[int(scope)]));
}

baseExtensionManager *FeedSearchWalk::extensionManager(FieldScope scope, int item) const
{
    const FeedDocument &document = *m_window.document();
    switch (scope) {
    case FieldScope::Channel:
        return document.feed()->XMLExtensions();
    case FieldScope::Item:
        return document.item(item) ? document.item(item)->XMLExtensions() : nullptr;
    case FieldScope::Image:
        return document.image() ? document.image()->XMLExtensions() : nullptr;
    }
    return nullptr;
}

// --- The scopes ---------------------------------------------------------------------------------

bool FeedSearchWalk::walkScopes(const QString &search, std::optional<QString> replacement,
                                bool thenSearch)
{
    Position &p = m_position;
    const auto nextScope = [&p](int tab) {
        p.tab = tab;
        p.field = 0;
        p.lastFound = TextRange::notFound();
        p.entry = 0;
        p.startedExtensions = nullptr;
    };
    // A replacement not used up by a scope is offered to the next one.
    const auto dropUsedReplacement = [&] {
        if (m_replaceResult)
            replacement.reset();
    };
    m_replaceResult = false;
    m_stopped = false;
    if (p.tab == 0) {
        if (m_panel.searchFeed() && replaceInFeed(search, replacement, thenSearch))
            return true;
        dropUsedReplacement();
        nextScope(1);
    }
    if (p.tab == 1) {
        if (m_panel.searchCurrentItem() && !m_panel.searchAllItems()) {
            // Without a selected item (a feed without items) there is nothing to search here.
            const int row = m_window.selectedItemRow();
            if (row >= 0 && replaceInItem(search, replacement, thenSearch, row))
                return true;
            dropUsedReplacement();
        } else if (m_panel.searchCurrentItem()) {
            int walked = -1;
            const int count = m_window.document()->itemCount();
            for (; p.item < count; ++p.item) {
                // Entered from its start with nothing to replace, the walk goes on at the next
                // item that holds a match, found in the document: most items of a long feed
                // hold none, and walking one through the window costs many times as much.
                const bool fromStart = p.field == 0 && p.entry == 0 && p.lastFound.isNotFound();
                if (!replacement && fromStart) {
                    const std::optional<int> next = m_itemSearch
                        ? m_itemSearch(p.item, search, options())
                        : firstItemHolding(*m_window.document(), p.item, search, options());
                    if (!next) {
                        m_stopped = true;
                        return false;
                    }
                    walked = std::max(walked, std::min(*next, count) - 1);
                    p.item = *next;
                    if (p.item >= count)
                        break;
                }
                walked = p.item;
                if (replaceInItem(search, replacement, thenSearch, p.item))
                    return true;
                dropUsedReplacement();
                p.field = 0;
                p.lastFound = TextRange::notFound();
                p.entry = 0;
            }
            // The items were gone through without a match: the selection ends on the last one,
            // the only one of them shown in the window.
            if (walked >= 0) {
                selectMainTab(WindowServices::ItemsTab);
                Walk last {FieldScope::Item, walked, search, std::nullopt, false, 0, false};
                showItem(last);
            }
        }
        nextScope(2);
    }
    if (p.tab == 2) {
        if (m_panel.searchImage() && replaceInImage(search, replacement, thenSearch))
            return true;
        nextScope(3);
    }
    return false;
}

bool FeedSearchWalk::replaceInFeed(const QString &search, const std::optional<QString> &replacement,
                                   bool thenSearch)
{
    selectMainTab(WindowServices::FeedsTab);
    Walk channel {FieldScope::Channel, -1, search, replacement, thenSearch, options(), true};
    return walk(channel);
}

bool FeedSearchWalk::replaceInItem(const QString &search, const std::optional<QString> &replacement,
                                   bool thenSearch, int index)
{
    if (!m_window.document()->item(index))
        return false;
    selectMainTab(WindowServices::ItemsTab);
    const bool shown
        = m_window.selectedItemRow() == index && m_window.itemsPane()->shownItem() == index;
    Walk item {FieldScope::Item, index, search, replacement, thenSearch, options(), shown};
    return walk(item);
}

bool FeedSearchWalk::replaceInImage(const QString &search,
                                    const std::optional<QString> &replacement, bool thenSearch)
{
    selectMainTab(WindowServices::ImageTab);
    Walk image {FieldScope::Image, -1, search, replacement, thenSearch, options(), true};
    return walk(image);
}

void FeedSearchWalk::selectMainTab(int tab)
{
    if (m_window.tabsFeedsIndex() == tab)
        return;
    if (auto *tabs = m_window.outlet<QTabWidget>(QStringLiteral("tabsFeeds"))) {
        tabs->setCurrentIndex(tab);
        SearchReveal::letLayoutSettle();
    }
}

// --- One scope ----------------------------------------------------------------------------------

bool FeedSearchWalk::walk(Walk &walk)
{
    m_panel.setStatusField(QString());
    const QList<Step> &list = steps(walk.scope);
    while (m_position.field < list.size()) {
        // Nothing to replace and no searching on: the walk stays where it is.
        if (!walk.replacement && !walk.thenSearch)
            return false;
        const Step &step = list.at(m_position.field);
        bool finished = false;
        switch (step.kind) {
        case Kind::Text:
            finished = textStep(walk, *step.field);
            break;
        case Kind::Categories:
        case Kind::Comments:
            finished = listStep(walk, step.kind == Kind::Categories);
            break;
        case Kind::Extensions:
            finished = extensionStep(walk);
            break;
        }
        if (finished)
            return true;
    }
    if (walk.scope != FieldScope::Image && !walk.replacement)
        m_replaceResult = true;
    return false;
}

void FeedSearchWalk::nextStep(Walk &walk)
{
    ++m_position.field;
    m_position.lastFound = TextRange::notFound();
    m_position.entry = 0;
    m_position.startedExtensions = nullptr;
    // A replacement is offered only at the step where the walk resumed.
    walk.replacement.reset();
}

void FeedSearchWalk::showItem(Walk &walk)
{
    if (walk.scope != FieldScope::Item || walk.shown)
        return;
    ItemsPane *pane = m_window.itemsPane();
    if (m_window.selectedItemRow() != walk.item)
        pane->selectRow(walk.item);
    if (pane->shownItem() != walk.item)
        m_window.populateItem(walk.item);
    walk.shown = true;
}

bool FeedSearchWalk::textStep(Walk &walk, const FeedField &field)
{
    // The control is looked up only when the window is needed: most steps search the model.
    const auto control = [this, &field] { return m_window.outlet(field.outlet); };
    if (walk.replacement) {
        showItem(walk);
        // Only the Find text itself is replaced, in its own case even when case is ignored.
        QWidget *shown = control();
        const QString highlighted = TextHighlighting::highlightedString(shown);
        if (!highlighted.isNull() && highlighted == walk.search) {
            SearchReveal::openDisclosureOf(shown);
            TextHighlighting::replaceHighlighted(shown, *walk.replacement);
            m_position.lastFound = TextHighlighting::highlightRange(shown);
            if (!walk.thenSearch)
                return true;
        } else {
            walk.thenSearch = true;
        }
    }
    const QString text = field.read(*m_window.document(), walk.item);
    const TextRange found = searchField(text, walk.search, walk.options);
    if (isMatch(found)) {
        showItem(walk);
        SearchReveal::showMatch(control(), found);
        return true;
    }
    nextStep(walk);
    return false;
}

bool FeedSearchWalk::extensionStep(Walk &walk)
{
    baseExtensionManager *manager = extensionManager(walk.scope, walk.item);
    if (!manager || manager->countOfExtensions() == 0) {
        nextStep(walk);
        return false;
    }
    // The window's tabs are looked up only for an item that holds a match: finding them walks
    // the window's widgets, which would cost more than searching the item.
    QTabWidget *sub = nullptr;
    int atIndex = 2;
    const auto findTabs = [&] {
        sub = subTabs(walk.scope);
        for (int i = 0; sub && i < sub->count(); ++i) {
            if (sub->widget(i)->objectName() == QLatin1String("Extensions"))
                atIndex = i;
        }
    };
    const bool fromStart = m_position.startedExtensions != manager;
    if (fromStart) {
        manager->resetSearch();
        m_position.startedExtensions = manager;
    }
    if (walk.replacement) {
        showItem(walk);
    } else if (!walk.shown) {
        // An item not in the window is shown only when its extensions hold a match. From their
        // start the texts are looked at in place; from within them, a copy of the manager,
        // handed no tabs to show anything in, searches from the same position.
        if (!fromStart)
            findTabs();
        const bool holds = fromStart
            ? manager->holds(walk.search, walk.options)
            : manager->copyManager()->replace(walk.search, std::nullopt, true, walk.options,
                                              nullptr, nullptr, atIndex);
        if (!holds) {
            nextStep(walk);
            return false;
        }
        showItem(walk);
    }
    if (!sub)
        findTabs();
    if (manager->replace(walk.search, walk.replacement, walk.thenSearch, walk.options,
                         extensionTabs(walk.scope), sub, atIndex))
        return true;
    nextStep(walk);
    return false;
}
