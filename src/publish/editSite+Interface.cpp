// The site editor's window: the type pop-up, the name, and one page per kind of site with its
// feed folder and two folding folder groups. Every control's objectName is its outlet name.
#include "publish/PublishDialogs.h"
#include "publish/WindowHeight.h"
#include "publish/editSite.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXTextField.h"
#include "ui/vlxDisclosureButton.h"
#include "ui/vlxDisclosureTextField.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// Escape and the close box cancel, as the Cancel button does.
class EditSiteWindow : public QDialog
{
public:
    EditSiteWindow(editSite *owner) : m_owner(owner) { }
    void reject() override { m_owner->cancel(); }

private:
    editSite *m_owner;
};

// The pages scroll when the screen is too short for the window: as tall as the page wants, yet
// content with little (the window fits the screen, and OK stays in sight).
class PageScroller : public QScrollArea
{
public:
    PageScroller()
    {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    QSize sizeHint() const override
    {
        const QSize page = widget() ? widget()->sizeHint() : QSize();
        return page + QSize(verticalScrollBar()->sizeHint().width(), 0);
    }
    QSize minimumSizeHint() const override
    {
        const QSize page = widget() ? widget()->minimumSizeHint() : QSize();
        return {page.width() + verticalScrollBar()->sizeHint().width(), qMin(page.height(), 120)};
    }
};

template<typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

void editSite::loadInterface()
{
    auto *window = new EditSiteWindow(this);
    m_editWindow = window;
    window->setObjectName(QStringLiteral("editWindow"));
    window->setWindowModality(Qt::ApplicationModal);
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    auto *head = new QFormLayout;
    m_siteType = named(new VLXPopUpButton(window), QStringLiteral("siteType"));
    m_siteType->setHelpAnchor(QStringLiteral("PublishSites"));
    auto *typeLabel = named(new QLabel(tr("Site Type:"), window), QStringLiteral("siteTypeLabel"));
    head->addRow(typeLabel, m_siteType);
    m_siteName = named(new VLXTextField(window), QStringLiteral("siteName"));
    m_siteName->setHelpAnchor(QStringLiteral("PublishSites"));
    m_siteName->setMinimumWidth(360);
    auto *nameLabel = named(new QLabel(tr("Site Name:"), window), QStringLiteral("siteNameLabel"));
    head->addRow(nameLabel, m_siteName);

    m_tabs = named(new QStackedWidget(window), QStringLiteral("tabs"));
    m_tabs->addWidget(named(new QWidget, QStringLiteral("notConfiguredPage")));
    m_tabs->addWidget(buildFTPPage());
    m_tabs->addWidget(buildDotMacPage());
    m_tabs->addWidget(buildLocalPage());

    auto *cancel = named(new VLXButton(window), QStringLiteral("cancelButton"));
    cancel->setText(tr("Cancel"));
    auto *doneButton = named(new VLXButton(window), QStringLiteral("doneButton"));
    doneButton->setText(tr("OK"));
    doneButton->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &editSite::cancel);
    connect(doneButton, &QPushButton::clicked, this, &editSite::done);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(doneButton);

    // The page keeps its height at the top of the room it has.
    auto *pageHolder = new QWidget;
    auto *pageLayout = new QVBoxLayout(pageHolder);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(m_tabs);
    pageLayout->addStretch(1);
    auto *scroller = named(new PageScroller, QStringLiteral("pageScroller"));
    scroller->setWidget(pageHolder);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(head);
    layout->addWidget(scroller, 1);
    layout->addLayout(buttons);

    connect(m_siteType, &QComboBox::activated, this, [this] { siteTypeAction(); });
    connect(m_dmDefaultAccount, &VLXMatrix::cellClicked, this, [this] { dmChangeAccountAction(); });
    connect(m_dmSystemUsername, &QLineEdit::textEdited, this, [this] { systemAccountTyped(); });
    // Password look-ups as the user types the server, user or member name.
    for (QWidget *field :
         {static_cast<QWidget *>(m_ftpServer.data()), static_cast<QWidget *>(m_ftpUsername.data()),
          static_cast<QWidget *>(m_dmUsername.data())}) {
        connect(static_cast<QLineEdit *>(field), &QLineEdit::textEdited, this,
                [this, field] { passwordTypeAhead(field); });
    }
}

