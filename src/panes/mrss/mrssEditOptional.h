#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <QDialog>
class QStackedWidget;
class VLXPopUpButton;
class QWidget;

// The dialog that edits one Media RSS optional element: its kind (a pop-up over one page of
// controls per kind) and that kind's text and attributes. One object per use: give it the
// element to change (nothing for a new one), run editElement(), and after 1 read elementValues().
// OK checks the kind's fields and explains the first problem in an alert, keeping the dialog
// open; it changes nothing but the value it was given.
class mrssEditOptional : public QObject
{
    Q_OBJECT
public:
    explicit mrssEditOptional(QObject *parent = nullptr);
    ~mrssEditOptional() override;

    void setElementValues(const QVariantMap &values) { m_values = values; }
    const QVariantMap &elementValues() const { return m_values; }

    // Runs the dialog modally over the sender's window: 1 after OK, 0 after Cancel.
    int editElement(QWidget *sender);

    // The kind chosen in the pop-up: its page comes up, its fields as they were.
    void typeChanged();
    // Fills the kind's page from the values.
    void updateFields(int kind);
    void accept();
    void cancel();
    void help();

    QDialog *documentWindow() const { return m_window; }

private:
    void loadInterface(QWidget *parent);
    // The control of the kind's page named so.
    template<class T> T *control(const char *name) const;

    QPointer<QDialog> m_window;
    VLXPopUpButton *m_elementType = nullptr;
    QStackedWidget *m_elementTabs = nullptr;
    QVariantMap m_values;
};
