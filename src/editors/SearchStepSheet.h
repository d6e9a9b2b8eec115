#pragma once

#include "ui/TextRange.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class QAction;
class QHBoxLayout;
class VLXButton;

// A small modal edit sheet (XML comment, category, URL) that can also serve as one step of the
// feed's search-and-replace walk. The walk gives the sheet its value, then calls replace(): the
// sheet searches and replaces inside its own fields, one after another, and either ends at once
// (nothing more to find) or stays open on the match it found, where the find panel keeps driving
// it through the actions below until the user accepts, cancels or the search runs past its last
// field.
//
// The walk reads back:
//   replace()      1 when the value changed and is to be stored, 0 when it is unchanged;
//   replaceDone()  true when the step was handed a replacement, applied or not, so the walk
//                  offers no replacement to later fields;
//   searchFound()  true when the sheet ended while showing a match: the walk stops there.
class SearchStepSheet : public QObject
{
    Q_OBJECT
public:
    // Search options handed in by the walk (the same bits as the extensions' find operations).
    enum SearchOption { CaseInsensitive = 1 };

    ~SearchStepSheet() override;

    // replace:with:thenSearch:withMask:
    int replace(const QString &search, const std::optional<QString> &replacement, bool thenSearch,
                int mask);
    bool searchFound() const { return m_searchResult; }
    bool replaceDone() const { return m_replaceResult; }

    // A sheet opened from the preferences window, where there is no find panel.
    void setInPreferences(bool flag) { m_inPreferences = flag; }
    bool inPreferences() const { return m_inPreferences; }

    // The find panel's actions while the sheet runs.
    void findNext();
    void findPanelNextAction() { findNext(); }
    void findPanelReplaceAction();
    void findPanelReplaceFindAction();
    void findPanelReplaceAllAction();
    virtual void orderFrontFindPanel();
    // Whether a find command ("orderFrontFindPanel", "findNext") may run now; every other command
    // is the window's to decide (true).
    bool validateCommand(const QString &command) const;

    // Searches the text from the end of the last match (from the start when there is none) and
    // keeps the result, found or not, as the last match.
    TextRange searchField(const QString &text, const QString &search, int options);
    TextRange lastFoundRange() const { return m_lastFoundRange; }
    int searchFieldIndex() const { return m_searchFieldIndex; }
    QString previousSearchValue() const { return m_previousSearchValue; }
    int searchMask() const { return m_searchMask; }

    // The window a sheet is modal to (the feed window); without one it blocks the application.
    void setParentWindow(QWidget *parent) { m_parentWindow = parent; }
    // The sheet's window, null before its first use.
    QDialog *window() const { return m_window; }
    // The innermost sheet whose modal run is in progress: the find panel sends its actions there.
    static SearchStepSheet *runningSheet();

    // The Accept and Cancel buttons (Cancel also serves Escape and the close box).
    virtual void accept() = 0;
    virtual void cancel();

protected:
    explicit SearchStepSheet(QObject *parent = nullptr);

    // Builds the window on first use: loadInterface() makes it with makeWindow() and fills it.
    QDialog *ensureWindow();
    virtual void loadInterface() = 0;
    // The sheet's one window, modal to the parent window when there is one.
    QDialog *makeWindow(const QString &objectName);
    // The foot of a sheet: Cancel and the default button Accept, wired to cancel() and accept(),
    // with an optional button (Help) at the left.
    struct ButtonRow
    {
        QHBoxLayout *layout;
        VLXButton *cancel;
        VLXButton *accept;
    };
    ButtonRow makeButtonRow(const QString &cancelName, const QString &acceptName,
                            QWidget *leading = nullptr);

    // The searchable fields, numbered from 0, each shown in a text control of the kit.
    virtual int searchFieldCount() const = 0;
    virtual QWidget *searchControl(int field) const = 0;
    // The text searched in a field; the control's text unless the sheet says otherwise.
    virtual QString fieldSearchText(int field) const;
    // A replacement was made in the field's control: take its text into the value.
    virtual void storeField(int field) = 0;
    // Step 2 and 3 of a step: show the value, and keep it as it was when the step began.
    virtual void showValueForStep() { }
    virtual void rememberInitialValues() = 0;
    virtual bool valuesUnchanged() const = 0;

    // Runs the window modally unless the step already ended it; answers the modal code.
    int runModal();
    // Ends the modal run with the code (now, or as soon as it would begin).
    void endModal(int code);
    bool isRunning() const { return m_running; }
    // The sheet was ended (accepted or cancelled) since its run began.
    bool hasEnded() const { return m_ended; }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void replaceStep(const QString &search, const std::optional<QString> &replacement,
                     bool thenSearch);
    void finishStep();
    void updateFindCommands();
    void addFindCommands();

    QPointer<QWidget> m_parentWindow;
    QPointer<QDialog> m_window;
    QAction *m_findPanelCommand = nullptr;
    QAction *m_findNextCommand = nullptr;
    bool m_searchResult = false;
    bool m_replaceResult = false;
    int m_searchFieldIndex = 0;
    int m_searchMask = 0;
    QString m_previousSearchValue;
    TextRange m_lastFoundRange {0, 0};
    bool m_inPreferences = false;
    bool m_running = false;
    bool m_ended = false;
    std::optional<int> m_pendingCode;
};
