#pragma once

#include <QString>
#include <memory>
#include <optional>

// Passwords kept in the desktop's secret service (through QtKeychain and libsecret), never in
// the settings file or a log. An item is named by a service and an account.
//
// The calls are synchronous: each runs a QtKeychain job and waits for it in a local event loop
// (a QCoreApplication must exist). Where no secret service runs, storing fails and says so in
// *error; nothing is ever written in clear as a fallback.
class PasswordStore
{
public:
    virtual ~PasswordStore() = default;

    // The process's store: the secret service unless a test installed another with setInstance().
    static PasswordStore &instance();
    static void setInstance(std::shared_ptr<PasswordStore> store);

    // True when the item exists; *password receives its text.
    virtual bool readPassword(const QString &service, const QString &account, QString *password,
                              QString *error = nullptr);
    virtual bool writePassword(const QString &service, const QString &account,
                               const QString &password, QString *error = nullptr);
    virtual bool deletePassword(const QString &service, const QString &account,
                                QString *error = nullptr);

    // Whether a D-Bus session (and so possibly a secret service) is reachable at all.
    static bool sessionBusAvailable();

    // Milliseconds a single request may take before it is given up.
    static constexpr int kTimeoutMs = 15000;
};
