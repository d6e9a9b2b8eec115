#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>

// Base of every object of the feed model (channel, item, image, extension objects): a list of
// message entries about the element and three counters. Entries are "kind::text" strings;
// adding an entry never touches a counter, so whoever records a message also counts it
// (recordRepair / recordWarning / recordError do both).
class FeedElement
{
public:
    // The three kinds of message entry.
    static const QString kValidateError; // "Validate Error"
    static const QString kValidateWarning; // "Validate Warning"
    static const QString kAutomaticRepair; // "Automatic Repair"

    FeedElement() = default;
    virtual ~FeedElement() = default;
    // A copy keeps only entries of the three kinds and the counters as they are.
    FeedElement(const FeedElement &other);
    FeedElement &operator=(const FeedElement &other);

    // A new element of the same class equal to this one; subclasses with fields override it.
    virtual std::unique_ptr<FeedElement> clone() const;

    // Keyed archiving: writes "ErrorList", "RepairCounter", "WarnCounter", "ErrorCounter".
    virtual void encodeWithCoder(QVariantMap &coder) const;
    // Restores the four fields from a keyed archive (missing keys give empty / 0).
    virtual void initWithCoder(const QVariantMap &coder);

    // The entries whose text starts with a wanted kind, in list order (a prefix test).
    QStringList listOfErrors(bool includeErrors, bool includeWarn, bool includeRepair) const;
    // Whether listOfErrors() takes the entry.
    static bool isListed(const QString &entry, bool includeErrors, bool includeWarn,
                         bool includeRepair);
    const QStringList &errorList() const { return m_errorList; }
    // Replaces the list with a copy of the given entries, unfiltered.
    void setListOfErrors(const QStringList &entries);
    // Appends the entry; a null string is ignored. Counters stay as they are.
    void addObjectToListOfErrors(const QString &entry);
    // Empties the list and sets the three counters to 0.
    void removeAllListOfErrors();

    int repairCount() const { return m_repairCounter; }
    void setRepairCount(int count) { m_repairCounter = count; }
    void incrementRepairCount() { ++m_repairCounter; }
    int warnCount() const { return m_warnCounter; }
    void setWarnCount(int count) { m_warnCounter = count; }
    void incrementWarnCount() { ++m_warnCounter; }
    int errorCount() const { return m_errorCounter; }
    void setErrorCount(int count) { m_errorCounter = count; }
    void incrementErrorCount() { ++m_errorCounter; }

    // Adds the entry of that kind and counts it once. An entry that reads like one recorded
    // shortly before on the same thread is the same shared string, so thousands of elements
    // with the same message hold it once. A text longer than ShownText::kLongest is cut in the
    // middle to that length: a message that quoted a value of the feed whole would hold
    // megabytes, and the list that shows it lay them all out.
    void recordRepair(const QString &text);
    void recordWarning(const QString &text);
    void recordError(const QString &text);
    // The same for a message that quotes values of the feed: each value takes the place of its
    // %1, %2, ... in the text as quoted() gives it, and the words around them stay whole.
    template<typename... Values>
    void recordRepair(const QString &text, const QString &value, const Values &...more)
    {
        record(kAutomaticRepair, quoting(text, value, more...));
        incrementRepairCount();
    }
    template<typename... Values>
    void recordWarning(const QString &text, const QString &value, const Values &...more)
    {
        record(kValidateWarning, quoting(text, value, more...));
        incrementWarnCount();
    }
    template<typename... Values>
    void recordError(const QString &text, const QString &value, const Values &...more)
    {
        record(kValidateError, quoting(text, value, more...));
        incrementErrorCount();
    }

    // A value as a message quotes it: one of more than ShownText::kLongest characters is cut in
    // the middle to that length, as alerts show a text.
    static QString quoted(const QString &value);

    // Message entries: "%@::%@" from a kind and a text; the kind is what stands before the
    // first "::", the text everything after it (it may hold "::" itself).
    static QString makeEntry(const QString &kind, const QString &text);
    static QString entryKind(const QString &entry);
    static QString entryText(const QString &entry);

private:
    // Adds the entry of that kind, shared as recordRepair() says; counts nothing.
    void record(const QString &kind, const QString &text);
    // The text with each value, quoted, in the place of its %1, %2, ...
    template<typename... Values>
    static QString quoting(const QString &text, const Values &...values)
    {
        return text.arg(quoted(values)...);
    }

    QStringList m_errorList;
    int m_repairCounter = 0;
    int m_warnCounter = 0;
    int m_errorCounter = 0;
};
