#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

// A private copy of a file, made beside the real file (links resolved) so that one rename can
// replace it. The copy is created exclusively, keeps the original's owner and permissions, and
// is removed again unless it replaced the file.
class TemporaryCopy
{
public:
    // Copies the file at `path` to "<real path>.quillmere-<pid>-<random>.tmp". Nothing when the
    // path is not a regular file or the copy cannot be made; `error` tells why. The copy is not
    // begun (ENOSPC) unless the folder has room for it plus `growth` bytes.
    static std::unique_ptr<TemporaryCopy> make(const char *path, std::error_code &error, std::uint64_t growth = 0);
    // The same with a chosen name for the copy; `target` must be the real path.
    static std::unique_ptr<TemporaryCopy> make(const std::string &target, const std::string &copyPath,
                                               std::error_code &error, std::uint64_t growth = 0);

    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

    // Open for reading and writing; stays with this object.
    int descriptor() const { return m_descriptor; }
    const std::string &path() const { return m_path; }

    // Flushes the copy to disk, renames it over the real file and then flushes the folder, so
    // that a power cut leaves either the old or the new file, never an empty one.
    std::error_code replaceTarget();

private:
    TemporaryCopy(std::string target, std::string path, int descriptor);

    std::string m_target;
    std::string m_path;
    int m_descriptor;
    bool m_replaced = false;
};
