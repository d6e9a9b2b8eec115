#pragma once

#include "ui/TextRange.h"

#include <QObject>
#include <QPointer>
#include <QStringView>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The one find-and-replace panel of the program. It searches the text view that last held the
// keyboard focus (or the one it is pointed at), forwards or backwards with wrap-around,
// optionally ignoring case, and replaces one match or every match in the whole text or in the
// selection. The find string is shared process-wide through a find pasteboard of our own (the
// desktop has none to share with other programs); the last replacement text is kept in the user
// defaults under "FindPanelLastReplaceString". The panel keeps working while a modal window
// runs: it attaches itself to that window when brought forward.
class TextFinder : public QObject
{
    Q_OBJECT
public:
    enum SearchOptions : int { NoOptions = 0, CaseInsensitive = 1, Backwards = 4 };
    // The replace-all scope button standing for the whole text; any other means the selection.
    static constexpr int kWholeTextScope = 42;

    enum class Command {
        TakeFindStringFromSelection,
        JumpToSelection,
        FindNext,
        FindPrevious,
        FindNextAndOrderFindPanelOut,
        Replace,
        ReplaceAll,
        ReplaceAndFind,
        ReplaceAndFindPrevious,
        Other,
    };

    // The shared panel, made on first use and kept for the whole run.
    static TextFinder &sharedInstance();

    QString findString() const { return m_findString; }
    void setFindString(const QString &string) { setFindString(string, true); }
    void setFindString(const QString &string, bool writeToPasteboard);
    void loadFindStringFromPasteboard();
    void loadFindStringToPasteboard();
    // The process-wide find pasteboard.
    static QString findPasteboardString();
    static void setFindPasteboardString(const QString &string);

    // The panel window, built on first use.
    QWidget *findPanel();
    bool isPanelLoaded() const { return m_panel != nullptr; }
    // The view searched: the one set last, else the text view that last had the focus.
    QPlainTextEdit *textObjectToSearchIn() const;
    void setTextObjectToSearchIn(QPlainTextEdit *view) { m_target = view; }

    bool find(bool forward);
    bool lastFindWasSuccessful() const { return m_lastFindWasSuccessful; }
    QString statusText() const { return m_status; }

    void orderFrontFindPanel();
    void findNext();
    void findPrevious();
    void findNextAndOrderFindPanelOut();
    void replace();
    void replaceAndFind();
    void replaceAndFindPrevious();
    void replaceAll();
    void takeFindStringFromSelection();
    void jumpToSelection();
    bool validateCommand(Command command) const;
    bool worksWhenModal() const { return true; }

    // Searches text for string from the selected range: forwards from its end, wrapping round
    // to the start, or backwards from its start, wrapping round to the end. A wrapped search
    // takes in the selection itself, so a lone match that is already selected is found again.
    // Options are SearchOptions; a result of length 0 means not found.
    static TextRange findString(QStringView text, QStringView string, TextRange selected,
                                int options, bool wrap);

    TextFinder(const TextFinder &) = delete;
    TextFinder &operator=(const TextFinder &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TextFinder();
    void buildPanel();
    void attachToModalWindow();
    void setStatus(const QString &text);
    void takeFindFieldText();
    void storeReplaceString();
    QString replaceString() const;
    bool ignoresCase() const;
    static QString textOf(QPlainTextEdit *view);

    QString m_findString;
    bool m_lastFindWasSuccessful = false;
    QString m_status;
    QPointer<QPlainTextEdit> m_target;

    QWidget *m_panel = nullptr;
    QLineEdit *m_findTextField = nullptr;
    QLineEdit *m_replaceTextField = nullptr;
    QCheckBox *m_ignoreCaseButton = nullptr;
    QPushButton *m_findNextButton = nullptr;
    QButtonGroup *m_replaceAllScopeMatrix = nullptr;
    QLabel *m_statusField = nullptr;
};
