#pragma once

#include "model/FeedElement.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The fields the channel, its image and its items all carry under the same names: title,
// description and link, the XML comments kept inside the element, and when what the element
// publishes (the feed file, the image file, the item's enclosure) was last uploaded. A new
// element holds "" in each text field, never a null text, and "never" as its upload date.
class TitledElement : public FeedElement
{
public:
    const QString &title() const { return m_title; }
    void setTitle(const QString &value) { m_title = value; }
    // The description. An item read from a document may hold it as the document's UTF-8 bytes
    // (see VLXItems::holdDescriptionUTF8): the text is then made each time it is asked for, and
    // the readers that run over every item use the bytes instead.
    QString descriptionElement() const
    {
        return m_descriptionUTF8.isNull() ? m_description : QString::fromUtf8(m_descriptionUTF8);
    }
    void setDescriptionElement(const QString &value)
    {
        m_description = value;
        m_descriptionUTF8 = QByteArray();
    }
    bool descriptionIsEmpty() const
    {
        return m_descriptionUTF8.isNull() ? m_description.isEmpty() : m_descriptionUTF8.isEmpty();
    }
    // The description as UTF-8 when it is held so, else a null view.
    QByteArrayView descriptionUTF8() const
    {
        return m_descriptionUTF8.isNull() ? QByteArrayView() : QByteArrayView(m_descriptionUTF8);
    }
    // Its length in UTF-16 units, or in bytes when held as UTF-8 (a size for buffers).
    qsizetype descriptionSizeHint() const
    {
        return m_descriptionUTF8.isNull() ? m_description.size() : m_descriptionUTF8.size();
    }
    const QString &link() const { return m_link; }
    void setLink(const QString &value) { m_link = value; }

    const QStringList &XMLComments() const { return m_XMLComments; }
    void setXMLComments(const QStringList &list) { m_XMLComments = list; }
    // Appends every comment of the list (an empty list changes nothing).
    void addXMLComments(const QStringList &list) { m_XMLComments.append(list); }
    void replaceXMLComments(const QString &value, int index) { m_XMLComments[index] = value; }
    void removeXMLCommentsAtIndex(int index) { m_XMLComments.removeAt(index); }

    const QDateTime &lastUploaded() const { return m_lastUpload; }
    // An invalid date stores "never" (1970-01-01 00:00:00 UTC).
    void setLastUploaded(const QDateTime &value);
    static QDateTime neverUploaded();

protected:
    TitledElement();
    TitledElement(const TitledElement &other) = default;
    TitledElement &operator=(const TitledElement &) = delete;
    ~TitledElement() override = default;

    QString m_title;
    QString m_description; // the description while m_descriptionUTF8 is null
    // Valid UTF-8 without a byte order mark at its start, when the description is held so.
    QByteArray m_descriptionUTF8;
    QString m_link;
    QStringList m_XMLComments;
    QDateTime m_lastUpload;
};
