#include "CacheCard.h"

#include "FFmpegControl.h"
#include "SettingsIcons.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "UI/AppModel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CacheCard::CacheCard(AppModel &model, QWidget *parent)
    : SettingsCard(SettingsIcons::internalDrive(18, 2.0), L("缓存"), parent)
    , m_model(model)
    , m_clear(new QPushButton(L("清理缓存")))
    , m_size(new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.4, 0.62)))
    , m_path(new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.5, 0.62)))
    , m_installAdvice(new ThemedLabel(Lf("可运行 %@ 安装 FFmpeg。", FFmpegControl::installCommand), 10.5,
          QFont::Normal, ThemedLabel::muted(0.45, 0.62)))
    , m_redetect(new QPushButton(L("重新检测")))
    , m_choose(new QPushButton(L("选择文件…")))
{
    auto *intro = new ThemedLabel(L("不支持的格式会转换为 ALAC 后缓存在这里，清理不会删除原始文件。"), 11,
        QFont::Normal, ThemedLabel::muted(0.5, 0.62));
    intro->setWraps(true);
    rows()->addWidget(intro);

    QHBoxLayout *cache = addRow(10);
    cache->addWidget(m_clear);
    cache->addWidget(m_size, 1);

    QHBoxLayout *ffmpeg = addRow(10);
    ffmpeg->addWidget(new ThemedLabel(L("FFmpeg"), 11, QFont::DemiBold, [](const ThemePalette &palette) {
        QColor colour = palette.text;
        colour.setAlphaF(0.7f);
        return colour;
    }));
    ffmpeg->addWidget(m_path, 1);
    ffmpeg->addSpacing(6);
    ffmpeg->addWidget(m_redetect);
    ffmpeg->addWidget(m_choose);
    rows()->addWidget(m_installAdvice);

    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_clear->setEnabled(false);
        m_clearResult.setFuture(m_model.clearTranscodeCache());
    });
    connect(&m_clearResult, &QFutureWatcherBase::finished, this, [this] {
        setNotice(m_clearResult.result());
        refresh();
    });
    connect(m_redetect, &QPushButton::clicked, this, [this] {
        setNotice(m_model.redetectFFmpeg());
        refresh();
    });
    connect(m_choose, &QPushButton::clicked, this, [this] {
        // A cancelled chooser leaves the last result standing.
        if (const std::optional<QString> text = m_model.chooseFFmpegPath())
            setNotice(*text);
        refresh();
    });
    connect(&m_model, &AppModel::transcodeCacheBytesChanged, this, &CacheCard::refresh);
    connect(&m_model, &AppModel::showsFFmpegInstallPromptChanged, this, &CacheCard::refresh);
    refresh();
}

void CacheCard::refresh()
{
    m_clear->setEnabled(m_model.transcodeCacheBytes() != 0 && !m_clearResult.isRunning());
    m_size->setText(m_model.transcodeCacheSizeText());

    const QString path = m_model.ffmpegPathText();
    const bool missing = path == L("未找到");
    m_path->setText(path);
    m_path->setToolTip(missing ? QString() : path.toHtmlEscaped());
    m_path->setColour(missing ? ThemedLabel::Colour([](const ThemePalette &palette) { return palette.warning; })
                              : ThemedLabel::muted(0.5, 0.62));
    m_installAdvice->setVisible(missing);
}
