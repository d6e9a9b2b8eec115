#include "common/TwinFeed.h"

#include <QStringList>

namespace {

const char *kRDF = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
const QString kDeclarations
    = QStringLiteral(" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
                     " xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"");

// Writes the feed's tags, numbering them as they come.
class Writer
{
public:
    explicit Writer(const std::function<bool(int)> &spaced) : m_spaced(spaced) { }

    void line(const QString &text) { m_lines << text; }
    QString start(const QString &name, const QString &attributes = {}, bool empty = false)
    {
        return open() + name + attributes + (empty ? QStringLiteral("/>") : QStringLiteral(">"));
    }
    QString end(const QString &name) { return open() + u'/' + name + u'>'; }
    void field(const TwinFeed::Field &field)
    {
        m_written = field.written;
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
    int count() const { return m_count; }
    QByteArray bytes() const { return m_lines.join(u'\n').toUtf8() + '\n'; }

private:
    QString open()
    {
        return m_spaced(m_count++) && !m_written ? QStringLiteral("< ") : QStringLiteral("<");
    }

    const std::function<bool(int)> &m_spaced;
    int m_count = 0;
    bool m_written = false; // the field being written keeps its tags written
    QStringList m_lines;
};

void writeFeed(const TwinFeed &feed, Writer &out)
{
    out.line(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    const auto fields = [&](const QList<TwinFeed::Field> &list) {
        for (const TwinFeed::Field &field : list)
            out.field(field);
    };
    switch (feed.format) {
    case TwinFeed::Format::RSS20:
        out.line(out.start(QStringLiteral("rss"), u" version=\"2.0\""_qs + kDeclarations));
        out.line(out.start(QStringLiteral("channel")));
        fields(feed.channel);
        for (const QList<TwinFeed::Field> &item : feed.items) {
            out.line(out.start(QStringLiteral("item")));
            fields(item);
            out.line(out.end(QStringLiteral("item")));
        }
        out.line(out.end(QStringLiteral("channel")));
        out.line(out.end(QStringLiteral("rss")));
        break;
    case TwinFeed::Format::RSS10: {
        out.line(out.start(QStringLiteral("rdf:RDF"),
                           QStringLiteral(" xmlns:rdf=\"%1\" xmlns=\"http://purl.org/rss/1.0/\"")
                                   .arg(QLatin1String(kRDF))
                               + kDeclarations));
        out.line(out.start(QStringLiteral("channel"),
                           QStringLiteral(" rdf:about=\"https://example.org/\"")));
        fields(feed.channel);
        out.line(out.end(QStringLiteral("channel")));
        int n = 0;
        for (const QList<TwinFeed::Field> &item : feed.items) {
            out.line(out.start(QStringLiteral("item"),
                               QStringLiteral(" rdf:about=\"https://example.org/%1\"").arg(++n)));
            fields(item);
            out.line(out.end(QStringLiteral("item")));
        }
        out.line(out.end(QStringLiteral("rdf:RDF")));
        break;
    }
    case TwinFeed::Format::Atom:
        out.line(out.start(QStringLiteral("feed"),
                           u" xmlns=\"http://www.w3.org/2005/Atom\""_qs + kDeclarations));
        fields(feed.channel);
        for (const QList<TwinFeed::Field> &item : feed.items) {
            out.line(out.start(QStringLiteral("entry")));
            fields(item);
            out.line(out.end(QStringLiteral("entry")));
        }
        out.line(out.end(QStringLiteral("feed")));
        break;
    }
}

} // namespace

const char *TwinFeed::nameOf(Format format)
{
    switch (format) {
    case Format::RSS20:
        return "RSS 2.0";
    case Format::RSS10:
        return "RSS 1.0";
    case Format::Atom:
        return "Atom";
    }
    return "";
}

int TwinFeed::tagCount() const
{
    const std::function<bool(int)> none = [](int) { return false; };
    Writer out(none);
    writeFeed(*this, out);
    return out.count();
}

QByteArray TwinFeed::text(const std::function<bool(int)> &spaced) const
{
    Writer out(spaced);
    writeFeed(*this, out);
    return out.bytes();
}
