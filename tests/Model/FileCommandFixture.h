#pragma once

#include "ModelFixture.h"

#include "FaultInjectingFileOperations.h"

#include <QStringList>

// A model whose file work goes through injectable faults, with helpers to await its commands.
class FileCommandFixture : public ModelFixture
{
protected:
    // The model goes first: it works through `files`.
    ~FileCommandFixture() override { model.reset(); }

    AppModel &buildModel();

    void awaitIdle() const;
    // Every progress text the model publishes from now on ("-" for none).
    void recordProgress();

    static TagFields titled(const QString &title) { return {.title = title}; }
    // Tracks A, B, C… under /Music, each file holding its own title.
    QList<Track> seedTracks(int count);

    // A real file under the temporary folder, with some bytes in it.
    FileLocation makeFile(const QByteArray &relativePath, const QByteArray &bytes = "audio");
    Track trackFor(const QString &title, const FileLocation &file) const;

    FaultInjectingFileOperations files;
    QStringList progress;
};
