#include "platform/PlistDefaultsStore.h"

#include "platform/BoundedFileReader.h"
#include "platform/PropertyList.h"
#include "platform/PropertyListGuard.h"
#include "platform/SettingsEquality.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

namespace {
// Settings files are small; anything far bigger is not ours and is not read into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
} // namespace

PlistDefaultsStore::PlistDefaultsStore(QString path) : m_path(std::move(path))
{
    load();
}

PlistDefaultsStore::~PlistDefaultsStore()
{
    if (m_dirty) {
        QString error;
        if (!sync(&error))
            qWarning().noquote() << "Settings were not saved:" << error;
    }
}

QString PlistDefaultsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
        + QStringLiteral("/Vellumcast.plist");
}

void PlistDefaultsStore::load()
{
    if (!QFileInfo::exists(m_path))
        return;
    QString problem;
    QVariant root;
    QString reason;
    BoundedFileReader::Refusal refusal = BoundedFileReader::Refusal::None;
    const std::optional<QByteArray> bytes
        = BoundedFileReader::read(m_path, kMaxFileSize, &reason, &refusal);
    if (refusal == BoundedFileReader::Refusal::Unreadable) {
        // A file we cannot read is left where it is; we simply start from the defaults.
        qWarning().noquote() << "Cannot read the settings file:" << reason
                             << "- using the built-in defaults";
        return;
    }
    if (!bytes) {
        problem = refusal == BoundedFileReader::Refusal::TooLarge
            ? QStringLiteral("it is too large")
            : QStringLiteral("it is not an ordinary file");
    } else {
        bool ok = false;
        root = PropertyList::parse(*bytes, PropertyListGuard::Limits(), &ok, &problem);
        if (ok && root.metaType().id() != QMetaType::QVariantMap)
            problem = QStringLiteral("it does not hold a dictionary");
    }
    if (problem.isEmpty()) {
        m_values = root.toMap();
        return;
    }
    QString aside = m_path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".unreadable-%1").arg(n);
    if (QFile::rename(m_path, aside)) {
        m_setAsidePath = aside;
        qWarning().noquote() << "The settings file" << m_path << "was set aside as" << aside
                             << "because" << problem << "- using the built-in defaults";
    } else {
        qWarning().noquote() << "The settings file" << m_path << "is unusable because" << problem
                             << "and could not be set aside - using the built-in defaults";
    }
}

void PlistDefaultsStore::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    if (!PropertyList::isPropertyListValue(value)) {
        qWarning().noquote() << "Setting" << key << "was not stored: its value of type"
                             << value.typeName() << "is not a property-list value";
        return;
    }
    const auto it = m_values.constFind(key);
    if (it != m_values.cend() && it.value().metaType() == value.metaType()
        && SettingsEquality::equal(it.value(), value))
        return;
    m_values.insert(key, value);
    m_dirty = true;
}

void PlistDefaultsStore::remove(const QString &key)
{
    if (m_values.remove(key) > 0)
        m_dirty = true;
}

bool PlistDefaultsStore::sync(QString *error)
{
    if (error)
        error->clear();
    if (!m_dirty)
        return true;
    bool ok = false;
    const QByteArray bytes = PropertyList::serialize(m_values, PropertyList::Format::Xml, &ok);
    if (!ok) {
        if (error)
            *error = QStringLiteral("The settings could not be turned into a property list.");
        return false;
    }
    // A file the next start would refuse and set aside would lose every setting: the file on
    // disk stays as it is instead.
    QString unreadable;
    if (bytes.size() > kMaxFileSize)
        unreadable = QStringLiteral("they would take %1 bytes, more than the %2 a settings file "
                                    "may hold")
                         .arg(bytes.size())
                         .arg(kMaxFileSize);
    else if (!PropertyListGuard::check(bytes, PropertyListGuard::Limits(), &unreadable))
        unreadable = QStringLiteral("they could not be read back: %1").arg(unreadable);
    if (!unreadable.isEmpty()) {
        if (error)
            *error = QStringLiteral("The settings were not written, because %1; the settings "
                                    "file %2 was kept as it was.")
                         .arg(unreadable, m_path);
        return false;
    }
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1.").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write the settings file %1: %2")
                         .arg(m_path, file.errorString());
        return false;
    }
    m_dirty = false;
    return true;
}
