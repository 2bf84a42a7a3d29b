#include "BenchData.h"
#include "Tags/MojibakeRepair.h"

#include <QStringEncoder>

#include <benchmark/benchmark.h>

namespace {

constexpr int trackCount = 100'000;

// The four fields the library checks on every load and scan, of each track.
QStringList fieldsOf(const QList<Track> &tracks)
{
    QStringList fields;
    fields.reserve(tracks.size() * 4);
    for (const Track &track : tracks)
        fields << track.title << track.artist << track.album << track.albumArtist.value_or(track.artist);
    return fields;
}

QStringList cleanChinese()
{
    QList<Track> tracks = BenchData::makeTracks(trackCount);
    for (Track &track : tracks) {
        track.title = u"七里香 "_qs + track.title;
        track.artist = u"周杰伦"_qs;
        track.album = u"十一月的萧邦"_qs;
    }
    return fieldsOf(tracks);
}

QStringList cleanAscii()
{
    QStringList fields;
    for (int i = 0; i < trackCount; ++i)
        fields << u"Track %1 (Remastered)"_qs.arg(i) << u"The Beatles"_qs << u"Abbey Road"_qs << u"The Beatles"_qs;
    return fields;
}

// Chinese tags written in GBK or UTF-8 and read back as Western text, half of each.
QStringList garbled()
{
    QStringEncoder gbk("GB18030");
    QStringEncoder utf8(QStringConverter::Utf8);
    QStringDecoder windows1252("windows-1252");
    QStringList fields;
    for (QString &field : fieldsOf(BenchData::makeTracks(trackCount))) {
        const QByteArray bytes = fields.size() % 2 == 0 ? QByteArray(gbk.encode(field)) : QByteArray(utf8.encode(field));
        fields << windows1252.decode(bytes);
    }
    return fields;
}

void run(benchmark::State &state, const QStringList &fields)
{
    for (auto _ : state) {
        int repaired = 0;
        for (const QString &field : fields)
            repaired += MojibakeRepair::repaired(field).has_value();
        benchmark::DoNotOptimize(repaired);
    }
    state.SetLabel("per 100k tracks, 4 fields each");
}

void BM_CleanChinese(benchmark::State &state)
{
    static const QStringList fields = cleanChinese();
    run(state, fields);
}

void BM_CleanAscii(benchmark::State &state)
{
    static const QStringList fields = cleanAscii();
    run(state, fields);
}

void BM_Garbled(benchmark::State &state)
{
    static const QStringList fields = garbled();
    run(state, fields);
}

} // namespace

BENCHMARK(BM_CleanChinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CleanAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Garbled)->Unit(benchmark::kMillisecond);
