#pragma once

#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "platform/Clock.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedFileChooser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class VLXListBox;
class VLXUndoManager;

// The window started on a feed of ours, with a fixed clock and scripted file choosers; the
// actions are called as the window's commands call them, and each user action is ended as the
// event loop would end it.
class ActionsFixture : public AppFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the application (the wizard offer declined) and opens the file of a feed with the
    // given item titles; the feed validates without a message.
    Vellumcast &openFeed(const QStringList &itemTitles = {"A", "B", "C"},
                         const QString &name = QStringLiteral("feed.xml"));
    Vellumcast &window() const;
    VLXUndoManager &undo() const;
    VLXListBox *list() const;
    template<typename T = QWidget> T *field(const char *name) const;
    // The user action is over: its undo records form one step.
    void endAction() const;
    QStringList itemTitles() const;
    QStringList fileNames() const; // of the feed list's entries
    QStringList alertTitles() const;
    static QByteArray feedText(const QString &title, const QStringList &itemTitles);
    QString path(const QString &name) const;
    // Runs the script on the next modal window (a sheet) once it is up; a sheet the script left
    // open is cancelled after a few seconds, so a failing test fails instead of hanging.
    static void whileModal(std::function<void(QWidget *sheet)> script);
    // Lets a script queued for a sheet that never came run out (a modal window must not be
    // driven by a script meant for another).
    static void settle();

    std::shared_ptr<FixedClock> clock;
    std::shared_ptr<ScriptedFileChooser> chooser;
};

template<typename T> T *ActionsFixture::field(const char *name) const
{
    return window().template outlet<T>(QLatin1String(name));
}
