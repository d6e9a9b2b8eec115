#pragma once

#include <QString>
#include <QStringView>

class VLXFeed;
class VLXImage;
class VLXItems;

// Writes the feed held in memory as an RSS 2.0 document: string building with fixed
// indentation, never through an XML library, so the layout is exactly ours. Everything is
// appended to one growing string whose capacity is reserved up front; values are escaped
// straight into it instead of through temporaries.
//
// The text escapers follow VLXLogic's (encodeSpecialXMLChars, encodeDescriptionWithBestEncoding,
// createSafeLink) and read the apostrophe setting once per writer. Attribute values are always
// escaped so that whatever the reader decoded reads back the same.
class VLXRSSWriter
{
public:
    // Reads the apostrophe setting now.
    VLXRSSWriter();
    explicit VLXRSSWriter(bool encodeApos) : m_apos(encodeApos) { }

    // The whole document. Items: see itemPositions().
    QString document(const VLXFeed &feed, bool noFuture, bool limitItems, int limitNumber) const;
    // The positions of the items written, in writing order: with noFuture only items not dated
    // after today; with limitItems the first n, or for negative n the last |n| last first; a
    // limit of 0 means no limit.
    static std::vector<int> itemPositions(const VLXFeed &feed, bool noFuture, bool limitItems,
                                          int limitNumber);

    // The image element with its lines indented by prefix, or nothing when the image is empty.
    void appendImage(QString &out, const VLXImage &image, const QString &prefix) const;
    // The children of one item, each line starting with prefix.
    void appendItem(QString &out, const VLXItems &item, const QString &prefix,
                    bool withExtensions) const;

    // Removes every character XML 1.0 cannot carry, not even as a reference: C0 controls other
    // than tab, line feed and carriage return, U+FFFE, U+FFFF and unpaired surrogates. They are
    // invisible, and one of them would make the saved feed unreadable.
    static void removeCharactersXMLCannotHold(QString &text);

    // "Vellumcast Mac v<very short version> (<version>); <web address>".
    static QString generatorText();

    // --- Escapers, appending to out ---
    // "&", "<", ">", '"' and (with the setting) "'" as entities.
    void appendEscaped(QString &out, QStringView text) const;
    // As appendEscaped while that takes at most 20 replacements, else a CDATA section (a "]]>"
    // inside split across two sections).
    void appendBest(QString &out, QStringView text) const;
    // A safe link (VLXLogic::createSafeLink), with "<", ">" and '"' also escaped: links outside
    // Latin-1 are not percent-escaped and must not break the markup.
    static void appendSafeLink(QString &out, const QString &link);

private:
    bool m_apos = false;
};
