#pragma once

#include <QWidget>

class SidebarIconButton;

// A section heading of the sidebar in small spaced capitals of the text colour, with an
// optional plus button at its right end.
class SidebarSectionHeader : public QWidget
{
    Q_OBJECT

public:
    explicit SidebarSectionHeader(const QString &text, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    // Adds the plus button with its tooltip; its clicks come out as plusClicked().
    SidebarIconButton *addPlusButton(const QString &help);
    SidebarIconButton *plusButton() const { return m_plus; }

    QSize sizeHint() const override;

signals:
    void plusClicked();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    SidebarIconButton *m_plus = nullptr;
};
