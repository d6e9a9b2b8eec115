#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

class DefaultsStore;

// The user's saved Creative Commons licences: the user default "CreativeCommonsLicenses", licence
// URL → {"LicenseName", "LicenseHTML"}, kept outside the settings key table. The URL is a
// licence's identity: saving one whose URL is known replaces its name and HTML. Lists of the
// library show the URLs in the order the stored dictionary gives them.
//
// Every change reads the stored library, changes it and writes it back at once, so licences
// saved elsewhere in the meantime (another dialog, the preferences window) are never lost.
class CreativeCommonsLibrary
{
public:
    CreativeCommonsLibrary() = delete;

    static const QString kLicensesKey; // "CreativeCommonsLicenses"
    static const QString kLastPasteKey; // "LastPasteCCLicense"
    static const QString kServiceURLKey; // "CreativeCommonsServiceURL"
    static const QString kNameKey; // "LicenseName"
    static const QString kHTMLKey; // "LicenseHTML"

    // The store used: the settings' user-defaults store.
    static DefaultsStore &store();

    // The stored library; empty when there is none or it is not a dictionary.
    static QVariantMap licenses();
    static QStringList urls() { return licenses().keys(); }
    // The entry's name or HTML; a null string when the library lacks the URL.
    static QString licenseNameForURL(const QString &url);
    static QString licenseHTMLForURL(const QString &url);

    // Why the licence cannot be kept: its URL, name or HTML is longer than the settings keep
    // (SettingTextLimits). Empty when it can.
    static QString refusal(const QString &url, const QString &name, const QString &html);

    // Puts the licence into the stored library and makes it durable; false (with the reason)
    // when the licence is refused or the settings file could not be written.
    static bool saveLicense(const QString &url, const QString &name, const QString &html,
                            QString *problem = nullptr);

    // The licence whose text was last pasted without a feed licence preselected ("" for none).
    static QString lastPaste();
    static void setLastPaste(const QString &url);

    // The base address (scheme and host) of the licence web service; "" when unset.
    static QString serviceURL();
};
