// The publish sheet's controls and what the publisher reports into them. Every control's
// objectName is its outlet name.
#include "publish/PublishWindow.h"

#include "publish/PublishDialogs.h"
#include "publish/PublishFileCellDelegate.h"
#include "publish/PublishFileTableModel.h"
#include "publish/vlxFTP.h"
#include "ui/ClosingKeys.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/flippedView.h"
#include "ui/vlxDisclosureButton.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

template<typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

// Escape and the close box act as the Cancel button (Abort while a run goes on).
class UploadWindow : public QDialog
{
public:
    explicit UploadWindow(PublishWindow *owner) : m_owner(owner) { }
    void reject() override { m_owner->cancelAction(); }

private:
    PublishWindow *m_owner;
};

// The transfer log's own window: closing it by its close box titles the log button anew.
class LogWindowWatcher : public QObject
{
public:
    LogWindowWatcher(QObject *parent, std::function<void()> closed)
        : QObject(parent), m_closed(std::move(closed))
    {
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            m_closed();
        return false;
    }

private:
    std::function<void()> m_closed;
};

VLXTextField *statusLine(const QString &name, QWidget *parent)
{
    auto *line = named(new VLXTextField(parent), name);
    line->setReadOnly(true);
    line->setFrame(false);
    line->setFocusPolicy(Qt::NoFocus);
    // A line of text, not a field to type in.
    QPalette plain = line->palette();
    plain.setColor(QPalette::Base, Qt::transparent);
    line->setPalette(plain);
    return line;
}

} // namespace

PublishWindow &PublishWindow::sharedInstance()
{
    // One sheet for the whole program, made on first use and never destroyed, like its
    // publisher.
    static PublishWindow *window = new PublishWindow(vlxFTP::sharedInstance());
    return *window;
}

PublishWindow::PublishWindow(vlxFTP &publisher, QObject *parent)
    : QObject(parent), m_publisher(publisher)
{
}

PublishWindow::~PublishWindow()
{
    if (m_publisher.isRunning())
        m_publisher.abort();
    m_publisher.setView(nullptr);
    delete m_uploadWindow;
}

bool PublishWindow::logExists()
{
    return bool(sharedInstance().m_transferLog);
}

void PublishWindow::viewLog()
{
    sharedInstance().toggleLogWindow();
}

void PublishWindow::toggleLogWindow()
{
    if (!m_logWindow)
        return;
    if (m_logWindow->isVisible()) {
        m_viewLogButton->setText(tr("View Log"));
        m_logWindow->close();
        return;
    }
    m_viewLogButton->setText(tr("Hide Log"));
    m_logWindow->show();
    m_logWindow->raise();
    m_logWindow->activateWindow();
}

bool PublishWindow::isShowingContents() const
{
    return m_contentsBox && !m_contentsBox->isHidden();
}

// ---- The interface ----

