#include "OrganizerPreviewView.h"

#include "ElidedPathField.h"
#include "HairlineDivider.h"
#include "Localization.h"
#include "OrganizerPlanRows.h"
#include "OrganizerPreviewTable.h"
#include "OrganizerPrompts.h"
#include "SegmentedPicker.h"
#include "SheetText.h"
#include "SmallSpinner.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFontDatabase>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QFont monospaced(qreal pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(qRound(pixelSize));
    return font;
}

// The destination a sheet starts with: the first track's folder, else the first library folder,
// else the home folder.
FileLocation initialRoot(const QList<Track> &tracks, const QList<FileLocation> &libraryFolders)
{
    if (!tracks.isEmpty())
        return tracks.constFirst().url.deletingLastPathComponent();
    if (!libraryFolders.isEmpty())
        return libraryFolders.constFirst();
    return FileLocation::fromLocalFile(QDir::homePath());
}

} // namespace

const QList<OrganizerPreviewView::Preset> &OrganizerPreviewView::presets()
{
    static const QList<Preset> list{
        {L("歌手/专辑/曲目 歌名"), QStringLiteral("{artist}/{album}/{track} {title}")},
        {L("歌手 - 歌名"), QStringLiteral("{artist} - {title}")},
    };
    return list;
}

OrganizerPreviewView::OrganizerPreviewView(AppModel &model, const QList<Track> &tracks,
                                           std::shared_ptr<OrganizerPrompts> prompts, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_tracks(tracks)
    , m_prompts(std::move(prompts))
    , m_template(presets().constFirst().templateText)
    , m_destinationRoot(initialRoot(tracks, model.library().index().folders))
    , m_planner(model.organizer())
{
    setObjectName(QStringLiteral("organizerPreview"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new HairlineDivider);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(20, 20, 20, 20);
    body->setSpacing(16);
    body->addWidget(makeOptions());
    auto *summary = new QHBoxLayout;
    summary->setSpacing(8);
    m_total = new SheetText(Fonts::system(11.5, QFont::Medium), SheetText::textAt(0.75));
    m_conflicts = new SheetText(Fonts::system(10.5), SheetText::warning());
    summary->addWidget(m_total);
    summary->addWidget(m_conflicts);
    summary->addStretch();
    body->addLayout(summary);
    m_table = new OrganizerPreviewTable;
    body->addWidget(m_table, 1);
    m_error = new SheetText(Fonts::system(11.5), SheetText::warning());
    m_error->setWordWrap(true);
    m_error->setObjectName(QStringLiteral("organizerError"));
    body->addWidget(m_error);
    column->addLayout(body, 1);

    column->addWidget(new HairlineDivider);
    column->addWidget(makeFooter());

    connect(&m_planner, &OrganizerPlanner::planned, this, &OrganizerPreviewView::showPlan);
    connect(&m_model, &AppModel::fileWorkProgressChanged, this, &OrganizerPreviewView::refresh);
    refresh();
    replan();
}

QWidget *OrganizerPreviewView::makeHeader()
{
    auto *header = new QWidget;
    header->setFixedHeight(52);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(22, 0, 22, 0);
    row->setSpacing(10);
    auto *title = new SheetText(Fonts::system(17, QFont::DemiBold), SheetText::textAt(1));
    title->setText(L("整理文件"));
    auto *count = new SheetText(Fonts::system(11.5), SheetText::textAt(0.5, 0.62));
    count->setText(Lf("%d 首 · 预览后才会执行", m_tracks.size()));
    count->setObjectName(QStringLiteral("organizerTrackCount"));
    row->addWidget(title, 0, Qt::AlignBaseline);
    row->addWidget(count, 0, Qt::AlignBaseline);
    row->addStretch();
    return header;
}

QWidget *OrganizerPreviewView::optionLabel(const QString &text)
{
    auto *label = new SheetText(Fonts::system(11.5), SheetText::textAt(0.7));
    label->setText(text);
    label->setFixedWidth(66);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QWidget *OrganizerPreviewView::makeOptions()
{
    auto *options = new QWidget;
    auto *rows = new QVBoxLayout(options);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);

    auto *templateRow = new QHBoxLayout;
    templateRow->setSpacing(10);
    templateRow->addWidget(optionLabel(L("模板")));
    m_templatePicker = new QComboBox;
    m_templatePicker->setAccessibleName(L("模板"));
    m_templatePicker->setFixedWidth(240);
    for (const Preset &preset : presets())
        m_templatePicker->addItem(preset.name, preset.templateText);
    connect(m_templatePicker, &QComboBox::activated, this,
            [this](int index) { setTemplate(m_templatePicker->itemData(index).toString()); });
    templateRow->addWidget(m_templatePicker);
    m_templateText = new SheetText(monospaced(10.5), SheetText::textAt(0.4, 0.62));
    m_templateText->setText(m_template);
    templateRow->addWidget(m_templateText);
    templateRow->addStretch();
    rows->addLayout(templateRow);

    auto *destinationRow = new QHBoxLayout;
    destinationRow->setSpacing(10);
    destinationRow->addWidget(optionLabel(L("目标文件夹")));
    m_rootField = new ElidedPathField;
    m_rootField->setPath(m_destinationRoot.displayPath());
    destinationRow->addWidget(m_rootField, 1);
    m_chooseButton = new QPushButton(L("选择…"));
    connect(m_chooseButton, &QPushButton::clicked, this, &OrganizerPreviewView::chooseRoot);
    destinationRow->addWidget(m_chooseButton);
    rows->addLayout(destinationRow);

    auto *modeRow = new QHBoxLayout;
    modeRow->setSpacing(10);
    modeRow->addWidget(optionLabel(L("方式")));
    auto *mode = new SegmentedPicker({{L("移动"), QStringLiteral("move")}, {L("复制"), QStringLiteral("copy")}}, 140);
    mode->setAccessibleName(L("方式"));
    mode->setValue(m_copy ? QStringLiteral("copy") : QStringLiteral("move"));
    connect(mode, &SegmentedPicker::picked, this, [this](const QString &tag) { setCopies(tag == QLatin1String("copy")); });
    m_moveButton = mode->segment(QStringLiteral("move"));
    m_copyButton = mode->segment(QStringLiteral("copy"));
    modeRow->addWidget(mode);
    auto *note = new SheetText(Fonts::system(10.5), SheetText::textAt(0.45, 0.62));
    note->setText(L("不会覆盖目标位置已有的同名文件。"));
    modeRow->addWidget(note);
    modeRow->addStretch();
    rows->addLayout(modeRow);
    return options;
}

QWidget *OrganizerPreviewView::makeFooter()
{
    auto *footer = new QWidget;
    footer->setFixedHeight(56);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(22, 0, 22, 0);
    row->setSpacing(10);
    m_spinner = new SmallSpinner;
    row->addWidget(m_spinner);
    // The progress text reads a little stronger than the note on the mode.
    m_footerText = new SheetText(Fonts::system(10.5), [this](const ThemePalette &palette) {
        const bool busy = m_model.fileWorkProgress().has_value();
        return SheetText::textAt(busy ? 0.6 : 0.45, busy ? 0.6 : 0.62)(palette);
    });
    row->addWidget(m_footerText);
    row->addStretch();
    m_cancelButton = new QPushButton(L("取消"));
    connect(m_cancelButton, &QPushButton::clicked, this, &OrganizerPreviewView::dismissRequested);
    row->addWidget(m_cancelButton);
    m_startButton = new QPushButton(L("开始整理"));
    m_startButton->setDefault(true);
    m_startButton->setAutoDefault(true);
    connect(m_startButton, &QPushButton::clicked, this, &OrganizerPreviewView::confirm);
    row->addWidget(m_startButton);
    return footer;
}

const QList<OrganizePlanItem> &OrganizerPreviewView::items() const
{
    return m_frozenItems ? *m_frozenItems : m_plan.items;
}

QString OrganizerPreviewView::footerText() const
{
    return m_footerText->text();
}

QString OrganizerPreviewView::summaryText() const
{
    return m_conflicts->isHidden() ? m_total->text() : m_total->text() + QLatin1Char(' ') + m_conflicts->text();
}

void OrganizerPreviewView::setTemplate(const QString &templateText)
{
    if (templateText == m_template)
        return;
    m_template = templateText;
    m_templatePicker->setCurrentIndex(m_templatePicker->findData(templateText));
    m_templateText->setText(templateText);
    replan();
}

void OrganizerPreviewView::setCopies(bool copy)
{
    m_copy = copy;
    (copy ? m_copyButton : m_moveButton)->setChecked(true);
    refresh();
}

void OrganizerPreviewView::chooseRoot()
{
    const std::optional<FileLocation> chosen = m_prompts->chooseDestination();
    if (!chosen || *chosen == m_destinationRoot)
        return;
    m_destinationRoot = *chosen;
    m_rootField->setPath(m_destinationRoot.displayPath());
    replan();
}

QList<Track> OrganizerPreviewView::currentTracks() const
{
    QHash<QUuid, const Track *> library;
    library.reserve(m_model.tracks().size());
    for (const Track &track : m_model.tracks())
        library.insert(track.id, &track);
    QList<Track> current;
    current.reserve(m_tracks.size());
    for (const Track &track : m_tracks) {
        if (const Track *now = library.value(track.id))
            current.append(*now);
    }
    return current;
}

void OrganizerPreviewView::replan()
{
    if (isFrozen())
        return;
    m_planner.request({currentTracks(), m_template, m_destinationRoot});
    refresh();
}

void OrganizerPreviewView::showPlan(const OrganizerPlan &plan)
{
    m_plan = plan;
    if (!isFrozen())
        m_table->rows()->setItems(m_plan.items);
    refresh();
}

void OrganizerPreviewView::confirm()
{
    if (isPlanning() || m_model.fileWorkProgress())
        return;
    const QList<OrganizePlanItem> confirmed = items();
    if (confirmed.isEmpty()) {
        m_errorMessage = L("没有需要整理的文件。");
        refresh();
        return;
    }
    if (!m_copy && m_plan.crossesVolumes && !m_prompts->confirmCrossVolumeMove())
        return;

    m_frozenItems = confirmed;
    refresh();
    auto *run = new QFutureWatcher<std::optional<QString>>(this);
    connect(run, &QFutureWatcher<std::optional<QString>>::finished, this, [this, run] {
        run->deleteLater();
        finishRun(run->result());
    });
    run->setFuture(m_model.performOrganize(confirmed, m_copy, m_destinationRoot));
}

void OrganizerPreviewView::finishRun(const std::optional<QString> &error)
{
    if (!error) {
        emit dismissRequested();
        return;
    }
    m_frozenItems.reset();
    m_errorMessage = error;
    m_plan = {};
    m_table->rows()->setItems({}, false);
    replan();
}

void OrganizerPreviewView::refresh()
{
    const bool busy = m_model.fileWorkProgress().has_value();
    m_templatePicker->setEnabled(!busy);
    m_chooseButton->setEnabled(!busy);
    m_moveButton->setEnabled(!busy);
    m_copyButton->setEnabled(!busy);
    m_cancelButton->setEnabled(!busy);
    m_startButton->setEnabled(!busy && !isPlanning() && !items().isEmpty());

    m_spinner->setVisible(busy);
    m_footerText->setText(busy ? *m_model.fileWorkProgress()
                               : (m_copy ? L("原文件保留，只新增副本。") : L("原文件夹中的文件会移到新路径。")));

    const int conflicts = isFrozen() ? int(std::ranges::count_if(*m_frozenItems, &OrganizePlanItem::conflictResolved))
                                     : m_plan.conflictCount;
    m_total->setText(Lf("共 %d 个文件", items().size()));
    m_conflicts->setText(Lf("%d 个同名冲突已自动编号，不会覆盖", conflicts));
    m_conflicts->setVisible(conflicts > 0);

    m_error->setVisible(m_errorMessage.has_value());
    m_error->setText(m_errorMessage.value_or(QString()));
}

void OrganizerPreviewView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (window() != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
}

bool OrganizerPreviewView::eventFilter(QObject *watched, QEvent *event)
{
    // Files may have changed while another window had the focus.
    if (watched == m_watchedWindow && event->type() == QEvent::WindowActivate)
        replan();
    return QWidget::eventFilter(watched, event);
}
