#include "app/AboutWindow.h"

#include "VLXVersion.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent), m_version(new QLabel), m_message(new QLabel)
{
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(tr("About Vellumcast"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 24, 36, 18);
    layout->setSpacing(8);

    auto *icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/vellumcast.svg")).pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);

    auto *name = new QLabel(QStringLiteral("Vellumcast"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    m_version->setObjectName(QStringLiteral("aboutVersion"));
    m_version->setText(QStringLiteral("v%1").arg(QLatin1String(VLXVersion::kVersionString)));
    m_version->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_version);

    auto *blurb = new QLabel(tr("Creates, edits, checks and publishes RSS feeds and podcasts."));
    blurb->setAlignment(Qt::AlignCenter);
    blurb->setWordWrap(true);
    layout->addWidget(blurb);

    m_message->setObjectName(QStringLiteral("aboutMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->hide();
    layout->addWidget(m_message);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("aboutOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::hide);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

void AboutWindow::showCentredOver(const QRect &frame)
{
    QRect over = frame;
    if (!over.isValid()) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        over = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    }
    const QSize size = this->size();
    move(int(over.x() + over.width() * 0.5 - size.width() * 0.5),
         int(over.y() + over.height() * 0.5 - size.height() * 0.5));
    m_message->hide();
    show();
    raise();
    activateWindow();
}
