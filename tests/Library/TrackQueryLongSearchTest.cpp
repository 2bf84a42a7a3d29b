#include "Library/TextKeyTable.h"
#include "Library/TrackQuery.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// Text from a small alphabet, so that a needle's first and last characters stand in many places
// where the needle does not.
QString randomText(QRandomGenerator &random, int maximumLength)
{
    static const QString alphabet = u"abcab周杰伦周"_qs;
    QString text;
    for (int i = random.bounded(maximumLength + 1); i > 0; --i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

} // namespace

// A search runs over the joined text of the whole list; on long lists it finds exactly what
// looking into each field on its own finds.
TEST(TrackQueryLongSearchTest, FindsWhatEachFieldOnItsOwnContains)
{
    QRandomGenerator random(7);
    QList<Track> tracks;
    for (int i = 0; i < 400; ++i) {
        Track track;
        track.id = QUuid::createUuid();
        track.title = randomText(random, 30);
        track.artist = randomText(random, 12);
        track.album = randomText(random, 3);
        track.url = FileLocation::fromLocalFile(u"/music/"_qs + randomText(random, 20) + u".mp3"_qs);
        tracks.append(track);
    }
    TrackQuery query;
    for (int round = 0; round < 300; ++round) {
        const QString needle = randomText(random, 7);
        QList<qsizetype> expected;
        for (qsizetype row = 0; !needle.isEmpty() && row < tracks.size(); ++row) {
            const Track &track = tracks.at(row);
            for (const QString &field : {track.title, track.artist, track.album, track.url.fileNameText()}) {
                if (TextKeyTable::fold(field).contains(TextKeyTable::fold(needle))) {
                    expected.append(row);
                    break;
                }
            }
        }
        if (needle.isEmpty())
            continue;
        ASSERT_EQ(query.filter(tracks, needle), expected) << needle.toStdString();
    }
}
