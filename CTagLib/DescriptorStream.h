#pragma once

#include <taglib/tiostream.h>

#include <system_error>

// A TagLib stream over a file descriptor, for writing. TagLib's own file stream drops the errors
// of its writes, so a full disk passes for a saved file; this one remembers the first failure of
// any read, write or truncation, and the file counts as damaged from then on.
class DescriptorStream final : public TagLib::IOStream
{
public:
    // Takes the descriptor over and closes it.
    explicit DescriptorStream(int descriptor);
    ~DescriptorStream() override;
    DescriptorStream(const DescriptorStream &) = delete;
    DescriptorStream &operator=(const DescriptorStream &) = delete;

    // The first failure; empty while every operation succeeded.
    std::error_code error() const { return m_error; }
    // The length the file must have after the operations so far, counted from what they asked
    // for rather than from the file.
    long expectedLength() const { return m_expectedLength; }

    TagLib::FileName name() const override { return ""; }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector &data) override;
    void insert(const TagLib::ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override;
    void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
    bool readOnly() const override { return false; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position position = Beginning) override;
    long tell() const override { return m_position; }
    long length() override;
    void truncate(long length) override;

private:
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    long readAt(long offset, char *buffer, unsigned long size);
    void writeAt(long offset, const char *data, unsigned long size);
    // Moves the bytes from `from` to the end of the file so that they start at `to`.
    void moveTail(long from, long to);
    void fail(int code);

    int m_descriptor;
    long m_position = 0;
    long m_expectedLength = 0;
    std::error_code m_error;
};
