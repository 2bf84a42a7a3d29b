#pragma once

#include "GuiSupport/GuiFixture.h"

#include "Views/TagEditorView.h"

#include <QAtomicInt>
#include <QSemaphore>

#include <memory>

// Counts the reads that reach the tags underneath.
class CountingTagIO final : public TagIO
{
public:
    explicit CountingTagIO(std::shared_ptr<const TagIO> tags)
        : m_tags(std::move(tags))
    {
    }

    std::optional<TagFields> read(const FileLocation &file) const override
    {
        reads.ref();
        return m_tags->read(file);
    }
    std::expected<void, TagServiceError> write(
        const TagFields &fields, const FileLocation &file) const override
    {
        return m_tags->write(fields, file);
    }

    mutable QAtomicInt reads;

private:
    std::shared_ptr<const TagIO> m_tags;
};

// Holds every write until the test opens the gate.
class GatedTagIO final : public TagIO
{
public:
    explicit GatedTagIO(std::shared_ptr<const TagIO> tags)
        : m_tags(std::move(tags))
    {
    }

    std::optional<TagFields> read(const FileLocation &file) const override { return m_tags->read(file); }
    std::expected<void, TagServiceError> write(
        const TagFields &fields, const FileLocation &file) const override
    {
        gate.acquire();
        return m_tags->write(fields, file);
    }

    mutable QSemaphore gate;

private:
    std::shared_ptr<const TagIO> m_tags;
};

// A tag editor sheet over the seeded model, themed like a window, its file work awaited.
class TagEditorFixture : public GuiFixture
{
protected:
    ~TagEditorFixture() override;

    // The model with every tag read and write going through `tags`.
    AppModel &buildModelWith(std::shared_ptr<const TagIO> tags);
    // Shows a sheet for the tracks and waits until what it reads has arrived.
    TagEditorView &open(const QList<Track> &tracks);
    // The seeded tracks with these titles, in that order.
    QList<Track> seeded(const QStringList &titles) const;
    // A track of the seeded library pointed at another file.
    Track trackAt(const QString &fileName) const;

    // Saves, and waits until the write has come back.
    void saveAndWait();
    // Waits for a cover file to be taken in (or refused).
    void awaitCover();

    std::unique_ptr<TagEditorView> sheet;
};
