#include "TagEditorFixture.h"

#include "GuiSupport/Screenshots.h"
#include "Views/MainWindow.h"
#include "Views/SheetPresenter.h"
#include "Views/TagCoverSection.h"
#include "Views/TagLimitationNote.h"
#include "Views/TagNumberFieldRow.h"
#include "Views/TagTextFieldRow.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString label(const TagEditorView &sheet, const char *name)
{
    const auto *found = sheet.findChild<QLabel *>(QString::fromLatin1(name));
    return found && !found->isHidden() ? found->text() : QStringLiteral("<none>");
}

QLineEdit *field(QWidget *row)
{
    return row->findChild<QLineEdit *>(QStringLiteral("field"));
}

QPushButton *button(QWidget *parent, const char *name)
{
    return parent->findChild<QPushButton *>(QString::fromLatin1(name));
}

QByteArray imageBytes(const char *format, QColor colour = QColor(200, 60, 40))
{
    // Qt reads GIF but cannot write it: one red pixel.
    if (qstrcmp(format, "GIF") == 0)
        return QByteArray::fromHex("474946383961010001008000"
                                   "00ff000000000021f90401000000002c00000000010001000002024401003b");
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

// Chinese stored as GB 18030 and read back as Latin-1.
QString garbled(const QString &text)
{
    QStringEncoder gb18030("GB18030");
    const QByteArray bytes = gb18030.encode(text);
    return QString::fromLatin1(bytes);
}

class TagEditorViewTest : public TagEditorFixture
{
protected:
    FileLocation writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = files.path() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return FileLocation::fromLocalFile(path);
    }

    QTemporaryDir files;
};

} // namespace

TEST_F(TagEditorViewTest, OneTrackIsReadOnceWhenFirstShownAndShowsWhatWasReadInEitherAppearance)
{
    const Track sunny = seeded({ u"晴天"_qs }).constFirst();
    TagFields stored;
    stored.title = garbled(u"晴天"_qs);
    stored.artist = u"周杰伦"_qs;
    stored.year = 2003;
    stored.genre = u"Pop"_qs;
    stored.artworkBase64 = QString::fromLatin1(imageBytes("JPEG", QColor(40, 110, 160)).toBase64());
    environment.tags->setTags(sunny.url, stored);

    TagEditorView &view = open({ sunny });
    EXPECT_EQ(label(view, "heading"), u"编辑标签"_qs);
    EXPECT_EQ(label(view, "subtitle"), u"晴天"_qs);
    EXPECT_EQ(label(view, "batchNote"), u"<none>"_qs);
    EXPECT_EQ(label(view, "closingNote"), u"<none>"_qs);
    EXPECT_EQ(view.titleRow()->text(), *stored.title);
    EXPECT_EQ(view.artistRow()->text(), u"周杰伦"_qs);
    EXPECT_EQ(view.yearRow()->text(), u"2003"_qs);
    EXPECT_EQ(view.trackNumberRow()->text(), QString());
    EXPECT_EQ(field(view.albumRow())->placeholderText(), u"专辑"_qs);
    EXPECT_EQ(view.coverSection()->hint(), u"当前封面"_qs);
    EXPECT_FALSE(view.coverSection()->displayedCover().isNull());
    EXPECT_TRUE(button(view.coverSection(), "removeCoverButton")->isVisibleTo(&view));
    EXPECT_TRUE(view.saveButton()->isEnabled());
    Screenshots::save(view, u"tag-editor-single-light"_qs);

    // Shown again: nothing is read and what the user typed stays.
    view.artistRow()->setText(u"Jay"_qs);
    view.hide();
    view.show();
    settle(20);
    EXPECT_EQ(tagIO->reads.loadRelaxed(), 1);
    EXPECT_EQ(view.artistRow()->text(), u"Jay"_qs);

    // The sheet follows the appearance while it is open.
    QTest::mouseClick(button(view.titleRow(), "repairButton"), Qt::LeftButton);
    colorScheme.setDark(true);
    settle(20);
    EXPECT_EQ(view.palette().color(QPalette::WindowText), theme.palette().text);
    Screenshots::save(view, u"tag-editor-single-dark-repair"_qs);
}

