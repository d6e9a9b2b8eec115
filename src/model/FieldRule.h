#pragma once

#include "model/FeedElement.h"
#include "model/VLXError.h"

#include <QString>
#include <QStringView>
#include <initializer_list>

class QObject;

// How a rule fails: the short title, the long text, the domain and the code of its VLXError.
struct RuleFailure
{
    QString failureReason; // short title, such as "Title is blank"
    QString description; // long text, such as "Feed title can not be blank"
    bool warning = false;
    int code = VLXError::kContent;

    VLXError toError() const
    {
        return warning ? VLXError::warning(code, description, failureReason)
                       : VLXError::error(code, description, failureReason);
    }
};

// The per-field rule trio as shared machinery. Every model and extension class states the rule
// of a field once, as a class-level check `static bool validateX(value, [context,] VLXError *)`
// (often a FieldRule::check over a table of steps), and gets the two other members from
// VLX_FIELD_RULE_TRIO(X): `validateAndLogX(value)`, which records a failure in the element's
// message list with its counter, and `static validateAndInformX(value, QObject *interface)`,
// which explains a failure in an alert. Fields with context arguments write their own two
// members in one line each with FieldRule::log and FieldRule::inform.
class FieldRule
{
public:
    using Test = bool (*)(const QString &value);
    // The failure is the rule's own constant, referred to rather than copied: checks run for
    // every item of a feed.
    struct Step
    {
        Test passes;
        const RuleFailure &failure;
    };

    // The check: the first step whose test fails decides; its failure goes to *error when an
    // out-reference is given. Answers whether every step passed.
    static bool check(const QString &value, std::initializer_list<Step> steps, VLXError *error);
    // Stores the failure when error is given and answers false, for `return fail(error, ...)`.
    static bool fail(VLXError *error, const RuleFailure &failure);
    static bool fail(VLXError *error, const VLXError &made);

    // Blank for field checks: empty once white space and line ends are trimmed from both ends.
    // (Repairs and completeness tests compare with the exact empty text instead.)
    static bool isBlank(QStringView value);

    // Ready-made tests for the tables of steps.
    static bool anything(const QString &) { return true; }
    static bool notBlank(const QString &value) { return !isBlank(value); }
    // VLXLogic::checkURL on the trimmed value (blank passes).
    static bool blankOrURL(const QString &value);
    // Blank, or VLXLogic::checkEMail on the trimmed value.
    static bool blankOrEMail(const QString &value);
    // Blank, or only the characters 0 to 9 (untrimmed, so a blank around digits fails).
    static bool blankOrDigits(const QString &value);

    // The logging step: runs the check and, on failure, appends a "Validate Warning" or
    // "Validate Error" entry with the long text and counts it.
    template<typename Check> static void log(FeedElement &owner, Check &&check)
    {
        VLXError error;
        if (!check(&error))
            logFailure(owner, error);
    }
    static void logFailure(FeedElement &owner, const VLXError &error);

    // The informing step: runs the check; on failure shows a critical alert titled with the
    // short title, saying the long text, with "OK" and, when the interface object answers
    // showContextHelp(), "More Information", which opens that control's help. Answers whether
    // the value passed.
    template<typename Check> static bool inform(Check &&check, QObject *interface)
    {
        VLXError error;
        if (check(&error))
            return true;
        informFailure(error, interface);
        return false;
    }
    static void informFailure(const VLXError &error, QObject *interface);
};

// Declares validateAndLog<Field> and validateAndInform<Field> over the class's own
// `static bool validate<Field>(const QString &, VLXError *)`. Use it inside a FeedElement subclass.
#define VLX_FIELD_RULE_TRIO(Field)                                                                 \
    void validateAndLog##Field(const QString &value)                                               \
    {                                                                                              \
        FieldRule::log(*this, [&](VLXError *e) { return validate##Field(value, e); });             \
    }                                                                                              \
    static bool validateAndInform##Field(const QString &value, QObject *interface)                 \
    {                                                                                              \
        return FieldRule::inform([&](VLXError *e) { return validate##Field(value, e); },           \
                                 interface);                                                       \
    }