void PublishWindow::loadInterface()
{
    auto *window = new UploadWindow(this);
    m_uploadWindow = window;
    window->setObjectName(QStringLiteral("uploadWindow"));
    window->setWindowTitle(tr("Publish"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    m_contentsBox = named(new VLXBox(window), QStringLiteral("contentsBox"));
    auto *scroll = new QScrollArea(m_contentsBox);
    scroll->setObjectName(QStringLiteral("contentsScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *parts = named(new flippedView, QStringLiteral("partsBox"));
    auto *partsLayout = new QVBoxLayout(parts);
    partsLayout->addWidget(buildFeedSection());
    partsLayout->addWidget(buildImageSection());
    partsLayout->addWidget(buildEnclosureSection());
    partsLayout->addWidget(buildOtherFilesSection());
    partsLayout->addStretch(1);
    scroll->setWidget(parts);
    auto *contentsLayout = new QVBoxLayout(m_contentsBox);
    contentsLayout->setContentsMargins(0, 0, 0, 0);
    contentsLayout->addWidget(scroll);

    auto *layout = new QVBoxLayout(window);
    layout->addWidget(buildSiteRow());
    layout->addWidget(m_contentsBox, 1);
    layout->addWidget(buildStatusBox());
    m_logWindow = buildLogWindow();
    // Measured as it will be shown: the style's sizes apply only once polished.
    window->ensurePolished();
    window->resize(680, 700);
}

QWidget *PublishWindow::buildSiteRow()
{
    auto *row = named(new QWidget, QStringLiteral("siteRow"));
    auto *grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(
        named(new QLabel(tr("Publishing Site:"), row), QStringLiteral("publishSitesLabel")), 0, 0);
    m_publishSites = named(new VLXPopUpButton(row), QStringLiteral("publishSites"));
    m_publishSites->setHelpAnchor(QStringLiteral("PublishSites"));
    grid->addWidget(m_publishSites, 0, 1);
    auto *newSite = named(new VLXButton(row), QStringLiteral("newSite"));
    newSite->setText(tr("New Site\u2026"));
    auto *modifySite = named(new VLXButton(row), QStringLiteral("modifySite"));
    modifySite->setText(tr("Modify Site\u2026"));
    grid->addWidget(newSite, 0, 2);
    grid->addWidget(modifySite, 0, 3);
    grid->addWidget(named(new QLabel(tr("Password:"), row), QStringLiteral("passwordLabel")), 1, 0);
    auto *password = named(new VLXSecureTextField(row), QStringLiteral("password"));
    grid->addWidget(password, 1, 1);
    auto *user = named(new QLabel(row), QStringLiteral("username"));
    user->hide();
    grid->addWidget(user, 1, 2, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(m_publishSites, &QComboBox::activated, this, [this] { siteChanged(); });
    connect(newSite, &QPushButton::clicked, this, [this] { createNewSite(); });
    connect(modifySite, &QPushButton::clicked, this, [this] { modifyThisSite(); });
    return row;
}

QWidget *PublishWindow::sectionHead(vlxDisclosureButton *disclosure, VLXCheckBox *check,
                                    QWidget *status)
{
    auto *head = new QWidget;
    auto *line = new QHBoxLayout(head);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(disclosure);
    line->addWidget(check);
    line->addWidget(status, 1);
    disclosure->setLabelField(check);
    disclosure->setResultField(status);
    return head;
}

QWidget *PublishWindow::buildFeedSection()
{
    auto *section = new QWidget;
    auto *disclosure = named(new vlxDisclosureButton(section), QStringLiteral("disclosureXML"));
    auto *upload = named(new VLXCheckBox(section), QStringLiteral("uploadXML"));
    upload->setText(tr("Feed"));
    auto *box = named(new VLXBox(section), QStringLiteral("destinationBox"));
    box->setHelpAnchor(QStringLiteral("UploadDestination"));
    auto *form = new QFormLayout(box);
    form->addRow(tr("Remote File Name:"),
                 named(new VLXTextField(box), QStringLiteral("remoteFilename")));
    auto *folder = new QHBoxLayout;
    folder->addWidget(named(new VLXTextField(box), QStringLiteral("remotePath")), 1);
    auto *browse = named(new VLXButton(box), QStringLiteral("browseDirs"));
    browse->setText(tr("Browse\u2026"));
    browse->setHelpAnchor(QStringLiteral("UploadBrowse"));
    folder->addWidget(browse);
    form->addRow(tr("Remote Folder:"), folder);
    auto *noFuture = named(new VLXCheckBox(box), QStringLiteral("noFutureItems"));
    noFuture->setText(tr("Leave out items dated in the future"));
    form->addRow(QString(), noFuture);
    auto *limits = new QHBoxLayout;
    auto *limit = named(new VLXCheckBox(box), QStringLiteral("limitItems"));
    limit->setText(tr("Publish only the first"));
    auto *number = named(new VLXTextField(box), QStringLiteral("limitNumber"));
    number->setValidator(new QIntValidator(0, 1000000, number));
    number->setMaximumWidth(80);
    limits->addWidget(limit);
    limits->addWidget(number);
    limits->addWidget(new QLabel(tr("items"), box));
    limits->addStretch(1);
    form->addRow(QString(), limits);
    disclosure->setBoxField(box);

    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        sectionHead(disclosure, upload, statusLine(QStringLiteral("lastUploadXML"), section)));
    layout->addWidget(box);
    connect(limit, &QAbstractButton::clicked, this, [this] { limitedChanged(); });
    connect(browse, &QPushButton::clicked, this, [this] { browseDirectories(Field::RemotePath); });
    return section;
}

QWidget *PublishWindow::buildImageSection()
{
    auto *section = new QWidget;
    auto *disclosure = named(new vlxDisclosureButton(section), QStringLiteral("disclosureImage"));
    auto *upload = named(new VLXCheckBox(section), QStringLiteral("uploadImage"));
    upload->setText(tr("Image"));
    auto *status = new QWidget(section);
    auto *statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->addWidget(statusLine(QStringLiteral("lastUploadImage"), status), 1);
    m_imageGeneratingProgress
        = named(new QProgressBar(status), QStringLiteral("imageGeneratingProgress"));
    m_imageGeneratingProgress->setRange(0, 0);
    m_imageGeneratingProgress->setMaximumWidth(90);
    m_imageGeneratingProgress->hide();
    statusLayout->addWidget(m_imageGeneratingProgress);

    auto *box = named(new VLXBox(section), QStringLiteral("imageBox"));
    auto *form = new QFormLayout(box);
    form->addRow(tr("Remote File Name:"),
                 named(new VLXTextField(box), QStringLiteral("remoteImageFilename")));
    auto *folder = new QHBoxLayout;
    folder->addWidget(named(new VLXTextField(box), QStringLiteral("remoteImagePath")), 1);
    auto *browse = named(new VLXButton(box), QStringLiteral("browseImageDirs"));
    browse->setText(tr("Browse\u2026"));
    folder->addWidget(browse);
    form->addRow(tr("Remote Folder:"), folder);
    disclosure->setBoxField(box);

    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sectionHead(disclosure, upload, status));
    layout->addWidget(box);
    connect(upload, &QAbstractButton::clicked, this, [this] { uploadImageCheckBoxAction(); });
    connect(browse, &QPushButton::clicked, this,
            [this] { browseDirectories(Field::RemoteImagePath); });
    return section;
}

VLXTableView *PublishWindow::fileTable(const QString &name, PublishFileTableModel *model)
{
    auto *table = named(new VLXTableView, name);
    table->setModel(model);
    table->setItemDelegateForColumn(2, new PublishFileCellDelegate(table));
    // Every row is two lines high: fixed heights keep a table of thousands of files instant.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(
        PublishFileCellDelegate::rowHeight(table->font()));
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    table->horizontalHeader()->resizeSection(0, 28);
    table->horizontalHeader()->resizeSection(1, 150);
    table->setMinimumHeight(200);
    connect(model, &PublishFileTableModel::modelReset, this, [this] { updateOtherFilesButtons(); });
    return table;
}

QWidget *PublishWindow::buildEnclosureSection()
{
    auto *section = new QWidget;
    auto *disclosure
        = named(new vlxDisclosureButton(section), QStringLiteral("disclosureEnclosure"));
    auto *upload = named(new VLXCheckBox(section), QStringLiteral("uploadEnclosure"));
    upload->setText(tr("Enclosures"));
    auto *box = named(new VLXBox(section), QStringLiteral("enclosureBox"));
    auto *folder = new QHBoxLayout;
    folder->addWidget(new QLabel(tr("Remote Folder:"), box));
    folder->addWidget(named(new VLXTextField(box), QStringLiteral("remoteEnclosurePath")), 1);
    auto *browse = named(new VLXButton(box), QStringLiteral("browseEnclosureDirs"));
    browse->setText(tr("Browse\u2026"));
    folder->addWidget(browse);
    m_enclosureModel
        = new PublishFileTableModel(m_publisher, PublishFileTableModel::Enclosures, section);
    m_enclosureTable = fileTable(QStringLiteral("enclosureTable"), m_enclosureModel);
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->addLayout(folder);
    boxLayout->addWidget(m_enclosureTable);
    disclosure->setBoxField(box);

    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sectionHead(disclosure, upload, new QWidget(section)));
    layout->addWidget(box);
    connect(m_enclosureModel, &PublishFileTableModel::checkBoxClicked, this,
            [this](int row) { tableCheckBoxClicked(Table::Enclosures, row); });
    connect(browse, &QPushButton::clicked, this,
            [this] { browseDirectories(Field::RemoteEnclosurePath); });
    return section;
}

QWidget *PublishWindow::buildOtherFilesSection()
{
    auto *section = new QWidget;
    auto *disclosure
        = named(new vlxDisclosureButton(section), QStringLiteral("disclosureOtherFiles"));
    auto *upload = named(new VLXCheckBox(section), QStringLiteral("uploadOtherFiles"));
    upload->setText(tr("Other Files"));
    auto *box = named(new VLXBox(section), QStringLiteral("otherFilesBox"));
    m_otherFilesModel
        = new PublishFileTableModel(m_publisher, PublishFileTableModel::OtherFiles, section);
    m_otherFilesTable = fileTable(QStringLiteral("otherFilesTable"), m_otherFilesModel);
    auto *buttons = new QHBoxLayout;
    const struct
    {
        const char *name;
        const char *title;
        int tag;
    } kButtons[] = {{"otherFilesAdd", "Add\u2026", 1},
                    {"otherFilesDelete", "Delete", 2},
                    {"otherFilesModify", "Modify\u2026", 3}};
    for (const auto &b : kButtons) {
        auto *button = named(new VLXButton(box), QLatin1String(b.name));
        button->setText(tr(b.title));
        button->setProperty("tag", b.tag);
        connect(button, &QPushButton::clicked, this,
                [this, tag = b.tag] { otherFilesAction(tag); });
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(m_otherFilesTable);
    boxLayout->addLayout(buttons);
    disclosure->setBoxField(box);

    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sectionHead(disclosure, upload, new QWidget(section)));
    layout->addWidget(box);
    connect(m_otherFilesModel, &PublishFileTableModel::checkBoxClicked, this,
            [this](int row) { tableCheckBoxClicked(Table::OtherFiles, row); });
    connect(m_otherFilesTable, &VLXTableView::doubleAction, this,
            [this](int row) { otherFilesDoubleAction(row); });
    connect(m_otherFilesTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateOtherFilesButtons(); });
    return section;
}

