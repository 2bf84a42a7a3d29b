#pragma once

#include <QMainWindow>

#include <functional>

class AppModel;
class MainWindowContent;
class SheetPresenter;
class ThemeEnvironment;

// The library's one window: themed content, the command menus, the search field kept in step
// with the model's focus requests, dropped files imported in one call, the start logic on the
// first show, the sheets, and the close rule.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize{900, 600};

    MainWindow(AppModel &model, ThemeEnvironment &theme, QWidget *parent = nullptr);

    MainWindowContent *content() const { return m_content; }
    SheetPresenter *sheets() const { return m_sheets; }

    // Asked at each close: true hides the window instead of closing it. Closes when unset.
    std::function<bool()> hidesOnClose;

    // Takes keyboard focus away from whatever widget of the window holds it.
    void clearFocusWidget();

signals:
    void firstPainted();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bindSearchFocus();
    void runStartLogic();
    void endSearchFocus();

    AppModel &m_model;
    MainWindowContent *m_content;
    SheetPresenter *m_sheets;
    bool m_firstPaintSeen = false;
};
