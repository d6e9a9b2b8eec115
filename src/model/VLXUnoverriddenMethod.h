#pragma once

#include <QString>
#include <stdexcept>

// Raised when a base-class operation that a subclass was meant to provide is reached. It marks a
// programming error, never bad data: the base versions stay callable (not pure) because some
// managers deliberately inherit the throwing behaviour.
class VLXUnoverriddenMethod : public std::logic_error
{
public:
    // The exception's name, shared by every such error.
    static const QString kName; // "Unoverridden baseclass method"

    explicit VLXUnoverriddenMethod(const QString &reason);

    QString name() const { return kName; }
    const QString &reason() const { return m_reason; }

    // The reason text for a member of a class: Base class <cls> member "<declaration>" must be
    // overridden.
    static QString reasonFor(const QString &className, const QString &declaration);
    [[noreturn]] static void raise(const QString &className, const QString &declaration);

private:
    QString m_reason;
};
