#include "TagHistoryCard.h"

#include "SettingsIcons.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "UI/AppModel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TagHistoryCard::TagHistoryCard(AppModel &model, QWidget *parent)
    : SettingsCard(SettingsIcons::tag(18, 2.0), L("标签编辑"), parent)
    , m_model(model)
    , m_undo(new QPushButton(L("撤销最近一次标签编辑")))
    , m_clear(new QPushButton(L("清空编辑撤销记录")))
    , m_count(new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.4, 0.62)))
{
    auto *intro = new ThemedLabel(L("每次保存都会记录修改前后的标签，最多保留 50 条。"), 11, QFont::Normal,
        ThemedLabel::muted(0.5, 0.62));
    intro->setWraps(true);
    rows()->addWidget(intro);

    QHBoxLayout *buttons = addRow(10);
    m_undo->setDefault(false);
    buttons->addWidget(m_undo);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_count, 1);

    connect(m_undo, &QPushButton::clicked, this, [this] { m_undoResult.setFuture(m_model.undoLastTagEdit()); });
    connect(&m_undoResult, &QFutureWatcherBase::finished, this, [this] { setNotice(m_undoResult.result()); });
    connect(m_clear, &QPushButton::clicked, this, &TagHistoryCard::clearHistory);
    connect(&m_model, &AppModel::tagUndoCountChanged, this, &TagHistoryCard::refresh);
    connect(&m_model, &AppModel::fileWorkProgressChanged, this, &TagHistoryCard::refresh);
    refresh();
}

void TagHistoryCard::refresh()
{
    const bool idle = !m_model.fileWorkProgress();
    const bool hasHistory = m_model.tagUndoCount() > 0;
    m_undo->setEnabled(idle && hasHistory);
    m_clear->setEnabled(idle && hasHistory);
    m_count->setText(Lf("%d 条记录", m_model.tagUndoCount()));
}

void TagHistoryCard::clearHistory()
{
    const bool confirmed = m_model.prompts().confirm(L("清空编辑撤销记录？"),
        L("清空后无法再撤销之前保存的标签修改，音频文件本身不受影响。"), L("清空"));
    if (confirmed)
        setNotice(m_model.clearTagUndoHistory());
}
