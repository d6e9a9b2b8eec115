#pragma once

#include "io/KeptMarkup.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

class StopCheck;

// The elements a text's written tags leave open at a place, followed from its start as ever
// later places are asked about, so that one walk serves every question. It answers the value
// repair's question of whether an end tag inside a value belongs to the structure around the
// value ("</item>", "</channel>") or to the author's text ("</i>" in "<b>bold</i>"). Tags are
// read outside the parts XML keeps whole (see KeptMarkup), as the repairs read them; a broken
// stretch (an end tag of an element opened further out) closes what lies between, and an end
// tag that ends nothing open is passed over.
class OpenElements
{
public:
    OpenElements(QStringView text, StopCheck *stop);

    // Whether an element named `name` (any letter case) is open at `at`, a tag ending at or
    // before it counted. `at` never goes back from one call to the next. Past 65,536 elements
    // open at once, or once `stop` stops, every name is taken for open: the caller then keeps
    // its value as written.
    bool isOpenAt(qsizetype at, QStringView name);

private:
    void walkTo(qsizetype at);
    void open(QStringView name);
    void close(QStringView name);
    static QString keyOf(QStringView name) { return name.toString().toLower(); }

    QStringView m_text;
    StopCheck *m_stop;
    KeptMarkup<char16_t> m_kept;
    qsizetype m_walked = 0; // tags starting before this were taken
    std::vector<QStringView> m_open;
    QHash<QString, int> m_counts; // how many elements of each name (lower case) are open
    bool m_gaveUp = false;
    struct
    {
        qsizetype at = -1;
        QStringView name;
        bool open = false;
    } m_asked; // the last question and its answer
};
