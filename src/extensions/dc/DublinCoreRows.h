#pragma once

#include "extensions/ExtensionField.h"

#include <QString>

class QObject;

// The fifteen Dublin Core elements, in the order every Dublin Core class reads, writes,
// archives, defaults, exports and searches them. VLX_DC_ELEMENTS(X) calls X(element, Name) for
// each, so a class states its rows once: X(title, Title) ... X(coverage, Coverage).
#define VLX_DC_ELEMENTS(X)                                                                         \
    X(title, Title)                                                                                \
    X(description, Description)                                                                    \
    X(date, Date)                                                                                  \
    X(subject, Subject)                                                                            \
    X(creator, Creator)                                                                            \
    X(publisher, Publisher)                                                                        \
    X(contributor, Contributor)                                                                    \
    X(language, Language)                                                                          \
    X(rights, Rights)                                                                              \
    X(type, Type)                                                                                  \
    X(format, Format)                                                                              \
    X(identifier, Identifier)                                                                      \
    X(source, Source)                                                                              \
    X(relation, Relation)                                                                          \
    X(coverage, Coverage)

// Typed accessors of one set of the fifteen values, starting at field `first`, the names ending
// in `Suffix` (nothing, or TI for the channel's textInput set).
#define VLX_DC_ACCESSOR(getter, setter, first, element)                                            \
    QString getter() const                                                                         \
    {                                                                                              \
        return text((first) + DublinCoreRows::element);                                            \
    }                                                                                              \
    void setter(const QString &value)                                                              \
    {                                                                                              \
        setText((first) + DublinCoreRows::element, value);                                         \
    }
#define VLX_DC_ACCESSORS(first, Suffix)                                                            \
    VLX_DC_ACCESSOR(title##Suffix, setTitle##Suffix, first, kTitle)                                \
    VLX_DC_ACCESSOR(descriptionElement##Suffix, setDescriptionElement##Suffix, first,              \
                    kDescription)                                                                  \
    VLX_DC_ACCESSOR(dateElement##Suffix, setDateElement##Suffix, first, kDate)                     \
    VLX_DC_ACCESSOR(subject##Suffix, setSubject##Suffix, first, kSubject)                          \
    VLX_DC_ACCESSOR(creator##Suffix, setCreator##Suffix, first, kCreator)                          \
    VLX_DC_ACCESSOR(publisher##Suffix, setPublisher##Suffix, first, kPublisher)                    \
    VLX_DC_ACCESSOR(contributor##Suffix, setContributor##Suffix, first, kContributor)              \
    VLX_DC_ACCESSOR(languageElement##Suffix, setLanguageElement##Suffix, first, kLanguage)         \
    VLX_DC_ACCESSOR(rights##Suffix, setRights##Suffix, first, kRights)                             \
    VLX_DC_ACCESSOR(type##Suffix, setType##Suffix, first, kType)                                   \
    VLX_DC_ACCESSOR(format##Suffix, setFormat##Suffix, first, kFormat)                             \
    VLX_DC_ACCESSOR(identifier##Suffix, setIdentifier##Suffix, first, kIdentifier)                 \
    VLX_DC_ACCESSOR(source##Suffix, setSource##Suffix, first, kSource)                             \
    VLX_DC_ACCESSOR(relation##Suffix, setRelation##Suffix, first, kRelation)                       \
    VLX_DC_ACCESSOR(coverage##Suffix, setCoverage##Suffix, first, kCoverage)

// What the Dublin Core classes share about their rows: the element indexes, the rules each
// element follows whatever class holds it, and the date rules.
class DublinCoreRows
{
public:
#define VLX_DC_INDEX(element, Name) k##Name,
    enum Element : int { VLX_DC_ELEMENTS(VLX_DC_INDEX) kCount };
#undef VLX_DC_INDEX

    // The element names in parse order ("title" ... "coverage").
    static const char *const kElements[kCount];

    // The row given (names, keys, tokens) with the rules of its element: the date is read as
    // written and repaired when typed, has the picker and sorts as a date; the language is a
    // pop-up of the language table, never searched, and does not make an object non-empty; the
    // description is a text view; every other element a trimmed line field.
    static ExtensionField withRules(ExtensionField row, int element);

    // A date typed into a Dublin Core date field: trimmed and brought to the W3C form, an alert
    // explaining what had to be put in its place. The user always leaves the field.
    static bool repairTypedDate(QString &value, QObject *interface);

    // The W3C form of a date a text names ("" stays "").
    static QString w3cDate(const QString &pubDate);
};