TEST_F(TagEditorViewTest, ABatchStartsEmptyAndWritesOnlyTheFilledFieldsToEveryTrack)
{
    const QList<Track> tracks = seeded({ u"晴天"_qs, u"东风破"_qs, u"So What"_qs });
    for (const Track &track : tracks) {
        TagFields stored;
        stored.title = track.title;
        environment.tags->setTags(track.url, stored);
    }

    TagEditorView &view = open(tracks);
    EXPECT_EQ(tagIO->reads.loadRelaxed(), 0);
    EXPECT_EQ(label(view, "heading"), u"批量编辑标签"_qs);
    EXPECT_EQ(label(view, "subtitle"), u"3 首"_qs);
    EXPECT_EQ(label(view, "batchNote"), u"正在批量编辑 3 首歌曲。留空的字段不会被修改。"_qs);
    EXPECT_EQ(label(view, "closingNote"), u"留空的文本字段不会被修改。"_qs);
    EXPECT_EQ(field(view.titleRow())->placeholderText(), u"留空不修改"_qs);
    EXPECT_EQ(field(view.yearRow())->placeholderText(), u"留空不修改"_qs);
    EXPECT_EQ(view.titleRow()->text(), QString());
    EXPECT_EQ(view.coverSection()->hint(), u"留空则不修改封面。"_qs);
    EXPECT_FALSE(button(view.coverSection(), "removeCoverButton")->isVisibleTo(&view));

    // A refusal, to be looked at in both appearances.
    view.yearRow()->setText(u"03"_qs);
    view.trackNumberRow()->setText(u"65536"_qs);
    view.save();
    Screenshots::save(view, u"tag-editor-batch-light"_qs);
    colorScheme.setDark(true);
    settle(20);
    EXPECT_EQ(view.palette().color(QPalette::WindowText), theme.palette().text);
    Screenshots::save(view, u"tag-editor-batch-dark"_qs);

    view.yearRow()->setText(QString());
    view.trackNumberRow()->setText(QString());
    view.genreRow()->setText(u" Jazz "_qs);
    saveAndWait();
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(view.result(), QDialog::Accepted);
    for (const Track &track : tracks) {
        EXPECT_EQ(environment.tags->read(track.url)->genre, u"Jazz"_qs);
        EXPECT_EQ(environment.tags->read(track.url)->title, track.title);
    }
}

TEST_F(TagEditorViewTest, FormatsThatCannotTakeTagsDisableTheirRowsWithTheReason)
{
    seeded({});
    struct Case
    {
        QList<Track> tracks;
        bool canSave;
        bool fieldsEnabled;
        bool albumArtistEnabled;
        QString note;
    };
    const QList<Case> cases {
        { { trackAt(u"a.wma"_qs) }, true, true, false, u"WMA/ASF 格式不支持写入专辑歌手或封面。"_qs },
        { { trackAt(u"a.mp3"_qs), trackAt(u"b.xyz"_qs) }, false, false, false,
            u"不支持的音频格式，无法写入标签。"_qs },
        // A WAV file without an ID3 chunk (here: no file at all) cannot be written.
        { { trackAt(u"c.wav"_qs) }, false, false, false,
            u"这个 WAV 文件没有 ID3v2 标签块，无法写入标签。"_qs },
        // No track: nothing to save.
        { {}, false, true, true, QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.note.toStdString());
        TagEditorView &view = open(c.tracks);
        EXPECT_EQ(view.saveButton()->isEnabled(), c.canSave);
        EXPECT_EQ(field(view.titleRow())->isEnabled(), c.fieldsEnabled);
        EXPECT_EQ(field(view.yearRow())->isEnabled(), c.fieldsEnabled);
        EXPECT_EQ(field(view.albumArtistRow())->isEnabled(), c.albumArtistEnabled);
        const auto *note = view.findChild<TagLimitationNote *>();
        EXPECT_EQ(note ? note->text() : QString(), c.note);
        if (!c.note.isEmpty()) {
            EXPECT_EQ(view.coverSection()->hint(), c.note);
            EXPECT_FALSE(button(view.coverSection(), "chooseCoverButton")->isEnabled());
        }
        if (c.tracks.size() == 1 && c.canSave)
            Screenshots::save(view, u"tag-editor-wma-light"_qs);
    }
}

