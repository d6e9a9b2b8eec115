#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QHBoxLayout;

// What the HTML editor's sheets share: a window modal to the editor's window, OK and Cancel at
// its foot, and the owner's done callback (1 OK, 0 Cancel), called once the sheet is out of
// sight so that the owner may read the values and drop the sheet.
class EditorSheet : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(int code)>;
    ~EditorSheet() override;

    QDialog *window() const { return m_window; }

    // The "Missing Field" alert of a field left blank.
    static void missingField(const QString &message);

protected:
    EditorSheet(QWidget *parentWindow, const QString &objectName, const QString &title, Done done,
                QObject *parent);
    // Cancel and the default button OK ("buttonCancel", "buttonOK"), wired to the actions.
    QHBoxLayout *makeButtonRow(std::function<void()> ok, std::function<void()> cancel);
    void endSheet(int code);
    // The sheet ended (before the owner hears of it).
    virtual void sheetEnded() { }

private:
    QPointer<QDialog> m_window;
    Done m_done;
};
