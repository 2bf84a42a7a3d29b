#pragma once

#include <taglib/tiostream.h>

#include <string>
#include <vector>

// A read-only TagLib stream over a file descriptor that serves TagLib's many small reads from
// memory: the head and the tail of the file (where tags and stream headers live) are read once
// each, and reads elsewhere fill a window around them. A small file is read whole in one call.
class ReadAheadStream final : public TagLib::IOStream
{
public:
    // Takes the descriptor over and closes it. `name` is only reported back.
    ReadAheadStream(int descriptor, std::string name);
    ~ReadAheadStream() override;
    ReadAheadStream(const ReadAheadStream &) = delete;
    ReadAheadStream &operator=(const ReadAheadStream &) = delete;

    TagLib::FileName name() const override { return m_name.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long = 0, unsigned long = 0) override {}
    void removeBlock(unsigned long = 0, unsigned long = 0) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position position = Beginning) override;
    long tell() const override { return m_position; }
    long length() override { return m_length; }
    void truncate(long) override {}

private:
    struct Block
    {
        long offset = 0;
        std::vector<char> bytes;
        bool holds(long from, long size) const { return from >= offset && from + size <= offset + long(bytes.size()); }
    };

    // Reads up to `size` bytes at `offset`; fewer at the end of the file or on an error.
    long readAt(long offset, char *buffer, long size) const;
    void fill(Block &block, long offset, long size) const;

    int m_descriptor;
    std::string m_name;
    long m_length = 0;
    long m_position = 0;
    Block m_head;
    Block m_tail;
    Block m_window;
};