QWidget *PublishWindow::buildStatusBox()
{
    auto *box = named(new VLXBox, QStringLiteral("statusBox"));
    box->setHelpAnchor(QStringLiteral("UploadStatus"));
    m_progress = named(new QProgressBar(box), QStringLiteral("progress"));
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_statusText = named(new QLabel(box), QStringLiteral("statusText"));
    m_viewLogButton = named(new VLXButton(box), QStringLiteral("viewLogButton"));
    m_viewLogButton->setText(tr("View Log"));
    static_cast<VLXButton *>(m_viewLogButton.data())->setHelpAnchor(QStringLiteral("UploadStatus"));
    m_cancelButton = named(new QPushButton(box), QStringLiteral("cancelButton"));
    m_cancelButton->setText(tr("Close"));
    m_uploadButton = named(new QPushButton(box), QStringLiteral("uploadButton"));
    m_uploadButton->setText(tr("Publish"));
    m_uploadButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_viewLogButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_uploadButton);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(m_statusText);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_uploadButton, &QPushButton::clicked, this, [this] { m_publisher.upload(); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancelAction(); });
    connect(m_viewLogButton, &QPushButton::clicked, this, [this] { toggleLogWindow(); });
    return box;
}

QWidget *PublishWindow::buildLogWindow()
{
    // A window of its own, living with the sheet; it can be shown after the sheet has closed.
    auto *window = new QWidget(m_uploadWindow, Qt::Window);
    window->setObjectName(QStringLiteral("transferLogWindow"));
    window->setWindowTitle(tr("Transfer Log"));
    m_transferLog = named(new VLXTextView(window), QStringLiteral("transferLog"));
    m_transferLog->setReadOnly(true);
    m_transferLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_transferLog->setHelpAnchor(QStringLiteral("UploadStatus"));
    auto *close = named(new VLXButton(window), QStringLiteral("closeLogButton"));
    close->setText(tr("Close"));
    connect(close, &QPushButton::clicked, window, &QWidget::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(m_transferLog);
    layout->addLayout(buttons);
    window->resize(620, 460);
    ClosingKeys::install(window);
    window->installEventFilter(new LogWindowWatcher(window, [this] {
        if (m_viewLogButton)
            m_viewLogButton->setText(tr("View Log"));
    }));
    return window;
}

// ---- What the publisher reads and reports ----

VLXCheckBox *PublishWindow::toggleBox(Toggle toggle) const
{
    static const char *const kNames[] = {"uploadImage", "uploadEnclosure", "uploadOtherFiles",
                                         "uploadXML",   "noFutureItems",   "limitItems"};
    return outlet<VLXCheckBox>(QLatin1String(kNames[int(toggle)]));
}

VLXTextField *PublishWindow::fieldBox(Field field) const
{
    static const char *const kNames[] = {"remoteFilename",  "remoteImageFilename", "remotePath",
                                         "remoteImagePath", "remoteEnclosurePath", "password",
                                         "limitNumber"};
    return static_cast<VLXTextField *>(outlet<QLineEdit>(QLatin1String(kNames[int(field)])));
}

vlxDisclosureButton *PublishWindow::sectionDisclosure(Table table) const
{
    return outlet<vlxDisclosureButton>(table == Table::Enclosures
                                           ? QStringLiteral("disclosureEnclosure")
                                           : QStringLiteral("disclosureOtherFiles"));
}

bool PublishWindow::isOn(Toggle toggle) const
{
    const VLXCheckBox *box = toggleBox(toggle);
    return box && box->isChecked();
}

void PublishWindow::setOn(Toggle toggle, bool on)
{
    if (VLXCheckBox *box = toggleBox(toggle))
        box->setChecked(on);
}

QString PublishWindow::text(Field field) const
{
    const QLineEdit *line = fieldBox(field);
    return line ? line->text() : QString();
}

void PublishWindow::setText(Field field, const QString &text)
{
    if (QLineEdit *line = fieldBox(field))
        line->setText(text);
}

bool PublishWindow::isSectionOpen(Table table) const
{
    const vlxDisclosureButton *disclosure = sectionDisclosure(table);
    return disclosure && disclosure->isChecked();
}

void PublishWindow::setSectionOpen(Table table, bool open)
{
    if (vlxDisclosureButton *disclosure = sectionDisclosure(table))
        disclosure->setChecked(open);
}

void PublishWindow::reloadTable(Table table)
{
    PublishFileTableModel *model
        = table == Table::Enclosures ? m_enclosureModel : m_otherFilesModel;
    if (model)
        model->reload();
}

void PublishWindow::updateOtherFilesButtons()
{
    // Counting the rows enables Delete while there are some; Modify waits for a row to be
    // chosen. Add and Modify need the additional-file dialog.
    auto *remove = outlet<QPushButton>(QStringLiteral("otherFilesDelete"));
    auto *modify = outlet<QPushButton>(QStringLiteral("otherFilesModify"));
    auto *add = outlet<QPushButton>(QStringLiteral("otherFilesAdd"));
    if (!remove || !modify || !add)
        return;
    remove->setEnabled(m_otherFilesModel->rowCount() > 0);
    modify->setEnabled(PublishDialogs::hasAdditionalFileEditor()
                       && m_otherFilesTable->selectedRow() >= 0);
    add->setEnabled(PublishDialogs::hasAdditionalFileEditor());
}

void PublishWindow::setStatus(const QString &text)
{
    if (m_statusText)
        m_statusText->setText(text);
}

void PublishWindow::setProgress(const Progress &progress)
{
    if (!m_progress)
        return;
    if (progress.determinate && progress.maximum > 0) {
        // Large files count in bytes beyond an int: show thousandths of the whole.
        m_progress->setRange(0, 1000);
        m_progress->setValue(int(qBound(0.0, progress.value / progress.maximum, 1.0) * 1000));
    } else {
        m_progress->setRange(0, 0);
        m_progress->setValue(0);
    }
    // Hidden when stopped.
    m_progress->setVisible(progress.animating);
}

void PublishWindow::setLastPublished(Stamp stamp, const QString &text)
{
    if (auto *line = outlet<QLineEdit>(stamp == Stamp::Feed ? QStringLiteral("lastUploadXML")
                                                            : QStringLiteral("lastUploadImage")))
        line->setText(text);
}

void PublishWindow::setRunning(bool running)
{
    m_running = running;
    if (m_cancelButton)
        m_cancelButton->setText(running ? tr("Abort") : tr("Close"));
    if (m_uploadButton)
        m_uploadButton->setEnabled(!running);
}

void PublishWindow::cancelAction()
{
    if (m_publisher.isRunning())
        m_publisher.abort();
    else
        m_publisher.close();
}

void PublishWindow::transferLogCleared()
{
    if (m_transferLog)
        m_transferLog->clear();
}

void PublishWindow::transferLogAppended(const QString &text)
{
    if (!m_transferLog)
        return;
    QTextCursor end(m_transferLog->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    m_transferLog->verticalScrollBar()->setValue(m_transferLog->verticalScrollBar()->maximum());
}

void PublishWindow::showAlertSheet(const Alert &alert)
{
    // A sheet on the publish window that does not hold the run up.
    const QMessageBox::Icon icon = alert.style == Alert::Style::Critical ? QMessageBox::Critical
        : alert.style == Alert::Style::Warning                           ? QMessageBox::Warning
                                                                         : QMessageBox::Information;
    auto *box
        = new QMessageBox(icon, alert.title, alert.title, QMessageBox::NoButton, m_uploadWindow);
    box->setObjectName(QStringLiteral("alertSheet"));
    box->setInformativeText(alert.message);
    box->addButton(alert.defaultButton, QMessageBox::AcceptRole);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void PublishWindow::imageConversionEnded(bool anyImage)
{
    if (m_imageGeneratingProgress)
        m_imageGeneratingProgress->hide();
    if (!anyImage)
        return;
    if (auto *disclosure = outlet<QWidget>(QStringLiteral("disclosureImage")))
        disclosure->setEnabled(true);
    if (VLXCheckBox *box = toggleBox(Toggle::UploadImage))
        box->setEnabled(true);
}

void PublishWindow::closeWindow()
{
    if (m_uploadWindow)
        m_uploadWindow->done(1);
}

void PublishWindow::tableCheckBoxClicked(Table table, int row)
{
    const bool toggled = table == Table::Enclosures ? m_publisher.toggleEnclosureRow(row)
                                                    : m_publisher.toggleOtherFileRow(row);
    if (!toggled)
        QApplication::beep();
    (table == Table::Enclosures ? m_enclosureModel : m_otherFilesModel)->rowChanged(row);
}
