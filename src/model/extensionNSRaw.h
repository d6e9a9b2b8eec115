#pragma once

#include "model/MessageGroup.h"
#include "model/extensionNSName.h"

#include <QObject>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class UTF8Writer;
class TemplateValues;
class VLXFeed;
class vlxXMLNode;

// The extension that keeps the elements of a namespace as raw XML text, and the protocol that
// every extension object answers: the managers send these operations to whatever extension they
// hold, and a concrete namespace class overrides the ones it needs. Concrete classes derive from
// a placement base (channel, item, image, preferences), never from this class directly.
//
// The raw text is kept pretty-printed and written back re-indented at four blanks a level. A
// pane that shows the text attaches through addChangeListener(); the model holds no widget.
class extensionNSRaw : public extensionNSName
{
public:
    // A match inside a field text; location kNotFound with length 0 means "nothing found yet".
    struct Range
    {
        qsizetype location;
        qsizetype length;
        bool operator==(const Range &) const = default;
    };
    static constexpr qsizetype kNotFound = 0x7fffffff;
    // Search options of the find operations (a bit set).
    enum SearchOption { CaseInsensitive = 1 };

    extensionNSRaw();
    // A new raw extension that takes the given identity's name, URI and flag (not its
    // processing name).
    explicit extensionNSRaw(const extensionNSName &identity);
    ~extensionNSRaw() override;

    // A copy owns its own text and search state and has no listeners. Subclasses provide
    // newCopy(); both forms finish the copy with copyIdentityFrom().
    std::shared_ptr<extensionNSRaw> copyExtension() const;
    std::unique_ptr<FeedElement> clone() const override;

    virtual void deactivate() { }
    void encodeWithCoder(QVariantMap &coder) const override;
    void initWithCoder(const QVariantMap &coder) override;

    // The prefix in double quotes; concrete classes answer their display name.
    virtual QString displayName() const;

    const QString &rawXML() const { return m_rawXMLString; }
    void setRawXML(const QString &text);
    void addRawXMLString(const QString &text);
    // Gives back the room that appending left behind the kept text. Text grows element by
    // element while a feed is read and then mostly stays as it is.
    void releaseSpareCapacity();

    bool replaceDone() const { return m_replaceResult; }

    // Keeps an element (comments and whitespace are ignored) as pretty-printed text appended to
    // what is held. Answers the parse result code, always 0.
    virtual int parseXMLNodeIfMine(const vlxXMLNode *node);
    // The kept text re-indented at the level of the prefix's length / 4, one line each; "" when
    // nothing is held.
    virtual QString buildXML(const QString &prefix) const;
    // The same appended to the document being written. Text kept as it was read is copied
    // with its lines indented, without being laid out again.
    virtual void appendXML(UTF8Writer &out, const QString &prefix) const;

    // A namespace class keeps here, as its text, the elements of its namespace it does not read
    // (a name it does not know, a repeat of one it holds once, a child it ignores), and writes
    // them after its own: a feed opened and saved loses nothing it held. They show nowhere.
    // Keeps one element (anything else is ignored) under the class's own prefix, extensionName(),
    // whatever prefix the document gave the namespace; what had to be left out is logged as a
    // repair on log.
    void keepUnreadElement(const vlxXMLNode *node, FeedElement &log);
    // Keeps an element the class wrote itself (one it read but cannot hold).
    void keepWrittenElement(const QString &xml);
    bool holdsKeptElements() const { return !m_rawXMLString.isEmpty(); }
    // The kept text at the indent, as buildXML() and appendXML() of a raw extension give it.
    QString keptXML(const QString &prefix) const;
    void appendKeptXML(UTF8Writer &out, const QString &prefix) const;

    int parseXMLErrorCount() const { return errorCount(); }
    int parseXMLWarnCount() const { return warnCount(); }
    int parseXMLRepairCount() const { return repairCount(); }
    QStringList parseXMLErrorList(bool includeErrors, bool includeWarn, bool includeRepair) const
    {
        return listOfErrors(includeErrors, includeWarn, includeRepair);
    }
    void clearParseXMLErrorList() { removeAllListOfErrors(); }
    // Asks the processor for the blocks beyond the object that its check reads (a class's
    // values, then, once those are at hand, their texts), ahead of a walk over many items; the
    // object itself must be asked for before.
    virtual void prefetchHeldData(bool texts) const { Q_UNUSED(texts); }

    // Editing a preferences twin registers no undo.
    virtual bool allowsUndo() const { return true; }
    // Defaults of the extension's place (the placement bases read them from the settings).
    virtual void populateWithDefaults(const QString &uniqueKey);
    virtual void finalProcessing(VLXFeed *feed);
    // The "User Defined" extension with text warns once per validation; nothing else reports.
    virtual void validate(VLXFeed *feed);
    virtual void preferencesChanged() { }
    // Gathers the values of the extension's export placeholders; it has none here.
    virtual void actuallyBuildExport(TemplateValues &values);
    virtual void updateStatusLine() { }
    // Help anchor of the raw-XML pane at this place ("" where it has none).
    virtual QString rawXMLHelpAnchor() const { return QString(); }

