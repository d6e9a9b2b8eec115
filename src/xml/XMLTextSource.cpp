#include "xml/XMLTextSource.h"

#include <cstring>

qint64 XMLTextSource::lineAt(qint64 byteOffset) const
{
    if (fromBytes)
        return 1
            + bodyBytes.first(qBound(qint64(0), byteOffset, qint64(bodyBytes.size()))).count('\n');
    qint64 line = 1;
    qint64 bytes = prologBytes;
    for (qsizetype i = 0; i < body.size() && bytes < byteOffset; ++i) {
        const char16_t c = body[i].unicode();
        line += c == u'\n' ? 1 : 0;
        // UTF-8 lengths; each half of a surrogate pair stands for two of its four bytes.
        bytes += c < 0x80 ? 1 : c < 0x800 || QChar::isSurrogate(c) ? 2 : 3;
    }
    return line;
}

qsizetype XMLTextSource::wholeCDataSlice(qsizetype size)
{
    static constexpr QByteArrayView open("<![CDATA[");
    const QByteArrayView rest = restBytes;
    if (size >= rest.size() || !sectionEndsLeft)
        return size;
    // The last section opened before the cut (its opening may be cut too): found from the
    // "[" that ends it, a byte most slices hold few of.
    const QByteArrayView head = rest.first(std::min(rest.size(), size + open.size() - 1));
    qsizetype bracket = head.size();
    qsizetype start = -1;
    while (bracket > 0) {
        const void *found = memrchr(head.data(), '[', size_t(bracket));
        if (!found)
            return size;
        bracket = static_cast<const char *>(found) - head.data();
        if (bracket >= open.size() - 1
            && head.sliced(bracket - (open.size() - 1), open.size()) == open) {
            start = bracket - (open.size() - 1);
            break;
        }
    }
    if (start < 0 || start >= size)
        return size;
    // Each search starts beyond where the last one ended, or finds no end at all: then none is
    // looked for again, and an opening in every slice costs one search of the rest, not one each.
    const qsizetype end = rest.indexOf("]]>", start + open.size());
    if (end < 0)
        sectionEndsLeft = false;
    return end < 0 || end + 3 <= size ? size : end + 3;
}

int XMLTextSource::read(void *context, char *buffer, int length)
{
    auto *source = static_cast<XMLTextSource *>(context);
    if (length <= 0)
        return 0;
    if (source->pendingAt >= source->pending.size() && source->fromBytes) {
        source->pendingScanned = false;
        if (source->restBytes.isEmpty())
            return 0;
        if (source->progress && *source->progress
            && !(*source->progress)(source->bodyBytes.size() - source->restBytes.size(),
                                    source->bodyBytes.size())) {
            source->stopped = true;
            return -1;
        }
        qsizetype size = std::min(source->restBytes.size(), kSliceBytes);
        if (source->lifted)
            size = source->wholeCDataSlice(size);
        source->pending = QByteArray::fromRawData(source->restBytes.data(), size);
        source->pendingAt = 0;
        source->restBytes = source->restBytes.sliced(size);
    } else if (source->pendingAt >= source->pending.size()) {
        source->pendingScanned = false;
        if (source->rest.isEmpty())
            return 0;
        if (source->progress && *source->progress
            && !(*source->progress)(source->body.size() - source->rest.size(),
                                    source->body.size())) {
            source->stopped = true;
            return -1;
        }
        // A slice never ends between the two halves of a surrogate pair.
        qsizetype units = std::min(source->rest.size(), kSliceUnits);
        if (units < source->rest.size() && source->rest[units - 1].isHighSurrogate())
            --units;
        source->pending = source->rest.first(units).toUtf8();
        source->pendingAt = 0;
        source->rest = source->rest.sliced(units);
    }
    // Each slice is scanned before any of it reaches the parser.
    if (!source->pendingScanned) {
        source->pendingScanned = true;
        if (!source->scanner.scan(source->pending))
            return -1;
        if (source->lifted && !source->sections.empty()) {
            source->pending = source->lifted->lift(source->pending, source->sections);
            source->pendingAt = 0;
        }
    }
    const auto count = int(std::min<qsizetype>(length, source->pending.size() - source->pendingAt));
    if (source->delivered + count > source->limit) {
        source->tooLarge = true;
        return -1;
    }
    std::memcpy(buffer, source->pending.constData() + source->pendingAt, size_t(count));
    source->pendingAt += count;
    source->delivered += count;
    return count;
}
