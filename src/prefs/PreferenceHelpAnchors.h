#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

// The help topics of the preferences window's controls: each control named here opens that
// anchor of the help book (context menu "Help", F1).
class PreferenceHelpAnchors
{
public:
    // Control name and anchor, in page order.
    static const QList<QPair<QString, QString>> &table();
    // Sets the anchor of every control of the table found under root; answers how many.
    static int apply(QWidget *root);
};
