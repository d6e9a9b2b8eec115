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
    {kAE, "Books", "Arts", "Literature"},
    {kAE, "Design", "Arts", "Design"},
    {kAE, "Entertainment", "TV & Film", ""},
    {kAE, "Games", "Games & Hobbies", "Video Games"},
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
    {"Health", "Relationships", "Health", "Sexuality"},
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
    // The directory retired in its turn names the rows above lead to (and feeds carry): each
    // moves on to the name that took its place, or to its category when none did.
    {"Arts", "Literature", "Arts", "Books"},
    {"Business", "Business News", "News", "Business News"},
    {"Business", "Management & Marketing", "Business", "Management"},
    {"Business", "Shopping", "Business", ""},
    {"Education", "Education Technology", "Education", ""},
    {"Education", "Higher Education", "Education", ""},
    {"Education", "K-12", "Education", ""},
    {"Education", "Language Courses", "Education", "Language Learning"},
    {"Education", "Training", "Education", ""},
    {"Games & Hobbies", "", "Leisure", kKeep},
    {"Games & Hobbies", "Automotive", "Leisure", "Automotive"},
    {"Games & Hobbies", "Aviation", "Leisure", "Aviation"},
    {"Games & Hobbies", "Hobbies", "Leisure", "Hobbies"},
    {"Games & Hobbies", "Other Games", "Leisure", "Games"},
    {"Games & Hobbies", "Video Games", "Leisure", "Video Games"},
    {"Government & Organizations", "", "Government", kKeep},
    {"Government & Organizations", "Local", "Government", ""},
    {"Government & Organizations", "National", "Government", ""},
    {"Government & Organizations", "Non-Profit", "Business", "Non-Profit"},
    {"Government & Organizations", "Regional", "Government", ""},
    {"Health", "", "Health & Fitness", kKeep},
    {"Health", "Alternative Health", "Health & Fitness", "Alternative Health"},
    {"Health", "Fitness & Nutrition", "Health & Fitness", "Fitness"},
    {"Health", "Self-Help", "Education", "Self-Improvement"},
    {"Health", "Sexuality", "Health & Fitness", "Sexuality"},
    {"News & Politics", "", "News", kKeep},
    {"Religion & Spirituality", "Other", "Religion & Spirituality", "Religion"},
    {"Science & Medicine", "", "Science", kKeep},
    {"Science & Medicine", "Medicine", "Health & Fitness", "Medicine"},
    {"Science & Medicine", "Natural Sciences", "Science", "Natural Sciences"},
    {"Science & Medicine", "Social Sciences", "Science", "Social Sciences"},
    {"Society & Culture", "History", "History", ""},
    {"Sports & Recreation", "", "Sports", kKeep},
    {"Sports & Recreation", "Amateur", "Sports", ""},
    {"Sports & Recreation", "College & High School", "Sports", ""},
    {"Sports & Recreation", "Outdoor", "Sports", "Wilderness"},
    {"Sports & Recreation", "Professional", "Sports", ""},
    {"Technology", "Gadgets", "Technology", ""},
    {"Technology", "Podcasting", "Technology", ""},
    {"Technology", "Software How-To", "Technology", ""},
    {"Technology", "Tech News", "News", "Tech News"},
};

// A retired name leads to today's one in at most this many moves.
constexpr int kMostMoves = 3;

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The directory brought back some names it once retired ("Science", "News", "Sports",
// "Business/Marketing"): a category the sheet offers today is the podcaster's choice, not a
// retired one, and moving it would undo that choice at every opening.
const Row *rowFor(const iTunesCategory &entry)
{
    if (iTunesCategoryTree::offers(entry.category(), entry.subCategory()))
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
        // A row may lead to a name the directory retired later: the moves go on from there until
        // the entry has today's name (or a name no row knows, left for validation to report).
        int moves = 0;
        for (const Row *next = row; next && moves < kMostMoves; next = rowFor(entry), ++moves) {
            entry.setCategory(text(next->newCategory));
            if (next->newSubCategory)
                entry.setSubCategory(text(next->newSubCategory));
        }

        // One move is told in the row's own words; a longer way names where it began and ended.
        const bool oneMove = moves == 1;
        QString oldText;
        if (oneMove && row->oldText)
            oldText = text(row->oldText);
        else if (!oneMove || row->namesAnySubCategory
                 || (row->oldSubCategory && *row->oldSubCategory))
            oldText = joined(old.category(), old.subCategory());
        else
            oldText = old.category();
        const QString newText = oneMove && row->newText
            ? text(row->newText)
            : joined(entry.category(), entry.subCategory());

        bool duplicate = false;
        for (qsizetype j = 0; j < i && !duplicate; ++j)
            duplicate = list.at(j).isEqualToCategory(entry);
        if (duplicate) {
            list.removeAt(i);
            owner.recordRepair(
                oneMove && row->duplicateText
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
