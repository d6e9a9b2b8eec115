#include "platform/PasswordStore.h"

#include "platform/InstalledService.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

// Without an installed store the system keychain itself answers.
using Installed = InstalledService<PasswordStore>;

QString noServiceMessage()
{
    return QStringLiteral("No secret service is available (there is no D-Bus session), so the "
                          "password was not stored. It will be asked for when it is needed.");
}

// Runs a QtKeychain job to its end. Answers false with a message when it failed or timed out.
bool runJob(QKeychain::Job *job, QString *error)
{
    job->setAutoDelete(false);
    // A password must never end up in a plain settings file.
    job->setInsecureFallback(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(PasswordStore::kTimeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec();
    if (!finished) {
        if (error)
            *error = QStringLiteral("The secret service did not answer in time.");
        // The job may still finish later; it deletes itself then.
        QObject::disconnect(job, nullptr, &loop, nullptr);
        job->setAutoDelete(true);
        return false;
    }
    if (job->error() != QKeychain::NoError) {
        if (error)
            *error = job->errorString();
        return false;
    }
    if (error)
        error->clear();
    return true;
}

// Runs the job as runJob does and keeps it owned unless it timed out: a job that is still
// running deletes itself when it ends, so it must not be deleted here too.
template<typename Job> bool runOwnedJob(std::unique_ptr<Job> &job, QString *error)
{
    if (runJob(job.get(), error))
        return true;
    if (job->autoDelete())
        job.release();
    return false;
}

// Without a session bus there is no secret service to ask.
bool serviceReachable(QString *error)
{
    if (PasswordStore::sessionBusAvailable())
        return true;
    if (error)
        *error = noServiceMessage();
    return false;
}

} // namespace

PasswordStore &PasswordStore::instance()
{
    return Installed::get();
}

void PasswordStore::setInstance(std::shared_ptr<PasswordStore> store)
{
    Installed::install(std::move(store));
}

bool PasswordStore::sessionBusAvailable()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

bool PasswordStore::readPassword(const QString &service, const QString &account, QString *password,
                                 QString *error)
{
    if (password)
        password->clear();
    if (!serviceReachable(error))
        return false;
    std::unique_ptr<QKeychain::ReadPasswordJob> job(new QKeychain::ReadPasswordJob(service));
    job->setKey(account);
    if (!runOwnedJob(job, error))
        return false;
    if (password)
        *password = job->textData();
    return true;
}

bool PasswordStore::writePassword(const QString &service, const QString &account,
                                  const QString &password, QString *error)
{
    if (!serviceReachable(error))
        return false;
    std::unique_ptr<QKeychain::WritePasswordJob> job(new QKeychain::WritePasswordJob(service));
    job->setKey(account);
    job->setTextData(password);
    QString why;
    if (!runOwnedJob(job, &why)) {
        if (error)
            *error = QStringLiteral("The password could not be stored in the secret service: %1")
                         .arg(why);
        return false;
    }
    return true;
}

bool PasswordStore::deletePassword(const QString &service, const QString &account, QString *error)
{
    if (!serviceReachable(error))
        return false;
    std::unique_ptr<QKeychain::DeletePasswordJob> job(new QKeychain::DeletePasswordJob(service));
    job->setKey(account);
    return runOwnedJob(job, error);
}
