#include "panes/cc/creativeCommonsCreate.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "extensions/cc/CreativeCommonsReplies.h"
#include "io/CURLHandle.h"
#include "platform/AlertService.h"
#include "platform/HelpService.h"
#include "ui/VLXPopUpButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <limits>

namespace {

template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

creativeCommonsCreate::creativeCommonsCreate(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("creativeCommonsCreate"));
    setWindowTitle(tr("New Creative Commons License"));
    m_serviceURL = CreativeCommonsLibrary::serviceURL();
    build();
}

creativeCommonsCreate::~creativeCommonsCreate()
{
    dropHandle();
    dropReading();
}

void creativeCommonsCreate::build()
{
    auto *grid = new QGridLayout;
    int line = 0;
    m_licenseLocaleButton = named(new VLXPopUpButton, "licenseLocaleButton");
    m_licenseLocaleButton->setMinimumWidth(320);
    grid->addWidget(new QLabel(tr("Locale:")), line, 0, Qt::AlignRight);
    grid->addWidget(m_licenseLocaleButton, line++, 1, 1, 2);
    m_licenseTypeButton = named(new VLXPopUpButton, "licenseTypeButton");
    grid->addWidget(named(new QLabel(tr("License Type:")), "licenseType_label"), line, 0,
                    Qt::AlignRight);
    grid->addWidget(m_licenseTypeButton, line++, 1, 1, 2);
    for (int r = 0; r < int(m_rows.size()); ++r) {
        Row &row = m_rows[size_t(r)];
        const QString prefix = QStringLiteral("field%1_").arg(r + 1);
        row.label = new QLabel;
        row.label->setObjectName(prefix + QStringLiteral("label"));
        row.label->setWordWrap(true);
        row.options = new VLXPopUpButton;
        row.options->setObjectName(prefix + QStringLiteral("options"));
        row.moreInfo = new QPushButton(QStringLiteral("?"));
        row.moreInfo->setObjectName(prefix + QStringLiteral("moreInfo"));
        row.moreInfo->setToolTip(tr("More about this question"));
        row.moreInfo->setFixedWidth(28);
        grid->addWidget(row.label, line, 0, Qt::AlignRight);
        grid->addWidget(row.options, line, 1);
        grid->addWidget(row.moreInfo, line++, 2);
        connect(row.options, QOverload<int>::of(&QComboBox::activated), this,
                [this] { licenseOptionsAction(); });
        connect(row.moreInfo, &QPushButton::clicked, this, [this, r] { moreInfoButton(r + 1); });
    }
    m_generate = named(new QPushButton(tr("Generate")), "generate");
    grid->addWidget(m_generate, line++, 1, Qt::AlignLeft);
    auto *nameLabel = named(new QLabel(tr("License Name:")), "licenseNameLabel");
    m_licenseNameField = named(new QLineEdit, "licenseName");
    m_licenseNameField->setReadOnly(true);
    grid->addWidget(nameLabel, line, 0, Qt::AlignRight);
    grid->addWidget(m_licenseNameField, line++, 1, 1, 2);
    auto *urlLabel = named(new QLabel(tr("License URL:")), "licenseURLLabel");
    m_licenseURLField = named(new QLineEdit, "licenseURL");
    m_licenseURLField->setReadOnly(true);
    grid->addWidget(urlLabel, line, 0, Qt::AlignRight);
    grid->addWidget(m_licenseURLField, line++, 1, 1, 2);
    m_resultBlock = {m_generate, m_licenseNameField, nameLabel, m_licenseURLField, urlLabel};

    auto *transfer = new QHBoxLayout;
    m_transferProgress = named(new QProgressBar, "transferProgress");
    m_transferProgress->setMaximumWidth(120);
    m_transferProgress->setTextVisible(false);
    m_transferProgress->hide();
    m_transferStatus = named(new QLabel, "transferStatus");
    transfer->addWidget(m_transferProgress);
    transfer->addWidget(m_transferStatus, 1);
    m_transferReason = named(new QLabel, "transferReason");
    m_transferReason->setWordWrap(true);
    m_transferReason->setTextFormat(Qt::PlainText);
    m_transferReason->hide();

    auto *buttons = new QHBoxLayout;
    auto *helpButton = named(new QPushButton(tr("Help")), "helpButton");
    auto *cancelButton = named(new QPushButton(tr("Cancel")), "cancelButton");
    auto *acceptButton = named(new QPushButton(tr("Accept")), "acceptButton");
    acceptButton->setDefault(true);
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(acceptButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(transfer);
    layout->addWidget(m_transferReason);
    layout->addLayout(buttons);
    // The window follows the rows shown: a hidden row takes no room.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_licenseLocaleButton, QOverload<int>::of(&QComboBox::activated), this,
            [this] { licenseLocaleAction(); });
    connect(m_licenseTypeButton, QOverload<int>::of(&QComboBox::activated), this,
            [this] { licenseTypeAction(); });
    connect(m_generate, &QPushButton::clicked, this, [this] { generateLicense(); });
    connect(helpButton, &QPushButton::clicked, this, [this] { help(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(acceptButton, &QPushButton::clicked, this, [this] { accept(); });

    showQuestionRows(0);
    showResultBlock(false);
    updateStatus();
}

int creativeCommonsCreate::createNewLicense(QWidget *control)
{
    if (QWidget *window = control ? control->window() : nullptr) {
        setParent(window, windowFlags() | Qt::Sheet);
        setWindowModality(Qt::WindowModal);
    } else {
        setWindowModality(Qt::ApplicationModal);
    }
    dropHandle();
    request(kLocales, CreativeCommonsReplies::localesPath());
    const int code = exec();
    dropHandle();
    return code == 1 ? 1 : 0;
}

void creativeCommonsCreate::accept()
{
    done(m_licenseName.isEmpty() ? 0 : 1);
}

void creativeCommonsCreate::reject()
{
    done(0);
}

void creativeCommonsCreate::help()
{
    HelpService::open(QStringLiteral("CreativeCommonsNewLicense"));
}

// --- the requests
// ---------------------------------------------------------------------------------

QString creativeCommonsCreate::selectedLocale() const
{
    if (m_licenseLocaleButton->currentIndex() <= 0)
        return QString();
    return CreativeCommonsReplies::localeIdOf(m_licenseLocaleButton->currentText());
}

void creativeCommonsCreate::dropHandle()
{
    if (!m_handle)
        return;
    m_handle->removeClient(this);
    if (m_handle->status() == URLHandle::LoadInProgress)
        m_handle->cancelLoadInBackground();
    m_handle.reset();
    stopProgress();
}

void creativeCommonsCreate::dropReading()
{
    // A worker still reading goes on alone: what it finds is no longer wanted.
    if (m_reading) {
        m_reading->disconnect(this);
        m_reading->deleteLater();
    }
    m_reading = nullptr;
}

void creativeCommonsCreate::request(State state, const QString &path,
                                    const std::optional<QString> &answers, bool keepReason)
{
    dropHandle();
    dropReading();
    m_state = state;
    m_failed = false;
    if (!keepReason)
        m_transferReason->hide();
    QString base = m_serviceURL.trimmed();
    while (base.endsWith(u'/'))
        base.chop(1);
    m_address = base + path;
    const QUrl url(m_address, QUrl::StrictMode);
    if (base.isEmpty()) {
        m_failed = true;
        explainFailure(tr("No licence service is set. Give its address (such as "
                          "https://licenses.example.org) in the user default "
                          "\"CreativeCommonsServiceURL\"."));
        updateStatus();
        return;
    }
    if (!url.isValid()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        m_failed = true;
        explainFailure(tr("The licence service address is not a web address."));
        updateStatus();
        return;
    }
    m_handle = CURLHandle::create(url, false);
    if (!m_handle) {
        m_failed = true;
        explainFailure(tr("The transfer could not be set up."));
        updateStatus();
        return;
    }
    m_handle->setFailsOnError(false);
    m_handle->setFollowsRedirects(true);
    // Only this dialog's own transfers leave the proxy out.
    m_handle->setUsesProxy(false);
    m_handle->setMaximumSize(CreativeCommonsReplies::kMaximumReplySize);
    if (answers)
        m_handle->setPostDictionary(QVariantMap {{QStringLiteral("answers"), *answers}});
    m_handle->addClient(this);
    m_bytesRetrievedSoFar = 0;
    updateStatus();
    m_handle->loadInBackground();
    updateStatus();
}

void creativeCommonsCreate::requestClasses(bool keepReason)
{
    request(kClasses, CreativeCommonsReplies::classesPath(selectedLocale()), {}, keepReason);
}

void creativeCommonsCreate::explainFailure(const QString &reason)
{
    m_transferReason->setText(reason + QStringLiteral("\n") + m_address);
    m_transferReason->show();
}

void creativeCommonsCreate::updateStatus()
{
    QString text;
    if (m_failed) {
        text = QStringLiteral("Failed");
    } else if (m_reading) {
        text = QStringLiteral("In Progress");
    } else if (!m_handle) {
        text = QStringLiteral("(no CURLHandle)");
    } else {
        switch (m_handle->status()) {
        case URLHandle::NotLoaded:
            text = QStringLiteral("Not Loaded");
            break;
        case URLHandle::LoadSucceeded:
            break;
        case URLHandle::LoadInProgress:
            text = QStringLiteral("In Progress");
            break;
        case URLHandle::LoadFailed:
            text = QStringLiteral("Failed");
            break;
        }
    }
    m_transferStatus->setText(text);
    m_transferStatus->repaint();
}

void creativeCommonsCreate::stopProgress()
{
    m_transferProgress->setRange(0, 0);
    m_transferProgress->hide();
}

// --- the transfer -------------------------------------------------------------------------------

void creativeCommonsCreate::URLHandleResourceDidBeginLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    m_transferProgress->setRange(0, 0);
    m_transferProgress->show();
    updateStatus();
}

void creativeCommonsCreate::URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                                    const QByteArray &newBytes)
{
    if (sender != m_handle.get())
        return;
    updateStatus();
    m_bytesRetrievedSoFar += newBytes.size();
    bool known = false;
    const qint64 length
        = sender->propertyForKey(QStringLiteral("content-length")).toLongLong(&known);
    if (known && length > 0 && length <= std::numeric_limits<int>::max()) {
        m_transferProgress->setRange(0, int(length));
        m_transferProgress->setValue(int(std::min(m_bytesRetrievedSoFar, length)));
    }
}

void creativeCommonsCreate::URLHandleResourceDidFinishLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    const QByteArray data = sender->availableResourceData();
    const QString type = sender->propertyForKey(QStringLiteral("content-type")).toString();
    const qlonglong code
        = sender->propertyForKey(URLHandle::kHTTPPropertyStatusCodeKey).toLongLong();
    stopProgress();
    sender->removeClient(this);
    const QString httpFailure = code >= 400
        ? tr("The licence service answered with the HTTP status %1.").arg(code)
        : QString();
    if (data.isEmpty()) {
        m_failed = !httpFailure.isEmpty();
        if (m_failed)
            explainFailure(httpFailure);
        updateStatus();
        return;
    }
    readAside(data, type, httpFailure);
}

