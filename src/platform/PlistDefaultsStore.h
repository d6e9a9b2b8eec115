#pragma once

#include "platform/DefaultsStore.h"

#include <QVariantMap>

// The defaults store on disk: one XML property list, by default
// QStandardPaths::AppConfigLocation + "/Vellumcast.plist".
//
// The file is read once when the store is made and written whole, through QSaveFile, by sync()
// when something changed, so a crash never leaves half a file. A file that is not a property
// list holding a dictionary, or that would nest, count or expand beyond the limits of
// PropertyListGuard, or that is not an ordinary file at all, is renamed aside (".unreadable",
// then ".unreadable-2" ...), a line is logged, and the store starts empty so the built-in
// defaults apply. So sync() never writes a file that reading would refuse: it keeps the file on
// disk and answers false instead.
class PlistDefaultsStore : public DefaultsStore
{
public:
    explicit PlistDefaultsStore(QString path = defaultPath());
    ~PlistDefaultsStore() override;

    static QString defaultPath();

    bool contains(const QString &key) const override { return m_values.contains(key); }
    QVariant object(const QString &key) const override { return m_values.value(key); }
    void setObject(const QVariant &value, const QString &key) override;
    void remove(const QString &key) override;
    QStringList keys() const override { return m_values.keys(); }
    bool sync(QString *error = nullptr) override;

    const QString &path() const { return m_path; }
    // Where an unreadable file was moved when the store was made; empty when none was.
    const QString &setAsidePath() const { return m_setAsidePath; }

private:
    void load();

    QString m_path;
    QString m_setAsidePath;
    QVariantMap m_values;
    bool m_dirty = false;
};
