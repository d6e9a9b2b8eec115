#include "editors/EditorSheet.h"

#include "platform/AlertService.h"
#include "ui/VLXButton.h"

#include <QHBoxLayout>
#include <QMetaObject>

EditorSheet::EditorSheet(QWidget *parentWindow, const QString &objectName, const QString &title,
                         Done done, QObject *parent)
    : QObject(parent), m_window(new QDialog(parentWindow)), m_done(std::move(done))
{
    m_window->setObjectName(objectName);
    m_window->setWindowTitle(title);
    m_window->setWindowModality(parentWindow ? Qt::WindowModal : Qt::ApplicationModal);
    connect(m_window, &QDialog::finished, this, [this](int code) {
        sheetEnded();
        QMetaObject::invokeMethod(
            this,
            [this, code] {
                if (m_done)
                    m_done(code);
            },
            Qt::QueuedConnection);
    });
}

EditorSheet::~EditorSheet()
{
    delete m_window.data();
}

QHBoxLayout *EditorSheet::makeButtonRow(std::function<void()> ok, std::function<void()> cancel)
{
    auto *cancelButton = new VLXButton(m_window);
    cancelButton->setObjectName(QStringLiteral("buttonCancel"));
    cancelButton->setText(tr("Cancel"));
    auto *okButton = new VLXButton(m_window);
    okButton->setObjectName(QStringLiteral("buttonOK"));
    okButton->setText(tr("OK"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, std::move(ok));
    connect(cancelButton, &QPushButton::clicked, this, std::move(cancel));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancelButton);
    row->addWidget(okButton);
    return row;
}

void EditorSheet::endSheet(int code)
{
    m_window->done(code);
}

void EditorSheet::missingField(const QString &message)
{
    Alert alert;
    alert.title = tr("Missing Field");
    alert.message = message;
    alert.defaultButton = tr("OK");
    AlertService::show(alert);
}
