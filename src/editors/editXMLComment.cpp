#include "editors/editXMLComment.h"

#include "ui/VLXTextView.h"

#include <QDialog>
#include <QVBoxLayout>

editXMLComment::editXMLComment(QObject *parent) : SearchStepSheet(parent) { }

QString editXMLComment::legalComment(const QString &text)
{
    QString legal = text;
    // One pass leaves "- --" of "---"; repeat until no two hyphens touch.
    while (legal.contains(QLatin1String("--")))
        legal.replace(QLatin1String("--"), QLatin1String("- -"));
    // "<!-- a--->" is not well-formed: a hyphen may not stand right before the closing "-->".
    if (legal.endsWith(u'-'))
        legal += u' ';
    return legal;
}

QString editXMLComment::comment() const
{
    return legalComment(m_commentValue);
}

QString editXMLComment::string() const
{
    return m_text ? m_text->stringValue() : QString();
}

void editXMLComment::loadInterface()
{
    QDialog *window = makeWindow(QStringLiteral("editXMLComments"));
    window->setWindowTitle(tr("XML Comment"));
    m_text = new VLXTextView(window);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setHelpAnchor(QStringLiteral("FeedXMLComments"));
    m_text->setTabChangesFocus(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(m_text);
    layout->addLayout(makeButtonRow(QStringLiteral("cancel"), QStringLiteral("accept")).layout);
    window->resize(420, 220);
}

QWidget *editXMLComment::searchControl(int) const
{
    return m_text;
}

void editXMLComment::showComment()
{
    m_text->setStringValue(comment());
}

void editXMLComment::showValueForStep()
{
    showComment();
}

void editXMLComment::storeField(int)
{
    setComment(m_text->stringValue());
}

int editXMLComment::edit()
{
    QDialog *window = ensureWindow();
    if (!window)
        return 0;
    if (!m_title.isEmpty())
        window->setWindowTitle(m_title);
    showComment();
    m_text->setFocus(Qt::OtherFocusReason);
    return runModal();
}

void editXMLComment::accept()
{
    if (m_text)
        setComment(m_text->stringValue());
    endModal(1);
}
