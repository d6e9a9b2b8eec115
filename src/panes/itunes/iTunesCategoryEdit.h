#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <QDialog>

class QStandardItemModel;
class QWidget;
class VLXBrowser;

// The sheet in which the user picks an iTunes category: a two-column browser of the category
// tree, categories on the left and the chosen one's sub-categories on the right ("All" for the
// category alone). One object per use: run selectCategory(), then read category() and
// subCategory().
class iTunesCategoryEdit : public QObject
{
    Q_OBJECT
public:
    explicit iTunesCategoryEdit(QObject *parent = nullptr);
    ~iTunesCategoryEdit() override;

    // Runs the sheet on the view's window with the preset selected (its sub-category, or "All"
    // for none, when the tree has that row). Answers 1 when the user accepted, 0 otherwise.
    int selectCategory(QWidget *view, const QString &category, const QString &subCategory);
    QString category() const { return m_category; }
    // "" for "All", or when no sub-category was chosen.
    QString subCategory() const;

    void accept();
    void cancel();
    QDialog *documentWindow() const { return m_window; }
    VLXBrowser *catBrowser() const { return m_browser; }

private:
    void loadInterface(QWidget *parent);
    void preselect();

    QPointer<QDialog> m_window;
    VLXBrowser *m_browser = nullptr;
    QStandardItemModel *m_treeData = nullptr;
    QString m_category;
    QString m_subCategory;
};
