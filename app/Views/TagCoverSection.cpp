#include "TagCoverSection.h"

#include "SheetStyle.h"
#include "TagCoverPreview.h"
#include "UI/Fonts.h"

#include "Localization.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <QtMath>

TagCoverSection::TagCoverSection(bool batch, QWidget *parent)
    : QWidget(parent)
    , m_batch(batch)
    , m_preview(new TagCoverPreview(this))
    , m_chooseButton(new QPushButton(L("选择封面…"), this))
    , m_removeButton(new QPushButton(L("移除封面"), this))
    , m_hint(new QLabel(this))
{
    setObjectName(QStringLiteral("coverSection"));
    m_chooseButton->setObjectName(QStringLiteral("chooseCoverButton"));
    m_removeButton->setObjectName(QStringLiteral("removeCoverButton"));
    m_hint->setObjectName(QStringLiteral("coverHint"));
    m_chooseButton->setAutoDefault(false);
    m_removeButton->setAutoDefault(false);
    m_hint->setTextFormat(Qt::PlainText);
    m_hint->setWordWrap(true);
    m_hint->setFont(Fonts::system(10.5));
    connect(m_chooseButton, &QPushButton::clicked, this, &TagCoverSection::chooseCover);
    connect(m_removeButton, &QPushButton::clicked, this, &TagCoverSection::removeCover);
    connect(&m_taking, &QFutureWatcherBase::finished, this, &TagCoverSection::coverTaken);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_chooseButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch(1);

    auto *column = new QVBoxLayout;
    column->setSpacing(6);
    column->addLayout(buttons);
    column->addWidget(m_hint);
    column->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_preview, 0, Qt::AlignTop);
    layout->addLayout(column, 1);
    refresh();
}

void TagCoverSection::setCapabilities(const TagFormatCapabilities &capabilities)
{
    m_capabilities = capabilities;
    refresh();
}

void TagCoverSection::setCurrentCover(const std::optional<QString> &base64, const QImage &thumbnail)
{
    m_currentArtworkBase64 = base64;
    m_currentCover = thumbnail;
    refresh();
}

QImage TagCoverSection::displayedCover() const
{
    if (m_artworkEdit && m_artworkEdit->isEmpty())
        return {};
    if (!m_previewImage.isNull())
        return m_previewImage;
    return m_currentCover;
}

QString TagCoverSection::hint() const
{
    if (m_capabilities && !m_capabilities->canWriteArtwork)
        return m_capabilities->limitation.value_or(L("该格式不支持写入封面。"));
    if (m_artworkEdit)
        return m_artworkEdit->isEmpty() ? L("保存后将移除封面。") : L("已选择新封面，保存后写入。");
    if (m_batch)
        return L("留空则不修改封面。");
    return m_currentArtworkBase64 ? L("当前封面") : L("无封面");
}

void TagCoverSection::chooseCover()
{
    QFileDialog panel(window(), L("选择封面图片"));
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setFileMode(QFileDialog::ExistingFile);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setLabelText(QFileDialog::Accept, L("选择"));
    panel.setNameFilter(L("图片") + QStringLiteral(" (*.png *.jpg *.jpeg *.gif *.bmp *.tif *.tiff)"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return;
    takeCoverFile(FileLocation::fromLocalFile(panel.selectedFiles().constFirst()));
}

void TagCoverSection::takeCoverFile(const FileLocation &file)
{
    const int side = qCeil(TagCoverPreview::side * devicePixelRatioF());
    // A newer choice replaces one still being read; the older result is never looked at.
    m_taking.setFuture(QtConcurrent::run([file, side] { return ChosenCover::read(file, side); }));
    emit takingCoverChanged(true);
}

void TagCoverSection::coverTaken()
{
    const auto taken = m_taking.result();
    emit takingCoverChanged(false);
    if (!taken)
        return;
    if (!*taken) {
        emit refused(taken->error());
        return;
    }
    m_artworkEdit = (*taken)->base64;
    m_previewImage = (*taken)->thumbnail;
    refresh();
}

void TagCoverSection::removeCover()
{
    m_artworkEdit = QStringLiteral("");
    m_previewImage = QImage();
    refresh();
}

void TagCoverSection::applyTheme(const ThemePalette &theme)
{
    m_preview->applyTheme(theme);
    SheetStyle::setTextColour(m_hint, ThemePalette::withAlpha(theme.text, theme.tokens.isDark ? 0.5 : 0.62));
}

void TagCoverSection::refresh()
{
    m_preview->setImage(displayedCover());
    m_hint->setText(hint());
    m_removeButton->setVisible(m_artworkEdit || m_currentArtworkBase64);
    const bool canWriteArtwork = m_capabilities && m_capabilities->canWriteArtwork;
    m_chooseButton->setEnabled(canWriteArtwork);
    m_removeButton->setEnabled(canWriteArtwork);
}
