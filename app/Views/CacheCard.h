#pragma once

#include "SettingsCard.h"

#include <QFutureWatcher>

class AppModel;
class QPushButton;
class ThemedLabel;

// The cache and FFmpeg card: the conversion cache's size with a button to clear it, and the
// ffmpeg in use with buttons to look for it again or choose it by hand.
class CacheCard : public SettingsCard
{
    Q_OBJECT

public:
    explicit CacheCard(AppModel &model, QWidget *parent = nullptr);

    QPushButton *clearButton() const { return m_clear; }
    ThemedLabel *sizeLabel() const { return m_size; }
    ThemedLabel *pathLabel() const { return m_path; }
    QPushButton *redetectButton() const { return m_redetect; }
    QPushButton *chooseButton() const { return m_choose; }

    void refresh();

private:
    AppModel &m_model;
    QPushButton *m_clear;
    ThemedLabel *m_size;
    ThemedLabel *m_path;
    ThemedLabel *m_installAdvice;
    QPushButton *m_redetect;
    QPushButton *m_choose;
    QFutureWatcher<QString> m_clearResult;
};
