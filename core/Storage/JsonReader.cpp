#include "JsonReader.h"
#include "JsonReadBuffers.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <simdjson.h>

#include <cmath>
#include <mutex>
#include <vector>

namespace ondemand = simdjson::ondemand;

namespace {

constexpr int maximumDepth = 512;

QString errorText(simdjson::error_code error)
{
    return QString::fromLatin1(simdjson::error_message(error));
}

// A reader needs its text with room for simdjson's padding after it, and a parser. Setting up their
// buffers is costly (the pages fault in on first use), so the small ones that readers used are
// kept and lent out again: element runs are read by the hundred, on all cores. They are kept for
// the whole process rather than per thread, so that they can be freed once the reading is over.
struct Workspace
{
    QByteArray text;
    ondemand::parser parser;
};
constexpr qsizetype largestKeptText = 4 << 20;

struct IdleWorkspaces
{
    std::mutex mutex;
    std::vector<std::unique_ptr<Workspace>> workspaces;
};

// Never destroyed: a worker may still give a workspace back while the process ends.
IdleWorkspaces &idleWorkspaces()
{
    static IdleWorkspaces *const idle = new IdleWorkspaces;
    return *idle;
}

std::unique_ptr<Workspace> borrowWorkspace()
{
    IdleWorkspaces &idle = idleWorkspaces();
    {
        const std::lock_guard lock(idle.mutex);
        if (!idle.workspaces.empty()) {
            std::unique_ptr<Workspace> workspace = std::move(idle.workspaces.back());
            idle.workspaces.pop_back();
            return workspace;
        }
    }
    return std::make_unique<Workspace>();
}

void giveBack(std::unique_ptr<Workspace> workspace)
{
    if (workspace->text.capacity() > largestKeptText || workspace->parser.capacity() > size_t(largestKeptText))
        return;
    IdleWorkspaces &idle = idleWorkspaces();
    const std::lock_guard lock(idle.mutex);
    idle.workspaces.push_back(std::move(workspace));
}

// The string token with each \u escape of a lone UTF-16 surrogate turned into one of U+FFFD.
QByteArray withoutLoneSurrogates(std::string_view token)
{
    QByteArray text(token.data(), qsizetype(token.size()));
    auto unitAt = [&text](qsizetype at) {
        bool ok = false;
        const int unit = at + 4 <= text.size() ? QByteArrayView(text).sliced(at, 4).toInt(&ok, 16) : -1;
        return ok ? unit : -1;
    };
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\\' || text[i + 1] != 'u') {
            i += text[i] == '\\' ? 1 : 0; // an escaped character, possibly a backslash
            continue;
        }
        const int unit = unitAt(i + 2);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const int next = i + 7 < text.size() && text[i + 6] == '\\' && text[i + 7] == 'u' ? unitAt(i + 8) : -1;
        if (high && next >= 0xDC00 && next <= 0xDFFF)
            i += 6; // a proper pair: skip its first half here, the second below
        else if (unit >= 0xD800 && unit <= 0xDFFF)
            text.replace(i + 2, 4, "fffd");
        i += 5;
    }
    return text;
}

} // namespace

// The text, the document, the value that the next read takes, and the containers being walked.
struct JsonReader::State
{
    struct Container
    {
        bool isObject = false;
        bool started = false;
        ondemand::object_iterator field, fieldsEnd;
        ondemand::array_iterator element, elementsEnd;
    };

    State() : workspace(borrowWorkspace()) {}
    ~State() { giveBack(std::move(workspace)); }

    // Copies the parts into the workspace's text.
    void setText(QByteArrayView prefix, QByteArrayView body, QByteArrayView suffix)
    {
        QByteArray &text = workspace->text;
        text.resize(0); // keeps the capacity
        text.reserve(prefix.size() + body.size() + suffix.size() + simdjson::SIMDJSON_PADDING);
        text.append(prefix).append(body).append(suffix);
    }

