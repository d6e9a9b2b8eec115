#pragma once

#include "editors/SearchStepHost.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class SearchStepSheet;
class FindReplace;
class QWidget;
class VLXButton;
class VLXCheckBox;
class VLXTextField;

// The one find panel of the run: the Find and Replace texts, the four scope boxes (the channel,
// the items, every item instead of the selected one, the image), Ignore Case and Freeze Dates,
// and a status line. Its buttons go to the feed window's find actions, or, while an edit sheet
// that the search opened runs modally, to that sheet; the panel has no parent window, so it
// keeps working beside such a sheet.
//
// It is also what the sheets ask of the find panel (SearchStepHost): it installs itself as the
// host when it is made. Nothing of it is stored: the texts and boxes live for the run.
class FeedFindPanel : public QObject, public SearchStepHost
{
    Q_OBJECT
public:
    // The single instance, made on first use and kept for the run.
    static FeedFindPanel *sharedInstance();
    ~FeedFindPanel() override;

    // Brings the panel to the front and makes it the active window. The first time, the status
    // is cleared and the panel placed over the top right of the window given.
    void showPanel(QWidget *window = nullptr);
    bool isVisible() const;
    QWidget *finderPanel() const { return m_panel; }

    // SearchStepHost: the texts ("" when empty), and the window actions a sheet hands over to.
    QString findField() const override;
    QString replaceField() const override;
    QString previousSearchString() const override { return m_previousSearchValue; }
    void findNext() override;
    void findPanelReplaceAllAction() override;
    void orderFrontFindPanel() override;

    void setFindField(const QString &text);
    void setReplaceField(const QString &text);
    void setPreviousSearchString(const QString &text) { m_previousSearchValue = text; }

    // The boxes: 0 off, 1 on.
    int searchFeed() const;
    int searchCurrentItem() const;
    int searchAllItems() const;
    int searchImage() const;
    int ignoreCase() const;
    int freezeDates() const;
    void setSearchFeed(int state);
    void setSearchCurrentItem(int state);
    void setSearchAllItems(int state);
    void setSearchImage(int state);
    void setIgnoreCase(int state);
    void setFreezeDates(int state);

    void setStatusField(const QString &text);
    QString statusField() const;

    // Every beep of a search (nothing found, no Find text) goes through here.
    void beep();

signals:
    void findTextChanged(const QString &text);
    void beeped();

private:
    FeedFindPanel();
    void buildPanel();
    // A button of the panel: to the sheet running for the search, else to the window.
    void perform(void (SearchStepSheet::*sheetAction)(), void (FindReplace::*action)());
    void findPanelSearchCurrentItemChanged();

    QPointer<QWidget> m_panel;
    QPointer<VLXTextField> m_findField;
    QPointer<VLXTextField> m_replaceField;
    QPointer<QLabel> m_status;
    QPointer<VLXCheckBox> m_searchFeeds;
    QPointer<VLXCheckBox> m_searchCurrentItem;
    QPointer<VLXCheckBox> m_searchAllItems;
    QPointer<VLXCheckBox> m_searchImage;
    QPointer<VLXCheckBox> m_ignoreCase;
    QPointer<VLXCheckBox> m_freezeDates;
    QPointer<VLXButton> m_nextButton;
    QString m_previousSearchValue;
    bool m_shown = false;
};
