#pragma once

#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QStackedWidget>
#include <QTimer>
#include <gtest/gtest.h>

// The wizard's sheet as a user works it: the page on show, typing into fields, the page's
// buttons by their tags.
class WizardDriver
{
public:
    explicit WizardDriver(QWidget *sheet) : m_sheet(sheet) { }

    QWidget *sheet() const { return m_sheet; }
    QString page() const
    {
        auto *pages = m_sheet->findChild<QStackedWidget *>("tabView");
        return pages && pages->currentWidget() ? pages->currentWidget()->objectName() : QString();
    }
    template<typename T = QWidget> T *get(const char *name) const
    {
        T *control = m_sheet->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(control) << name;
        return control;
    }
    QString text(const char *name) const
    {
        if (auto *field = m_sheet->findChild<VLXTextField *>(QLatin1String(name)))
            return field->text();
        if (auto *view = m_sheet->findChild<VLXTextView *>(QLatin1String(name)))
            return view->stringValue();
        ADD_FAILURE() << "no text control " << name;
        return {};
    }
    void type(const char *name, const QString &text) const
    {
        if (auto *field = m_sheet->findChild<VLXTextField *>(QLatin1String(name)))
            field->setTextAsEdit(text);
        else if (auto *view = m_sheet->findChild<VLXTextView *>(QLatin1String(name)))
            view->setTextAsEdit(text);
        else
            ADD_FAILURE() << "no text control " << name;
    }
    void chooseLanguage(const QString &title) const
    {
        get<VLXPopUpButton>("feedLanguage")->setCurrentText(title);
    }
    void chooseKind(int row) const { get<VLXMatrix>("chooseFeedType")->setStateOfTag(row, 1); }
    // Presses the button with the tag on the page on show.
    void press(int tag) const
    {
        auto *pages = m_sheet->findChild<QStackedWidget *>("tabView");
        for (auto *button : pages->currentWidget()->findChildren<QAbstractButton *>()) {
            if (button->property("tag").toInt() == tag && button->isVisible()) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << tag << " on " << page().toStdString();
    }
    void next() const { press(4); }
    void back() const { press(2); }
    void cancel() const { press(1); }
    void finish() const { press(3); }
    void copy() const { press(50); }
    // Next from the page, expecting the one that follows.
    void nextTo(const char *expected) const
    {
        next();
        EXPECT_EQ(page(), QLatin1String(expected));
    }
    // One item from its title page: title, description and link.
    void fillItem(const QString &title, const QString &link) const
    {
        type("itemTitle", title);
        nextTo("Item_description");
        type("itemDescription", "About " + title);
        nextTo("Item_link");
        type("itemLink", link);
        nextTo("Item_enclosure");
    }
    bool isShown() const { return m_sheet->isVisible(); }

private:
    QWidget *m_sheet;
};