    std::unique_ptr<Workspace> workspace;
    ondemand::document document;
    bool documentPending = true; // the next read takes the document itself
    std::optional<ondemand::value> value;
    std::vector<Container> containers;
    QByteArray repairedText; // the last string read with its lone surrogates replaced
    QHash<QByteArrayView, QString> sharedTexts;

    // Runs `read` on the pending value (the document or a member) and hands it over.
    template <typename Read>
    auto take(Read read) -> decltype(read(document))
    {
        if (documentPending) {
            documentPending = false;
            return read(document);
        }
        if (!value)
            return simdjson::INCORRECT_TYPE;
        ondemand::value current = *value;
        value.reset();
        return read(current);
    }
    // Marks the pending value read after `inspect` consumed it.
    void handOver()
    {
        documentPending = false;
        value.reset();
    }
    // Runs `look` on the pending value without handing it over.
    template <typename Look>
    auto inspect(Look look) -> decltype(look(document))
    {
        if (documentPending)
            return look(document);
        if (!value)
            return simdjson::INCORRECT_TYPE;
        return look(*value);
    }
};

JsonReader::JsonReader(QByteArrayView json) : m_state(std::make_unique<State>())
{
    m_state->setText({}, json, {});
    start();
}

JsonReader::JsonReader(QByteArray &&json) : m_state(std::make_unique<State>())
{
    QByteArray &text = m_state->workspace->text;
    text = std::move(json);
    text.reserve(text.size() + simdjson::SIMDJSON_PADDING); // in place for a big, unshared buffer
    start();
}

JsonReader::JsonReader(ElementsTag, QByteArrayView elements) : m_state(std::make_unique<State>())
{
    m_state->setText("[", elements, "]");
    start();
}

void JsonReader::start()
{
    const QByteArray &text = m_state->workspace->text;
    const simdjson::padded_string_view view(text.constData(), size_t(text.size()), size_t(text.capacity()));
    if (const auto error = m_state->workspace->parser.iterate(view).get(m_state->document))
        fail(errorText(error));
}

JsonReader::~JsonReader() = default;

void JsonReadBuffers::releaseIdle()
{
    std::vector<std::unique_ptr<Workspace>> released;
    IdleWorkspaces &idle = idleWorkspaces();
    const std::lock_guard lock(idle.mutex);
    released.swap(idle.workspaces);
}

void JsonReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}

JsonReader::Type JsonReader::peek()
{
    if (!ok())
        return Type::Invalid;
    ondemand::json_type type;
    if (m_state->inspect([](auto &value) { return value.type(); }).get(type))
        return Type::Invalid;
    switch (type) {
    case ondemand::json_type::null: return Type::Null;
    case ondemand::json_type::boolean: return Type::Bool;
    case ondemand::json_type::number: return Type::Number;
    case ondemand::json_type::string: return Type::String;
    case ondemand::json_type::array: return Type::Array;
    case ondemand::json_type::object: return Type::Object;
    }
    return Type::Invalid;
}

bool JsonReader::skipNull()
{
    if (peek() != Type::Null)
        return false;
    bool isNull = false;
    if (const auto error = m_state->inspect([](auto &value) { return value.is_null(); }).get(isNull)) {
        fail(errorText(error));
        return false;
    }
    if (isNull)
        m_state->handOver();
    else
        fail(QStringLiteral("invalid literal"));
    return isNull;
}

bool JsonReader::beginObject()
{
    ondemand::object object;
    State::Container container;
    container.isObject = true;
    if (!ok() || m_state->take([](auto &value) { return value.get_object(); }).get(object)
        || object.begin().get(container.field) || object.end().get(container.fieldsEnd)) {
        fail(QStringLiteral("expected an object"));
        return false;
    }
    m_state->containers.push_back(container);
    return true;
}

bool JsonReader::nextKey(QByteArrayView &key)
{
    if (!ok() || m_state->containers.empty() || !m_state->containers.back().isObject)
        return false;
    State::Container &object = m_state->containers.back();
    if (object.started)
        ++object.field;
    object.started = true;
    if (!(object.field != object.fieldsEnd)) {
        m_state->containers.pop_back();
        return false;
    }
    ondemand::field field;
    std::string_view name;
    simdjson::error_code error = (*object.field).get(field);
    if (!error)
        error = field.unescaped_key().get(name);
    if (error) {
        fail(errorText(error));
        return false;
    }
    key = QByteArrayView(name.data(), qsizetype(name.size()));
    m_state->value = std::move(field).value();
    return true;
}

