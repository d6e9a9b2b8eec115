#include "extensions/cc/CreativeCommonsLibrary.h"

#include "platform/DefaultsStore.h"
#include "settings/SettingTextLimits.h"
#include "settings/VLXPreferences.h"

const QString CreativeCommonsLibrary::kLicensesKey = QStringLiteral("CreativeCommonsLicenses");
const QString CreativeCommonsLibrary::kLastPasteKey = QStringLiteral("LastPasteCCLicense");
const QString CreativeCommonsLibrary::kServiceURLKey = QStringLiteral("CreativeCommonsServiceURL");
const QString CreativeCommonsLibrary::kNameKey = QStringLiteral("LicenseName");
const QString CreativeCommonsLibrary::kHTMLKey = QStringLiteral("LicenseHTML");

DefaultsStore &CreativeCommonsLibrary::store()
{
    return VLXPreferences::sharedInstance().store();
}

QVariantMap CreativeCommonsLibrary::licenses()
{
    return store().dictionary(kLicensesKey).value_or(QVariantMap());
}

QString CreativeCommonsLibrary::licenseNameForURL(const QString &url)
{
    const QVariantMap all = licenses();
    if (!all.contains(url))
        return QString();
    return all.value(url).toMap().value(kNameKey).toString();
}

QString CreativeCommonsLibrary::licenseHTMLForURL(const QString &url)
{
    const QVariantMap all = licenses();
    if (!all.contains(url))
        return QString();
    return all.value(url).toMap().value(kHTMLKey).toString();
}

QString CreativeCommonsLibrary::refusal(const QString &url, const QString &name,
                                        const QString &html)
{
    using Kind = SettingTextLimits::Kind;
    const struct
    {
        Kind kind;
        const char *what;
        const QString &text;
    } parts[] = {
        {Kind::Address, "The licence's URL", url},
        {Kind::Line, "The licence's name", name},
        {Kind::Passage, "The licence's HTML", html},
    };
    for (const auto &part : parts) {
        const QString problem
            = SettingTextLimits::problem(part.kind, QLatin1String(part.what), part.text);
        if (!problem.isEmpty())
            return problem + QStringLiteral(" The licence is not saved.");
    }
    return QString();
}

bool CreativeCommonsLibrary::saveLicense(const QString &url, const QString &name,
                                         const QString &html, QString *problem)
{
    if (const QString refused = refusal(url, name, html); !refused.isEmpty()) {
        if (problem)
            *problem = refused;
        return false;
    }
    QVariantMap all = licenses();
    all.insert(url, QVariantMap {{kNameKey, name}, {kHTMLKey, html}});
    store().setObject(all, kLicensesKey);
    return store().sync(problem);
}

QString CreativeCommonsLibrary::lastPaste()
{
    return store().string(kLastPasteKey).value_or(QString());
}

void CreativeCommonsLibrary::setLastPaste(const QString &url)
{
    store().setObject(url, kLastPasteKey);
}

QString CreativeCommonsLibrary::serviceURL()
{
    return store().string(kServiceURLKey).value_or(QString()).trimmed();
}
