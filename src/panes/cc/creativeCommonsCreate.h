#pragma once

#include "extensions/cc/CreativeCommonsReplies.h"
#include "io/URLHandleClient.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class CURLHandle;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class VLXPopUpButton;

// The licence creator: asks a Creative Commons REST 1.5 service for its locales and licence
// classes, shows the questions of the chosen class, and has the service issue a licence (its URL,
// name and HTML) for the answers. It stores nothing: its caller saves what it hands back.
//
// Each request is a background load of its own CURLHandle, with the dialog as the handle's client;
// the replies arrive on the main thread while the dialog runs. The creator's handles never go
// through a proxy; the rest of the program's transfers are left as they are.
//
// The service's base address is the user default "CreativeCommonsServiceURL". Without one, or
// when the service cannot be reached, the status says "Failed" and the line under it why and
// where; the dialog never waits for ever. A reply is bounded (CreativeCommonsReplies::
// kMaximumReplySize) and read on a worker while the status still says "In Progress"; one that
// cannot be used ends the step with "Failed" and the reason.
class creativeCommonsCreate : public QDialog, public URLHandleClient
{
    Q_OBJECT
public:
    // The step whose reply is awaited.
    enum State { kLocales = 0, kClasses = 1, kQuestions = 2, kIssue = 3 };

    explicit creativeCommonsCreate(QWidget *parent = nullptr);
    ~creativeCommonsCreate() override;

    // Runs the dialog as a sheet on the control's window (modal on its own without one) and
    // answers 1 when a licence was issued and accepted, 0 otherwise.
    int createNewLicense(QWidget *control);

    QString licenseNameString() const { return m_licenseName; }
    QString licenseURLString() const { return m_licenseURL; }
    QString licenseHTMLString() const { return m_licenseHTML; }
    void setLicenseNameString(const QString &value) { m_licenseName = value; }
    void setLicenseURLString(const QString &value) { m_licenseURL = value; }
    void setLicenseHTMLString(const QString &value) { m_licenseHTML = value; }

    // The service asked; the stored user default when not set.
    void setServiceURL(const QString &base) { m_serviceURL = base; }
    State state() const { return m_state; }
    // The question rows in the window.
    int questionRowsShown() const { return m_rowsShown; }

    // The actions of the controls.
    void accept() override;
    void reject() override;
    void help();
    void licenseLocaleAction();
    void licenseTypeAction();
    void licenseOptionsAction();
    void generateLicense();
    void moreInfoButton(int tag);

    void URLHandleResourceDidBeginLoading(URLHandle *sender) override;
    void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                 const QByteArray &newBytes) override;
    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidCancelLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;

private:
    struct Row
    {
        QLabel *label = nullptr;
        VLXPopUpButton *options = nullptr;
        QPushButton *moreInfo = nullptr;
        QString id;
        std::optional<QString> description;
    };

    void build();
    // Asks the service; keepReason leaves the reason of the step before in view (the classes
    // asked for after locales that could not be read).
    void request(State state, const QString &path, const std::optional<QString> &answers = {},
                 bool keepReason = false);
    void requestClasses(bool keepReason = false);
    // Reads the reply on a worker, then hands it to its step.
    void readAside(const QByteArray &data, const QString &type, const QString &httpFailure);
    void replyRead(const CreativeCommonsReplies::Reply &reply, const QString &httpFailure);
    void dropReading();
    void dropHandle();
    void updateStatus();
    void stopProgress();
    void explainFailure(const QString &reason);
    QString selectedLocale() const;
    void clearResults();
    void showQuestionRows(int count);
    void showResultBlock(bool shown);
    void updateGenerate();
    void updateLocales(const QStringList &locales, bool keepReason);
    void updateClasses(const QList<CreativeCommonsReplies::Choice> &classes);
    void updateLicense(const std::optional<CreativeCommonsReplies::LicenseClass> &licenseClass);
    void updateResult(const std::optional<CreativeCommonsReplies::Issued> &issued);

    QProgressBar *m_transferProgress = nullptr;
    QLabel *m_transferStatus = nullptr;
    QLabel *m_transferReason = nullptr;
    VLXPopUpButton *m_licenseLocaleButton = nullptr;
    VLXPopUpButton *m_licenseTypeButton = nullptr;
    std::array<Row, 3> m_rows;
    QPushButton *m_generate = nullptr;
    QList<QWidget *> m_resultBlock;
    QLineEdit *m_licenseNameField = nullptr;
    QLineEdit *m_licenseURLField = nullptr;

    State m_state = kLocales;
    QStringList m_classIds; // "" for "Select License Type", then one id per class item
    QString m_licenseID;
    int m_rowsShown = 0;
    QString m_licenseName;
    QString m_licenseURL;
    QString m_licenseHTML;
    QString m_serviceURL;
    QString m_address; // of the request under way
    bool m_failed = false; // the last request could not be started, or its reply not be used
    std::shared_ptr<CURLHandle> m_handle;
    QPointer<QFutureWatcher<CreativeCommonsReplies::Reply>> m_reading; // the reply being read
    qint64 m_bytesRetrievedSoFar = 0;
};