QWidget *editSite::buildFTPPage()
{
    auto *box = named(new VLXBox, QStringLiteral("ftpBox"));
    box->setHelpAnchor(QStringLiteral("PublishSitesFTP"));
    auto *form = new QFormLayout;
    m_ftpServer = named(new VLXTextField(box), QStringLiteral("ftpServer"));
    m_ftpServer->setPlaceholderText(tr("ftp.example.com"));
    form->addRow(tr("Server:"), m_ftpServer);
    m_ftpUsername = named(new VLXTextField(box), QStringLiteral("ftpUsername"));
    form->addRow(tr("User Name:"), m_ftpUsername);
    m_ftpPassword = named(new VLXSecureTextField(box), QStringLiteral("ftpPassword"));
    form->addRow(tr("Password:"), m_ftpPassword);
    m_ftpSaveToKeychain = named(new VLXCheckBox(box), QStringLiteral("ftpSaveToKeychain"));
    m_ftpSaveToKeychain->setText(tr("Keep the password in the keyring"));
    form->addRow(QString(), m_ftpSaveToKeychain);
    m_ftpProtocol = named(new VLXPopUpButton(box), QStringLiteral("ftpProtocol"));
    m_ftpProtocol->addItems({tr("FTP"), tr("FTPS (FTP over TLS)")});
    form->addRow(tr("Protocol:"), m_ftpProtocol);
    auto *options = new QHBoxLayout;
    m_ftpOptionPassive = named(new VLXCheckBox(box), QStringLiteral("ftpOptionPassive"));
    m_ftpOptionPassive->setText(tr("Passive mode"));
    m_ftpOptionEPSV = named(new VLXCheckBox(box), QStringLiteral("ftpOptionEPSV"));
    m_ftpOptionEPSV->setText(tr("Use EPSV"));
    m_ftpOptionEPRT = named(new VLXCheckBox(box), QStringLiteral("ftpOptionEPRT"));
    m_ftpOptionEPRT->setText(tr("Use EPRT"));
    options->addWidget(m_ftpOptionPassive);
    options->addWidget(m_ftpOptionEPSV);
    options->addWidget(m_ftpOptionEPRT);
    options->addStretch(1);
    form->addRow(tr("Options:"), options);
    auto *layout = new QVBoxLayout(box);
    layout->addLayout(form);
    layout->addWidget(feedFolderRow(QStringLiteral("ftp")));
    layout->addWidget(buildGroup(0, QStringLiteral("ftpEnclosure"), false));
    layout->addWidget(buildGroup(1, QStringLiteral("ftpImage"), true));
    return box;
}

QWidget *editSite::buildDotMacPage()
{
    auto *box = named(new VLXBox, QStringLiteral("dmBox"));
    box->setHelpAnchor(QStringLiteral("PublishSitesDotMac"));

    // The disk's server and default account belong to no site: every disk site uses them.
    auto *server = named(new VLXBox(box), QStringLiteral("dmServerBox"));
    server->setTitle(tr("Disk Server (shared by every disk site)"));
    server->setHelpAnchor(QStringLiteral("PublishSitesDotMac"));
    auto *serverForm = new QFormLayout(server);
    m_dmServer = named(new VLXTextField(server), QStringLiteral("dmServer"));
    m_dmServer->setPlaceholderText(tr("https://dav.example.com/"));
    m_dmServer->setToolTip(tr("The WebDAV address of the disk. Where it holds %@, the member "
                              "name takes its place."));
    serverForm->addRow(tr("Server Address:"), m_dmServer);
    m_dmSystemUsername = named(new VLXTextField(server), QStringLiteral("dmSystemUsername"));
    serverForm->addRow(tr("Default Account:"), m_dmSystemUsername);
    m_dmSystemPassword = named(new VLXSecureTextField(server), QStringLiteral("dmSystemPassword"));
    m_dmSystemPassword->setToolTip(tr("Kept in the keyring."));
    serverForm->addRow(tr("Password:"), m_dmSystemPassword);

    m_dmDefaultAccount = new VLXMatrix(box, VLXMatrix::Radio);
    m_dmDefaultAccount->setObjectName(QStringLiteral("dmDefaultAccount"));
    m_dmDefaultAccount->addCell(0, tr("No default .Mac account configured"), 0, 0);
    m_dmDefaultAccount->addCell(1, tr("Use another .Mac account"), 1, 0);
    auto *form = new QFormLayout;
    m_dmUsername = named(new VLXTextField(box), QStringLiteral("dmUsername"));
    form->addRow(tr("Member Name:"), m_dmUsername);
    m_dmPassword = named(new VLXSecureTextField(box), QStringLiteral("dmPassword"));
    form->addRow(tr("Password:"), m_dmPassword);
    m_dmSaveToKeychain = named(new VLXCheckBox(box), QStringLiteral("dmSaveToKeychain"));
    m_dmSaveToKeychain->setText(tr("Keep the password in the keyring"));
    form->addRow(QString(), m_dmSaveToKeychain);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(server);
    layout->addWidget(m_dmDefaultAccount);
    layout->addLayout(form);
    layout->addWidget(feedFolderRow(QStringLiteral("dm")));
    layout->addWidget(buildGroup(2, QStringLiteral("dmEnclosure"), false));
    layout->addWidget(buildGroup(3, QStringLiteral("dmImage"), true));
    return box;
}

