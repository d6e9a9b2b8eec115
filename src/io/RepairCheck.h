#pragma once

#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"

#include <QStringList>

#include <vector>

// Whether any of the repairs made before parsing would change a text, answered in one sweep over
// it without building anything, on the decoded text (UTF-16 units) or on a file's UTF-8 bytes.
// It finds what each repair looks for where the repair finds it: outside the parts KeptMarkup
// finds, and, for the re-escaping of tag values, from an opening tag to the first closing tag
// after it. As long as no repair changes anything, every later one sees the same text, so "no
// change anywhere" here means all of them can be skipped, and a large feed that needs none
// costs one walk over its characters. A stopped `stop` answers true: the caller, told to stop,
// reads nothing.
class RepairCheck
{
public:
    RepairCheck() = delete;

    template<typename Char>
    static bool textNeedsRepair(const Char *data, qsizetype n, const QStringList &tags,
                                StopCheck *stop = nullptr)
    {
        using Scan = FeedTextScan;
        using Kept = KeptMarkup<Char>;
        struct TagState
        {
            QString open;
            QString name;
            char16_t initial; // the tag's first letter, lower case
            qsizetype valueStart = -1; // inside a value: where it starts
            qsizetype partsBefore = 0; // the parts passed when the value started
            qsizetype sectionsBefore = 0; // the CDATA sections among them
        };
        std::vector<TagState> states;
        for (const QString &tag : tags) {
            states.push_back({u'<' + tag + u'>', tag,
                              Scan::asciiLower(tag.isEmpty() ? u'\0' : tag.front().unicode())});
        }
        Kept kept(data, n, Kept::Scope::Document, stop);
        // Whether a " >" ends a tag. Every "<" outside the kept parts is visited here, and it
        // alone opens a tag or ends the one before it, so the characters of a tag (the quotes of
        // its values, a ">" that ends it) are walked only when a " >" comes, from `taken`, where
        // the last walk or "<" left off: most tags hold no " >", and their characters go unread.
        Scan::OpenTag tag;
        qsizetype taken = 0;
        for (qsizetype p = Scan::nextMarkupCharacter(data, 0, n); p < n;
             p = Scan::nextMarkupCharacter(data, p + 1, n)) {
            if (!StopCheck::goOn(stop))
                return true;
            const typename Kept::Part &part = kept.after(p);
            if (part.start <= p) {
                p = part.end - 1;
                tag = {};
                taken = part.end;
                continue;
            }
            const char16_t c = Scan::unit(data[p]);
            if (c == '&') {
                if (Scan::startsWithAt(data, n, p, QLatin1StringView("&amp;apos;")))
                    return true;
            } else if (c == '>') {
                if (p == 0 || Scan::unit(data[p - 1]) != ' ')
                    continue;
                // Past a ">" that closed the tag nothing changes before the next "<".
                for (; tag.open && taken < p; ++taken)
                    tag.take(Scan::unit(data[taken]));
                if (tag.endsHere())
                    return true;
                // This ">" is text or in a quoted value, and taking it changes nothing.
                taken = p + 1;
            } else if (c == '<') {
                tag.take(c, Scan::startsTagAt(data, n, p));
                taken = p + 1;
                if (p + 1 < n && Scan::unit(data[p + 1]) == ' ')
                    return true;
                const bool closing = p + 1 < n && Scan::unit(data[p + 1]) == '/';
                if (closing && Scan::startsWithAt(data, n, p, QLatin1StringView("</xml>")))
                    return true;
                // The letter a tag name must start with here: most tags are none of the watched.
                const qsizetype nameAt = p + (closing ? 2 : 1);
                const char16_t initial
                    = nameAt < n ? Scan::asciiLower(Scan::unit(data[nameAt])) : u'\0';
                for (TagState &state : states) {
                    if (state.initial != initial)
                        continue;
                    if (state.valueStart >= 0) {
                        if (!closing || Scan::closingTagEnd(data, n, p, state.name) < 0)
                            continue;
                        if (valueChanges(data, state.valueStart, p, stop,
                                         kept.passed() - state.partsBefore,
                                         kept.passed(Kept::Kind::CData) - state.sectionsBefore))
                            return true;
                        state.valueStart = -1;
                    } else if (!closing && Scan::matchesAsciiCI(data, n, p, state.open)) {
                        state.valueStart = p + state.open.size();
                        state.partsBefore = kept.passed();
                        state.sectionsBefore = kept.passed(Kept::Kind::CData);
                    }
                }
            }
        }
        return false;
    }

private:
    // Whether the re-escaping changes the value from `start` to `end` that holds `parts` parts,
    // `sections` of them CDATA sections. A value holding a CDATA section is left alone, unless a
    // tag beside it may put the value's end in doubt ("<title><![CDATA[x]]><title>a & b</title>"):
    // the repair then looks for values from that tag on, which this sweep does not follow, so
    // it answers that a repair may apply. One holding comments or instructions is escaped a
    // stretch between them at a time.
    template<typename Char>
    static bool valueChanges(const Char *data, qsizetype start, qsizetype end, StopCheck *stop,
                             qsizetype parts, qsizetype sections)
    {
        if (parts == 0)
            return FeedTextScan::valueNeedsEscaping(data + start, end - start);
        bool changes = false;
        KeptMarkup<Char>(data + start, end - start, KeptMarkup<Char>::Scope::Content, stop)
            .walk(
                [&](qsizetype from, qsizetype to) {
                    const Char *stretch = data + start + from;
                    if (sections == 0) {
                        changes = changes || FeedTextScan::valueNeedsEscaping(stretch, to - from);
                        return;
                    }
                    for (qsizetype lt = FeedTextScan::indexOf(stretch, to - from, u'<', 0);
                         lt >= 0 && !changes;
                         lt = FeedTextScan::indexOf(stretch, to - from, u'<', lt + 1))
                        changes = FeedTextScan::startsTagAt(stretch, to - from, lt);
                },
                [](const auto &) {});
        return changes;
    }
};
