#pragma once

// Hand-made property lists that are small on disk and hostile once read: nesting far beyond
// any real settings file, and binary objects that refer to one child many times.

#include <QByteArray>
#include <QList>

namespace PropertyListBombs {

inline void appendBigEndian(QByteArray &out, quint64 value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// An array object referring to the given objects (4-byte references).
inline QByteArray array(const QList<quint64> &refs)
{
    QByteArray out;
    if (refs.size() < 15) {
        out.append(char(0xA0 | refs.size()));
    } else {
        out.append(char(0xAF));
        out.append(char(0x12));
        appendBigEndian(out, quint64(refs.size()), 4);
    }
    for (quint64 ref : refs)
        appendBigEndian(out, ref, 4);
    return out;
}

// A dictionary object: key references, then value references.
inline QByteArray dictionary(const QList<quint64> &keys, const QList<quint64> &values)
{
    QByteArray out(1, char(0xD0 | keys.size()));
    for (quint64 ref : keys + values)
        appendBigEndian(out, ref, 4);
    return out;
}

inline QByteArray asciiString(const QByteArray &text)
{
    QByteArray out;
    if (text.size() < 15) {
        out.append(char(0x50 | text.size()));
    } else {
        out.append(char(0x5F));
        out.append(char(0x12));
        appendBigEndian(out, quint64(text.size()), 4);
    }
    return out + text;
}

// A binary list of the objects, the first being the top object.
inline QByteArray binary(const QList<QByteArray> &objects)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (const QByteArray &object : objects) {
        offsets.append(quint64(out.size()));
        out += object;
    }
    const auto table = quint64(out.size());
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, 8);
    out.append(QByteArray(6, '\0'));
    out.append(char(8)); // offset size
    out.append(char(4)); // reference size
    appendBigEndian(out, quint64(objects.size()), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

// `levels` arrays, each holding the next, the last holding a string.
inline QByteArray nestedBinary(int levels)
{
    QList<QByteArray> objects;
    for (int i = 0; i < levels; ++i)
        objects.append(array({quint64(i + 1)}));
    objects.append(asciiString("x"));
    return binary(objects);
}

inline QByteArray nestedXml(int levels)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
        + QByteArray("<array>").repeated(levels) + "<string>x</string>"
        + QByteArray("</array>").repeated(levels) + "</plist>\n";
}

// `levels` arrays that each hold the next one twice: 2^levels strings once expanded.
inline QByteArray doublingBinary(int levels)
{
    QList<QByteArray> objects;
    for (int i = 0; i < levels; ++i)
        objects.append(array({quint64(i + 1), quint64(i + 1)}));
    objects.append(asciiString("x"));
    return binary(objects);
}

} // namespace PropertyListBombs
