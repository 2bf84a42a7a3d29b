#pragma once

#include "GuiSupport/GuiFixture.h"

#include "Views/TagEditorView.h"

#include <QAtomicInt>
#include <QSemaphore>

#include <memory>

// Counts the reads that reach the tags underneath and, while `holdsWrites`, holds every write
// until the test releases the gate.
class ObservedTagIO final : public TagIO
{
public:
    explicit ObservedTagIO(std::shared_ptr<const TagIO> tags) : m_tags(std::move(tags)) {}

    std::optional<TagFields> read(const FileLocation &file) const override
    {
        reads.ref();
        return m_tags->read(file);
    }
    std::expected<void, TagServiceError> write(const TagFields &fields, const FileLocation &file) const override
    {
        if (holdsWrites)
            gate.acquire();
        return m_tags->write(fields, file);
    }

    mutable QAtomicInt reads;
    bool holdsWrites = false;
    mutable QSemaphore gate;

private:
    std::shared_ptr<const TagIO> m_tags;
};

// A tag editor sheet over the seeded model, themed like a window, its file work awaited.
class TagEditorFixture : public GuiFixture
{
protected:
    ~TagEditorFixture() override;

    // The model with every tag read and write going through `tagIO` over `tags`.
    AppModel &buildModelWith(std::shared_ptr<const TagIO> tags);
    // Shows a sheet for the tracks (building the model over the fake tags first if needed) and
    // waits until what it reads has arrived.
    TagEditorView &open(const QList<Track> &tracks);
    // The seeded tracks with these titles, in that order.
    QList<Track> seeded(const QStringList &titles);
    // A track of the seeded library pointed at another file.
    Track trackAt(const QString &fileName);

    // Saves, and waits until the write has come back.
    void saveAndWait();
    // Waits for a cover file to be taken in (or refused).
    void awaitCover();

    std::shared_ptr<ObservedTagIO> tagIO;
    std::unique_ptr<TagEditorView> sheet;
};
