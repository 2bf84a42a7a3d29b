#include "JsonReader.h"

#include <QtConcurrent/QtConcurrentMap>

#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int maximumDepth = 512;

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x80) {
        out.append(char(code));
    } else if (code < 0x800) {
        out.append(char(0xC0 | (code >> 6)));
        out.append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(char(0xE0 | (code >> 12)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    } else {
        out.append(char(0xF0 | (code >> 18)));
        out.append(char(0x80 | ((code >> 12) & 0x3F)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

JsonReader::JsonReader(QByteArrayView json) : m_position(json.data()), m_end(json.data() + json.size()) {}

void JsonReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    m_position = m_end;
}

void JsonReader::skipWhitespace()
{
    while (m_position < m_end
           && (*m_position == ' ' || *m_position == '\n' || *m_position == '\r' || *m_position == '\t'))
        ++m_position;
}

bool JsonReader::expect(char c)
{
    skipWhitespace();
    if (m_position < m_end && *m_position == c) {
        ++m_position;
        return true;
    }
    fail(QStringLiteral("expected '%1'").arg(QLatin1Char(c)));
    return false;
}

JsonReader::Type JsonReader::peek()
{
    skipWhitespace();
    if (!ok() || m_position >= m_end)
        return Type::Invalid;
    switch (*m_position) {
    case 'n': return Type::Null;
    case 't':
    case 'f': return Type::Bool;
    case '"': return Type::String;
    case '[': return Type::Array;
    case '{': return Type::Object;
    default: return (*m_position == '-' || (*m_position >= '0' && *m_position <= '9')) ? Type::Number : Type::Invalid;
    }
}

bool JsonReader::skipNull()
{
    if (peek() != Type::Null)
        return false;
    if (m_end - m_position >= 4 && QByteArrayView(m_position, 4) == "null") {
        m_position += 4;
        return true;
    }
    fail(QStringLiteral("invalid literal"));
    return false;
}

bool JsonReader::beginObject()
{
    if (peek() != Type::Object) {
        fail(QStringLiteral("expected an object"));
        return false;
    }
    ++m_position;
    m_firstInContainer = true;
    return true;
}

bool JsonReader::nextMember(char close)
{
    skipWhitespace();
    if (!ok() || m_position >= m_end) {
        fail(close == '}' ? QStringLiteral("unterminated object") : QStringLiteral("unterminated array"));
        return false;
    }
    if (*m_position == close) {
        ++m_position;
        m_firstInContainer = false;
        return false;
    }
    if (!m_firstInContainer && !expect(','))
        return false;
    m_firstInContainer = false;
    return true;
}

bool JsonReader::nextKey(QByteArrayView &key)
{
    if (!nextMember('}'))
        return false;
    skipWhitespace();
    const auto name = readRaw(m_keyScratch);
    if (!name || !expect(':'))
        return false;
    key = *name;
    return true;
}

bool JsonReader::beginArray()
{
    if (peek() != Type::Array) {
        fail(QStringLiteral("expected an array"));
        return false;
    }
    ++m_position;
    m_firstInContainer = true;
    return true;
}

bool JsonReader::nextElement()
{
    return nextMember(']');
}

std::optional<QByteArrayView> JsonReader::readRaw(QByteArray &scratch)
{
    if (peek() != Type::String) {
        fail(QStringLiteral("expected a string"));
        return std::nullopt;
    }
    ++m_position;
    // Without escapes the text is a view of the input; with them it is unescaped into `scratch`.
    const char *start = m_position;
    while (m_position < m_end && *m_position != '"' && *m_position != '\\'
           && static_cast<unsigned char>(*m_position) >= 0x20)
        ++m_position;
    if (m_position < m_end && *m_position == '"')
        return QByteArrayView(start, m_position++ - start);

    QByteArray &out = scratch;
    out.clear();
    const char *runStart = start;
    while (m_position < m_end) {
        const char c = *m_position;
        if (c == '"') {
            out.append(runStart, m_position - runStart);
            ++m_position;
            return QByteArrayView(out);
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            fail(QStringLiteral("control character in string"));
            return std::nullopt;
        }
        if (c != '\\') {
            ++m_position;
            continue;
        }
        out.append(runStart, m_position - runStart);
        if (m_end - m_position < 2)
            break;
        const char escaped = m_position[1];
        m_position += 2;
        switch (escaped) {
        case '"': out.append('"'); break;
        case '\\': out.append('\\'); break;
        case '/': out.append('/'); break;
        case 'b': out.append('\b'); break;
        case 'f': out.append('\f'); break;
        case 'n': out.append('\n'); break;
        case 'r': out.append('\r'); break;
        case 't': out.append('\t'); break;
        case 'u': {
            auto unit = [this]() -> int {
                if (m_end - m_position < 4)
                    return -1;
                int value = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexDigit(m_position[i]);
                    if (digit < 0)
                        return -1;
                    value = value * 16 + digit;
                }
                m_position += 4;
                return value;
            };
            int code = unit();
            if (code < 0) {
                fail(QStringLiteral("bad \\u escape"));
                return std::nullopt;
            }
            if (code >= 0xD800 && code <= 0xDBFF && m_end - m_position >= 6 && m_position[0] == '\\'
                && m_position[1] == 'u') {
                m_position += 2;
                const int low = unit();
                if (low >= 0xDC00 && low <= 0xDFFF)
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                else
                    code = 0xFFFD;
            } else if (code >= 0xD800 && code <= 0xDFFF) {
                code = 0xFFFD; // a lone surrogate
            }
            appendUtf8(out, char32_t(code));
            break;
        }
        default:
            fail(QStringLiteral("bad escape"));
            return std::nullopt;
        }
        runStart = m_position;
    }
    fail(QStringLiteral("unterminated string"));
    return std::nullopt;
}

std::optional<QByteArray> JsonReader::readUtf8()
{
    const auto view = readRaw(m_scratch);
    if (!view)
        return std::nullopt;
    return view->toByteArray();
}

std::optional<QString> JsonReader::readString()
{
    const auto view = readRaw(m_scratch);
    if (!view)
        return std::nullopt;
    return QString::fromUtf8(*view);
}

std::optional<QByteArrayView> JsonReader::numberText()
{
    if (peek() != Type::Number) {
        fail(QStringLiteral("expected a number"));
        return std::nullopt;
    }
    const char *start = m_position;
    const char *p = m_position;
    auto digits = [&] {
        const char *begin = p;
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
        return p > begin;
    };
    if (*p == '-')
        ++p;
    if (p < m_end && *p == '0')
        ++p;
    else if (!digits()) {
        fail(QStringLiteral("bad number"));
        return std::nullopt;
    }
    if (p < m_end && *p == '.') {
        ++p;
        if (!digits()) {
            fail(QStringLiteral("bad number"));
            return std::nullopt;
        }
    }
    if (p < m_end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < m_end && (*p == '+' || *p == '-'))
            ++p;
        if (!digits()) {
            fail(QStringLiteral("bad number"));
            return std::nullopt;
        }
    }
    m_position = p;
    return QByteArrayView(start, p - start);
}

std::optional<double> JsonReader::readNumber()
{
    const auto text = numberText();
    if (!text)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || !std::isfinite(value)) {
        fail(QStringLiteral("number out of range"));
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> JsonReader::readInteger()
{
    const auto text = numberText();
    if (!text)
        return std::nullopt;
    qint64 whole = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), whole);
    if (error == std::errc() && end == text->data() + text->size())
        return whole;
    // "3.0" or "1e3" are integral too; fractions and overflow are not.
    double value = 0;
    const auto [doubleEnd, doubleError] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (doubleError == std::errc() && doubleEnd == text->data() + text->size() && value == std::trunc(value)
        && std::fabs(value) < 9.2e18)
        return qint64(value);
    fail(QStringLiteral("expected an integer"));
    return std::nullopt;
}

std::optional<bool> JsonReader::readBool()
{
    if (peek() == Type::Bool) {
        if (m_end - m_position >= 4 && QByteArrayView(m_position, 4) == "true") {
            m_position += 4;
            return true;
        }
        if (m_end - m_position >= 5 && QByteArrayView(m_position, 5) == "false") {
            m_position += 5;
            return false;
        }
    }
    fail(QStringLiteral("expected a boolean"));
    return std::nullopt;
}

bool JsonReader::skipValue()
{
    // Iterative, so hostile nesting cannot exhaust the stack; `inObject` holds the open containers.
    std::vector<bool> inObject;
    for (;;) {
        switch (peek()) {
        case Type::Null: skipNull(); break;
        case Type::Bool: readBool(); break;
        case Type::Number: numberText(); break;
        case Type::String: readRaw(m_scratch); break;
        case Type::Object:
        case Type::Array:
            if (inObject.size() >= maximumDepth) {
                fail(QStringLiteral("nested too deeply"));
                return false;
            }
            inObject.push_back(*m_position == '{');
            ++m_position;
            m_firstInContainer = true;
            break;
        case Type::Invalid: fail(QStringLiteral("expected a value")); return false;
        }
        // Move on to the next value to skip, closing the containers that end here.
        for (;;) {
            if (!ok())
                return false;
            if (inObject.empty())
                return true;
            skipWhitespace();
            if (m_position >= m_end) {
                fail(QStringLiteral("unterminated container"));
                return false;
            }
            if (*m_position == (inObject.back() ? '}' : ']')) {
                ++m_position;
                inObject.pop_back();
                m_firstInContainer = false;
                continue;
            }
            if (!m_firstInContainer && !expect(','))
                return false;
            m_firstInContainer = false;
            if (inObject.back() && (!readRaw(m_keyScratch) || !expect(':')))
                return false;
            break;
        }
    }
}

std::optional<QList<QByteArrayView>> JsonReader::elementTexts()
{
    if (!beginArray())
        return std::nullopt;
    QList<QByteArrayView> texts;
    skipWhitespace();
    if (m_position < m_end && *m_position == ']') {
        ++m_position;
        m_firstInContainer = false;
        return texts;
    }
    int depth = 0;
    const char *start = m_position;
    while (m_position < m_end) {
        const char c = *m_position;
        if (c == '"') {
            // Skip the string, escapes included.
            ++m_position;
            while (m_position < m_end && *m_position != '"')
                m_position += (*m_position == '\\' && m_end - m_position > 1) ? 2 : 1;
            if (m_position >= m_end)
                break;
        } else if (c == '{' || c == '[') {
            if (++depth > maximumDepth) {
                fail(QStringLiteral("nested too deeply"));
                return std::nullopt;
            }
        } else if (c == '}' || c == ']') {
            if (depth == 0) {
                if (c != ']')
                    break;
                texts.append(QByteArrayView(start, m_position - start));
                ++m_position;
                m_firstInContainer = false;
                return texts;
            }
            --depth;
        } else if (c == ',' && depth == 0) {
            texts.append(QByteArrayView(start, m_position - start));
            start = m_position + 1;
        }
        ++m_position;
    }
    fail(QStringLiteral("unterminated array"));
    return std::nullopt;
}

void JsonReader::forEachInParallel(qsizetype count, const std::function<void(qsizetype)> &work)
{
    constexpr qsizetype chunkSize = 2048;
    if (count <= chunkSize) {
        for (qsizetype i = 0; i < count; ++i)
            work(i);
        return;
    }
    QList<qsizetype> starts;
    for (qsizetype start = 0; start < count; start += chunkSize)
        starts.append(start);
    QtConcurrent::blockingMap(starts, [&](qsizetype start) {
        for (qsizetype i = start; i < std::min(start + chunkSize, count); ++i)
            work(i);
    });
}

bool JsonReader::atEnd()
{
    skipWhitespace();
    return m_position >= m_end;
}
