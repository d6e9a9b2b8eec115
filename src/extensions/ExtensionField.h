#pragma once

#include <QLatin1StringView>

class FeedElement;
class QObject;
class QString;
class VLXError;

// One field of a namespace extension, stated once: how it is read, written, archived, defaulted,
// exported, searched, checked and edited. A namespace's class lists its fields in a table of
// these rows (model order); FieldExtensionBase walks the table for every operation, and the pane
// of the feed window builds its controls from the same rows. Rows hold only constants and plain
// function pointers, so tables are static data shared by every object of the class.
struct ExtensionField
{
    // What the model holds for the field.
    enum class Kind {
        Text, // a string, "" at the start
        Flag, // an integer, 0 no, anything else yes; written "yes", exported "YES"/"NO"
        Tristate, // an integer, 1 yes, 0 no, -1 clean; exported "YES"/"NO"/"CLEAN"
        List, // a list the class holds itself (its custom hooks read, write and copy it)
    };
    // How the text read from the element becomes the value. Every text rule first decodes the
    // numeric character references left in the text.
    enum class Read {
        Trimmed, // HTML removed (reported with repairTag), then trimmed
        Untrimmed, // HTML removed, not trimmed
        Link, // a URL: not stripped of HTML, trimmed
        Repaired, // the row's repair function, then trimmed
        Plain, // markup kept, then trimmed
        Date, // taken as written (no reference decoded, no markup removed), then trimmed
        HTML, // references to markup characters kept (see decodeNumericEncodedCharactersInHTML)
        Flag, // 1 for exactly "yes" (trimmed), else 0
        Tristate, // 1 for "yes", -1 for "clean", else 0 (trimmed, case-sensitive)
        Custom, // the class's parseCustom()
    };
    // How the value is written.
    enum class Write {
        Escaped, // cut to cutLength, then XML-escaped, as the element's text
        LinkAttribute, // made a safe link, then cut, as the attribute: <e attr="…" />
        Flag, // "yes" when not 0, nothing for 0
        Tristate, // "yes", "clean", or "no" only when something was written before it
        Custom, // the class's buildCustom()
    };
    // The control a pane shows for the field.
    enum class Widget {
        None,
        LineEdit,
        TextView,
        CheckBox,
        PopUp, // a Tristate's three choices
        Table,
        Date, // a line field with the date picker beside it
        Language, // the language table's titles; the field keeps the code
        Words, // the row's words (choices), an empty entry first; the field keeps the word
        HTML, // an HTML text view with "Edit HTML" (the HTML editor)
    };
    // What a pane offers to copy into the field from the feed or item it belongs to.
    enum class CopyFrom { None, Title, Description };
    // What a pane does with a typed value when the user leaves the field.
    enum class Leave {
        Keep, // nothing
        Trim, // trims and shows the trimmed value
        TrimAndInform, // trims, then explains a failing check in an alert (the value stays)
    };

    const char *name; // the model field ("subtitle"), for messages and tests
    // The outlet name of the field's control in a pane ("ITCSubtitle"); unique across tables.
    const char *outlet = nullptr;
    const char *element; // local name of the element in the namespace ("owner")
    const char *child = nullptr; // local name of the child element holding it ("email")
    const char *attribute = nullptr; // attribute holding it instead of the text ("href")
    Kind kind = Kind::Text;
    Read read = Read::Trimmed;
    Write write = Write::Escaped;
    int cutLength = 0; // characters kept when written; 0 keeps everything
    const char *repairTag = nullptr; // tag that read repairs name, whatever the prefix read
    // Read::Repaired: the read text turned into the value, with messages on the owner.
    QString (*repair)(FeedElement &owner, const QString &text, QLatin1StringView tag) = nullptr;
    const char *archiveKey = nullptr;
    const char *defaultKey = nullptr; // all-feeds default
    const char *feedDefaultKey = nullptr; // the feed's own default, read first when given
    // The default settings hold the whole object rather than this field: the all-feeds setting
    // an object of the class, the feed's own the keyed archive of one. Every row marked so
    // names the same keys and is taken from, and put into, that one object.
    bool defaultIsObject = false;
    const char *exportToken = nullptr; // "~~~FeediTunesSubtitle~~~"
    bool searchable = false; // walked by find and replace
    bool countsForEmpty = true; // a set value makes the object non-empty
    // The class-level check of the value (Text fields), and whether logging it is a warning.
    bool (*check)(const QString &value, VLXError *error) = nullptr;
    bool logsWarning = false;
    const char *sortType = nullptr; // "text" or "number" when items sort by the element
    // Editing.
    const char *undoName = nullptr;
    const char *helpAnchor = nullptr;
    const char *label = nullptr; // the control's label (a check box's own title)
    Widget widget = Widget::None;
    CopyFrom copyFrom = CopyFrom::None;
    Leave leave = Leave::Keep;
    // Called after the leave rule with the typed text: may rewrite it, and answers false to keep
    // the user in the field.
    bool (*leaveHook)(QString &value, QObject *interface) = nullptr;
    // Pop-up titles for the values -1, 0, 1 (Tristate); the words of a Words pop-up, ended by
    // nullptr.
    const char *const *choices = nullptr;
    // List fields. The table's columns by identifier, ending in nullptr (none: one column,
    // "value"), and their header titles in the same order (none: no header).
    const char *const *columns = nullptr;
    const char *const *columnTitles = nullptr;
    // Whether an entry is edited in place (an Edit button, and a double click on a row).
    bool editsEntries = true;
    // A searchable list of texts (URLs) is searched entry by entry in the URL panel of this
    // title; an accepted change is one edit of the list named undoName.
    const char *findTitle = nullptr;
    // Markup typed into a line field or a text view stays in the value (else it is removed).
    bool keepsMarkup = false;
    // A committed edit refreshes the automatic publication date of the channel or the item.
    bool refreshesDate = true;
    // The title of the disclosure box the row's control sits in (rows of one box are adjacent).
    const char *box = nullptr;
};
