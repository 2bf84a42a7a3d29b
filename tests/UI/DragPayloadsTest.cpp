#include "UI/DragPayloads.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(DragPayloadsTest, TrackPayloadCarriesUpperCaseIdentifierAsText)
{
    const QUuid id = QUuid::fromString(QStringLiteral("{0f8fad5b-d9cb-469f-a165-70867728950e}"));
    std::unique_ptr<QMimeData> payload(DragPayloads::trackPayload(id));
    const auto text = DragPayloads::textValue(*payload);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    EXPECT_EQ(QUuid::fromString(*text), id);
    EXPECT_FALSE(DragPayloads::offersFileURLs(*payload));
}

TEST(DragPayloadsTest, TextFromValidUtf8DataElsePlainText)
{
    QMimeData data;
    data.setData(QString::fromLatin1(DragPayloads::utf8TextType), QStringLiteral("晴天").toUtf8());
    EXPECT_EQ(DragPayloads::textValue(data), QStringLiteral("晴天"));
    QMimeData text;
    text.setText(QStringLiteral("晴天"));
    EXPECT_EQ(DragPayloads::textValue(text), QStringLiteral("晴天"));

    data.setData(QString::fromLatin1(DragPayloads::utf8TextType), QByteArray("\xff\xfe\xc3", 3));
    EXPECT_FALSE(DragPayloads::textValue(data).has_value());
    data.setText(QStringLiteral("fallback"));
    EXPECT_EQ(DragPayloads::textValue(data), QStringLiteral("fallback"));
    EXPECT_FALSE(DragPayloads::textValue(QMimeData()).has_value());
}

TEST(DragPayloadsTest, LocalFileURLsKeepTheirOrderAndRawBytes)
{
    QMimeData data;
    // A GBK-encoded name is not UTF-8; its bytes must come back unchanged.
    data.setData(QString::fromLatin1(DragPayloads::fileUrlType),
        "# comment\r\nfile:///music/%C7%E7%CC%EC.mp3\r\nhttps://example.com/x\r\nfile:///music/Album\r\n");
    ASSERT_TRUE(DragPayloads::offersFileURLs(data));
    const QList<FileLocation> locations = DragPayloads::fileURLValues(data);
    ASSERT_EQ(locations.size(), 2);
    EXPECT_EQ(locations[0].path(), QByteArray("/music/\xC7\xE7\xCC\xEC.mp3"));
    EXPECT_EQ(locations[1].path(), QByteArray("/music/Album"));

    // A list of remote addresses is offered but yields nothing.
    data.setData(QString::fromLatin1(DragPayloads::fileUrlType), "https://example.com/a.mp3\n");
    EXPECT_TRUE(DragPayloads::offersFileURLs(data));
    EXPECT_TRUE(DragPayloads::fileURLValues(data).isEmpty());
}

} // namespace
