#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFormLayout;
class QHBoxLayout;
class QLayout;
class QTabWidget;
class QVBoxLayout;
class QWidget;
class VLXBox;
class VLXButton;
class VLXTableDataSource;
class VLXTextField;
class categoryElement;

// The pieces the window's panes (and the extension panes) are built of, so every pane looks
// and behaves alike. Every control gets its outlet name as object name.
class PaneKit
{
public:
    template<typename T> static T *named(T *widget, const QString &name)
    {
        widget->setObjectName(name);
        return widget;
    }
    static VLXTextField *textField(const QString &name, const QString &placeholder = {});
    static QFormLayout *newForm();
    static QTabWidget *subTabs(const QString &name);
    // A tab page whose identifier ("Required", "Optional", "Extensions", ...) is its object name.
    static QWidget *page(const QString &identifier);
    // A laid-out pane put into a tab page through a vertically scrolling area.
    static QWidget *scrollingPage(const QString &identifier, QLayout *paneLayout);
    static VLXButton *smallButton(const QString &name, const QString &title,
                                  const QString &tip = {});
    // A table with +, - and Edit buttons under it.
    static QWidget *tableWithButtons(VLXTableDataSource *owner, const QString &tableName,
                                     const QString &addName, const QString &deleteName,
                                     const QString &editName, const QStringList &columns,
                                     int minimumHeight = 90);
    // A disclosure line (triangle, label, one-line summary named `base`) and the box it opens
    // beneath it ("<base>_Box").
    static VLXBox *disclosure(QVBoxLayout *into, const QString &base, const QString &title);
    // A date field with the date picker and smart date buttons ("<prefix>_DatePickerButton" ...).
    static QHBoxLayout *dateRow(const QString &prefix, QWidget *field, QWidget *extra = nullptr);
    // "<prefix>_Description" (an HTML text view) with its "Edit HTML" button.
    static QWidget *descriptionEditor(const QString &prefix);
    // A bold title above a list.
    static QWidget *listPanel(const QString &title, QWidget *list);
    // A category row: its value, and "domain=" with the domain on a second line when it has one.
    static QString categoryText(const categoryElement &category);
    // The "Advanced" page of XML comments of a table's owner.
    static QWidget *commentsPage(VLXTableDataSource *owner, const QString &prefix);
    // The channel's skip hours and skip days (matrices named hoursName and daysName), cloud and
    // text input, each in a disclosure box that `disclose(base, title)` makes; the bases and
    // the fields are named from the prefix ("<prefix>_SkipHours", "<prefix>_Cloud_Domain").
    using Discloser = std::function<VLXBox *(const QString &base, const QString &title)>;
    static void channelGroups(const Discloser &disclose, const QString &prefix,
                              const QString &hoursName, const QString &daysName);
};
