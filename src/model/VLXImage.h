#pragma once

#include "model/FieldRule.h"
#include "model/MessageGroup.h"
#include "model/TitledElement.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

class TemplateValues;
class VLXFeed;
class extensionManagerImage;
class QObject;

// The channel's image element: title, description, link, image URL and size, the XML comments
// kept inside it, its own namespace extensions and when the image file was last uploaded. An
// image whose six content fields are all empty is not used and is not checked for completeness.
class VLXImage : public TitledElement
{
public:
    VLXImage();
    // A deep copy: messages and counters kept, nothing shared.
    VLXImage(const VLXImage &other);
    VLXImage &operator=(const VLXImage &) = delete;
    ~VLXImage() override;

    std::unique_ptr<FeedElement> clone() const override;
    std::unique_ptr<VLXImage> copy() const { return std::make_unique<VLXImage>(*this); }

    // Title, description, link and XML comments: see TitledElement.
    const QString &URL() const { return m_URL; }
    void setURL(const QString &value) { m_URL = value; }
    const QString &oldURL() const { return m_oldURL; }
    void setOldURL(const QString &value) { m_oldURL = value; }
    const QString &imageFilename() const { return m_imageFilename; }
    void setImageFilename(const QString &value) { m_imageFilename = value; }
    const QString &width() const { return m_width; }
    void setWidth(const QString &value) { m_width = value; }
    const QString &height() const { return m_height; }
    void setHeight(const QString &value) { m_height = value; }

    extensionManagerImage *XMLExtensions() const { return m_XMLExtensions.get(); }
    void setXMLExtensions(const extensionManagerImage &manager);

    // --- Per-field rules ---------------------------------------------------------------------
    static bool validateTitle(const QString &value, const QString &feedTitle, VLXError *error);
    static bool validateLink(const QString &value, const QString &feedLink, VLXError *error);
    static bool validateURL(const QString &value, VLXError *error);
    static bool validateWidth(const QString &value, VLXError *error);
    static bool validateHeight(const QString &value, VLXError *error);

    VLX_FIELD_RULE_TRIO(URL)
    VLX_FIELD_RULE_TRIO(Width)
    VLX_FIELD_RULE_TRIO(Height)
    void validateAndLogTitle(const QString &value, const QString &feedTitle);
    void validateAndLogLink(const QString &value, const QString &feedLink);
    static bool validateAndInformTitle(const QString &value, const QString &feedTitle,
                                       QObject *interface);
    static bool validateAndInformLink(const QString &value, const QString &feedLink,
                                      QObject *interface);

    // --- Whole-image operations ----------------------------------------------------------------
    // Fields from the all-feeds image settings (non-empty values only).
    void populateWithDefaults();
    // Fills an empty title and description from Dublin Core after reading.
    void finalProcessing(VLXFeed *feed);
    void validate(VLXFeed *feed);
    void preferencesChanged();

    int parseXMLErrorCount() const;
    int parseXMLWarnCount() const;
    int parseXMLRepairCount() const;
    QList<MessageGroup> parseXMLErrorList(bool includeErrors, bool includeWarn,
                                          bool includeRepair) const;
    void clearParseXMLErrorList();

    // The image element with its comments and fields, each line starting with the prefix; ""
    // when the image has nothing to write.
    QString buildXML(const QString &prefix) const;

    // --- Template exports (io/VLXImage+Export.cpp) ---------------------------------------------
    // Gathers the values of the image placeholders, then its extensions'.
    void actuallyBuildExport(TemplateValues &values) const;

private:
    QString m_URL;
    QString m_oldURL;
    QString m_imageFilename;
    QString m_width;
    QString m_height;
    std::unique_ptr<extensionManagerImage> m_XMLExtensions;
};