    // One find step. The tab arguments are the panes' tab views, passed through untouched so the
    // model needs no widget types. Raw text is never searched: this answers NO and clears the
    // replace-done flag.
    virtual bool replace(const QString &search, const std::optional<QString> &replacement,
                         bool thenSearch, int options, QObject *onTab, QObject *underTab,
                         int atIndex);
    // Replaces every match in the extension's fields; answers the count (0 here).
    virtual int replaceAll(const QString &search, const QString &replacement, int options);
    // Whether a find walk from the start would stop in one of the fields, without moving the
    // walk: asked of a copy here, so that any class that searches answers as its walk would; a
    // class with a faster way of knowing overrides it.
    virtual bool holds(const QString &search, int options) const;
    void resetSearch();
    // Searches a field's text from the end of the last match (or from the start); the result,
    // found or not, becomes the last match.
    Range searchField(const QString &fieldText, const QString &search, int options);
    Range lastFoundRange() const { return m_search ? m_search->lastFound : Range {kNotFound, 0}; }
    int searchFieldIndex() const { return m_search ? m_search->fieldIndex : 0; }
    int searchFieldSubindex() const { return m_search ? m_search->fieldSubindex : 0; }

    // The text pretty-printed for display; a text that does not parse as a fragment comes back
    // unchanged.
    static QString reformat(const QString &text);

    // Panes listen here for changes of the raw text. Answers an id for removeChangeListener().
    int addChangeListener(std::function<void()> listener);
    void removeChangeListener(int id);

    // The text of the first kept element with that local name, read straight from the kept text
    // when every element read so far was plain (see addParsedElement); "" when no such element is
    // kept. nullopt when the written XML has to be parsed to answer.
    std::optional<QString> plainChildText(const QString &local) const;

    static const QString kUserDefinedWarning;

    // The field text an element path of the namespace holds ("subtitle", "owner/email"), for
    // classes whose values are fields; nullopt for a class that keeps its elements as text.
    virtual std::optional<QString> elementText(const QString &path) const
    {
        Q_UNUSED(path);
        return std::nullopt;
    }

protected:
    // The generic body of the field-table classes keeps the search state and the listeners
    // of the object it makes up.
    friend class FieldExtensionBase;

    extensionNSRaw(const extensionNSRaw &other);
    // A new object of the same class made by its copy constructor.
    virtual extensionNSRaw *newCopy() const { return new extensionNSRaw(*this); }
    void setReplaceResult(bool done) { m_replaceResult = done; }
    void setSearchFieldIndex(int index) { search().fieldIndex = index; }
    void setSearchFieldSubindex(int index) { search().fieldSubindex = index; }
    void notifyChanged();
    // An element read from a document as the text to keep: XML that reads the same wherever the
    // feed writer puts it (KeptElementWriter, with this extension's own prefix as the one the
    // writer declares). Whatever had to be left out is logged as a repair.
    QString keptTextOfNode(const vlxXMLNode *node);
    // From now on, while the kept text grows only through addParsedElement(), plainChildText()
    // answers from the kept text.
    void startTrackingPlainElements();
    // The text kept for an element read from a document, and whether it is laid out so that it
    // is written at any level by indenting its lines (then the deepest level it indents at).
    struct KeptText
    {
        QString text;
        std::optional<int> indentableTo;
    };
    // An element's text with the document's own layout inside dropped and pretty-printed, so
    // that what is kept does not depend on how often the feed went through a save and reopen.
    static KeptText laidOut(const QString &elementText);
    // Keeps the (canonical) text of an element read from the document and notes whether it is
    // plain (see formOfElement).
    void addParsedElement(const KeptText &kept, bool plain);
    // What kind of element a node is, for keeping it:
    // - Plain: a name under the given prefix (the document's), no prefixed attributes, and
    //   either no content or one run of text without markup characters, line breaks,
    //   surrounding blanks or "CDATA". Written, such an element is <name attrs>text</name> or
    //   <name attrs/>, with no '<' or '>' but those of its tags.
    // - CDATA: under the given prefix, no prefixed attributes, and one CDATA section as its
    //   content.
    // - Other: anything else.
    enum class ElementForm { Other, Plain, CDATA };
    static ElementForm formOfElement(const vlxXMLNode *node, const QString &prefix);

private:
    static bool hasPlainNameAndAttributes(const vlxXMLNode *node, const QString &prefix);
    // The element as KeptElementWriter writes it for the own prefix (and the document's alias of
    // it), its omissions logged on log.
    static QString keptText(const vlxXMLNode *node, const QString &own, const QString &ownURI,
                            const QString &alias, FeedElement &log);

    // Where a find stands, and who listens. Few of a feed's many extensions are ever searched
    // or shown, so both live apart and are made on first use.
    struct SearchState
    {
        int fieldIndex = 0;
        int fieldSubindex = 0;
        Range lastFound {kNotFound, 0};
    };
    struct Listeners
    {
        QList<std::pair<int, std::function<void()>>> list;
        int nextId = 1;
    };
    SearchState &search();

    // How the kept text was laid out when it was read, while it is unchanged since: where each
    // element's text ends in it and the deepest level indented. Elements laid out at level 0
    // with no line break of their own come out at any level by indenting their lines, which is
    // exactly what buildXML() gives; anything else (or any later change) leaves this empty and
    // the text is laid out again when written.
    struct KeptLayout
    {
        std::vector<qsizetype> elementEnds;
        int highestLevel = 0;
    };
    void keepReadElement(const KeptText &kept);

    QString m_rawXMLString;
    std::unique_ptr<KeptLayout> m_keptLayout;
    std::unique_ptr<SearchState> m_search; // none: at the start, nothing found
    std::unique_ptr<Listeners> m_listeners;
    bool m_replaceResult = false;
    bool m_allElementsPlain = false;
};