QWidget *editSite::buildLocalPage()
{
    auto *box = named(new VLXBox, QStringLiteral("lclBox"));
    box->setHelpAnchor(QStringLiteral("PublishSitesLocal"));
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(feedFolderRow(QStringLiteral("lcl")));
    layout->addWidget(buildGroup(4, QStringLiteral("lclEnclosure"), false));
    layout->addWidget(buildGroup(5, QStringLiteral("lclImage"), true));
    return box;
}

QWidget *editSite::feedFolderRow(const QString &prefix)
{
    auto *row = new QWidget;
    auto *path = named(new VLXTextField(row), prefix + QStringLiteral("FeedPath"));
    path->setPlaceholderText(tr("Default Directory"));
    VLXButton *browseButton = makeBrowseButton(prefix + QStringLiteral("FeedBrowse"), row);
    connect(browseButton, &QPushButton::clicked, this,
            [this, prefix, path] { browse(prefix, path, -1); });
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Feed Folder:"), row));
    layout->addWidget(path, 1);
    layout->addWidget(browseButton);
    return row;
}

VLXButton *editSite::makeBrowseButton(const QString &name, QWidget *parent)
{
    auto *button = named(new VLXButton(parent), name);
    button->setText(tr("Browse\u2026"));
    // The browsers are installed separately; until then there is nothing to open.
    button->setEnabled(PublishDialogs::hasFolderBrowsers());
    return button;
}

QWidget *editSite::buildGroup(int group, const QString &prefix, bool image)
{
    FolderGroup &g = m_groups[group];
    g.prefix = prefix;
    g.image = image;
    auto *holder = new QWidget;
    g.disclosure = named(new vlxDisclosureButton(holder), prefix + QStringLiteral("Disclosure"));
    auto *label = new QLabel(image ? tr("Image Folder:") : tr("Enclosure Folder:"), holder);
    g.textPath = named(new vlxDisclosureTextField(holder), prefix + QStringLiteral("TextPath"));
    g.textPath->setButton(g.disclosure);
    g.box = named(new VLXBox(holder), prefix + QStringLiteral("Box"));
    g.sameAs = named(new VLXCheckBox(g.box), prefix + QStringLiteral("SameAsXML"));
    g.sameAs->setText(tr("Same folder as the feed"));
    g.path = named(new VLXTextField(g.box), prefix + QStringLiteral("Path"));
    g.browse = makeBrowseButton(prefix + QStringLiteral("Browse"), g.box);
    g.disclosure->setLabelField(label);
    g.disclosure->setResultField(g.textPath);
    // The group folds here, not in the button: the window must be measured before the box
    // shows or hides, or it has already stretched to fit.
    g.box->setVisible(g.disclosure->isChecked());
    auto *line = new QHBoxLayout;
    line->addWidget(g.disclosure);
    line->addWidget(label);
    line->addWidget(g.textPath, 1);
    auto *inner = new QGridLayout(g.box);
    inner->addWidget(g.sameAs, 0, 0, 1, 2);
    inner->addWidget(g.path, 1, 0);
    inner->addWidget(g.browse, 1, 1);
    auto *layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(line);
    layout->addWidget(g.box);

    // The window follows the group's height, its top edge staying put.
    connect(g.disclosure, &QAbstractButton::toggled, this, [this, group](bool open) {
        VLXBox *box = m_groups[group].box;
        if (m_relayingOut)
            box->setVisible(open);
        else
            WindowHeight::changeKeepingTop(m_editWindow, [box, open] { box->setVisible(open); });
    });
    connect(g.sameAs, &QAbstractButton::clicked, this, [this, group] { sameAsAction(group); });
    connect(g.path, &QLineEdit::textEdited, this, [this, group](const QString &text) {
        // The summary line says where the files go while the group is folded.
        if (!m_groups[group].sameAs->isChecked())
            m_groups[group].textPath->setText(text);
    });
    connect(g.browse, &QPushButton::clicked, this,
            [this, group] { browse(m_groups[group].prefix, m_groups[group].path, group); });
    return holder;
}
