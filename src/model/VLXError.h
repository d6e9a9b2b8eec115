#pragma once

#include <QString>

// The error a per-field check hands back: a domain (error or warning), a code (1 missing or not
// acceptable, 2 too long, 3 wrong form), the long text for the user and the short title of the
// alert. The domain alone decides whether a failure is an error or a warning.
class VLXError
{
public:
    static const QString kErrorDomain; // "com.mossgate.Vellumcast.ErrorDomain"
    static const QString kWarningDomain; // "com.mossgate.Vellumcast.WarningDomain"

    enum Code { kContent = 1, kTooLong = 2, kBadFormat = 3 };

    VLXError() = default;
    VLXError(QString domain, int code, QString description, QString failureReason)
        : m_domain(std::move(domain)), m_code(code), m_description(std::move(description)),
          m_failureReason(std::move(failureReason))
    {
    }

    static VLXError error(int code, const QString &description, const QString &failureReason)
    {
        return VLXError(kErrorDomain, code, description, failureReason);
    }
    static VLXError warning(int code, const QString &description, const QString &failureReason)
    {
        return VLXError(kWarningDomain, code, description, failureReason);
    }

    bool isNull() const { return m_domain.isEmpty(); }
    bool isWarning() const { return m_domain == kWarningDomain; }
    const QString &domain() const { return m_domain; }
    int code() const { return m_code; }
    // The long text: a full sentence, the text of the message entry and of the alert.
    const QString &localizedDescription() const { return m_description; }
    // The short title of the alert.
    const QString &localizedFailureReason() const { return m_failureReason; }

    bool operator==(const VLXError &other) const = default;

private:
    QString m_domain;
    int m_code = 0;
    QString m_description;
    QString m_failureReason;
};
