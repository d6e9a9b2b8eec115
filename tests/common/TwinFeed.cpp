#include "common/TwinFeed.h"

#include <QStringList>

namespace {

const QString kDeclarations
    = QStringLiteral(" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
                     " xmlns:content=\"http://purl.org/rss/1.0/modules/content/\""
                     " xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"");

// Writes the feed's tags, numbering them as they come.
class Writer
{
public:
    Writer(const TwinFeed &feed, const std::function<bool(int)> &spaced, bool faultsWritten)
        : m_feed(feed), m_spaced(spaced), m_faultsWritten(faultsWritten)
    {
    }

    void line(int depth, const QString &text) { m_lines << m_feed.indent.repeated(depth) + text; }
    QString start(const QString &name, const QString &attributes = {}, bool empty = false)
    {
        return open() + name + attributes + (empty ? QStringLiteral("/>") : QStringLiteral(">"));
    }
    QString end(const QString &name, const QString &word = {})
    {
        return open() + u'/' + name + word + u'>';
    }
    QString field(const TwinFeed::Field &field)
    {
        const bool around = m_written;
        m_written = around || (m_faultsWritten && field.fault != Fault::None);
        QString text;
        if (field.fault != Fault::EndAlone && field.value.isNull() && field.inner.empty()) {
            text = start(field.name, field.attributes, true);
        } else {
            if (field.fault != Fault::EndAlone)
                text = start(field.name, field.attributes) + field.value;
            for (const TwinFeed::Field &inner : field.inner)
                text += this->field(inner);
            text += endOf(field);
        }
        m_written = around;
        return text;
    }
    QByteArray bytes() const
    {
        return (m_lines.join(m_feed.lineEnd) + m_feed.lineEnd).toUtf8();
    }

private:
    using Fault = TwinFeed::Fault;

    // The end tag its fault leaves a field: none when it is left open.
    QString endOf(const TwinFeed::Field &field)
    {
        QString name = field.name;
        switch (field.fault) {
        case Fault::LeftOpen:
            return {};
        case Fault::Misspelt:
            std::swap(name[name.size() - 1], name[name.size() - 2]);
            return end(name);
        case Fault::WordInEnd:
            return end(name, QStringLiteral(" x"));
        case Fault::SpacedEnd:
            return QStringLiteral("< /") + name + u'>';
        default:
            return end(name);
        }
    }

    QString open()
    {
        return m_spaced(m_count++) && !m_written ? QStringLiteral("< ") : QStringLiteral("<");
    }

    const TwinFeed &m_feed;
    const std::function<bool(int)> &m_spaced;
    bool m_faultsWritten;
    int m_count = 0;
    bool m_written = false; // the field being written keeps its tags written
    QStringList m_lines;
};

// How a format wraps the channel's fields and the items.
struct Frame
{
    const char *name;
    QString root, rootAttributes;
    QString channel, channelAttributes; // no channel element: the root holds the fields
    bool channelHoldsItems;
    QString item;
    bool itemsAbout; // each item names its address (rdf:about)
};

const Frame &frameOf(TwinFeed::Format format)
{
    static const Frame frames[] = {
        {"RSS 2.0", u"rss"_qs, u" version=\"2.0\""_qs, u"channel"_qs, {}, true, u"item"_qs, false},
        {"RSS 1.0", u"rdf:RDF"_qs,
         u" xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         u"xmlns=\"http://purl.org/rss/1.0/\""_qs,
         u"channel"_qs, u" rdf:about=\"https://example.org/\""_qs, false, u"item"_qs, true},
        {"Atom",
         u"feed"_qs,
         u" xmlns=\"http://www.w3.org/2005/Atom\""_qs,
         {},
         {},
         false,
         u"entry"_qs,
         false},
    };
    return frames[int(format)];
}

void writeFeed(const TwinFeed &feed, Writer &out)
{
    const Frame &frame = frameOf(feed.format);
    const auto fields = [&](int depth, const QList<TwinFeed::Field> &list) {
        for (const TwinFeed::Field &field : list)
            out.line(depth, out.field(field));
    };
    const bool channel = !frame.channel.isEmpty();
    const int itemDepth = channel && frame.channelHoldsItems ? 2 : 1;
    out.line(0, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    out.line(0, out.start(frame.root, frame.rootAttributes + kDeclarations));
    if (channel)
        out.line(1, out.start(frame.channel, frame.channelAttributes));
    fields(channel ? 2 : 1, feed.channel);
    if (channel && !frame.channelHoldsItems)
        out.line(1, out.end(frame.channel));
    for (qsizetype n = 0; n < feed.items.size(); ++n) {
        const QString about = u" rdf:about=\"https://example.org/%1\""_qs.arg(n + 1);
        out.line(itemDepth, out.start(frame.item, frame.itemsAbout ? about : QString()));
        fields(itemDepth + 1, feed.items[n]);
        out.line(itemDepth, out.end(frame.item));
    }
    if (channel && frame.channelHoldsItems)
        out.line(1, out.end(frame.channel));
    out.line(0, out.end(frame.root));
}

} // namespace

const char *TwinFeed::nameOf(Format format)
{
    return frameOf(format).name;
}

QByteArray TwinFeed::text(const std::function<bool(int)> &spaced, bool faultsWritten) const
{
    Writer out(*this, spaced, faultsWritten);
    writeFeed(*this, out);
    return out.bytes();
}
