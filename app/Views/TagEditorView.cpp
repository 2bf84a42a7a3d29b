#include "TagEditorView.h"

#include "ElidedLabel.h"
#include "SheetStyle.h"
#include "SmallSpinner.h"
#include "TagCoverPreview.h"
#include "TagCoverSection.h"
#include "TagLimitationNote.h"
#include "TagNumberFieldRow.h"
#include "TagTextFieldRow.h"
#include "UI/AppBackground.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include "Localization.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <QtMath>

namespace {

constexpr int sheetWidth = 540;
constexpr int sheetHeight = 590;
constexpr int sideMargin = 22;
constexpr int headerHeight = 52;
constexpr int footerHeight = 54;
constexpr int formSpacing = 11;

QLabel *noteLabel(const QString &text, qreal pixelSize, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(Fonts::system(pixelSize));
    return label;
}

} // namespace

TagEditorView::TagEditorView(AppModel &model, const QList<Track> &tracks, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
    , m_tracks(tracks)
{
    setObjectName(QStringLiteral("tagEditorSheet"));
    setWindowTitle(isBatch() ? L("批量编辑标签") : L("编辑标签"));
    setFixedSize(sheetWidth, sheetHeight);
    m_readPool.setMaxThreadCount(1);

    auto *background = new AppBackground(this);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    m_rule = new QWidget(background);
    m_rule->setFixedHeight(1);
    m_rule->setAutoFillBackground(true);
    auto *column = new QVBoxLayout(background);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(m_rule);
    column->addWidget(buildForm(), 1);
    column->addWidget(buildFooter());

    connect(&m_load, &QFutureWatcherBase::finished, this, &TagEditorView::loaded);
    connect(&m_saveResult, &QFutureWatcherBase::finished, this, &TagEditorView::saveFinished);
    connect(&m_model, &AppModel::fileWorkProgressChanged, this, &TagEditorView::refreshFooter);
    connect(m_cover, &TagCoverSection::refused, this, &TagEditorView::showError);
    connect(m_cover, &TagCoverSection::takingCoverChanged, this, &TagEditorView::refreshFooter);
    followTheme();
    refreshFooter();
}

QWidget *TagEditorView::buildHeader()
{
    auto *header = new QWidget;
    header->setFixedHeight(headerHeight);
    m_heading = new QLabel(isBatch() ? L("批量编辑标签") : L("编辑标签"), header);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading->setFont(Fonts::system(17, QFont::DemiBold));
    m_subtitle = new ElidedLabel(header);
    m_subtitle->setObjectName(QStringLiteral("subtitle"));
    m_subtitle->setFont(Fonts::system(11.5));
    if (isBatch())
        m_subtitle->setText(Lf("%d 首", m_tracks.size()));
    else if (m_tracks.size() == 1)
        m_subtitle->setText(m_tracks.constFirst().title);

    // Both labels stand on the heading's baseline: bottoms aligned, the smaller text lifted by
    // the difference of the descents.
    const QFontMetrics headingMetrics(m_heading->font());
    const QFontMetrics subtitleMetrics(m_subtitle->font());
    m_subtitle->setContentsMargins(0, 0, 0, qMax(0, headingMetrics.descent() - subtitleMetrics.descent()));
    auto *row = new QHBoxLayout(header);
    const int bottom = (headerHeight - headingMetrics.height()) / 2;
    row->setContentsMargins(sideMargin, 0, sideMargin, bottom);
    row->setSpacing(10);
    row->addWidget(m_heading, 0, Qt::AlignBottom);
    row->addWidget(m_subtitle, 1, Qt::AlignBottom);
    return header;
}

QWidget *TagEditorView::buildForm()
{
    const auto placeholder = [this](const char *label) { return isBatch() ? L("留空不修改") : L(label); };
    auto *content = new QWidget;
    m_formLayout = new QVBoxLayout(content);
    m_formLayout->setContentsMargins(sideMargin, sideMargin, sideMargin, sideMargin);
    m_formLayout->setSpacing(formSpacing);
    if (isBatch()) {
        m_batchNote = noteLabel(Lf("正在批量编辑 %d 首歌曲。留空的字段不会被修改。", m_tracks.size()), 11.5,
            QStringLiteral("batchNote"), content);
        m_formLayout->addWidget(m_batchNote);
    }
    m_title = new TagTextFieldRow(L("标题"), placeholder("标题"), content);
    m_artist = new TagTextFieldRow(L("歌手"), placeholder("歌手"), content);
    m_album = new TagTextFieldRow(L("专辑"), placeholder("专辑"), content);
    m_albumArtist = new TagTextFieldRow(L("专辑歌手"), placeholder("专辑歌手"), content);
    m_year = new TagNumberFieldRow(L("年份"), placeholder("年份"), content);
    m_trackNumber = new TagNumberFieldRow(L("曲目号"), placeholder("曲目号"), content);
    m_genre = new TagTextFieldRow(L("流派"), placeholder("流派"), content);
    m_title->setObjectName(QStringLiteral("titleRow"));
    m_artist->setObjectName(QStringLiteral("artistRow"));
    m_album->setObjectName(QStringLiteral("albumRow"));
    m_albumArtist->setObjectName(QStringLiteral("albumArtistRow"));
    m_year->setObjectName(QStringLiteral("yearRow"));
    m_trackNumber->setObjectName(QStringLiteral("trackNumberRow"));
    m_genre->setObjectName(QStringLiteral("genreRow"));
    for (QWidget *row : std::initializer_list<QWidget *> {
             m_title, m_artist, m_album, m_albumArtist, m_year, m_trackNumber, m_genre })
        m_formLayout->addWidget(row);
    // Nothing can be typed before the formats are known.
    for (TagTextFieldRow *row : { m_title, m_artist, m_album, m_albumArtist, m_genre })
        row->setRowDisabled(true);
    m_year->setRowDisabled(true);
    m_trackNumber->setRowDisabled(true);

    m_cover = new TagCoverSection(isBatch(), content);
    m_cover->setContentsMargins(0, 4, 0, 0);
    m_formLayout->addWidget(m_cover);
    m_errorLine = noteLabel(QString(), 11.5, QStringLiteral("errorLine"), content);
    m_errorLine->hide();
    m_formLayout->addWidget(m_errorLine);
    if (isBatch()) {
        m_closingNote
            = noteLabel(L("留空的文本字段不会被修改。"), 10.5, QStringLiteral("closingNote"), content);
        m_formLayout->addWidget(m_closingNote);
    }
    m_formLayout->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("form"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    // The sheet's background shows through.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

QWidget *TagEditorView::buildFooter()
{
    auto *footer = new QWidget;
    footer->setFixedHeight(footerHeight);
    m_busy = new SmallSpinner(footer);
    m_progressText = new QLabel(footer);
    m_progressText->setObjectName(QStringLiteral("progressText"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_progressText->setFont(Fonts::system(10.5));
    m_cancelButton = new QPushButton(L("取消"), footer);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    m_saveButton = new QPushButton(L("保存"), footer);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setDefault(true);
    connect(m_cancelButton, &QPushButton::clicked, this, &TagEditorView::reject);
    connect(m_saveButton, &QPushButton::clicked, this, &TagEditorView::save);

    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(sideMargin, 0, sideMargin, 0);
    row->setSpacing(10);
    row->addWidget(m_busy);
    row->addWidget(m_progressText);
    row->addStretch(1);
    row->addWidget(m_cancelButton);
    row->addWidget(m_saveButton);
    return footer;
}

TagEditBuilding::Form TagEditorView::form() const
{
    TagEditBuilding::Form form;
    form.trackCount = m_tracks.size();
    form.capabilities = m_capabilities.value_or(TagFormatCapabilities {});
    form.title = m_title->text();
    form.artist = m_artist->text();
    form.album = m_album->text();
    form.albumArtist = m_albumArtist->text();
    form.year = m_year->text();
    form.trackNumber = m_trackNumber->text();
    form.genre = m_genre->text();
    form.initialFields = m_initialFields;
    form.artworkEdit = m_cover->artworkEdit();
    return form;
}

void TagEditorView::save()
{
    if (!m_saveButton->isEnabled())
        return;
    const std::expected<TagFields, QString> edits = TagEditBuilding::buildEdits(form());
    if (!edits) {
        showError(edits.error());
        return;
    }
    m_saving = true;
    refreshFooter();
    m_saveResult.setFuture(m_model.applyTagEdit(*edits, m_tracks));
}

void TagEditorView::saveFinished()
{
    m_saving = false;
    if (const std::optional<QString> failure = m_saveResult.result()) {
        showError(*failure);
        refreshFooter();
        return;
    }
    accept();
}

void TagEditorView::reject()
{
    if (canDismiss())
        QDialog::reject();
}

bool TagEditorView::event(QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest)
        followTheme();
    return QDialog::event(event);
}

void TagEditorView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    followTheme();
    loadInitialValues();
}

void TagEditorView::loadInitialValues()
{
    if (m_didLoad)
        return;
    m_didLoad = true;
    QList<FileLocation> files;
    for (const Track &track : std::as_const(m_tracks))
        files.append(track.url);
    std::optional<FileLocation> single;
    if (m_tracks.size() == 1)
        single = m_tracks.constFirst().url;
    const TagIO &tags = m_model.tagService();
    const int coverSide = qCeil(TagCoverPreview::side * devicePixelRatioF());
    m_load.setFuture(QtConcurrent::run(&m_readPool,
        [&tags, files, single, coverSide] { return TagEditorLoad::run(tags, files, single, coverSide); }));
}

void TagEditorView::loaded()
{
    const TagEditorLoad load = m_load.result();
    const TagFormatCapabilities &can = load.capabilities;
    m_capabilities = can;
    if (load.fields) {
        const TagFields &fields = *load.fields;
        m_initialFields = fields;
        m_title->setText(fields.title.value_or(QString()));
        m_artist->setText(fields.artist.value_or(QString()));
        m_album->setText(fields.album.value_or(QString()));
        m_albumArtist->setText(fields.albumArtist.value_or(QString()));
        m_year->setText(fields.year ? QString::number(*fields.year) : QString());
        m_trackNumber->setText(fields.trackNumber ? QString::number(*fields.trackNumber) : QString());
        m_genre->setText(fields.genre.value_or(QString()));
        m_cover->setCurrentCover(fields.artworkBase64, load.cover);
    }
    if (can.limitation) {
        m_limitationNote = new TagLimitationNote(*can.limitation, m_formLayout->parentWidget());
        m_formLayout->insertWidget(isBatch() ? 1 : 0, m_limitationNote);
        if (m_appliedTheme)
            m_limitationNote->applyTheme(*m_appliedTheme);
    }
    for (TagTextFieldRow *row : { m_title, m_artist, m_album, m_genre })
        row->setRowDisabled(!can.canWrite);
    m_year->setRowDisabled(!can.canWrite);
    m_trackNumber->setRowDisabled(!can.canWrite);
    m_albumArtist->setRowDisabled(!can.canWrite || !can.canWriteAlbumArtist);
    m_cover->setCapabilities(can);
    m_loaded = true;
    refreshFooter();
}

void TagEditorView::showError(const QString &message)
{
    m_errorMessage = message;
    m_errorLine->setText(message);
    m_errorLine->show();
}

bool TagEditorView::canDismiss() const
{
    return !m_saving && !m_model.fileWorkProgress();
}

void TagEditorView::refreshFooter()
{
    const std::optional<QString> &progress = m_model.fileWorkProgress();
    m_busy->setVisible(progress.has_value());
    m_progressText->setVisible(progress.has_value());
    m_progressText->setText(progress.value_or(QString()));
    m_cancelButton->setEnabled(canDismiss());
    m_saveButton->setEnabled(m_capabilities && m_capabilities->canWrite && !m_tracks.isEmpty() && canDismiss()
        && !m_cover->isTakingCover());
}

void TagEditorView::followTheme()
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    if (theme != m_appliedTheme)
        applyTheme(theme);
}

void TagEditorView::applyTheme(const ThemePalette &theme)
{
    m_appliedTheme = theme;
    const bool dark = theme.tokens.isDark;
    setPalette(SheetStyle::controls(theme));
    SheetStyle::setTextColour(m_heading, theme.text);
    SheetStyle::setTextColour(m_subtitle, ThemePalette::withAlpha(theme.text, dark ? 0.5 : 0.62));
    QPalette rule = m_rule->palette();
    rule.setColor(QPalette::Window, theme.hairline);
    m_rule->setPalette(rule);
    if (m_batchNote)
        SheetStyle::setTextColour(m_batchNote, ThemePalette::withAlpha(theme.text, 0.6));
    if (m_limitationNote)
        m_limitationNote->applyTheme(theme);
    for (TagTextFieldRow *row : { m_title, m_artist, m_album, m_albumArtist, m_genre })
        row->applyTheme(theme);
    m_year->applyTheme(theme);
    m_trackNumber->applyTheme(theme);
    m_cover->applyTheme(theme);
    SheetStyle::setTextColour(m_errorLine, theme.warning);
    if (m_closingNote)
        SheetStyle::setTextColour(m_closingNote, ThemePalette::withAlpha(theme.text, dark ? 0.4 : 0.62));
    SheetStyle::setTextColour(m_progressText, ThemePalette::withAlpha(theme.text, 0.6));
}
