#include "platform/PropertyListGuard.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Limits = PropertyListGuard::Limits;

QString tooDeep(const Limits &limits)
{
    return QStringLiteral("it nests deeper than %1 levels").arg(limits.maxDepth);
}

QString tooMany(const Limits &limits)
{
    return QStringLiteral("it holds more than %1 values").arg(limits.maxObjects);
}

QString tooBig(const Limits &limits)
{
    return QStringLiteral("its values hold more than %1 MB")
        .arg(limits.maxExpandedBytes / (1024 * 1024));
}

bool refuse(QString *problem, const QString &why)
{
    if (problem)
        *problem = why;
    return false;
}

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// A binary property list read through its trailer and offset table. Every object is measured
// once (values, payload bytes, height of the tree below it) and the measures of shared children
// are added up, so the expanded size is known in time linear in the file.
class BinaryWalker
{
public:
    BinaryWalker(const QByteArray &bytes, const Limits &limits)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())),
          m_size(quint64(bytes.size())), m_limits(limits)
    {
    }

    bool run(QString *problem)
    {
        if (!readTrailer())
            return malformed(problem);
        return checkObjects(problem) && walk(problem);
    }

private:
    struct Object
    {
        bool container = false;
        quint64 refs = 0;  // where the child references start
        quint64 count = 0; // how many references follow
        qint64 payload = 0;
    };

    struct Measure
    {
        qint64 values = 0;
        qint64 bytes = 0;
        int height = 0;
    };

    struct Frame
    {
        quint64 object;
        Object shape;
        quint64 next;
        Measure sum;
    };

    enum State : quint8 { Unvisited, OnPath, Done };

    static bool malformed(QString *problem)
    {
        return refuse(problem, QStringLiteral("it is not a well-formed binary property list"));
    }

    bool readTrailer()
    {
        if (m_size < 8 + 32)
            return false;
        const uchar *trailer = m_data + m_size - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objects = readBigEndian(trailer + 8, 8);
        m_top = readBigEndian(trailer + 16, 8);
        m_table = readBigEndian(trailer + 24, 8);
        return m_offsetSize >= 1 && m_offsetSize <= 8 && m_refSize >= 1 && m_refSize <= 8
            && m_objects > 0 && m_objects <= m_size && m_top < m_objects && m_table >= 8
            && m_table < m_size - 32 && m_objects <= (m_size - 32 - m_table) / m_offsetSize;
    }

    quint64 offsetOf(quint64 index) const
    {
        return readBigEndian(m_data + m_table + index * m_offsetSize, m_offsetSize);
    }

    // The length in the marker's low nibble, or the integer object after it when the nibble
    // is 0xF. *start is moved past the length.
    bool readLength(quint64 *start, quint64 *length) const
    {
        const uchar marker = m_data[*start];
        *length = marker & 0x0F;
        ++*start;
        if (*length != 0x0F)
            return true;
        if (*start >= m_table || (m_data[*start] >> 4) != 0x1)
            return false;
        const int size = 1 << (m_data[*start] & 0x0F);
        if (size > 8 || *start + 1 + size > m_table)
            return false;
        *length = readBigEndian(m_data + *start + 1, size);
        *start += 1 + size;
        return true;
    }

    bool describe(quint64 index, Object *object) const
    {
        quint64 start = offsetOf(index);
        const int type = m_data[start] >> 4;
        const int low = m_data[start] & 0x0F;
        switch (type) {
        case 0x1: // integer, real, date: 2^n bytes
        case 0x2:
        case 0x3:
            object->payload = 8;
            return low <= 4 && start + 1 + (quint64(1) << low) <= m_table;
        case 0x4: // data, ASCII, UTF-16 and UTF-8 strings
        case 0x5:
        case 0x6:
        case 0x7: {
            quint64 length = 0;
            if (!readLength(&start, &length))
                return false;
            const quint64 unit = type == 0x6 ? 2 : 1;
            if (length > (m_table - start) / unit)
                return false;
            object->payload = qint64(length * unit);
            return true;
        }
        case 0x8: // uid
            object->payload = 8;
            return start + 2 + quint64(low) <= m_table;
        case 0xA: // array, ordered set, set; a dictionary has keys and values
        case 0xB:
        case 0xC:
        case 0xD: {
            quint64 count = 0;
            if (!readLength(&start, &count))
                return false;
            const quint64 perEntry = type == 0xD ? 2 : 1;
            if (count > (m_table - start) / (m_refSize * perEntry))
                return false;
            object->container = true;
            object->refs = start;
            object->count = count * perEntry;
            return true;
        }
        default: // null, booleans, fill, and kinds libplist turns away itself
            return true;
        }
    }

    // Offsets inside the object area, and no NUL in any string: libplist aborts the process on
    // a string with an embedded NUL.
    bool checkObjects(QString *problem) const
    {
        if (qint64(m_objects) > m_limits.maxObjects)
            return refuse(problem, tooMany(m_limits));
        for (quint64 i = 0; i < m_objects; ++i) {
            const quint64 offset = offsetOf(i);
            if (offset < 8 || offset >= m_table)
                return malformed(problem);
            const int type = m_data[offset] >> 4;
            if (type < 0x5 || type > 0x7)
                continue;
            quint64 start = offset;
            quint64 length = 0;
            const quint64 unit = type == 0x6 ? 2 : 1;
            if (!readLength(&start, &length) || length > (m_table - start) / unit)
                return malformed(problem);
            for (quint64 j = 0; j < length; ++j) {
                const uchar *c = m_data + start + j * unit;
                if (c[0] == 0 && (unit == 1 || c[1] == 0))
                    return refuse(problem, QStringLiteral("it holds a text with a NUL character"));
            }
        }
        return true;
    }

    static void add(Measure *sum, const Measure &child)
    {
        sum->values += child.values;
        sum->bytes += child.bytes;
        sum->height = std::max(sum->height, child.height);
    }

    bool withinLimits(const Measure &measure, QString *problem) const
    {
        if (measure.values > m_limits.maxObjects)
            return refuse(problem, tooMany(m_limits));
        if (measure.bytes > m_limits.maxExpandedBytes)
            return refuse(problem, tooBig(m_limits));
        return true;
    }

    // Depth-first from the top object without recursion. An object met again while it is on
    // the current path contains itself; one met again after it was measured is shared and adds
    // its measure once more, as libplist would copy it.
    bool walk(QString *problem)
    {
        std::vector<State> state(m_objects, Unvisited);
        std::vector<Measure> measures(m_objects);
        std::vector<Frame> path;
        path.reserve(std::size_t(m_limits.maxDepth));
        Measure total;
        auto enter = [&](quint64 index, Measure *into) {
            Object shape;
            if (!describe(index, &shape))
                return malformed(problem);
            if (int(path.size()) >= m_limits.maxDepth)
                return refuse(problem, tooDeep(m_limits));
            if (!shape.container) {
                measures[index] = {1, shape.payload, 1};
                state[index] = Done;
                add(into, measures[index]);
                return withinLimits(*into, problem);
            }
            state[index] = OnPath;
            path.push_back({index, shape, 0, {}});
            return true;
        };
        if (!enter(m_top, &total))
            return false;
        while (!path.empty()) {
            Frame &frame = path.back();
            if (frame.next < frame.shape.count) {
                const quint64 child = readBigEndian(
                    m_data + frame.shape.refs + frame.next * m_refSize, m_refSize);
                ++frame.next;
                if (child >= m_objects)
                    return malformed(problem);
                if (state[child] == OnPath)
                    return refuse(problem, QStringLiteral("a value contains itself"));
                if (state[child] == Done) {
                    add(&frame.sum, measures[child]);
                    if (!withinLimits(frame.sum, problem))
                        return false;
                } else if (!enter(child, &frame.sum)) {
                    return false;
                }
                continue;
            }
            const quint64 index = frame.object;
            Measure measure = frame.sum;
            measure.values += 1;
            measure.height += 1;
            measures[index] = measure;
            state[index] = Done;
            path.pop_back();
            Measure *into = path.empty() ? &total : &path.back().sum;
            add(into, measure);
            if (!withinLimits(*into, problem))
                return false;
        }
        return true;
    }

    const uchar *m_data;
    quint64 m_size;
    Limits m_limits;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objects = 0;
    quint64 m_top = 0;
    quint64 m_table = 0;
};