void creativeCommonsCreate::readAside(const QByteArray &data, const QString &type,
                                      const QString &httpFailure)
{
    static constexpr CreativeCommonsReplies::Step kSteps[]
        = {CreativeCommonsReplies::Step::Locales, CreativeCommonsReplies::Step::Classes,
           CreativeCommonsReplies::Step::Questions, CreativeCommonsReplies::Step::Issue};
    const CreativeCommonsReplies::Step step = kSteps[m_state];
    auto *watcher = new QFutureWatcher<CreativeCommonsReplies::Reply>(this);
    m_reading = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, httpFailure] {
        watcher->deleteLater();
        if (watcher != m_reading)
            return;
        m_reading = nullptr;
        replyRead(watcher->result(), httpFailure);
    });
    watcher->setFuture(QtConcurrent::run(
        [step, data, type] { return CreativeCommonsReplies::read(step, data, type); }));
    updateStatus();
}

void creativeCommonsCreate::replyRead(const CreativeCommonsReplies::Reply &reply,
                                      const QString &httpFailure)
{
    // An error page is told by its status, whatever it holds.
    const QString failure = httpFailure.isEmpty() ? reply.failure : httpFailure;
    m_failed = !failure.isEmpty();
    if (m_failed)
        explainFailure(failure);
    updateStatus();
    switch (m_state) {
    case kLocales:
        updateLocales(reply.locales, m_failed);
        break;
    case kClasses:
        updateClasses(reply.classes);
        break;
    case kQuestions:
        updateLicense(reply.licenseClass);
        break;
    case kIssue:
        updateResult(reply.issued);
        break;
    }
}

