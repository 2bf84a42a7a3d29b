#pragma once

#include "ModelFixture.h"

#include "FaultInjectingFileOperations.h"

#include <QFuture>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

// A model whose file work goes through injectable faults, with helpers to await its commands.
class FileCommandFixture : public ModelFixture
{
protected:
    // The model goes first: it works through `files`.
    ~FileCommandFixture() override { model.reset(); }

    AppModel &buildModel();

    // Runs the event loop until the command has finished, and gives its result.
    template <typename T> static T await(const QFuture<T> &future)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10000));
        return future.result();
    }
    void awaitIdle() const;
    // Every progress text the model publishes from now on ("-" for none).
    void recordProgress();

    // A real file under the temporary folder, with some bytes in it.
    FileLocation makeFile(const QByteArray &relativePath, const QByteArray &bytes = "audio");
    Track trackFor(const QString &title, const FileLocation &file) const;

    FaultInjectingFileOperations files;
    QStringList progress;
};
