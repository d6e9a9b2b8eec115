// The list steps of the search (categories, XML comments), searched entry by entry through their
// edit sheets, and Replace All over the model.
#include "app/FeedSearchWalk.h"

#include "app/FeedFindPanel.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "editors/categoryElementEdit.h"
#include "editors/editXMLComment.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/baseExtensionManager.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "panes/SearchReveal.h"
#include "settings/categoryElement.h"
#include "ui/VLXTableView.h"

namespace {
Qt::CaseSensitivity sensitivity(int options)
{
    return (options & SearchStepSheet::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

// Replaces every occurrence in one pass over the text as it was (a replacement that holds the
// Find text is not searched again); answers how many.
int replaceOccurrences(QString &text, const QString &search, const QString &replacement,
                       Qt::CaseSensitivity cs)
{
    if (search.isEmpty())
        return 0;
    qsizetype at = text.indexOf(search, 0, cs);
    if (at < 0)
        return 0;
    int count = 0;
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(search, from, cs)) {
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + search.size();
        ++count;
    }
    result += QStringView(text).mid(from);
    text = result;
    return count;
}

// What a list step needs of each kind of list: the sheet that edits an entry, whether an entry
// holds the text, and the name of the step an accepted change makes.
struct CategoryList
{
    using Entry = categoryElement;
    using Sheet = categoryElementEdit;
    static QList<Entry> read(const FeedDocument &document, FieldScope scope, int item)
    {
        return document.categories(scope, item);
    }
    static bool holds(const Entry &entry, const QString &search, Qt::CaseSensitivity cs)
    {
        // A match in the domain alone opens the sheet too.
        return entry.categoryString().contains(search, cs)
            || entry.categoryDomainString().contains(search, cs);
    }
    static void give(Sheet &sheet, const Entry &entry) { sheet.setCategory(entry); }
    static Entry take(const Sheet &sheet) { return sheet.category(); }
    static void edit(FeedDocument &document, FieldScope scope, int item, const QList<Entry> &list)
    {
        document.editCategories(scope, item, list, QStringLiteral("Edit Category"));
    }
};

struct CommentList
{
    using Entry = QString;
    using Sheet = editXMLComment;
    static QList<Entry> read(const FeedDocument &document, FieldScope scope, int item)
    {
        return document.comments(scope, item);
    }
    static bool holds(const Entry &entry, const QString &search, Qt::CaseSensitivity cs)
    {
        return entry.contains(search, cs);
    }
    static void give(Sheet &sheet, const Entry &entry) { sheet.setComment(entry); }
    static Entry take(const Sheet &sheet) { return sheet.comment(); }
    static void edit(FeedDocument &document, FieldScope scope, int item, const QList<Entry> &list)
    {
        document.editComments(scope, item, list, QStringLiteral("Edit XML Comment"));
    }
};
} // namespace

template<typename List> bool FeedSearchWalk::listEntries(Walk &walk)
{
    FeedDocument &document = *m_window.document();
    const Qt::CaseSensitivity cs = sensitivity(walk.options);
    const QString table = FeedDocument::listOutlet(walk.scope, std::is_same_v<List, CategoryList>);
    // The list is read again after each sheet, which may have changed it.
    for (int i = m_position.entry;; ++i) {
        const QList<typename List::Entry> list = List::read(document, walk.scope, walk.item);
        if (i >= list.size())
            break;
        const typename List::Entry &entry = list.at(i);
        if (!List::holds(entry, walk.search, cs))
            continue;
        showItem(walk);
        if (auto *view = m_window.outlet<VLXTableView>(table)) {
            if (SearchReveal::selectTabsOf(view))
                SearchReveal::letLayoutSettle();
            view->selectRow(i);
        }
        typename List::Sheet sheet;
        sheet.setParentWindow(m_window.window());
        List::give(sheet, entry);
        const int result
            = sheet.replace(walk.search, walk.replacement, walk.thenSearch, walk.options);
        if (sheet.replaceDone())
            walk.replacement.reset();
        if (result == 1) {
            QList<typename List::Entry> changed = list;
            changed[i] = List::take(sheet);
            List::edit(document, walk.scope, walk.item, changed);
        }
        if (sheet.searchFound()) {
            // The search goes on after this entry next time.
            m_position.entry = i + 1;
            return true;
        }
    }
    nextStep(walk);
    return false;
}

bool FeedSearchWalk::listStep(Walk &walk, bool categories)
{
    return categories ? listEntries<CategoryList>(walk) : listEntries<CommentList>(walk);
}

bool FeedSearchWalk::itemHolds(const FeedDocument &document, int item, const QString &search,
                               int options)
{
    if (search.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = sensitivity(options);
    const auto anyHolds = [&](const auto &list, const auto &holds) {
        return std::any_of(list.cbegin(), list.cend(),
                           [&](const auto &entry) { return holds(entry, search, cs); });
    };
    for (const Step &step : steps(FieldScope::Item)) {
        switch (step.kind) {
        case StepKind::Text:
            if (step.field->read(document, item).contains(search, cs))
                return true;
            break;
        case StepKind::Categories:
            if (anyHolds(CategoryList::read(document, FieldScope::Item, item), CategoryList::holds))
                return true;
            break;
        case StepKind::Comments:
            if (anyHolds(CommentList::read(document, FieldScope::Item, item), CommentList::holds))
                return true;
            break;
        case StepKind::Extensions:
            if (const VLXItems *target = document.item(item);
                target && target->XMLExtensions()->holds(search, options))
                return true;
            break;
        }
    }
    return false;
}

std::optional<int> FeedSearchWalk::firstItemHolding(const FeedDocument &document, int from,
                                                    const QString &search, int options,
                                                    const std::function<bool(int done)> &goOn)
{
    const int count = document.itemCount();
    for (int item = std::max(from, 0); item < count; ++item) {
        if (goOn && item % 256 == 0 && !goOn(item))
            return std::nullopt;
        if (itemHolds(document, item, search, options))
            return item;
    }
    return count;
}

// --- Replace All --------------------------------------------------------------------------------

int FeedSearchWalk::replaceAllInScope(FeedDocument &document, FieldScope scope, int item,
                                      const QString &search, const QString &replacement,
                                      int options)
{
    const Qt::CaseSensitivity cs = sensitivity(options);
    int count = 0;
    for (const Step &step : steps(scope)) {
        switch (step.kind) {
        case StepKind::Text: {
            QString text = step.field->read(document, item);
            if (const int n = replaceOccurrences(text, search, replacement, cs)) {
                count += n;
                if (step.field->write)
                    step.field->write(document, item, text);
                else if (VLXItems *target = document.item(item))
                    target->setGUID(text); // the guid is the one text row its pane commits
            }
            break;
        }
        case StepKind::Categories: {
            QList<categoryElement> list = document.categories(scope, item);
            int changed = 0;
            for (categoryElement &entry : list) {
                QString text = entry.categoryString();
                QString domain = entry.categoryDomainString();
                const int n = replaceOccurrences(text, search, replacement, cs)
                    + replaceOccurrences(domain, search, replacement, cs);
                if (n > 0) {
                    entry.setCategoryString(text);
                    entry.setCategoryDomainString(domain);
                    changed += n;
                }
            }
            if (changed > 0)
                document.applyCategories(scope, item, list);
            count += changed;
            break;
        }
        case StepKind::Comments: {
            QStringList list = document.comments(scope, item);
            int changed = 0;
            for (QString &entry : list)
                changed += replaceOccurrences(entry, search, replacement, cs);
            if (changed > 0)
                document.applyComments(scope, item, list);
            count += changed;
            break;
        }
        case StepKind::Extensions: {
            baseExtensionManager *manager = nullptr;
            if (scope == FieldScope::Channel)
                manager = document.feed()->XMLExtensions();
            else if (scope == FieldScope::Image)
                manager = document.image()->XMLExtensions();
            else if (VLXItems *target = document.item(item))
                manager = target->XMLExtensions();
            if (manager) {
                manager->resetSearch();
                count += manager->replaceAll(search, replacement, options);
            }
            break;
        }
        }
    }
    return count;
}

FeedSearchWalk::ReplaceAllScopes FeedSearchWalk::replaceAllScopes() const
{
    ReplaceAllScopes scopes;
    scopes.feed = m_panel.searchFeed();
    scopes.currentItem = m_panel.searchCurrentItem();
    scopes.allItems = m_panel.searchAllItems();
    scopes.image = m_panel.searchImage();
    scopes.selectedItem = m_window.selectedItemRow();
    scopes.firstItem = m_position.item;
    scopes.options = options();
    return scopes;
}

int FeedSearchWalk::replaceAll(FeedDocument &document, const QString &search,
                               const QString &replacement, const ReplaceAllScopes &scopes)
{
    int count = 0;
    if (scopes.feed)
        count += replaceAllInScope(document, FieldScope::Channel, -1, search, replacement,
                                   scopes.options);
    if (scopes.currentItem && !scopes.allItems) {
        if (document.item(scopes.selectedItem))
            count += replaceAllInScope(document, FieldScope::Item, scopes.selectedItem, search,
                                       replacement, scopes.options);
    } else if (scopes.currentItem) {
        for (int item = scopes.firstItem; item < document.itemCount(); ++item)
            count += replaceAllInScope(document, FieldScope::Item, item, search, replacement,
                                       scopes.options);
    }
    if (scopes.image)
        count += replaceAllInScope(document, FieldScope::Image, -1, search, replacement,
                                   scopes.options);
    return count;
}

void FeedSearchWalk::passedItems(int count)
{
    m_position.item = qMax(m_position.item, count);
}
