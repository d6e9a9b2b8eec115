#include "opml/opmlView.h"

#include "opml/OPMLRowModel.h"
#include "opml/opmlEdit.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/SettingTextLimits.h"
#include "settings/VLXPreferences.h"
#include "ui/FirstLineBoldDelegate.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {
const QString kLastSavePath = QStringLiteral("LastOPMLSavePath");
const QString kLastSaveName = QStringLiteral("LastOPMLSaveName");

DefaultsStore &userDefaults()
{
    return VLXPreferences::sharedInstance().store();
}

QLineEdit *headField(QWidget *parent, const char *name)
{
    auto *line = new QLineEdit(parent);
    line->setObjectName(QLatin1String(name));
    line->setMaxLength(int(SettingTextLimits::limit(SettingTextLimits::Kind::Line)));
    return line;
}

// The row filled from its feed file on a worker, with a copy of the settings: a large file is
// read and parsed while the window goes on painting. The window's thread waits for it in an
// event loop of its own that leaves the user's clicks and keys for later, as between rows.
void fillOffTheWindowsThread(OPMLDocument::Row &row)
{
    auto settings = std::make_shared<VLXPreferences::ThreadCopy>();
    auto filled = std::make_shared<OPMLDocument::Row>(row);
    QFutureWatcher<bool> watcher;
    QEventLoop wait;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &wait, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([settings, filled] {
        const VLXPreferences::ThreadCopy::Use use(*settings);
        return OPMLDocument::fillFromFeedFile(*filled);
    }));
    if (!watcher.isFinished())
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (watcher.result()) {
        row = *filled;
        settings->commit();
    }
}

QPushButton *button(QWidget *parent, const char *name, const QString &title)
{
    auto *push = new QPushButton(title, parent);
    push->setObjectName(QLatin1String(name));
    push->setAutoDefault(false);
    return push;
}

// The feed file's path as the user knows it: the home folder written "~".
QString shownPath(const QString &feedURL)
{
    const QUrl url(feedURL);
    QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    const QString home = QDir::homePath();
    if (path == home || path.startsWith(home + QLatin1Char('/')))
        path = QLatin1Char('~') + path.mid(home.size());
    return path;
}
} // namespace

opmlView::opmlView(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("opmlView"));
    setWindowTitle(tr("OPML List of Feeds"));
    setModal(true);

    m_title = headField(this, "opmlTitle_");
    m_ownerName = headField(this, "opmlOwnerName_");
    m_ownerEMail = headField(this, "opmlOwnerEMail_");
    const OPMLDocument::Head stored = OPMLDocument::storedHead();
    m_title->setText(stored.title);
    m_ownerName->setText(stored.ownerName);
    m_ownerEMail->setText(stored.ownerEMail);
    auto *form = new QFormLayout;
    form->addRow(tr("Title:"), m_title);
    form->addRow(tr("Owner Name:"), m_ownerName);
    form->addRow(tr("Owner E-Mail:"), m_ownerEMail);

    m_model = new OPMLRowModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("opmlTable"));
    m_table->setModel(m_model);
    // The feed's title heads its two addresses in bold, so the rows read apart at a glance.
    m_table->setItemDelegateForColumn(OPMLRowModel::TitleURLs, new FirstLineBoldDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().lineSpacing() * 3 + 8);
    m_table->horizontalHeader()->setSectionResizeMode(OPMLRowModel::CheckBoxes,
                                                      QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(OPMLRowModel::Labels,
                                                      QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && index.column() != OPMLRowModel::CheckBoxes && m_edit)
            m_edit->click();
    });

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("progressText"));
    m_edit = button(this, "opmlTable_Edit", tr("Edit\u2026"));
    QPushButton *cancel = button(this, "cancelButton", tr("Cancel"));
    QPushButton *saveButton = button(this, "saveButton", tr("Save\u2026"));
    QPushButton *acceptButton = button(this, "acceptButton", tr("OK"));
    acceptButton->setDefault(true);
    connect(m_edit, &QPushButton::clicked, this, [this] { opmlTableAction(); });
    connect(cancel, &QPushButton::clicked, this, &opmlView::reject);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(acceptButton, &QPushButton::clicked, this, &opmlView::accept);

    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_progressText);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_edit);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(saveButton);
    buttons->addWidget(acceptButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);
    resize(620, 480);
}

