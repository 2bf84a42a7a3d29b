#include "JsonWriter.h"

#include <QLocale>
#include <QtConcurrent/QtConcurrentMap>

#include <cmath>
#include <utility>

JsonWriter::JsonWriter()
{
    m_out.reserve(1 << 16);
}

JsonWriter::JsonWriter(int depth, bool continuing) : m_depth(depth), m_first(!continuing)
{
    m_out.reserve(1 << 20);
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
            return std::move(part.m_out);
        });
        // Each part is let go once copied, so a large array is held about once, not twice.
        qsizetype total = m_out.size();
        for (const QByteArray &chunk : std::as_const(chunks))
            total += chunk.size();
        m_out.reserve(total + 64);
        for (QByteArray &chunk : chunks)
            m_out.append(std::exchange(chunk, QByteArray()));
        m_first = false;
    }
    endArray();
}

void JsonWriter::newline()
{
    static const QByteArray spaces(256, ' ');
    m_out.append('\n');
    m_out.append(spaces.constData(), qMin(m_depth * 2, int(spaces.size())));
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_depth > 0) {
        if (!m_first)
            m_out.append(',');
        newline();
    }
    m_first = false;
}

void JsonWriter::beginObject()
{
    beforeValue();
    m_out.append('{');
    ++m_depth;
    m_first = true;
}

void JsonWriter::endObject()
{
    --m_depth;
    if (!m_first)
        newline();
    m_out.append('}');
    m_first = false;
}

void JsonWriter::beginArray()
{
    beforeValue();
    m_out.append('[');
    ++m_depth;
    m_first = true;
}

void JsonWriter::endArray()
{
    --m_depth;
    if (!m_first)
        newline();
    m_out.append(']');
    m_first = false;
}

void JsonWriter::key(QLatin1StringView name)
{
    if (!m_first)
        m_out.append(',');
    newline();
    m_first = false;
    m_out.append('"');
    m_out.append(name.data(), name.size());
    m_out.append("\": ");
    m_afterKey = true;
}

void JsonWriter::writeEscaped(QByteArrayView utf8)
{
    static const char hex[] = "0123456789abcdef";
    m_out.append('"');
    // Whole runs that need no escape go in at once; escapes are rare.
    const char *run = utf8.data();
    const char *end = utf8.data() + utf8.size();
    for (const char *p = run; p < end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        m_out.append(run, p - run);
        run = p + 1;
        switch (byte) {
        case '"': m_out.append("\\\""); break;
        case '\\': m_out.append("\\\\"); break;
        case '\n': m_out.append("\\n"); break;
        case '\t': m_out.append("\\t"); break;
        case '\r': m_out.append("\\r"); break;
        default:
            m_out.append("\\u00");
            m_out.append(hex[byte >> 4]);
            m_out.append(hex[byte & 0xF]);
        }
    }
    m_out.append(run, end - run);
    m_out.append('"');
}

void JsonWriter::value(const QString &text)
{
    beforeValue();
    // Qt's converter is vectorised; a lone surrogate becomes U+FFFD.
    writeEscaped(text.toUtf8());
}

void JsonWriter::value(QByteArrayView utf8)
{
    beforeValue();
    writeEscaped(utf8);
}

void JsonWriter::value(double number)
{
    beforeValue();
    // JSON has no NaN or infinity; whole numbers are written without an exponent.
    if (!std::isfinite(number))
        m_out.append('0');
    else if (number == std::trunc(number) && std::fabs(number) < 9007199254740992.0)
        m_out.append(QByteArray::number(qint64(number)));
    else
        m_out.append(QByteArray::number(number, 'g', QLocale::FloatingPointShortest));
}

void JsonWriter::value(qint64 number)
{
    beforeValue();
    m_out.append(QByteArray::number(number));
}

void JsonWriter::value(bool flag)
{
    beforeValue();
    m_out.append(flag ? "true" : "false");
}

QByteArray JsonWriter::take()
{
    m_out.append('\n');
    return std::exchange(m_out, {});
}
