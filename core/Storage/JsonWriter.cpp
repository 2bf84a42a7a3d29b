#include "JsonWriter.h"

#include <QLocale>
#include <QtConcurrent/QtConcurrentMap>

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

JsonWriter::JsonWriter()
{
    grow(1 << 16);
}

JsonWriter::JsonWriter(int depth, bool continuing) : m_depth(depth), m_first(!continuing)
{
    grow(1 << 20);
}

void JsonWriter::grow(qsizetype bytes)
{
    const qsizetype used = m_end ? m_end - m_buffer.constData() : 0;
    const qsizetype capacity = std::max({used + bytes, 2 * qsizetype(m_buffer.size()), qsizetype(4096)});
    if (m_buffer.isEmpty())
        m_buffer = QByteArray(capacity, Qt::Uninitialized);
    else
        m_buffer.resize(capacity);
    m_end = m_buffer.data() + used;
    m_limit = m_buffer.data() + m_buffer.size();
}

void JsonWriter::append(const char *data, qsizetype size)
{
    std::memcpy(room(size), data, size_t(size));
    m_end += size;
}

QByteArray JsonWriter::takeWritten()
{
    m_buffer.truncate(m_end - m_buffer.constData());
    m_end = m_limit = nullptr;
    return std::exchange(m_buffer, QByteArray());
}

void JsonWriter::writeArray(qsizetype count, const std::function<void(qsizetype, JsonWriter &)> &writeElement)
{
    constexpr qsizetype chunkSize = 4096;
    beginArray();
    if (count <= chunkSize) {
        for (qsizetype i = 0; i < count; ++i)
            writeElement(i, *this);
    } else {
        QList<qsizetype> starts;
        for (qsizetype start = 0; start < count; start += chunkSize)
            starts.append(start);
        const int depth = m_depth;
        QList<QByteArray> chunks = QtConcurrent::blockingMapped(starts, [&](qsizetype start) {
            JsonWriter part(depth, start > 0);
            for (qsizetype i = start; i < std::min(start + chunkSize, count); ++i)
                writeElement(i, part);
            return part.takeWritten();
        });
        // The chunks stay parts of their own: a large array is held once, never joined twice.
        m_parts.append(takeWritten());
        m_parts.append(std::move(chunks));
        m_first = false;
    }
    endArray();
}

void JsonWriter::newline()
{
    const qsizetype indent = qsizetype(m_depth) * 2;
    char *out = room(1 + indent);
    *out = '\n';
    std::memset(out + 1, ' ', size_t(indent));
    m_end = out + 1 + indent;
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_depth > 0) {
        if (!m_first)
            append(',');
        newline();
    }
    m_first = false;
}

void JsonWriter::beginObject()
{
    beforeValue();
    append('{');
    ++m_depth;
    m_first = true;
}

void JsonWriter::endObject()
{
    --m_depth;
    if (!m_first)
        newline();
    append('}');
    m_first = false;
}

void JsonWriter::beginArray()
{
    beforeValue();
    append('[');
    ++m_depth;
    m_first = true;
}

void JsonWriter::endArray()
{
    --m_depth;
    if (!m_first)
        newline();
    append(']');
    m_first = false;
}

void JsonWriter::key(QLatin1StringView name)
{
    if (!m_first)
        append(',');
    newline();
    m_first = false;
    char *out = room(name.size() + 4);
    *out++ = '"';
    std::memcpy(out, name.data(), size_t(name.size()));
    out += name.size();
    std::memcpy(out, "\": ", 3);
    m_end = out + 3;
    m_afterKey = true;
}

namespace {

// The escape of an ASCII character that JSON text cannot hold as it is, written at `out`.
char *writeEscape(char *out, unsigned char byte)
{
    static const char hex[] = "0123456789abcdef";
    *out++ = '\\';
    switch (byte) {
    case '"': *out++ = '"'; break;
    case '\\': *out++ = '\\'; break;
    case '\n': *out++ = 'n'; break;
    case '\t': *out++ = 't'; break;
    case '\r': *out++ = 'r'; break;
    default:
        std::memcpy(out, "u00", 3);
        out[3] = hex[byte >> 4];
        out[4] = hex[byte & 0xF];
        out += 5;
    }
    return out;
}

bool needsEscape(unsigned int c)
{
    return c < 0x20 || c == '"' || c == '\\';
}

} // namespace

