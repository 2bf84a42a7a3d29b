#include "CTagLib/ReadAheadStream.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <taglib/tfilestream.h>

#include <gtest/gtest.h>

#include <fcntl.h>

namespace {

// Every read through the read-ahead stream gives what TagLib's own file stream gives, for files
// read whole, files read as head and tail, reads across the blocks, past the end and after
// seeks from every origin.
class ReadAheadStreamTest : public ::testing::TestWithParam<int>
{
};

TEST_P(ReadAheadStreamTest, ReadsWhatTheFileStreamReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    QByteArray content(GetParam(), Qt::Uninitialized);
    QRandomGenerator random(GetParam());
    for (char &byte : content)
        byte = char(random.bounded(256));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const QByteArray name = QFile::encodeName(path);
    TagLib::FileStream reference(name.constData(), true);
    ReadAheadStream stream(::open(name.constData(), O_RDONLY | O_CLOEXEC), name.toStdString());
    ASSERT_EQ(stream.length(), reference.length());

    using Position = TagLib::IOStream::Position;
    for (int step = 0; step < 400; ++step) {
        const auto origin = Position(random.bounded(3));
        const long offset = long(random.bounded(GetParam() + 2000)) - (origin == Position::Beginning ? 0 : GetParam() / 2);
        const unsigned long size = random.bounded(4) == 0 ? random.bounded(200'000) : random.bounded(4096);
        reference.seek(offset, origin);
        stream.seek(offset, origin);
        ASSERT_EQ(stream.tell(), reference.tell()) << "step " << step;
        const TagLib::ByteVector expected = reference.readBlock(size);
        const TagLib::ByteVector read = stream.readBlock(size);
        ASSERT_EQ(read, expected) << "step " << step << " at " << reference.tell();
        ASSERT_EQ(stream.tell(), reference.tell()) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadAheadStreamTest, ::testing::Values(0, 1, 5000, 300'000, 2'000'000));

} // namespace