opmlView::~opmlView() = default;

void opmlView::setListOfFeeds(const QList<QVariantMap> &listOfFeeds)
{
    m_listOfFeeds = listOfFeeds;
    m_model->setRows(OPMLDocument::rowsOfFeeds(m_listOfFeeds));
    showProgress(0);
}

OPMLDocument::Head opmlView::head() const
{
    return {m_title->text(), m_ownerName->text(), m_ownerEMail->text()};
}

QByteArray opmlView::buildOPML() const
{
    return OPMLDocument::build(head(), m_model->rows());
}

void opmlView::showProgress(int done)
{
    const int total = m_model->rowCount();
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progressText->setText(tr("%1 of %2").arg(done).arg(total));
    m_progress->show();
    m_progressText->show();
}

int opmlView::showOPMLList()
{
    // The feed files are read once the window is up, so it shows at once and counts them.
    QTimer::singleShot(10, this, [this] { updateFeedInformation(); });
    return exec() == QDialog::Accepted ? 1 : 0;
}

void opmlView::updateFeedInformation()
{
    const int total = m_model->rowCount();
    showProgress(0);
    QPointer<opmlView> alive(this);
    for (int index = 0; index < total; ++index) {
        OPMLDocument::Row &row = m_model->row(index);
        if (OPMLDocument::needsFeedFile(row))
            fillOffTheWindowsThread(row);
        m_model->rowChanged(index);
        showProgress(index + 1);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!alive)
            return;
    }
    m_progress->hide();
    m_progressText->hide();
}

bool opmlView::checkBoxAction(int row)
{
    if (m_model->toggle(row))
        return true;
    QApplication::beep();
    return false;
}

void opmlView::opmlTableAction()
{
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int index = selected.first().row();
    OPMLDocument::Row &row = m_model->row(index);
    opmlEdit editor(this);
    editor.setTitle(row.title);
    editor.setRawTitle(row.rawTitle);
    editor.setHTMLURL(row.HTMLURL);
    editor.setRawHTMLURL(row.rawHTMLURL);
    editor.setXMLURL(row.XMLURL);
    editor.setFilename(shownPath(row.feedURL));
    if (editor.edit() != 1)
        return;
    row.title = editor.title();
    row.HTMLURL = editor.HTMLURL();
    row.XMLURL = editor.XMLURL();
    m_model->rowChanged(index);
}

void opmlView::save()
{
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save OPML");
    request.allowedExtensions = {QStringLiteral("opml")};
    request.directory = userDefaults().string(kLastSavePath).value_or(QString());
    request.proposedName = userDefaults().string(kLastSaveName).value_or(QString());
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (refusedToStore())
        return;
    OPMLDocument::storeHead(head());
    QString problem;
    if (!OPMLDocument::save(path, buildOPML(), &problem)) {
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.title = tr("Save OPML");
        alert.message = tr("The OPML list could not be saved to \"%1\": %2").arg(path, problem);
        alert.defaultButton = tr("OK");
        AlertService::show(alert);
        return;
    }
    const QFileInfo saved(path);
    userDefaults().setObject(saved.absolutePath(), kLastSavePath);
    userDefaults().setObject(saved.fileName(), kLastSaveName);
}

bool opmlView::refusedToStore()
{
    const QString problem = OPMLDocument::refusal(head(), m_model->rows());
    if (problem.isEmpty())
        return false;
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = tr("OPML List of Feeds");
    alert.message = problem + tr(" Shorten it to keep the list.");
    alert.defaultButton = tr("OK");
    AlertService::show(alert);
    return true;
}

void opmlView::accept()
{
    if (refusedToStore())
        return;
    showProgress(0);
    OPMLDocument::storeHead(head());
    const QDateTime now = QDateTime::currentDateTime();
    const int total = m_model->rowCount();
    for (int index = 0; index < total; ++index) {
        OPMLDocument::storeRow(m_model->rows().at(index), now);
        showProgress(index + 1);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    OPMLDocument::storeHead(head());
    QDialog::accept();
}
