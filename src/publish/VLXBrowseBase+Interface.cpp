// The browser's dialog: its controls, the listing table's cells and icons, progress and status.
#include "publish/FTPListingParser.h"
#include "publish/FileSizeFormatting.h"
#include "publish/VLXBrowseBase.h"
#include "ui/VLXButton.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDateTime>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

using P = FTPListingParser;

constexpr int kIconSize = 16;
const char kBrowserProperty[] = "vlxBrowser";

// Return in the new-folder field makes the folder; it must not accept the dialog.
class ReturnKeyFilter : public QObject
{
public:
    ReturnKeyFilter(QObject *parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

QIcon sized(const QIcon &icon)
{
    return QIcon(icon.pixmap(kIconSize, kIconSize));
}

// The desktop's icon for files with the name's extension.
QIcon iconForName(const QString &name)
{
    static QMimeDatabase mimeTypes;
    const QMimeType type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const QIcon generic = QFileIconProvider().icon(QFileIconProvider::File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic));
}

} // namespace

void VLXBrowseBase::buildWindow()
{
    m_window = new QDialog;
    m_window->setObjectName(QStringLiteral("browseWindow"));
    m_window->setProperty(kBrowserProperty, QVariant::fromValue(static_cast<QObject *>(this)));
    m_window->setWindowTitle(tr("Choose a Folder"));
    m_window->setModal(true);

    m_browseHistory = new VLXPopUpButton(m_window);
    m_browseHistory->setObjectName(QStringLiteral("browseHistory"));
    m_browseUpHistory = new VLXButton(m_window);
    m_browseUpHistory->setObjectName(QStringLiteral("browseUpHistory"));
    m_browseUpHistory->setIcon(QIcon(QStringLiteral(":/icons/BlueUpArrow.svg")));
    m_browseUpHistory->setIconSize(QSize(kIconSize, kIconSize));
    m_browseUpHistory->setToolTip(tr("Enclosing folder"));
    m_browseUpHistory->setAutoDefault(false);
    m_browseTop = new VLXButton(m_window);
    m_browseTop->setObjectName(QStringLiteral("browseTop"));
    m_browseTop->setText(QStringLiteral("/"));
    m_browseTop->setToolTip(tr("The top folder of the disks"));
    m_browseTop->setAutoDefault(false);
    m_browseTop->setMaximumWidth(m_browseTop->sizeHint().height() + 8);
    m_browseGoTo = new VLXTextField(m_window);
    m_browseGoTo->setObjectName(QStringLiteral("browseGoTo"));
    m_browseGoTo->setPlaceholderText(tr("Go to folder"));
    m_browseGoTo->setToolTip(tr("Type a folder (a full path, one starting with ~, or one inside "
                                "the folder shown) and press Return to list it"));
    m_browseGoTo->installEventFilter(new ReturnKeyFilter(m_browseGoTo, [this] {
        if (browseGoTo(m_browseGoTo->text().trimmed()))
            m_browseGoTo->clear();
    }));
    // Shown by the browsers that can reach any folder.
    m_browseTop->hide();
    m_browseGoTo->hide();

    m_browseTable = new VLXTableView(m_window);
    m_browseTable->setObjectName(QStringLiteral("browseTable"));
    m_browseTable->setAlternatingRowColors(true);
    m_browseTable->setIconSize(QSize(kIconSize, kIconSize));
    m_browseTable->setDataSource(
        this,
        {QStringLiteral("icon"), QStringLiteral("name"), QStringLiteral("size"),
         QStringLiteral("modified")},
        {QString(), tr("Name"), tr("Size"), tr("Modified")});
    QHeaderView *header = m_browseTable->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, kIconSize + 10);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->resizeSection(2, 80);
    header->resizeSection(3, 140);

    m_browseNewFolderName = new VLXTextField(m_window);
    m_browseNewFolderName->setObjectName(QStringLiteral("browseNewFolderName"));
    m_browseNewFolderName->setPlaceholderText(tr("Name of a new folder"));
    m_browseNewFolderName->installEventFilter(
        new ReturnKeyFilter(m_browseNewFolderName, [this] { browseCreateNewFolder(); }));
    m_browseNewFolder = new VLXButton(m_window);
    m_browseNewFolder->setObjectName(QStringLiteral("browseNewFolder"));
    m_browseNewFolder->setText(tr("New Folder"));
    m_browseNewFolder->setAutoDefault(false);

    m_progress = new QProgressBar(m_window);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(120);
    m_statusText = new QLabel(m_window);
    m_statusText->setObjectName(QStringLiteral("statusText"));

    auto button = [this](const char *name, const QString &title) {
        auto *b = new VLXButton(m_window);
        b->setObjectName(QLatin1String(name));
        b->setText(title);
        b->setAutoDefault(false);
        b->setHelpAnchor(QStringLiteral("STDBrowserWindow"));
        return b;
    };
    VLXButton *help = button("browseHelp", QStringLiteral("?"));
    help->setToolTip(tr("Help"));
    help->setMaximumWidth(help->sizeHint().height() + 8);
    VLXButton *cancel = button("browseCancel", tr("Cancel"));
    VLXButton *accept = button("browseAccept", tr("Choose"));
    accept->setDefault(true);

    for (auto *anchored : std::initializer_list<VLXHelpAnchored *> {
             m_browseHistory, m_browseUpHistory, m_browseTable, m_browseNewFolderName,
             m_browseNewFolder, m_browseTop, m_browseGoTo})
        anchored->setHelpAnchor(QStringLiteral("STDBrowserWindow"));

    auto *top = new QHBoxLayout;
    top->addWidget(m_browseHistory, 1);
    top->addWidget(m_browseUpHistory);
    top->addWidget(m_browseTop);
    top->addWidget(m_browseGoTo, 1);
    auto *newFolder = new QHBoxLayout;
    newFolder->addWidget(m_browseNewFolderName, 1);
    newFolder->addWidget(m_browseNewFolder);
    auto *status = new QHBoxLayout;
    status->addWidget(m_progress);
    status->addWidget(m_statusText, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(accept);
    auto *layout = new QVBoxLayout(m_window);
    layout->addLayout(top);
    layout->addWidget(m_browseTable, 1);
    layout->addLayout(newFolder);
    layout->addLayout(status);
    layout->addLayout(buttons);
    m_window->resize(560, 420);

    connect(m_browseHistory, &QComboBox::activated, this, [this] { browseHistorySelected(); });
    connect(m_browseUpHistory, &QPushButton::clicked, this, [this] { browseUpHistorySelected(); });
    connect(m_browseNewFolder, &QPushButton::clicked, this, [this] { browseCreateNewFolder(); });
    connect(m_browseTop, &QPushButton::clicked, this, [this] { browseGoTo(QStringLiteral("/")); });
    connect(accept, &QPushButton::clicked, this, [this] { browseAccept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { browseCancel(); });
    connect(help, &QPushButton::clicked, this, [this] { helpButton(); });
    connect(m_browseTable, &VLXTableView::doubleAction, this, [this](int row) {
        m_browseTable->selectRow(row);
        browseDoubleClick();
    });
}

VLXBrowseBase *VLXBrowseBase::browserOfWindow(const QWidget *window)
{
    return window ? qobject_cast<VLXBrowseBase *>(window->property(kBrowserProperty).value<QObject *>())
                  : nullptr;
}

void VLXBrowseBase::updateUpButton()
{
    m_browseUpHistory->setVisible(m_browseHistory->count() > 1);
}

void VLXBrowseBase::reloadTable()
{
    if (!m_browseTable)
        return;
    m_browseTable->reloadData();
    m_browseTable->clearSelection();
    m_browseTable->scrollToTop();
}

void VLXBrowseBase::setStatus(const QString &text)
{
    m_statusText->setText(text);
}

QString VLXBrowseBase::statusText() const
{
    return m_statusText ? m_statusText->text() : QString();
}

void VLXBrowseBase::setWindowTitle(const QString &title)
{
    m_window->setWindowTitle(title);
}

void VLXBrowseBase::setNewFolderAvailable(bool available)
{
    // A browser that makes no folders shows no field for one rather than one that takes no
    // typing.
    m_browseNewFolderName->setVisible(available);
    m_browseNewFolder->setVisible(available);
}

QString VLXBrowseBase::newFolderName() const
{
    return m_browseNewFolderName->text();
}

void VLXBrowseBase::clearNewFolderName()
{
    m_browseNewFolderName->clear();
}

void VLXBrowseBase::setGoToAvailable(bool available)
{
    m_browseTop->setVisible(available);
    m_browseGoTo->setVisible(available);
}

void VLXBrowseBase::startProgress()
{
    m_progress->setRange(0, 0);
    m_progress->show();
}

void VLXBrowseBase::setProgressAmount(qint64 value, qint64 maximum)
{
    // The bar counts in ints: large amounts are shown in kilobytes.
    const int shift = maximum > std::numeric_limits<int>::max() ? 10 : 0;
    m_progress->setRange(0, int(maximum >> shift));
    m_progress->setValue(int(std::min(value, maximum) >> shift));
}

void VLXBrowseBase::stopProgress()
{
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progress->hide();
}

// --- The listing table --------------------------------------------------------------------------

int VLXBrowseBase::numberOfRowsInTableView(VLXTableView *table)
{
    return table == m_browseTable ? int(m_browseFiles.size()) : 0;
}

QVariant VLXBrowseBase::tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                             int role)
{
    if (table != m_browseTable || row < 0 || row >= m_browseFiles.size())
        return {};
    QVariantMap &entry = m_browseFiles[row];
    const QString type = entry.value(P::kFileType).toString();
    if (column == u"icon")
        return role == Qt::DecorationRole ? iconForEntry(entry) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    if (column == u"name") {
        const QString name = entry.value(P::kFilenameKey).toString();
        return type == P::kTypeSymbolicLink
            ? QStringLiteral("%1 %2").arg(name, entry.value(P::kSymbolicLinkTargetKey).toString())
            : name;
    }
    if (column == u"size") {
        if (type == P::kTypeDirectory)
            return {};
        return FileSizeFormatting::formattedFileSizeWithBytes(
            qint64(entry.value(P::kSize).toDouble()));
    }
    if (column == u"modified") {
        const QVariant modified = entry.value(P::kModificationDate);
        if (modified.typeId() == QMetaType::QDateTime)
            return QLocale().toString(modified.toDateTime().toLocalTime(), QLocale::ShortFormat);
        return modified.toString();
    }
    return {};
}

