#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLineEdit;

// The small editor of one row of the OPML window: the title, web page and XML address written
// for a feed, beside the title and web page found in its file (shown only).
class opmlEdit : public QDialog
{
    Q_OBJECT
public:
    explicit opmlEdit(QWidget *parent = nullptr);

    void setTitle(const QString &value) { m_title = value; }
    void setRawTitle(const QString &value) { m_rawTitle = value; }
    void setHTMLURL(const QString &value) { m_HTMLURL = value; }
    void setRawHTMLURL(const QString &value) { m_rawHTMLURL = value; }
    void setXMLURL(const QString &value) { m_XMLURL = value; }
    void setFilename(const QString &value) { m_filename = value; }
    const QString &title() const { return m_title; }
    const QString &HTMLURL() const { return m_HTMLURL; }
    const QString &XMLURL() const { return m_XMLURL; }

    // Runs the editor modally: 1 after an accepted edit, 0 after Cancel.
    int edit();

    // Checks the addresses (an "Invalid URL" alert and the editor stays open when one is wrong),
    // then takes the fields and ends with 1.
    void accept() override;

private:
    QPointer<QLineEdit> m_rawTitleField;
    QPointer<QLineEdit> m_titleField;
    QPointer<QLineEdit> m_rawHTMLURLField;
    QPointer<QLineEdit> m_HTMLURLField;
    QPointer<QLineEdit> m_XMLURLField;
    QPointer<QLineEdit> m_filenameField;
    QString m_title = QLatin1String("");
    QString m_rawTitle = QLatin1String("");
    QString m_HTMLURL = QLatin1String("");
    QString m_rawHTMLURL = QLatin1String("");
    QString m_XMLURL = QLatin1String("");
    QString m_filename = QLatin1String("");
};
