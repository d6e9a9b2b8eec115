#include "editors/editLink.h"

#include "ui/VLXCheckBox.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QFormLayout>
#include <QUrl>
#include <QVBoxLayout>

editLink::editLink(QWidget *parentWindow, int node, const QString &text, const QString &link,
                   int newBrowser, Done done, QObject *parent)
    : EditorSheet(parentWindow, QStringLiteral("editLinkWindow"), tr("Link"), std::move(done),
                  parent),
      m_elementNode(node)
{
    QDialog *window = this->window();
    m_text = new VLXTextField(window);
    m_text->setObjectName(QStringLiteral("editLinkText"));
    m_text->setHelpAnchor(QStringLiteral("WYSIWYGLinkText"));
    m_url = new VLXTextField(window);
    m_url->setObjectName(QStringLiteral("editLinkURL"));
    m_url->setHelpAnchor(QStringLiteral("WYSIWYGLinkURL"));
    m_url->setMinimumWidth(320);
    m_newBrowser = new VLXCheckBox(window);
    m_newBrowser->setObjectName(QStringLiteral("editLinkNewBrowser"));
    m_newBrowser->setText(tr("Open in a new window"));

    auto *form = new QFormLayout;
    form->addRow(tr("Link Text:"), m_text);
    form->addRow(tr("Link URL:"), m_url);
    form->addRow(QString(), m_newBrowser);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(form);
    layout->addLayout(
        makeButtonRow([this] { editLinkButtonOK(); }, [this] { editLinkButtonCancel(); }));

    m_text->setText(text);
    m_url->setText(link);
    m_newBrowser->setChecked(newBrowser != 0);
    window->open();
}

QString editLink::linkText() const
{
    return m_text->text();
}

QString editLink::linkURL() const
{
    return m_url->text();
}

int editLink::linkNewBrowser() const
{
    return m_newBrowser->isChecked() ? 1 : 0;
}

bool editLink::isBlankLinkURL(const QString &url)
{
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("http://"))
        return true;
    // Characters beyond Latin-1 cannot be escaped in it, so such a text forms no URL.
    for (const QChar c : url) {
        if (c.unicode() > 0xFF)
            return true;
    }
    const QByteArray escaped
        = QByteArray(url.toLatin1()).toPercentEncoding(QByteArrayLiteral("!#$&'()*+,/:;=?@[]~"));
    return !QUrl(QString::fromLatin1(escaped), QUrl::StrictMode).isValid();
}

void editLink::editLinkButtonOK()
{
    if (linkText().isEmpty()) {
        missingField(tr("Link Text can not be left blank."));
        return;
    }
    if (isBlankLinkURL(linkURL())) {
        missingField(tr("Link URL can not be left blank."));
        return;
    }
    endSheet(1);
}

void editLink::editLinkButtonCancel()
{
    endSheet(0);
}
