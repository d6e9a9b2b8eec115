#include "common/TwinFeed.h"

#include <QStringList>

namespace {

const QString kDeclarations
    = QStringLiteral(" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
                     " xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"");

// Writes the feed's tags, numbering them as they come.
class Writer
{
public:
    Writer(const std::function<bool(int)> &spaced, bool faultsWritten)
        : m_spaced(spaced), m_faultsWritten(faultsWritten)
    {
    }

    void line(const QString &text) { m_lines << text; }
    QString start(const QString &name, const QString &attributes = {}, bool empty = false)
    {
        return open() + name + attributes + (empty ? QStringLiteral("/>") : QStringLiteral(">"));
    }
    QString end(const QString &name) { return open() + u'/' + name + u'>'; }
    void field(const TwinFeed::Field &field)
    {
        m_written = m_faultsWritten && field.fault != TwinFeed::Fault::None;
        if (field.value.isNull()) {
            line(start(field.name, field.attributes, true));
            return;
        }
        QString text = start(field.name, field.attributes) + field.value;
        if (field.fault == TwinFeed::Fault::Misspelt) {
            QString misspelt = field.name;
            std::swap(misspelt[misspelt.size() - 1], misspelt[misspelt.size() - 2]);
            text += end(misspelt);
        } else if (field.fault == TwinFeed::Fault::None) {
            text += end(field.name);
        }
        line(text);
        m_written = false;
    }
    QByteArray bytes() const { return m_lines.join(u'\n').toUtf8() + '\n'; }

private:
    QString open()
    {
        return m_spaced(m_count++) && !m_written ? QStringLiteral("< ") : QStringLiteral("<");
    }

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
    const auto fields = [&](const QList<TwinFeed::Field> &list) {
        for (const TwinFeed::Field &field : list)
            out.field(field);
    };
    const bool channel = !frame.channel.isEmpty();
    out.line(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    out.line(out.start(frame.root, frame.rootAttributes + kDeclarations));
    if (channel)
        out.line(out.start(frame.channel, frame.channelAttributes));
    fields(feed.channel);
    if (channel && !frame.channelHoldsItems)
        out.line(out.end(frame.channel));
    for (qsizetype n = 0; n < feed.items.size(); ++n) {
        const QString about = u" rdf:about=\"https://example.org/%1\""_qs.arg(n + 1);
        out.line(out.start(frame.item, frame.itemsAbout ? about : QString()));
        fields(feed.items[n]);
        out.line(out.end(frame.item));
    }
    if (channel && frame.channelHoldsItems)
        out.line(out.end(frame.channel));
    out.line(out.end(frame.root));
}

} // namespace

const char *TwinFeed::nameOf(Format format)
{
    return frameOf(format).name;
}

QByteArray TwinFeed::text(const std::function<bool(int)> &spaced, bool faultsWritten) const
{
    Writer out(spaced, faultsWritten);
    writeFeed(*this, out);
    return out.bytes();
}
