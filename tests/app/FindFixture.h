#pragma once

#include "ActionsFixture.h"

#include "app/FeedFindPanel.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <ostream>
#include <string>

class QWidget;

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A list as one line per entry, for readable failures.
inline std::string lines(const QStringList &list)
{
    return list.join(QLatin1Char('\n')).toStdString();
}

// The feed window with the find panel: the panel's boxes and texts set as the user sets them,
// its buttons pressed, and every edit sheet a search opens answered by a script from a timer.
class FindFixture : public ActionsFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the feed and sets the panel: the Find and Replace texts and the scope boxes
    // ("channel", "items", "all", "image"), case and dates left as the test asks.
    Vellumcast &openForFind(const QStringList &itemTitles = {"A", "B", "C"});
    FeedFindPanel &find() const { return *FeedFindPanel::sharedInstance(); }
    void setScope(const QStringList &boxes);
    // Presses a button of the panel ("Next", "Replace", "ReplaceFind", "ReplaceAll").
    void press(const char *button);
    // The control of the feed window holding the window's focus, "" when none.
    QString focusName() const;
    QString highlighted() const;
    // Sets a field of the loaded feed in the model (by outlet) and shows the model again.
    void setModelValue(const QString &outlet, int item, const QString &value);
    void showModel();

    // Every sheet that runs modally is handed to the script (once), from a timer.
    void answerSheets(std::function<void(QWidget *sheet)> script);

    int beeps = 0;

private:
    QTimer m_sheetTimer;
    std::function<void(QWidget *)> m_sheetScript;
};
