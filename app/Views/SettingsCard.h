#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

class QHBoxLayout;
class QVBoxLayout;
class ThemedLabel;

// One card of the settings sheet on a glass panel: the accent-tinted symbol beside a column of
// the title, the card's rows and, when set, the card's last result as a wrapping notice.
class SettingsCard : public QWidget
{
    Q_OBJECT

public:
    SettingsCard(const QImage &symbol, const QString &title, QWidget *parent = nullptr);

    // The column the rows go into, below the title.
    QVBoxLayout *rows() const { return m_rows; }
    // Shown last; none hides it. A new text replaces the old one.
    void setNotice(const std::optional<QString> &notice);
    std::optional<QString> notice() const;

    // A horizontal row of the column (centred vertically).
    QHBoxLayout *addRow(int spacing);

private:
    QVBoxLayout *m_rows;
    ThemedLabel *m_notice;
};