bool JsonReader::beginArray()
{
    ondemand::array array;
    State::Container container;
    if (!ok() || m_state->take([](auto &value) { return value.get_array(); }).get(array)
        || array.begin().get(container.element) || array.end().get(container.elementsEnd)) {
        fail(QStringLiteral("expected an array"));
        return false;
    }
    m_state->containers.push_back(container);
    return true;
}

bool JsonReader::nextElement()
{
    if (!ok() || m_state->containers.empty() || m_state->containers.back().isObject)
        return false;
    State::Container &array = m_state->containers.back();
    if (array.started)
        ++array.element;
    array.started = true;
    if (!(array.element != array.elementsEnd)) {
        m_state->containers.pop_back();
        return false;
    }
    ondemand::value element;
    if (const auto error = (*array.element).get(element)) {
        fail(errorText(error));
        return false;
    }
    m_state->value = element;
    return true;
}

std::optional<QByteArrayView> JsonReader::readUtf8()
{
    if (!ok())
        return std::nullopt;
    std::string_view text;
    std::string_view refusedToken;
    auto error = m_state->take([&refusedToken](auto &value) {
        auto string = value.get_string();
        if (string.error() == simdjson::STRING_ERROR)
            refusedToken = value.raw_json_token();
        return string;
    }).get(text);
    if (error == simdjson::STRING_ERROR) {
        // Qt's JSON writer keeps a lone surrogate of a text as its \u escape, which simdjson
        // refuses; read as the replacement character, such a file stays readable.
        const QByteArray repaired = withoutLoneSurrogates(refusedToken);
        if (repaired != QByteArrayView(refusedToken)) {
            JsonReader repairedReader(repaired);
            if (const auto bytes = repairedReader.readUtf8()) {
                m_state->repairedText = bytes->toByteArray();
                return QByteArrayView(m_state->repairedText);
            }
        }
    }
    if (error) {
        fail(error == simdjson::INCORRECT_TYPE ? QStringLiteral("expected a string") : errorText(error));
        return std::nullopt;
    }
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

std::optional<QString> JsonReader::readString()
{
    const auto view = readUtf8();
    if (!view)
        return std::nullopt;
    return QString::fromUtf8(*view);
}

std::optional<QString> JsonReader::readSharedString()
{
    const auto view = readUtf8();
    if (!view)
        return std::nullopt;
    if (view->data() == m_state->repairedText.constData()) // overwritten by the next repair
        return QString::fromUtf8(*view);
    // Keyed by the view: simdjson keeps every string it unescaped until the parser is reused.
    auto shared = m_state->sharedTexts.constFind(*view);
    if (shared == m_state->sharedTexts.constEnd())
        shared = m_state->sharedTexts.insert(*view, QString::fromUtf8(*view));
    return *shared;
}

std::optional<double> JsonReader::readNumber()
{
    if (!ok())
        return std::nullopt;
    double number = 0;
    if (const auto error = m_state->take([](auto &value) { return value.get_double(); }).get(number)) {
        fail(error == simdjson::INCORRECT_TYPE ? QStringLiteral("expected a number") : QStringLiteral("number out of range"));
        return std::nullopt;
    }
    return number;
}

std::optional<qint64> JsonReader::readInteger()
{
    if (!ok())
        return std::nullopt;
    int64_t whole = 0;
    if (!m_state->inspect([](auto &value) { return value.get_int64(); }).get(whole)) {
        m_state->handOver();
        return whole;
    }
    // "3.0" or "1e3" are integral too; fractions and overflow are not.
    double number = 0;
    if (!m_state->take([](auto &value) { return value.get_double(); }).get(number)
        && number == std::trunc(number) && std::fabs(number) < 9.2e18)
        return qint64(number);
    fail(QStringLiteral("expected an integer"));
    return std::nullopt;
}

std::optional<bool> JsonReader::readBool()
{
    if (!ok())
        return std::nullopt;
    bool flag = false;
    if (m_state->take([](auto &value) { return value.get_bool(); }).get(flag)) {
        fail(QStringLiteral("expected a boolean"));
        return std::nullopt;
    }
    return flag;
}

std::optional<QJsonValue> JsonReader::readValue()
{
    return readValue(0);
}

std::optional<QJsonValue> JsonReader::readValue(int depth)
{
    switch (peek()) {
    case Type::Null:
        return skipNull() ? std::optional(QJsonValue(QJsonValue::Null)) : std::nullopt;
    case Type::Bool:
        if (const auto flag = readBool())
            return QJsonValue(*flag);
        return std::nullopt;
    case Type::Number: {
        ondemand::number number;
        if (m_state->inspect([](auto &value) { return value.get_number(); }).get(number)) {
            // Integers beyond 64 bits are still numbers; keep them as doubles.
            if (const auto approximate = readNumber())
                return QJsonValue(*approximate);
            return std::nullopt;
        }
        m_state->handOver();
        if (number.is_int64())
            return QJsonValue(qint64(number.get_int64()));
        return QJsonValue(number.as_double());
    }
    case Type::String:
        if (const auto text = readString())
            return QJsonValue(*text);
        return std::nullopt;
    case Type::Array: {
        if (depth >= maximumDepth) {
            fail(QStringLiteral("nested too deeply"));
            return std::nullopt;
        }
        QJsonArray array;
        if (!beginArray())
            return std::nullopt;
        while (nextElement()) {
            const auto element = readValue(depth + 1);
            if (!element)
                return std::nullopt;
            array.append(*element);
        }
        return ok() ? std::optional(QJsonValue(array)) : std::nullopt;
    }
    case Type::Object: {
        if (depth >= maximumDepth) {
            fail(QStringLiteral("nested too deeply"));
            return std::nullopt;
        }
        QJsonObject object;
        if (!beginObject())
            return std::nullopt;
        QByteArrayView key;
        while (nextKey(key)) {
            const QString name = QString::fromUtf8(key);
            const auto member = readValue(depth + 1);
            if (!member)
                return std::nullopt;
            object.insert(name, *member);
        }
        return ok() ? std::optional(QJsonValue(object)) : std::nullopt;
    }
    case Type::Invalid: break;
    }
    fail(QStringLiteral("expected a value"));
    return std::nullopt;
}

bool JsonReader::forEachElementRun(qsizetype length, const std::function<void(QByteArrayView)> &handOut)
{
    const char *runStart = nullptr;
    const char *runEnd = nullptr;
    qsizetype inRun = 0;
    if (!beginArray())
        return false;
    while (nextElement()) {
        // Containers are skipped whole; a scalar is its token.
        std::string_view element;
        const Type type = peek();
        simdjson::error_code error = simdjson::SUCCESS;
        auto wholeText = [&element](auto container) {
            auto error = container.error();
            return error ? error : container.value_unsafe().raw_json().get(element);
        };
        if (type == Type::Object)
            error = wholeText(m_state->take([](auto &value) { return value.get_object(); }));
        else if (type == Type::Array)
            error = wholeText(m_state->take([](auto &value) { return value.get_array(); }));
        else if (type != Type::Invalid)
            element = m_state->value->raw_json_token();
        if (type == Type::Invalid || error) {
            fail(QStringLiteral("expected a value"));
            return false;
        }
        if (!runStart)
            runStart = element.data();
        runEnd = element.data() + element.size();
        if (++inRun == length) {
            handOut(QByteArrayView(runStart, runEnd));
            runStart = nullptr;
            inRun = 0;
        }
    }
    if (runStart && ok())
        handOut(QByteArrayView(runStart, runEnd));
    return ok();
}

bool JsonReader::atEnd()
{
    return ok() && !m_state->documentPending && m_state->containers.empty()
        && m_state->document.current_location().error() == simdjson::OUT_OF_BOUNDS;
}
