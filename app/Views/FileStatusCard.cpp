#include "FileStatusCard.h"

#include "FileManagerReveal.h"
#include "SettingsIcons.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QColor warning(const ThemePalette &palette)
{
    return palette.warning;
}

// A one-pixel rule in the palette's hairline colour.
class Hairline final : public QWidget
{
public:
    Hairline() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), ThemeEnvironment::theme(this).hairline); }
};

} // namespace

FileStatusCard::FileStatusCard(AppModel &model, QWidget *parent)
    : SettingsCard(SettingsIcons::folder(18, 2.0), L("文件状态"), parent)
    , m_model(model)
    , m_missingBlock(new QWidget)
    , m_missingCount(new ThemedLabel(QString(), 11, QFont::Medium, warning))
    , m_removeAll(new QPushButton(L("移除缺失条目")))
    , m_missingList(new MissingTrackList)
    , m_unreadableBlock(new QWidget)
    , m_unreadableCount(new ThemedLabel(QString(), 11, QFont::Medium, warning))
    , m_unreadableMore(new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.35, 0.62)))
{
    auto *missing = new QVBoxLayout(m_missingBlock);
    missing->setContentsMargins(0, 0, 0, 0);
    missing->setSpacing(8);
    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(m_missingCount, 1);
    header->addSpacing(8);
    header->addWidget(m_removeAll);
    missing->addLayout(header);
    missing->addWidget(m_missingList);
    rows()->addWidget(m_missingBlock);

    auto *unreadable = new QVBoxLayout(m_unreadableBlock);
    unreadable->setContentsMargins(0, 0, 0, 0);
    unreadable->setSpacing(8);
    unreadable->addWidget(new Hairline);
    unreadable->addWidget(m_unreadableCount);
    for (qsizetype line = 0; line < listedUnreadableFiles; ++line) {
        auto *name = new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.45, 0.62));
        m_unreadableNames.append(name);
        unreadable->addWidget(name);
    }
    unreadable->addWidget(m_unreadableMore);
    rows()->addWidget(m_unreadableBlock);

    connect(m_removeAll, &QPushButton::clicked, this, [this] {
        setNotice(m_model.removeMissingTracks());
        refresh();
    });
    connect(m_missingList, &MissingTrackList::actionTriggered, this, &FileStatusCard::act);
    connect(&m_model, &AppModel::tracksChanged, this, &FileStatusCard::refresh);
    connect(&m_model, &AppModel::isScanningChanged, this, &FileStatusCard::refresh);
    refresh();
}

void FileStatusCard::refresh()
{
    const QList<Track> missing = m_model.library().missingTracks();
    const QList<FileLocation> &unreadable = m_model.library().unreadableURLs();

    m_missingBlock->setVisible(!missing.isEmpty());
    m_missingCount->setText(Lf("缺失文件 %d 首", missing.size()));
    if (missing != m_missingList->tracks())
        m_missingList->setTracks(missing);

    m_unreadableBlock->setVisible(!unreadable.isEmpty());
    m_unreadableCount->setText(Lf("无法读取 %d 个文件", unreadable.size()));
    for (qsizetype line = 0; line < listedUnreadableFiles; ++line) {
        ThemedLabel *name = m_unreadableNames[line];
        name->setVisible(line < unreadable.size());
        // A file name, not a text of ours: shown as it is.
        name->setText(line < unreadable.size() ? unreadable[line].fileNameText() : QString());
    }
    const qsizetype more = unreadable.size() - listedUnreadableFiles;
    m_unreadableMore->setVisible(more > 0);
    m_unreadableMore->setText(more > 0 ? Lf("另有 %d 个…", more) : QString());

    setVisible(!missing.isEmpty() || !unreadable.isEmpty() || notice());
}

QStringList FileStatusCard::unreadableLines() const
{
    QStringList lines;
    for (ThemedLabel *label : m_unreadableNames) {
        if (!label->isHidden())
            lines.append(label->text());
    }
    if (!m_unreadableMore->isHidden())
        lines.append(m_unreadableMore->text());
    return lines;
}

void FileStatusCard::act(const Track &track, MissingTrackList::Action action)
{
    switch (action) {
    case MissingTrackList::Action::relocate:
        relocate(track);
        break;
    case MissingTrackList::Action::reveal:
        FileManagerReveal::reveal(track.url);
        break;
    case MissingTrackList::Action::remove:
        setNotice(m_model.removeTracksFromLibrary({track.id}));
        break;
    }
    refresh();
}

void FileStatusCard::relocate(const Track &track)
{
    const std::optional<FileLocation> chosen = m_model.prompts().chooseFile(Lf("选择《%@》的新位置", track.title), {});
    if (chosen)
        setNotice(m_model.relocateTrack(track, *chosen));
}
