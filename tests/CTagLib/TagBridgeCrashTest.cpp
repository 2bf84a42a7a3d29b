#include "AudioFixture.h"
#include "BridgeFixture.h"

#include "CTagLib/taglib_bridge.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace BridgeFixture;

namespace {

QJsonObject tagsNamed(const QString &title, char coverFill)
{
    return {{"title", title}, {"artworkBase64", QString::fromLatin1(pngImage(coverFill).toBase64())}};
}

// A writer killed at any moment leaves the old file or the new one, never a mix or a broken one.
TEST(TagBridgeCrash, killedWriterLeavesOldOrNewFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = AudioFixture::makeTone(folder.path(), "long.flac", 120.0, 523);
    ASSERT_FALSE(path.isEmpty());
    const QByteArray samplesHash = QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256);
    const QByteArray nativePath = QFile::encodeName(path);
    const QByteArray jsonA = QJsonDocument(tagsNamed("A", 'a')).toJson(QJsonDocument::Compact);
    const QByteArray jsonB = QJsonDocument(tagsNamed("B", 'b')).toJson(QJsonDocument::Compact);

    bool sawWrittenTags = false;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned count = 0;; ++count)
                quillmere_write_tags(nativePath.constData(), (count % 2 ? jsonB : jsonA).constData(), nullptr);
        }
        usleep(useconds_t(QRandomGenerator::global()->bounded(5000, 150000)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        const std::optional<QJsonObject> tags = readTags(path);
        ASSERT_TRUE(tags.has_value()) << "round " << round;
        const QJsonValue title = tags->value("title");
        if (title.isNull()) {
            EXPECT_EQ(tags->value("artworkBase64"), QJsonValue::Null);
        } else {
            sawWrittenTags = true;
            const QJsonObject expected = tagsNamed(title.toString(), title == "A" ? 'a' : 'b');
            EXPECT_TRUE(title == "A" || title == "B") << title.toString().toStdString();
            EXPECT_EQ(tags->value("artworkBase64"), expected["artworkBase64"]);
        }
        EXPECT_EQ(QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256), samplesHash)
            << "round " << round;
    }
    EXPECT_TRUE(sawWrittenTags);
}

} // namespace
