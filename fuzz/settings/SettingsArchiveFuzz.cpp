// Settings files and keyed archives may be damaged or hand-made: parsing them must never crash,
// and lists that nest too deeply or expand too far must be refused quickly. The corpus holds
// ordinary files and such bombs; new finds go to a folder of their own:
//   build-fuzz/fuzz/settings/fuzz_settings_archives -max_len=8192 found fuzz/settings/corpus
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Keep the registered classes linked in.
    static const bool classes
        = !categoryElement::kClassName.isEmpty() && !VLXSite::kDotMacService.isEmpty();
    (void)classes;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    bool ok = false;
    const QVariant value = PropertyList::parse(bytes, &ok);
    if (ok) {
        // Whatever parsed must serialise again, as the program writes it: settings as XML,
        // archives (held to their own, tighter limits) as binary.
        PropertyList::serialize(value, PropertyList::Format::Xml);
        PropertyList::parse(bytes, KeyedUnarchiver::kArchiveLimits, &ok);
        if (ok)
            PropertyList::serialize(value, PropertyList::Format::Binary);
    }
    const QVariant decoded = KeyedUnarchiver::unarchiveObjectWithData(bytes);
    if (decoded.isValid())
        KeyedArchiver::archivedDataWithRootObject(decoded);
    return 0;
}
