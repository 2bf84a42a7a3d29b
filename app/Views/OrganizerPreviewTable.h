#pragma once

#include <QWidget>

class OrganizerPlanRows;

// The organizer's preview table: a rounded panel with the column header "原路径" / "新路径"
// above the painted rows.
class OrganizerPreviewTable : public QWidget
{
    Q_OBJECT

public:
    explicit OrganizerPreviewTable(QWidget *parent = nullptr);

    OrganizerPlanRows *rows() const { return m_rows; }

    static constexpr int headerHeight = 30;
    static constexpr qreal cornerRadius = 8;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    OrganizerPlanRows *m_rows;
};