QVariant VLXBrowseBase::iconForEntry(QVariantMap &entry) const
{
    const QVariant cached = entry.value(kIconKey);
    if (cached.isValid())
        return cached;
    const QString type = entry.value(P::kFileType).toString();
    const QString name = entry.value(P::kFilenameKey).toString();
    QIcon icon;
    if (type == P::kTypeDirectory) {
        icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    } else if (type == P::kTypeSymbolicLink
               && entry.value(kSymbolicLinkTargetTypeKey) == P::kTypeDirectory) {
        icon = QIcon(QStringLiteral(":/images/symlink_folder.svg"));
    } else if (type == P::kTypeSymbolicLink) {
        // The icon of the file the link leads to, with the link badge drawn over it.
        QPixmap badged(kIconSize, kIconSize);
        badged.fill(Qt::transparent);
        QPainter painter(&badged);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawPixmap(0, 0, iconForName(name).pixmap(kIconSize, kIconSize));
        painter.drawPixmap(0, 0,
                           QIcon(QStringLiteral(":/images/symlink_file.svg")).pixmap(kIconSize, kIconSize));
        painter.end();
        icon = QIcon(badged);
    } else {
        icon = iconForName(name);
    }
    const QVariant value = QVariant::fromValue(sized(icon));
    entry.insert(kIconKey, value);
    return value;
}
