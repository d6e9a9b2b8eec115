#include "platform/HelpWindow.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_contents(new QListWidget), m_browser(new QTextBrowser)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Vellumcast Help"));
    // An accessory window: quitting closes the document window and relies on that being the
    // last one, so an open help window must not keep the application running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto *split = new QSplitter;
    split->addWidget(m_contents);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 560});
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
    resize(780, 560);
    connect(m_contents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showPage(item->data(Qt::UserRole).toUrl()); });
    connect(m_contents, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showPage(item->data(Qt::UserRole).toUrl()); });
}

void HelpWindow::setContents(const QList<QPair<QString, QUrl>> &pages)
{
    m_contents->clear();
    for (const auto &[title, url] : pages) {
        auto *item = new QListWidgetItem(title, m_contents);
        item->setData(Qt::UserRole, url);
    }
}

void HelpWindow::showPage(const QUrl &url)
{
    m_browser->setSource(url);
    QUrl page = url;
    page.setFragment({});
    for (int i = 0; i < m_contents->count(); ++i) {
        if (m_contents->item(i)->data(Qt::UserRole).toUrl() == page) {
            m_contents->setCurrentRow(i);
            break;
        }
    }
}

QUrl HelpWindow::currentUrl() const
{
    return m_browser->source();
}
