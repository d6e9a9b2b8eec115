#pragma once

#include "extensions/FieldExtension.h"
#include "model/extensionNSChannel.h"

// How often the channel is updated: the period (one of five words), the number of updates in a
// period and the date periods are counted from. A period or frequency a document holds that is
// not valid is refused while reading; a missing base is warned about.
class syChannel : public FieldExtension<extensionNSChannel>
{
public:
    enum Field : int { kPeriod, kFrequency, kBase };

    syChannel();

    static const ExtensionDescriptor &classDescriptor();

    QString updatePeriod() const { return text(kPeriod); }
    void setUpdatePeriod(const QString &value) { setText(kPeriod, value); }
    QString updateFrequency() const { return text(kFrequency); }
    void setUpdateFrequency(const QString &value) { setText(kFrequency, value); }
    QString updateBase() const { return text(kBase); }
    void setUpdateBase(const QString &value) { setText(kBase, value); }

    // "hourly", "daily", "weekly", "monthly", "yearly", then nullptr.
    static const char *const kPeriods[];

    // Blank, or nothing but the digits 0 to 9.
    static bool validateUpdateFrequency(const QString &value, VLXError *error);
    void validateAndLogUpdateFrequency(const QString &value);
    static bool validateAndInformUpdateFrequency(const QString &value, QObject *interface);

    // Element names in lower case, whatever case the element table writes them in.
    void setExtensionProcessingName(const QString &name) override;

    // The base brought to the W3C form; without a base, a warning.
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;

    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

    // A date typed into the base field, repaired to the W3C form with an alert.
    static bool repairTypedBase(QString &value, QObject *interface);

protected:
    syChannel(const syChannel &) = default;
    extensionNSRaw *newCopy() const override { return new syChannel(*this); }
    // The period and the frequency are refused while reading when they are not valid; a repeat
    // of one held already is kept beside it.
    void parseCustom(int field, const vlxXMLNode *node) override;
};