void JsonWriter::writeEscaped(QByteArrayView utf8)
{
    // An escape is at most six bytes for one.
    char *out = room(utf8.size() * 6 + 2);
    *out++ = '"';
    // Whole runs that need no escape go in at once; escapes are rare.
    const char *run = utf8.data();
    const char *end = utf8.data() + utf8.size();
    for (const char *p = run; p < end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (!needsEscape(byte))
            continue;
        std::memcpy(out, run, size_t(p - run));
        out = writeEscape(out + (p - run), byte);
        run = p + 1;
    }
    std::memcpy(out, run, size_t(end - run));
    out += end - run;
    *out++ = '"';
    m_end = out;
}

bool JsonWriter::writeEscapedBmp(QStringView text)
{
    // Three bytes of UTF-8 at most for a character of the basic plane, six for an escape.
    char *out = room(text.size() * 6 + 2);
    char *const start = out;
    *out++ = '"';
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (c < 0x80) {
            if (needsEscape(c))
                out = writeEscape(out, static_cast<unsigned char>(c));
            else
                *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            m_end = start;
            return false;
        } else {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        }
    }
    *out++ = '"';
    m_end = out;
    return true;
}

void JsonWriter::value(const QString &text)
{
    beforeValue();
    // Text with surrogates goes through Qt's converter, which also decides what a lone one becomes.
    if (!writeEscapedBmp(text))
        writeEscaped(text.toUtf8());
}

void JsonWriter::value(QByteArrayView utf8)
{
    beforeValue();
    writeEscaped(utf8);
}

void JsonWriter::value(double number)
{
    // JSON has no NaN or infinity; whole numbers are written without an exponent.
    if (!std::isfinite(number)) {
        value(qint64(0));
        return;
    }
    constexpr double exactIntegers = 9007199254740992.0;
    const double magnitude = std::fabs(number);
    if (number == std::trunc(number) && magnitude < exactIntegers) {
        value(qint64(number));
        return;
    }
    beforeValue();
    if (magnitude >= 1e-3 && magnitude < exactIntegers) {
        // Here the shortest form that reads back the same is plain decimal notation, the same
        // digits Qt's shortest 'g' form writes, and much quicker to make.
        char *out = room(32);
        m_end = std::to_chars(out, out + 32, number, std::chars_format::fixed).ptr;
        return;
    }
    const QByteArray text = QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    append(text.constData(), text.size());
}

void JsonWriter::value(qint64 number)
{
    beforeValue();
    char *out = room(24);
    m_end = std::to_chars(out, out + 24, number).ptr;
}

void JsonWriter::value(bool flag)
{
    beforeValue();
    if (flag)
        append("true", 4);
    else
        append("false", 5);
}

void JsonWriter::value(const QUuid &id)
{
    beforeValue();
    static const char hex[] = "0123456789ABCDEF";
    char *out = room(38);
    *out++ = '"';
    const auto hexDigits = [&out](quint64 field, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            *out++ = hex[(field >> shift) & 0xF];
    };
    hexDigits(id.data1, 8);
    *out++ = '-';
    hexDigits(id.data2, 4);
    *out++ = '-';
    hexDigits(id.data3, 4);
    *out++ = '-';
    hexDigits(quint64(id.data4[0]) << 8 | id.data4[1], 4);
    *out++ = '-';
    for (int i = 2; i < 8; ++i)
        hexDigits(id.data4[i], 2);
    *out++ = '"';
    m_end = out;
}

void JsonWriter::value(const FileLocation &location)
{
    beforeValue();
    // URL text is plain ASCII that needs no escape.
    char *out = room(FileLocation::maxUrlSize(location.path().size()) + 2);
    *out++ = '"';
    out = location.writeUrlBytes(out);
    *out++ = '"';
    m_end = out;
}

QByteArray JsonWriter::take()
{
    append('\n');
    if (m_parts.isEmpty())
        return takeWritten();
    m_parts.append(takeWritten());
    qsizetype size = 0;
    for (const QByteArray &part : std::as_const(m_parts))
        size += part.size();
    QByteArray document;
    document.reserve(size);
    // Each part is let go once copied, so the document is held about once, not twice.
    for (QByteArray &part : m_parts)
        document.append(std::exchange(part, QByteArray()));
    m_parts.clear();
    return document;
}

QList<QByteArray> JsonWriter::takeParts()
{
    append('\n');
    m_parts.append(takeWritten());
    return std::exchange(m_parts, {});
}
