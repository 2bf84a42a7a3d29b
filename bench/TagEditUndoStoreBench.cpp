#include "Tags/TagEditUndoStore.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int journalLimit = 50;
constexpr qsizetype coverBytes = 300 * 1024;

QString coverBase64(quint32 seed)
{
    QByteArray image(coverBytes, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32 *>(image.data()), image.size() / sizeof(quint32));
    return QString::fromLatin1(image.toBase64());
}

// An edit that replaced the cover along with the text fields: both sides carry one.
TagUndoEntry coverEdit(const FileLocation &folder, int number)
{
    TagFields before;
    before.title = QStringLiteral("七里香 %1").arg(number);
    before.artist = QStringLiteral("周杰伦");
    before.year = 2004;
    before.artworkBase64 = coverBase64(quint32(2 * number));
    TagFields after = before;
    after.album = QStringLiteral("七里香");
    after.artworkBase64 = coverBase64(quint32(2 * number + 1));
    return {folder.appending(QStringLiteral("歌 %1.flac").arg(number)), before, after, 1000.0 + number};
}

// Recording into a journal that is already full: every record drops the oldest entry, keeps
// the previous file as the backup and writes about 40 MB of JSON.
void recordOnFullJournal(benchmark::State &state)
{
    QTemporaryDir root;
    const FileLocation folder = FileLocation::fromLocalFile(root.path());
    TagEditUndoStore store(folder.appending(QByteArray("undo")), journalLimit);
    for (int i = 0; i < journalLimit; ++i) {
        if (!store.record(coverEdit(folder, i))) {
            state.SkipWithError("the journal could not be filled");
            return;
        }
    }
    const TagUndoEntry next = coverEdit(folder, journalLimit);
    for (auto _ : state) {
        if (!store.record(next))
            state.SkipWithError("record failed");
    }
}
BENCHMARK(recordOnFullJournal)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
