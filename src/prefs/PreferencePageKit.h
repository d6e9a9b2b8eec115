#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class PreferencesContext;
class QHBoxLayout;
class QLayout;
class VLXTableView;
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
    // The same with Add, Delete and Edit buttons named by `buttonNames` (in that order) and
    // tagged 1, 2 and 3: each calls `action` with its tag, a double click on the table clicks
    // Edit, and Delete and Edit are enabled while the list has rows.
    static QWidget *editableList(PreferencesContext &context, const QString &tableName,
                                 const QString &listName, const QString &title,
                                 const QString &column, const QStringList &buttonNames,
                                 const std::function<void(VLXTableView *, int)> &action);
    // Three buttons in a row, tagged 1, 2 and 3 in order, each calling `action` with its tag.
    static QHBoxLayout *tagButtons(const QStringList &names, const QStringList &titles,
                                   const std::function<void(int)> &action);
    // A disclosure line and its box; closing the box is an edit (the summary is rebuilt).
    static VLXBox *disclosure(PreferencesContext &context, QVBoxLayout *into, const QString &base,
                              const QString &title);
    // Shows text in a disclosure summary.
    static void setSummary(QWidget *root, const QString &summaryName, const QString &text);
    // The text of a line field (or a check box's state as 0/1) under root.
    static QString textOf(QWidget *root, const QString &name);
    static int stateOf(QWidget *root, const QString &name);
};
