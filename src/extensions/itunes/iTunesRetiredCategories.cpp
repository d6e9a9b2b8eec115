#include "extensions/itunes/iTunesRetiredCategories.h"

#include "extensions/itunes/iTunesCategoryTree.h"
#include "model/FeedElement.h"

namespace {

using Row = iTunesRetiredCategories::Row;

constexpr const char *kAny = nullptr;
constexpr const char *kKeep = nullptr;
constexpr const char *kAE = "Arts & Entertainment";

const Row kRows[] = {
    {kAE, "", "Arts", kKeep, nullptr, nullptr,
     "Old iTunes category \"Arts & Entertainment\" updates to \"Arts\", but was removed because "
     "it would be a duplicate"},
    {kAE, "Architecture", "Arts", "Design", nullptr, nullptr,
     "Old iTunes category \"Arts & Entertainment/Architecture\" updates to \"Arts/Design\", but "
     "was removed because it would be a duplicate"},
    {kAE, "Books", "Arts", "Literature", nullptr, nullptr,
     "Old iTunes category \"Arts & Entertainment/Books\" updates to \"Arts/Literature\", but was "
     "removed becaues it would be a duplicate"},
    {kAE, "Design", "Arts", "Design"},
    {kAE, "Entertainment", "TV & Film", ""},
    {kAE, "Games", "Games & Hobbies", "Video Games", nullptr, nullptr,
     "old iTunes category \"Arts & Entertainment/Games\" updates to \"Games & Hobbies/Video "
     "Games\", but removed because it would be a duplicate"},
    {kAE, "Performing Arts", "Arts", "Performing Arts"},
    {kAE, "Photography", "Arts", "Visual Arts", "Arts & Entertainment/Photography Arts"},
    {kAE, "Poetry", "Arts", "Literature"},
    {kAE, "Science Fiction", "Arts", "Literature"},
    {"Audio Blogs", kAny, "Society & Culture", "Personal Journals"},
    {"Business", "Finance", "Business", "Business News"},
    {"Business", "Management", "Business", "Management & Marketing"},
    {"Business", "Marketing", "Business", "Management & Marketing"},
    {"Education", "Higher Ed", "Education", "Higher Education"},
    {"Family", kAny, "Kids & Family", ""},
    {"Food", kAny, "Arts", "Food"},
    {"Health", "Diet & Nutrition", "Health", "Fitness & Nutrition"},
    {"Health", "Fitness", "Health", "Fitness & Nutrition"},
    {"Health", "Relationships", "Health", "Sexuality", nullptr, nullptr,
     "Old iTunes category from \"Health/Relationships\" updates to \"Health/Sexuality\", but "
     "removed because it would be a duplicate"},
    {"International", kAny, "Society & Culture", "", nullptr, nullptr, nullptr, true},
    {"Movies & Television", kAny, "TV & Film", "", nullptr, "Arts/TV & Film"},
    {"News", kAny, "News & Politics", ""},
    {"Politics", kAny, "News & Politics", ""},
    {"Public Radio", kAny, "News & Politics", ""},
    {"Religion & Spirituality", "New Age", "Religion & Spirituality", "Spirituality"},
    {"Religion & Spirituality", "Philosophy", "Society & Culture", "Philosophy"},
    {"Science", kAny, "Science & Medicine", ""},
    {"Sports", kAny, "Sports & Recreation", ""},
    {"Talk Radio", kAny, "News & Politics", ""},
    {"Technology", "IT News", "Technology", "Tech News"},
    {"Technology", "Computers", "Technology", "Tech News"},
    {"Technology", "Developers", "Technology", "Tech News"},
    {"Technology", "Information Technology", "Technology", "Tech News"},
    {"Technology", "News", "Technology", "Tech News"},
    {"Technology", "Operating Systems", "Technology", "Tech News"},
    {"Technology", "Smart Phones", "Technology", "Tech News"},
    {"Technology", "Text/Speech", "Technology", "Tech News"},
    {"Transportation", "", "Games & Hobbies", "Automotive"},
    {"Transportation", "Automotive", "Games & Hobbies", "Automotive"},
    {"Transportation", "Aviation", "Games & Hobbies", "Aviation"},
    {"Transportation", "Bicycles", "Sports & Recreation", "Outdoor"},
    {"Transportation", "Commuting", "Games & Hobbies", "Automotive"},
    {"Travel", kAny, "Society & Culture", "Places & Travel"},
};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The directory brought back some names it once retired ("Science", "News", "Sports",
// "Business/Marketing"): a category the sheet offers today is the podcaster's choice, not a
// retired one, and moving it would undo that choice at every opening.
bool isCurrent(const iTunesCategory &entry)
{
    if (!iTunesCategoryTree::categories().contains(entry.category()))
        return false;
    return entry.subCategory().isEmpty()
        || iTunesCategoryTree::subCategories(entry.category()).contains(entry.subCategory());
}

const Row *rowFor(const iTunesCategory &entry)
{
    if (isCurrent(entry))
        return nullptr;
    for (const Row &row : kRows) {
        if (entry.category() != text(row.oldCategory))
            continue;
        if (!row.oldSubCategory || entry.subCategory() == text(row.oldSubCategory))
            return &row;
    }
    return nullptr;
}

QString joined(const QString &category, const QString &subCategory)
{
    return subCategory.isEmpty() ? category : category + u'/' + subCategory;
}

} // namespace

std::span<const Row> iTunesRetiredCategories::rows()
{
    return kRows;
}

void iTunesRetiredCategories::migrate(QList<iTunesCategory> &list, FeedElement &owner)
{
    qsizetype i = 0;
    while (i < list.size()) {
        const Row *row = rowFor(list.at(i));
        if (!row) {
            ++i;
            continue;
        }
        const iTunesCategory old = list.at(i);
        iTunesCategory &entry = list[i];
        entry.setCategory(text(row->newCategory));
        if (row->newSubCategory)
            entry.setSubCategory(text(row->newSubCategory));

        QString oldText;
        if (row->oldText)
            oldText = text(row->oldText);
        else if (row->namesAnySubCategory || (row->oldSubCategory && *row->oldSubCategory))
            oldText = joined(old.category(), old.subCategory());
        else
            oldText = old.category();
        const QString newText
            = row->newText ? text(row->newText) : joined(entry.category(), entry.subCategory());

        bool duplicate = false;
        for (qsizetype j = 0; j < i && !duplicate; ++j)
            duplicate = list.at(j).isEqualToCategory(entry);
        if (duplicate) {
            list.removeAt(i);
            owner.recordRepair(
                row->duplicateText
                    ? text(row->duplicateText)
                    : QStringLiteral("Old iTunes category \"%1\" updates to \"%2\", but removed "
                                     "because it would be a duplicate")
                          .arg(oldText, newText));
        } else {
            owner.recordRepair(
                QStringLiteral("Update old iTunes category from \"%1\" to the new category \"%2\"")
                    .arg(oldText, newText));
            ++i;
        }
    }
}
