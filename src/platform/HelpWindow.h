#pragma once

#include <QUrl>
#include <QWidget>

class QListWidget;
class QTextBrowser;

// The help viewer: the book's pages listed on the left, the page on the right, scrolled to the
// anchor asked for.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Pages as (title, url) in book order.
    void setContents(const QList<QPair<QString, QUrl>> &pages);
    void showPage(const QUrl &url);
    QUrl currentUrl() const;
    QTextBrowser *browser() const { return m_browser; }

private:
    QListWidget *m_contents;
    QTextBrowser *m_browser;
};
