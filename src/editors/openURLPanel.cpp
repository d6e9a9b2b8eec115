#include "editors/openURLPanel.h"

#include "io/FeedCredentials.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXComboBox.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

const QString openURLPanel::kMaximumHistoryCountKey = QStringLiteral("MaximumRecentDocumentCount");

namespace {
constexpr int kDefaultHistoryCount = 10;
const QString kFeedScheme = QStringLiteral("feed://");

void informInvalidURL(const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QStringLiteral("Invalid URL");
    alert.message = message;
    AlertService::show(alert);
}
} // namespace

openURLPanel::openURLPanel(QObject *parent) : SearchStepSheet(parent) { }

int openURLPanel::maximumHistoryCount()
{
    const auto stored = VLXPreferences::sharedInstance().store().integer(kMaximumHistoryCountKey);
    return stored && *stored > 0 ? int(*stored) : kDefaultHistoryCount;
}

void openURLPanel::setHistory(const QStringList &history)
{
    if (history == m_historyArray)
        return;
    m_historyArray = history;
    showHistory();
}

void openURLPanel::loadInterface()
{
    QDialog *window = makeWindow(QStringLiteral("openURLPanel"));
    window->setWindowTitle(m_windowTitle.isEmpty() ? tr("Open URL") : m_windowTitle);
    auto *label = new QLabel(tr("URL:"), window);
    m_fileComboBox = new VLXComboBox(window);
    m_fileComboBox->setObjectName(QStringLiteral("fileComboBox"));
    m_fileComboBox->setMinimumWidth(420);
    m_fileComboBox->setDropHandlers(
        [this](VLXComboBox *combo, const QMimeData *data) {
            return comboBoxValidateDrop(combo, data);
        },
        [this](VLXComboBox *combo, const QMimeData *data) {
            return comboBoxAcceptDrop(combo, data);
        });
    label->setBuddy(m_fileComboBox);
    const ButtonRow buttons
        = makeButtonRow(QStringLiteral("cancelButton"), QStringLiteral("acceptButton"));
    m_acceptButton = buttons.accept;
    m_acceptButton->setText(tr("Open"));

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_fileComboBox, 1);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(row);
    layout->addLayout(buttons.layout);
    showHistory();
}

void openURLPanel::showHistory()
{
    if (!m_fileComboBox)
        return;
    // Filling the list must not change the text being typed.
    const QString text = m_fileComboBox->currentText();
    m_fileComboBox->clear();
    m_fileComboBox->addItems(m_historyArray);
    setText(text);
}

void openURLPanel::setText(const QString &text)
{
    m_fileComboBox->setEditText(text);
}

QString openURLPanel::URLString() const
{
    return m_fileComboBox ? m_fileComboBox->currentText() : m_previous;
}

QList<QUrl> openURLPanel::URLs() const
{
    const QString text = URLString().trimmed();
    const QUrl url(text, QUrl::StrictMode);
    return !text.isEmpty() && url.isValid() ? QList<QUrl> {url} : QList<QUrl> {};
}

int openURLPanel::showOpenURLPanel(QWidget *window)
{
    setParentWindow(window);
    if (!ensureWindow())
        return 0;
    m_previous = m_fileComboBox->currentText();
    if (!m_historyArray.isEmpty()) {
        m_fileComboBox->setCurrentIndex(0);
        setText(m_historyArray.first());
    }
    m_fileComboBox->setFocus(Qt::OtherFocusReason);
    m_fileComboBox->lineEdit()->selectAll();
    return runModal();
}

std::optional<QUrl> openURLPanel::askForURL(QWidget *window, const QString &historyKey)
{
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    QStringList history;
    for (const QVariant &value : store.array(historyKey).value_or(QVariantList()))
        history << value.toString();
    openURLPanel panel;
    panel.setHistory(history);
    if (panel.showOpenURLPanel(window) != 1)
        return std::nullopt;
    history = panel.history();
    // The history is a setting: a password typed into an address stays out of it.
    for (QString &entry : history)
        entry = FeedCredentials::scrubbed(entry);
    history.removeDuplicates();
    store.setObject(QVariantList(history.cbegin(), history.cend()), historyKey);
    const QList<QUrl> urls = panel.URLs();
    return urls.isEmpty() ? std::nullopt : std::optional<QUrl>(urls.first());
}

int openURLPanel::editURL()
{
    if (!ensureWindow())
        return 0;
    m_acceptButton->setText(tr("Accept"));
    setText(m_previous);
    m_fileComboBox->setFocus(Qt::OtherFocusReason);
    return runModal();
}

void openURLPanel::accept()
{
    QString text = URLString().trimmed();
    if (text.startsWith(kFeedScheme))
        text = QStringLiteral("http://") + text.mid(kFeedScheme.size());
    if (m_fileComboBox)
        setText(text);
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        informInvalidURL(QStringLiteral("\"%1\" is not a complete or valid URL.  It must start "
                                        "with a valid scheme, such as http://")
                             .arg(text));
        return;
    }
    m_historyArray.removeAll(text);
    m_historyArray.prepend(text);
    const int maximum = maximumHistoryCount();
    while (m_historyArray.size() > maximum)
        m_historyArray.removeLast();
    showHistory();
    if (m_windowTitle.isEmpty() || VLXLogic::checkURL(text)) {
        endModal(1);
        return;
    }
    // A URL is well-formed but one the field checks refuse (letters outside Latin-1, say): in
    // the editors it is dropped and the value stays as it was.
    informInvalidURL(QStringLiteral("The URL seems invalid or incomplete"));
    endModal(0);
}

void openURLPanel::cancel()
{
    if (m_fileComboBox)
        setText(m_previous);
    endModal(0);
}

Qt::DropAction openURLPanel::comboBoxValidateDrop(VLXComboBox *comboBox,
                                                  const QMimeData *data) const
{
    if (comboBox && comboBox == m_fileComboBox && data && data->hasUrls())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool openURLPanel::comboBoxAcceptDrop(VLXComboBox *comboBox, const QMimeData *data)
{
    if (!comboBox || comboBox != m_fileComboBox || !data || !data->hasUrls()
        || data->urls().isEmpty())
        return false;
    const QUrl url = data->urls().first();
    if (url.isLocalFile() || url.scheme() == QLatin1String("file"))
        return false;
    if (QWidget *panel = window()) {
        panel->raise();
        panel->activateWindow();
    }
    setText(url.toString(QUrl::FullyEncoded));
    return true;
}

QWidget *openURLPanel::searchControl(int) const
{
    return m_fileComboBox;
}

void openURLPanel::showValueForStep()
{
    setText(m_previous);
}
