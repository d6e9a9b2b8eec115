#pragma once

#include <QList>
#include <QString>

// How one control of the preferences window shows one setting and how the control's state goes
// back into the values. The pages list their controls as tables of these; PreferenceBinder
// carries both directions out.
enum class BindingKind {
    Text, // the text as it is, both ways
    TextView, // back: trimmed of white space and line ends at both ends
    PlainText, // back: HTML removed; the result is also written back into the field
    PlainTextView, // back: trimmed, then HTML removed; written back into the view
    W3CDate, // back: trimmed and normalised to a W3C date-time; written back into the field
    Check01, // the integer value as the state; back the state as an integer
    CheckYesNo, // the boolean value as the state; back true or false
    CheckString1, // the text's integer value as the state; back "1" or ""
    Explicit, // "-1", "" and "1" select items 0, 1 and 2 ("Clean", "No", "Yes"), and back
    Index, // the integer value selects that item; back the selected index
    Integer, // the integer value as the field's text; back the field's integer value
    Language, // the item titled with the language of the stored code; back that title's code
    Title, // the item titled with the stored text; back the selected title or ""
    SecondRow, // a two-row choice: row 1 on for any non-zero value; back row 1's state
    Label, // nothing shown from the value; back the number the label shows (0 when none)
    List, // a working list: a copy of the stored list in, the working list itself back
    ArchivedList, // as List over keyed-archive data: unarchived in, archived back
    Registry, // the namespace registry the store edits: copied in without "User Defined" entries
    RawXML, // extension name to raw XML text, over a preferences extension manager
};

// One row of a page's table. `control` is the object name of the control (for a matrix cell the
// matrix's, with the cell's `tag`), or the name of a working list or extension manager for the
// list and raw XML kinds.
struct PreferenceBinding
{
    QString control;
    QString key;
    BindingKind kind = BindingKind::Text;
    int tag = -1;
};

using PreferenceBindings = QList<PreferenceBinding>;