// Where `needle` ends in bytes from `from`, or -1.
qsizetype endOf(QByteArrayView bytes, qsizetype from, QByteArrayView needle)
{
    const qsizetype at = bytes.indexOf(needle, from);
    return at < 0 ? -1 : at + needle.size();
}

// The position after the '>' that closes markup starting at `from`; quoted text and, for a
// document type declaration, a bracketed internal subset may hold '>' of their own.
qsizetype endOfMarkup(QByteArrayView bytes, qsizetype from)
{
    char quote = 0;
    int brackets = 0;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            return i + 1;
        }
    }
    return -1;
}

// An XML property list: every element is a value (a key included), its depth the nesting of
// start tags. Comments, CDATA sections, instructions and the document type are passed over.
bool checkXml(QByteArrayView bytes, const Limits &limits, QString *problem)
{
    if (bytes.contains('\0'))
        return refuse(problem, QStringLiteral("it holds a NUL character"));
    if (bytes.size() > limits.maxExpandedBytes)
        return refuse(problem, tooBig(limits));
    const auto malformed = [problem] {
        return refuse(problem, QStringLiteral("it is not a well-formed XML property list"));
    };
    qint64 depth = 0;
    qint64 elements = 0;
    qsizetype at = bytes.indexOf('<');
    while (at >= 0) {
        const QByteArrayView rest = bytes.sliced(at);
        qsizetype next;
        if (rest.startsWith("<!--")) {
            next = endOf(bytes, at + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            next = endOf(bytes, at + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            next = endOf(bytes, at + 2, "?>");
        } else if (rest.startsWith("<!")) {
            next = endOfMarkup(bytes, at + 2);
        } else if (rest.startsWith("</")) {
            --depth;
            next = endOf(bytes, at + 2, ">");
        } else {
            next = endOfMarkup(bytes, at + 1);
            if (next < 0)
                return malformed();
            // The <plist> element around the values is one element and one level more.
            if (++elements > limits.maxObjects + 1)
                return refuse(problem, tooMany(limits));
            if (depth + 1 > qint64(limits.maxDepth) + 1)
                return refuse(problem, tooDeep(limits));
            if (bytes[next - 2] != '/')
                ++depth;
        }
        if (next < 0)
            return malformed();
        at = bytes.indexOf('<', next);
    }
    return true;
}

} // namespace

bool PropertyListGuard::check(const QByteArray &bytes, const Limits &limits, QString *problem)
{
    if (problem)
        problem->clear();
    if (bytes.startsWith("bplist"))
        return BinaryWalker(bytes, limits).run(problem);
    return checkXml(bytes, limits, problem);
}
