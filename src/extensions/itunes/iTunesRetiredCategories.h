#pragma once

#include "extensions/itunes/iTunesCategory.h"

#include <QList>
#include <span>

class FeedElement;

// The iTunes categories that were retired, and what each became. Reading a feed brings its
// category list up to date: every retired entry is replaced by today's name (following the rows
// on where a row leads to a name the directory retired in its turn), and an entry that would
// then repeat an earlier one is dropped; each change is an "Automatic Repair" on the owner.
class iTunesRetiredCategories
{
public:
    iTunesRetiredCategories() = delete;

    struct Row
    {
        const char *oldCategory;
        const char *oldSubCategory; // nullptr: any sub-category; "": none
        const char *newCategory;
        const char *newSubCategory; // nullptr: the sub-category stays as it is
        // Texts where the messages do not follow the usual wording.
        const char *oldText = nullptr; // what the messages call the old category
        const char *newText = nullptr; // what they call the new one
        const char *duplicateText = nullptr; // the whole message for a dropped duplicate
        bool namesAnySubCategory = false; // the old text names whatever sub-category it had
    };

    static std::span<const Row> rows();
    // Replaces the retired entries of the list in one pass, reporting on the owner.
    static void migrate(QList<iTunesCategory> &list, FeedElement &owner);
};