void creativeCommonsCreate::URLHandleResourceDidCancelLoading(URLHandle *sender)
{
    if (sender != m_handle.get())
        return;
    stopProgress();
    updateStatus();
    sender->removeClient(this);
}

void creativeCommonsCreate::URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                                      const QString &reason)
{
    if (sender != m_handle.get())
        return;
    stopProgress();
    updateStatus();
    sender->removeClient(this);
    explainFailure(reason.isEmpty() ? tr("The licence service could not be reached.") : reason);
}

// --- the replies --------------------------------------------------------------------------------

void creativeCommonsCreate::updateLocales(const QStringList &locales, bool keepReason)
{
    m_licenseLocaleButton->clear();
    m_licenseLocaleButton->addItem(QStringLiteral("Select License Locale"));
    m_licenseLocaleButton->addItems(locales);
    // The classes follow at once, whatever the locales were; why the locales could not be read
    // stays in view.
    requestClasses(keepReason);
}

void creativeCommonsCreate::updateClasses(const QList<CreativeCommonsReplies::Choice> &classes)
{
    m_licenseTypeButton->clear();
    m_classIds = {QString()};
    m_licenseTypeButton->addItem(QStringLiteral("Select License Type"));
    for (const CreativeCommonsReplies::Choice &choice : classes) {
        m_licenseTypeButton->addItem(choice.title);
        m_classIds << choice.id;
    }
}

