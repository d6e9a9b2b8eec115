#include "settings/SettingTextLimits.h"

#include <QLocale>

namespace {
struct Bound
{
    SettingTextLimits::Kind kind;
    qsizetype characters;
};

constexpr Bound kBounds[] = {
    {SettingTextLimits::Kind::Line, 4096},
    {SettingTextLimits::Kind::Address, 8192},
    {SettingTextLimits::Kind::Passage, 256 * 1024},
};
} // namespace

qsizetype SettingTextLimits::limit(Kind kind)
{
    for (const Bound &bound : kBounds) {
        if (bound.kind == kind)
            return bound.characters;
    }
    return 0;
}

QString SettingTextLimits::problem(Kind kind, const QString &what, const QString &text)
{
    if (fits(kind, text))
        return QString();
    const QLocale locale = QLocale::c();
    return QStringLiteral("%1 is %2 characters long, longer than the %3 characters it may have.")
        .arg(what, locale.toString(text.size()), locale.toString(limit(kind)));
}

bool SettingTextLimits::holdsOverlongText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return !fits(Kind::Passage, value.toString());
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        for (const QVariant &element : value.toList()) {
            if (holdsOverlongText(element))
                return true;
        }
        return false;
    case QMetaType::QVariantMap:
        for (const QVariant &element : value.toMap()) {
            if (holdsOverlongText(element))
                return true;
        }
        return false;
    default:
        return false;
    }
}
