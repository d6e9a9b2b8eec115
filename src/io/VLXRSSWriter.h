#pragma once

#include "xml/UTF8Writer.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

class VLXFeed;
class VLXImage;
class VLXItems;

// Writes the feed held in memory as an RSS 2.0 document: string building with fixed
// indentation, never through an XML library, so the layout is exactly ours. Everything is
// appended to one UTF-8 buffer (UTF8Writer) whose capacity is reserved up front; values are
// escaped and encoded straight into it instead of through temporaries, and the extensions append
// to the same buffer.
//
// The text escapers follow VLXLogic's (encodeSpecialXMLChars, encodeDescriptionWithBestEncoding,
// createSafeLink) and read the apostrophe setting once per writer. Attribute values are always
// escaped so that whatever the reader decoded reads back the same. Characters XML cannot carry
// are left out as the text is encoded.
class VLXRSSWriter
{
public:
    // Reads the apostrophe setting now.
    VLXRSSWriter();
    explicit VLXRSSWriter(bool encodeApos) : m_apos(encodeApos) { }

    // The whole document as UTF-8. Items: see itemPositions().
    QByteArray document(const VLXFeed &feed, bool noFuture, bool limitItems, int limitNumber) const;
    // The positions of the items written, in writing order: with noFuture only items not dated
    // after today; with limitItems the first n, or for negative n the last |n| last first; a
    // limit of 0 means no limit.
    static std::vector<int> itemPositions(const VLXFeed &feed, bool noFuture, bool limitItems,
                                          int limitNumber);

    // The image element with its lines indented by prefix, or nothing when the image is empty.
    void appendImage(UTF8Writer &out, const VLXImage &image, const QString &prefix) const;
    // The children of one item, each line starting with prefix.
    void appendItem(UTF8Writer &out, const VLXItems &item, const QString &prefix,
                    bool withExtensions) const;

    // "Vellumcast Mac v<very short version> (<version>); <web address>".
    static QString generatorText();

    // --- Escapers, appending to out ---
    // "&", "<", ">", '"' and (with the setting) "'" as entities.
    void appendEscaped(UTF8Writer &out, QStringView text) const;
    // As appendEscaped while that takes at most 20 replacements, else a CDATA section (a "]]>"
    // inside split across two sections).
    void appendBest(UTF8Writer &out, QStringView text) const;
    // The same bytes for a text held as valid UTF-8, written from its bytes.
    void appendBest(UTF8Writer &out, QByteArrayView utf8) const;
    // A safe link (VLXLogic::createSafeLink), with "<", ">" and '"' also escaped: links outside
    // Latin-1 are not percent-escaped and must not break the markup.
    static void appendSafeLink(UTF8Writer &out, QStringView link);
    // Whether the link's safe link is the link itself: URL characters only, no ampersand.
    static bool isPlainLink(QStringView link);

private:
    bool m_apos = false;
};
