#include "model/FeedElement.h"

#include "platform/ShownText.h"

#include <QHash>

#include <array>

const QString FeedElement::kValidateError = QStringLiteral("Validate Error");
const QString FeedElement::kValidateWarning = QStringLiteral("Validate Warning");
const QString FeedElement::kAutomaticRepair = QStringLiteral("Automatic Repair");

namespace {
const QString kSeparator = QStringLiteral("::");

// Most messages read the same for many elements (every item of a feed of empty items is
// "Validate Error::Both the item title and description can not both be blank"): each thread
// keeps the entries it made of each kind, and elements share one string instead of holding a
// copy each. Texts that name a value (a title, an address) are rarely met twice; the cache is
// emptied when it has grown to its bound, so it never holds many of them.
class SharedEntries
{
public:
    QString entry(const QString &kind, const QString &text)
    {
        const int slot = kind == FeedElement::kValidateError ? 0
            : kind == FeedElement::kValidateWarning          ? 1
            : kind == FeedElement::kAutomaticRepair          ? 2
                                                             : -1;
        if (slot < 0)
            return FeedElement::makeEntry(kind, text);
        QHash<QString, QString> &made = m_made[size_t(slot)];
        const auto found = made.constFind(text);
        if (found != made.cend())
            return found.value();
        if (made.size() >= kBound)
            made.clear();
        return made.insert(text, FeedElement::makeEntry(kind, text)).value();
    }

private:
    static constexpr qsizetype kBound = 2048;
    std::array<QHash<QString, QString>, 3> m_made;
};

QString sharedEntry(const QString &kind, const QString &text)
{
    thread_local SharedEntries entries;
    return entries.entry(kind, text);
}
} // namespace

FeedElement::FeedElement(const FeedElement &other)
    : m_errorList(other.listOfErrors(true, true, true)), m_repairCounter(other.m_repairCounter),
      m_warnCounter(other.m_warnCounter), m_errorCounter(other.m_errorCounter)
{
}

FeedElement &FeedElement::operator=(const FeedElement &other)
{
    if (this != &other) {
        m_errorList = other.listOfErrors(true, true, true);
        m_repairCounter = other.m_repairCounter;
        m_warnCounter = other.m_warnCounter;
        m_errorCounter = other.m_errorCounter;
    }
    return *this;
}

std::unique_ptr<FeedElement> FeedElement::clone() const
{
    return std::make_unique<FeedElement>(*this);
}

void FeedElement::encodeWithCoder(QVariantMap &coder) const
{
    coder.insert(QStringLiteral("ErrorList"), m_errorList);
    coder.insert(QStringLiteral("RepairCounter"), m_repairCounter);
    coder.insert(QStringLiteral("WarnCounter"), m_warnCounter);
    coder.insert(QStringLiteral("ErrorCounter"), m_errorCounter);
}

void FeedElement::initWithCoder(const QVariantMap &coder)
{
    m_errorList = coder.value(QStringLiteral("ErrorList")).toStringList();
    m_repairCounter = coder.value(QStringLiteral("RepairCounter")).toInt();
    m_warnCounter = coder.value(QStringLiteral("WarnCounter")).toInt();
    m_errorCounter = coder.value(QStringLiteral("ErrorCounter")).toInt();
}

QStringList FeedElement::listOfErrors(bool includeErrors, bool includeWarn,
                                      bool includeRepair) const
{
    QStringList taken;
    for (const QString &entry : m_errorList) {
        if (isListed(entry, includeErrors, includeWarn, includeRepair))
            taken.append(entry);
    }
    return taken;
}

bool FeedElement::isListed(const QString &entry, bool includeErrors, bool includeWarn,
                           bool includeRepair)
{
    return (includeErrors && entry.startsWith(kValidateError))
        || (includeWarn && entry.startsWith(kValidateWarning))
        || (includeRepair && entry.startsWith(kAutomaticRepair));
}

void FeedElement::setListOfErrors(const QStringList &entries)
{
    if (&entries == &m_errorList)
        return;
    m_errorList = entries;
}

void FeedElement::addObjectToListOfErrors(const QString &entry)
{
    if (!entry.isNull())
        m_errorList.append(entry);
}

void FeedElement::removeAllListOfErrors()
{
    m_errorList.clear();
    m_repairCounter = m_warnCounter = m_errorCounter = 0;
}

void FeedElement::record(const QString &kind, const QString &text)
{
    addObjectToListOfErrors(sharedEntry(kind, text));
}

void FeedElement::recordRepair(const QString &text)
{
    // A text given whole may have quoted a value in it: the whole text is cut.
    record(kAutomaticRepair, ShownText::fitted(text));
    incrementRepairCount();
}

void FeedElement::recordWarning(const QString &text)
{
    record(kValidateWarning, ShownText::fitted(text));
    incrementWarnCount();
}

void FeedElement::recordError(const QString &text)
{
    record(kValidateError, ShownText::fitted(text));
    incrementErrorCount();
}

QString FeedElement::quoted(const QString &value)
{
    return ShownText::fitted(value);
}

QString FeedElement::makeEntry(const QString &kind, const QString &text)
{
    return kind + kSeparator + text;
}

QString FeedElement::entryKind(const QString &entry)
{
    const qsizetype at = entry.indexOf(kSeparator);
    return at < 0 ? entry : entry.left(at);
}

QString FeedElement::entryText(const QString &entry)
{
    const qsizetype at = entry.indexOf(kSeparator);
    return at < 0 ? QString() : entry.mid(at + kSeparator.size());
}
