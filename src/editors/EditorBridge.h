#pragma once

#include <QObject>
#include <QString>

// The one object the HTML editor's script sees over the web channel (in the application's
// isolated world only): the script reports through it, and nothing else of the editor is
// reachable from the page.
class EditorBridge : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Called by the script.
    Q_INVOKABLE void ready() { emit scriptReady(); }
    // The document changed: its body, what kind of change (the input type, "insertLink" ...) and
    // the selections before and after, as the script serialised them.
    Q_INVOKABLE void changed(int generation, const QString &html, const QString &kind,
                             const QString &selectionBefore, const QString &selectionAfter)
    {
        emit documentChanged(generation, html, kind, selectionBefore, selectionAfter);
    }
    // The user asked the page for "undo" or "redo" (keys, the engine's own commands).
    Q_INVOKABLE void historyRequested(const QString &which, int generation)
    {
        emit history(which == QLatin1String("redo"), generation);
    }

    // What the context menu about to show is over: "image", "link" or "none". (The engine's own
    // description of the click has no address for links and images that resolve to none.)
    Q_INVOKABLE void contextMenuTarget(const QString &kind) { emit menuTarget(kind); }

signals:
    void scriptReady();
    void menuTarget(const QString &kind);
    void documentChanged(int generation, const QString &html, const QString &kind,
                         const QString &selectionBefore, const QString &selectionAfter);
    void history(bool redo, int generation);
};
