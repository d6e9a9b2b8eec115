#pragma once

#include <QString>

class PreferencesContext;
class QLayout;
class QVBoxLayout;
class QWidget;
class VLXBox;

// The pieces the preferences pages share on top of PaneKit.
class PreferencePageKit
{
public:
    // A page: a title line, a short explanation, then the pane laid out in a scrolling area.
    static QWidget *page(const QString &identifier, const QString &title,
                         const QString &explanation, QLayout *pane);
    // A titled table over the working list `listName` of the context.
    static QWidget *listTable(PreferencesContext &context, const QString &tableName,
                              const QString &listName, const QString &title, const QString &column);
    // A disclosure line and its box; closing the box is an edit (the summary is rebuilt).
    static VLXBox *disclosure(PreferencesContext &context, QVBoxLayout *into, const QString &base,
                              const QString &title);
    // Shows text in a disclosure summary.
    static void setSummary(QWidget *root, const QString &summaryName, const QString &text);
    // The text of a line field (or a check box's state as 0/1) under root.
    static QString textOf(QWidget *root, const QString &name);
    static int stateOf(QWidget *root, const QString &name);
};
