#include "model/FeedElement.h"
#include "model/VLXLogic.h"

#include <QString>
#include <cstddef>
#include <cstdint>

// Feeds arbitrary text through the date readers and repairs, the escapers, the reference
// decoder, the link helpers and the pretty-printer: none may crash, hang or read out of bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    FeedElement owner;
    VLXLogic::InternetDateTime(text);
    VLXLogic::RDFInternetDateTime(text);
    VLXLogic::convertValidDateToRFC822(text);
    VLXLogic::FixInternetDateTime(text, true, &owner);
    VLXLogic::FixRDFInternetDateTime(text, false, &owner);
    VLXLogic::encodeDescriptionWithBestEncoding(text);
    VLXLogic::decodeNumericEncodedCharacters(text);
    VLXLogic::checkURL(text);
    VLXLogic::createSafeLink(text);
    VLXLogic::convertStringToHHMMSS(text);
    VLXLogic::formatXML(text);
    VLXLogic::stripHTML(text);
    return 0;
}