TEST_F(TagEditorViewTest, RefusalsAndFailuresKeepTheSheetOpenAndARunningSaveCannotBeCancelled)
{
    const QList<Track> tracks = seeded({ u"晴天"_qs, u"So What"_qs });
    const Track sunny = tracks.constFirst();
    environment.tags->failWriting(sunny.url, u"磁盘已满"_qs);
    TagEditorView &view = open({ sunny });

    view.yearRow()->setText(u"20031"_qs);
    view.trackNumberRow()->setText(u"x"_qs);
    saveAndWait();
    EXPECT_EQ(view.errorMessage(), u"年份必须是 1–9999 之间的整数。"_qs);
    EXPECT_EQ(label(view, "errorLine"), u"年份必须是 1–9999 之间的整数。"_qs);
    EXPECT_EQ(environment.tags->writeCount(), 0);

    view.yearRow()->setText(u"2003"_qs);
    view.trackNumberRow()->setText(u"3"_qs);
    saveAndWait();
    EXPECT_TRUE(view.isVisible());
    ASSERT_TRUE(view.errorMessage());
    EXPECT_TRUE(view.errorMessage()->startsWith(u"已更新 0 首，1 项失败："_qs)) << view.errorMessage()->toStdString();
    EXPECT_TRUE(view.saveButton()->isEnabled());
    EXPECT_TRUE(view.cancelButton()->isEnabled());

    // Neither Escape nor closing cancels a running save.
    const Track soWhat = tracks.constLast();
    TagEditorView &held = open({ soWhat });
    held.titleRow()->setText(u"Sunny"_qs);
    tagIO->holdsWrites = true;
    QTest::mouseClick(held.saveButton(), Qt::LeftButton);
    settle(20);
    EXPECT_EQ(label(held, "progressText"), u"正在写入 1/1…"_qs);
    EXPECT_FALSE(held.cancelButton()->isEnabled());
    EXPECT_FALSE(held.saveButton()->isEnabled());
    QTest::keyClick(&held, Qt::Key_Escape);
    held.close();
    held.reject();
    EXPECT_TRUE(held.isVisible());
    Screenshots::save(held, u"tag-editor-saving-light"_qs);
    tagIO->gate.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return held.isHidden(); }, 10000));
    EXPECT_EQ(held.result(), QDialog::Accepted);
    EXPECT_EQ(environment.tags->read(soWhat.url)->title, u"Sunny"_qs);
}

TEST_F(TagEditorViewTest, RepairPreviewAppliesOrCancels)
{
    TagEditorView &view = open({ seeded({ u"晴天"_qs }).constFirst() });
    TagTextFieldRow *row = view.titleRow();
    QPushButton *repair = button(row, "repairButton");

    row->setText(QString());
    EXPECT_FALSE(repair->isEnabled());
    row->setText(u"  "_qs);
    EXPECT_TRUE(repair->isEnabled());

    row->setText(u"Hello"_qs);
    QTest::mouseClick(repair, Qt::LeftButton);
    EXPECT_EQ(row->message(), u"未检测到乱码"_qs);
    EXPECT_EQ(row->text(), u"Hello"_qs);

    row->setText(garbled(u"周杰伦"_qs));
    QTest::mouseClick(repair, Qt::LeftButton);
    EXPECT_EQ(row->preview(), u"周杰伦"_qs);
    EXPECT_EQ(row->findChild<QLabel *>(u"previewText"_qs)->text(), u"修复预览：周杰伦"_qs);
    EXPECT_FALSE(row->findChild<QLabel *>(u"message"_qs)->isVisibleTo(row));
    Screenshots::save(view, u"tag-editor-repair-light"_qs);
    // Typing keeps the preview, which then replaces the edited text.
    row->setText(row->text() + u"!"_qs);
    QTest::mouseClick(button(row, "applyButton"), Qt::LeftButton);
    EXPECT_EQ(row->text(), u"周杰伦"_qs);
    EXPECT_EQ(row->preview(), std::nullopt);
    EXPECT_EQ(row->message(), std::nullopt);

    const QString before = garbled(u"晴天"_qs);
    row->setText(before);
    QTest::mouseClick(repair, Qt::LeftButton);
    ASSERT_TRUE(row->preview());
    QTest::mouseClick(button(row, "cancelPreviewButton"), Qt::LeftButton);
    EXPECT_EQ(row->text(), before);
    EXPECT_FALSE(row->findChild<QLabel *>(u"previewText"_qs)->isVisibleTo(row));
}

