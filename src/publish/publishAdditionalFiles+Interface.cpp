// The additional-file dialog's window and controls.
#include "publish/publishAdditionalFiles.h"

#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTextField.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kAnchor = QStringLiteral("PublishAddingNewAdditional");

template<typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    control->setHelpAnchor(kAnchor);
    return control;
}

VLXButton *chooseButton(QWidget *parent, const char *name, const QString &title)
{
    auto *button = named(new VLXButton(parent), name);
    button->setText(title);
    button->setAutoDefault(false);
    return button;
}

} // namespace

void publishAdditionalFiles::buildWindow()
{
    m_window = new QDialog;
    m_window->setObjectName(QStringLiteral("addiontalFilesWindow"));
    m_window->setWindowModality(Qt::ApplicationModal);

    m_type = named(new VLXPopUpButton(m_window), "addFilesType");
    m_type->addItems(typeTitles());

    m_tabs = new QTabWidget(m_window);
    m_tabs->setObjectName(QStringLiteral("addFilesTabView"));
    m_tabs->addTab(buildTemplateTab(), tr("Export"));
    m_tabs->addTab(buildLocalFileTab(), tr("Local File"));
    m_tabs->addTab(buildOPMLTab(), tr("OPML"));
    // The type chooses the tab; the tabs are not for clicking.
    m_tabs->tabBar()->hide();

    m_destination = named(new VLXMatrix(m_window, VLXMatrix::Radio), "addFilesDestMatrix");
    for (int row = 0; row < destinationTitles().size(); ++row)
        m_destination->addCell(row, destinationTitles().at(row), row, 0);
    m_otherDestination = named(new VLXTextField(m_window), "addFilesOtherDest");
    m_otherDestinationBrowse
        = chooseButton(m_window, "addFilesOtherDestBrowse", tr("Browse\u2026"));
    m_remoteName = named(new VLXTextField(m_window), "addFilesRemoteName");

    m_passwordLabel = new QLabel(tr("Password:"), m_window);
    m_passwordLabel->setObjectName(QStringLiteral("addFilesPasswordLabel"));
    m_password = named(new VLXSecureTextField(m_window), "addFilesPassword");
    m_passwordUser = new QLabel(m_window);
    m_passwordUser->setObjectName(QStringLiteral("addFilesPasswordUser"));

    VLXButton *help = chooseButton(m_window, "addFilesHelp", QStringLiteral("?"));
    help->setToolTip(tr("Help"));
    help->setMaximumWidth(help->sizeHint().height() + 8);
    VLXButton *cancel = chooseButton(m_window, "addFilesCancel", tr("Cancel"));
    VLXButton *accept = chooseButton(m_window, "addFilesAccept", QStringLiteral("OK"));
    accept->setDefault(true);

    auto *other = new QHBoxLayout;
    other->addWidget(m_otherDestination, 1);
    other->addWidget(m_otherDestinationBrowse);
    auto *destination = new QVBoxLayout;
    destination->addWidget(m_destination);
    destination->addLayout(other);
    auto *password = new QHBoxLayout;
    password->addWidget(m_password, 1);
    password->addWidget(m_passwordUser);

    auto *form = new QFormLayout;
    form->addRow(tr("File type:"), m_type);
    form->addRow(m_tabs);
    form->addRow(tr("Destination:"), destination);
    form->addRow(tr("Remote file name:"), m_remoteName);
    form->addRow(m_passwordLabel, password);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(accept);
    auto *layout = new QVBoxLayout(m_window);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_window->resize(540, m_window->sizeHint().height());

    connect(m_type, &QComboBox::activated, this, [this] { addFilesTypeChanged(); });
    connect(m_templateBrowse, &QPushButton::clicked, this, [this] { addFilesSelectTemplate(); });
    connect(m_limit, &QCheckBox::toggled, this, [this] { addFilesLimitChanged(); });
    connect(m_localFileBrowse, &QPushButton::clicked, this, [this] { addFilesLocalBrowse(); });
    connect(m_destination, &VLXMatrix::cellClicked, this, [this] { addFilesDestMatrixChanged(); });
    connect(m_otherDestinationBrowse, &QPushButton::clicked, this,
            [this] { addFilesOtherBrowse(); });
    connect(m_opml, &QPushButton::clicked, this, [this] { addFilesOPML(); });
    connect(accept, &QPushButton::clicked, this, [this] { addFilesAccept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { addFilesCancel(); });
    connect(help, &QPushButton::clicked, this, [this] { helpButton(); });
}

QWidget *publishAdditionalFiles::buildTemplateTab()
{
    auto *tab = new QWidget;
    m_template = named(new VLXTextField(tab), "addFilesTemplate");
    m_templateBrowse = chooseButton(tab, "addFilesTemplateBrowse", tr("Choose\u2026"));
    m_limit = named(new VLXCheckBox(tab), "addFilesLimitButton");
    m_limit->setText(tr("Limit the number of items to"));
    m_limitValue = named(new VLXSpinBox(tab), "addFilesLimitValue");
    // As in the export sheet: a negative number takes the last items, the last one first. The
    // field lets any number of up to six digits be typed; Accept refuses those it does not take.
    m_limitValue->setRange(-999999, 999999);
    m_limitValue->setToolTip(tr("From 1 to 9999; a negative number takes the last items, the last "
                                "one first"));
    m_noFuture = named(new VLXCheckBox(tab), "addFilesNoFuture");
    m_noFuture->setText(tr("Leave out items dated in the future"));

    auto *grid = new QGridLayout(tab);
    grid->addWidget(new QLabel(tr("Template:"), tab), 0, 0);
    grid->addWidget(m_template, 0, 1);
    grid->addWidget(m_templateBrowse, 0, 2);
    auto *limit = new QHBoxLayout;
    limit->addWidget(m_limit);
    limit->addWidget(m_limitValue);
    limit->addStretch();
    grid->addLayout(limit, 1, 0, 1, 3);
    grid->addWidget(m_noFuture, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return tab;
}

QWidget *publishAdditionalFiles::buildLocalFileTab()
{
    auto *tab = new QWidget;
    m_localFile = named(new VLXTextField(tab), "addFilesLocalFile");
    m_localFileBrowse = chooseButton(tab, "addFilesLocalFileBrowse", tr("Choose\u2026"));
    auto *grid = new QGridLayout(tab);
    grid->addWidget(new QLabel(tr("File:"), tab), 0, 0);
    grid->addWidget(m_localFile, 0, 1);
    grid->addWidget(m_localFileBrowse, 0, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

QWidget *publishAdditionalFiles::buildOPMLTab()
{
    auto *tab = new QWidget;
    auto *text = new QLabel(tr("The list holds the feeds, titles and addresses chosen in the "
                               "OPML window."),
                            tab);
    text->setWordWrap(true);
    m_opml = chooseButton(tab, "addFilesOPML", tr("Choose Feeds\u2026"));
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(text);
    auto *row = new QHBoxLayout;
    row->addWidget(m_opml);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    return tab;
}
