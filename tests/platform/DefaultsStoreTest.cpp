#include "PropertyListBombs.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(PlistDefaultsStore, ValuesRoundTripThroughTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Vellumcast.plist"));
    {
        PlistDefaultsStore store(path);
        store.setInteger(-1, QStringLiteral("FTP_CF_PasswordToKeychain"));
        store.setReal(static_cast<double>(1.85f), QStringLiteral("FD_Version"));
        store.setObject(QStringLiteral("title"), QStringLiteral("OPML_Title"));
        store.setObject(QVariantList {QVariantMap {{QStringLiteral("k"), QByteArray("\x01", 1)}}},
                        QStringLiteral("FD_CF_Array"));
        QString error;
        ASSERT_TRUE(store.sync(&error)) << error.toStdString();
    }
    const QByteArray text = [&] {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }();
    EXPECT_TRUE(text.contains("<plist")); // XML, readable by hand
    PlistDefaultsStore again(path);
    EXPECT_EQ(again.integer(QStringLiteral("FTP_CF_PasswordToKeychain")), -1);
    EXPECT_EQ(static_cast<float>(*again.real(QStringLiteral("FD_Version"))), 1.85f);
    EXPECT_EQ(again.string(QStringLiteral("OPML_Title")), QStringLiteral("title"));
    ASSERT_TRUE(again.array(QStringLiteral("FD_CF_Array")));
    EXPECT_EQ(again.array(QStringLiteral("FD_CF_Array"))->at(0).toMap().value(QStringLiteral("k")),
              QByteArray("\x01", 1));
    // Typed reads refuse values of another kind.
    EXPECT_FALSE(again.integer(QStringLiteral("OPML_Title")));
    EXPECT_FALSE(again.string(QStringLiteral("FD_Version")));
    EXPECT_FALSE(again.dictionary(QStringLiteral("FD_CF_Array")));
}

TEST(PlistDefaultsStore, AnUnreadableFileIsSetAsideAndTheStoreStartsEmpty)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "this is not a property list");
    PlistDefaultsStore store(path);
    EXPECT_TRUE(store.keys().isEmpty());
    EXPECT_EQ(store.setAsidePath(), path + QStringLiteral(".unreadable"));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(path + QStringLiteral(".unreadable")));

    // A second bad file does not overwrite the first one set aside.
    writeFile(dir, "<?xml version=\"1.0\"?><plist><array><string>x</string></array></plist>");
    PlistDefaultsStore second(path);
    EXPECT_EQ(second.setAsidePath(), path + QStringLiteral(".unreadable-2"));
}

TEST(PlistDefaultsStore, HostileFilesAreSetAsideInsteadOfCrashingEveryStart)
{
    using namespace PropertyListBombs;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    int n = 0;
    const auto expectSetAside = [&](const char *what) {
        SCOPED_TRACE(what);
        PlistDefaultsStore store(path);
        EXPECT_TRUE(store.keys().isEmpty());
        EXPECT_EQ(store.setAsidePath(),
                  path + (n++ ? QStringLiteral(".unreadable-%1").arg(n) : QStringLiteral(".unreadable")));
        EXPECT_FALSE(QFileInfo::exists(path));
    };
    writeFile(dir, nestedXml(100000));
    expectSetAside("nested XML");
    writeFile(dir, nestedBinary(100000));
    expectSetAside("nested binary");
    // A dictionary whose one value expands to 2^24 strings.
    QList<QByteArray> objects {dictionary({1}, {2}), asciiString("FD_CF_Array")};
    for (int i = 0; i < 24; ++i)
        objects.append(array({quint64(i + 3), quint64(i + 3)}));
    objects.append(asciiString("x"));
    writeFile(dir, binary(objects));
    expectSetAside("shared references");
    // A named pipe would block the start for ever if it were opened like a file.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    expectSetAside("named pipe");
}

TEST(PlistDefaultsStore, NothingIsWrittenWhenNothingChanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    PlistDefaultsStore store(path);
    EXPECT_TRUE(store.sync());
    EXPECT_FALSE(QFile::exists(path));
    store.setObject(QStringLiteral("x"), QStringLiteral("a"));
    store.remove(QStringLiteral("a"));
    EXPECT_TRUE(store.sync());
    EXPECT_TRUE(QFile::exists(path));
}

TEST(PlistDefaultsStore, ValuesThatAreNotPropertyListsAreNotStored)
{
    QTemporaryDir dir;
    PlistDefaultsStore store(dir.filePath(QStringLiteral("Vellumcast.plist")));
    store.setObject(QVariantList {QVariant()}, QStringLiteral("bad"));
    EXPECT_FALSE(store.contains(QStringLiteral("bad")));
}

TEST(PlistDefaultsStore, AFailedWriteSaysWhy)
{
    QTemporaryDir dir;
    // The parent "folder" is a file, so the settings cannot be written.
    const QString blocker = writeFile(dir, "x");
    PlistDefaultsStore store(blocker + QStringLiteral("/Vellumcast.plist"));
    store.setObject(QStringLiteral("x"), QStringLiteral("a"));
    QString error;
    EXPECT_FALSE(store.sync(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PlistDefaultsStore, SettingsTheReaderWouldRefuseAreNotWrittenAndTheFileStays)
{
    QVariantList many;
    for (int n = 0; n < 1000001; ++n)
        many << n;
    const struct
    {
        const char *what;
        QVariant value;
    } cases[] = {
        {"a text of 70 MB", QString(70 * 1024 * 1024, QLatin1Char('n'))},
        {"a million values and one", many},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
        {
            PlistDefaultsStore store(path);
            store.setObject(QStringLiteral("kept"), QStringLiteral("feedListKey"));
            ASSERT_TRUE(store.sync());
            store.setObject(c.value, QStringLiteral("CreativeCommonsLicenses"));
            QString error;
            EXPECT_FALSE(store.sync(&error)) << c.what;
            EXPECT_TRUE(error.contains(path)) << error.toStdString();
        }
        // The next start reads the file as it was before.
        const PlistDefaultsStore reread(path);
        EXPECT_TRUE(reread.setAsidePath().isEmpty()) << c.what;
        EXPECT_EQ(reread.string(QStringLiteral("feedListKey")), QStringLiteral("kept")) << c.what;
        EXPECT_FALSE(reread.contains(QStringLiteral("CreativeCommonsLicenses"))) << c.what;
    }
}

TEST(PlistDefaultsStore, TheDefaultPlaceIsTheApplicationsConfigFolder)
{
    EXPECT_TRUE(PlistDefaultsStore::defaultPath().endsWith(QStringLiteral("/Vellumcast.plist")));
}

} // namespace