void creativeCommonsCreate::updateLicense(
    const std::optional<CreativeCommonsReplies::LicenseClass> &licenseClass)
{
    m_licenseID.clear();
    for (Row &row : m_rows) {
        row.id.clear();
        row.description.reset();
        row.options->clear();
    }
    if (!licenseClass)
        return;
    m_licenseID = licenseClass->id;
    const int rows = std::min(CreativeCommonsReplies::rowsFor(m_licenseID),
                              int(licenseClass->questions.size()));
    for (int r = 0; r < rows; ++r) {
        const CreativeCommonsReplies::Question &question = licenseClass->questions.at(r);
        Row &row = m_rows[size_t(r)];
        row.id = question.id;
        row.description = question.description;
        row.label->setText(question.label);
        // Each item carries the id of the answer it stands for.
        for (const CreativeCommonsReplies::Choice &answer : question.answers)
            row.options->addItem(answer.title, answer.id);
    }
    showQuestionRows(rows);
    if (CreativeCommonsReplies::offersGenerate(*licenseClass))
        showResultBlock(true);
    updateGenerate();
}

void creativeCommonsCreate::updateResult(
    const std::optional<CreativeCommonsReplies::Issued> &issued)
{
    m_licenseHTML.clear();
    if (!issued)
        return;
    m_licenseURL = issued->url;
    m_licenseName = issued->name;
    m_licenseHTML = issued->html;
    m_licenseURLField->setText(m_licenseURL);
    m_licenseNameField->setText(m_licenseName);
}

// --- the choices
// ----------------------------------------------------------------------------------

void creativeCommonsCreate::clearResults()
{
    m_licenseNameField->clear();
    m_licenseURLField->clear();
    m_licenseName.clear();
    m_licenseURL.clear();
    m_licenseHTML.clear();
}

void creativeCommonsCreate::showQuestionRows(int count)
{
    m_rowsShown = count;
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const Row &row = m_rows[size_t(r)];
        for (QWidget *widget :
             {static_cast<QWidget *>(row.label), static_cast<QWidget *>(row.options),
              static_cast<QWidget *>(row.moreInfo)})
            widget->setVisible(r < count);
    }
}

void creativeCommonsCreate::showResultBlock(bool shown)
{
    for (QWidget *widget : m_resultBlock)
        widget->setVisible(shown);
}

void creativeCommonsCreate::updateGenerate()
{
    // Every question shown needs an answer before the service is asked.
    bool answered = true;
    for (int r = 0; r < m_rowsShown; ++r)
        answered = answered && m_rows[size_t(r)].options->currentIndex() >= 0;
    m_generate->setEnabled(answered);
}

void creativeCommonsCreate::licenseTypeAction()
{
    clearResults();
    showQuestionRows(0);
    showResultBlock(false);
    const int index = m_licenseTypeButton->currentIndex();
    if (index > 0 && index < m_classIds.size())
        request(kQuestions,
                CreativeCommonsReplies::questionsPath(m_classIds.at(index), selectedLocale()));
}

void creativeCommonsCreate::licenseLocaleAction()
{
    m_licenseTypeButton->setCurrentIndex(0);
    licenseTypeAction();
    requestClasses();
}

void creativeCommonsCreate::licenseOptionsAction()
{
    clearResults();
    updateGenerate();
}

void creativeCommonsCreate::generateLicense()
{
    QList<std::pair<QString, QString>> answers;
    for (int r = 0; r < m_rowsShown; ++r) {
        const Row &row = m_rows[size_t(r)];
        if (row.options->currentIndex() < 0)
            return;
        answers.append({row.id, row.options->currentData().toString()});
    }
    request(kIssue, CreativeCommonsReplies::issuePath(m_licenseID),
            CreativeCommonsReplies::answers(selectedLocale(), m_licenseID, answers));
}

void creativeCommonsCreate::moreInfoButton(int tag)
{
    if (tag < 1 || tag > int(m_rows.size()))
        return;
    const Row &row = m_rows[size_t(tag - 1)];
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = row.label->text();
    alert.message = row.description.value_or(QString());
    alert.defaultButton = QStringLiteral("Close");
    AlertService::show(alert);
}
