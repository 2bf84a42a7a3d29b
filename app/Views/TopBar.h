#pragma once

#include <QWidget>

class SearchField;
class SymbolButton;

// The bar across the top of the main window: the note and the name on the left, the search
// field and the settings button on the right, over a faint raised fill with a hairline below.
class TopBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int barHeight = 46;

    explicit TopBar(QWidget *parent = nullptr);

    SearchField *searchField() const { return m_searchField; }
    SymbolButton *settingsButton() const { return m_settingsButton; }

signals:
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SearchField *m_searchField;
    SymbolButton *m_settingsButton;
};