TEST_F(TagEditorViewTest, EveryDecodableCoverIsTakenAndEverythingElseRefused)
{
    ASSERT_TRUE(files.isValid());
    TagEditorView &view = open(seeded({ u"晴天"_qs, u"So What"_qs }));
    TagCoverSection *cover = view.coverSection();

    for (const char *format : { "PNG", "JPEG", "GIF", "BMP", "TIFF" }) {
        SCOPED_TRACE(format);
        const QByteArray bytes = imageBytes(format);
        cover->takeCoverFile(
            writeFile(QStringLiteral("cover.%1").arg(QString::fromLatin1(format).toLower()), bytes));
        awaitCover();
        EXPECT_EQ(cover->artworkEdit(), QString::fromLatin1(bytes.toBase64()));
        EXPECT_FALSE(cover->displayedCover().isNull());
        // Decoded at the preview's size, not the file's.
        EXPECT_LE(cover->displayedCover().height(), 68);
        EXPECT_EQ(cover->hint(), u"已选择新封面，保存后写入。"_qs);
    }
    EXPECT_EQ(view.errorMessage(), std::nullopt);
    const std::optional<QString> taken = cover->artworkEdit();

    cover->takeCoverFile(writeFile(u"notes.png"_qs, "not an image"));
    awaitCover();
    EXPECT_EQ(view.errorMessage(), u"无法识别所选的封面图片。"_qs);
    EXPECT_EQ(cover->artworkEdit(), taken);

    QFile huge(files.path() + u"/huge.png"_qs);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(imageBytes("PNG"));
    ASSERT_TRUE(huge.resize(20 * 1024 * 1024 + 1));
    huge.close();
    cover->takeCoverFile(FileLocation::fromLocalFile(huge.fileName()));
    awaitCover();
    EXPECT_EQ(view.errorMessage(), u"封面图片不能超过 20 MB。"_qs);
    EXPECT_EQ(cover->artworkEdit(), taken);

    // A file that cannot be read changes nothing and says nothing new.
    cover->takeCoverFile(FileLocation::fromLocalFile(files.path() + u"/gone.png"_qs));
    awaitCover();
    EXPECT_EQ(view.errorMessage(), u"封面图片不能超过 20 MB。"_qs);
    EXPECT_EQ(cover->artworkEdit(), taken);

    QTest::mouseClick(button(cover, "removeCoverButton"), Qt::LeftButton);
    EXPECT_EQ(cover->artworkEdit(), u""_qs);
    EXPECT_TRUE(cover->displayedCover().isNull());
    EXPECT_EQ(cover->hint(), u"保存后将移除封面。"_qs);
}

TEST_F(TagEditorViewTest, TheMainWindowPresentsTheSheetForTheRequestAndClearsItOnCancel)
{
    buildModelWith(environment.tags);
    MainWindow window(*model, theme);
    window.show();
    const Track sunny = seeded({ u"晴天"_qs }).constFirst();
    model->beginTagEdit({ sunny.id });
    auto *view = window.findChild<TagEditorView *>();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->isLoaded(); }, 10000));
    QTest::mouseClick(view->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(model->tagEditorRequest(), std::nullopt);
    EXPECT_FALSE(window.findChild<TagEditorView *>());
}
