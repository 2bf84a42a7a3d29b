#include "Storage/JsonFields.h"
#include "Storage/JsonWriter.h"

#include <QLocale>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

// The writer makes the common forms itself rather than through Qt; stored files must not change
// by a byte, so every form is compared with the one Qt makes.
namespace {

QByteArray written(const auto &value)
{
    JsonWriter writer;
    writer.value(value);
    return writer.take().chopped(1);
}

QByteArray quoted(const QByteArray &text)
{
    return '"' + text + '"';
}

TEST(JsonWriterForms, NumbersAreQtsShortestForm)
{
    QRandomGenerator random(7);
    QList<double> numbers{0.001, 0.0001, 0.1, 1.5, -2.25, 123456789012345.67, 1e15 + 0.5, 9007199254740993.0,
                          1e-300, 5e-324, std::numeric_limits<double>::max(), 786543210.123456789};
    for (int i = 0; i < 20000; ++i) {
        quint64 bits = random.generate64();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        numbers << any << std::ldexp(random.generateDouble(), random.bounded(-14, 60)) << 7e8 + random.generateDouble() * 1e8;
    }
    for (const double number : std::as_const(numbers)) {
        if (!std::isfinite(number))
            continue;
        const QByteArray expected = number == std::trunc(number) && std::fabs(number) < 9007199254740992.0
            ? QByteArray::number(qint64(number))
            : QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
        ASSERT_EQ(written(number), expected) << expected.toStdString();
    }
    EXPECT_EQ(written(std::numeric_limits<double>::infinity()), "0");
    EXPECT_EQ(written(std::numeric_limits<qint64>::min()), QByteArray::number(std::numeric_limits<qint64>::min()));
}

TEST(JsonWriterForms, IdentifiersLocationsAndTextAreQtsForms)
{
    for (int i = 0; i < 100; ++i) {
        const QUuid id = QUuid::createUuid();
        ASSERT_EQ(written(id), quoted(Json::uuidBytes(id)));
    }
    QByteArray everyByte("/music/");
    for (int byte = 1; byte < 256; ++byte)
        everyByte.append(char(byte));
    const FileLocation location = FileLocation::fromPath(everyByte);
    EXPECT_EQ(written(location), quoted(location.urlBytes()));

    // Lone surrogates become whatever Qt's converter makes of them.
    for (const QString &text : {QString::fromUtf16(u"晴天 é \"q\" \\ \t\n\x01 🎵"), QString(QChar(0xD800)) + u"x"_qs,
                                u"x"_qs + QChar(0xDC00), u"end"_qs + QChar(0xD83C), QString(QChar(0xFFFF))}) {
        EXPECT_EQ(written(text), written(QByteArrayView(text.toUtf8()))) << text.toStdString();
    }
}

} // namespace
