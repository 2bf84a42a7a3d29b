#pragma once

#include <QAbstractButton>

// A borderless button that is just its title in the palette's light accent. The framed kind sits
// on an accent-tinted rounded rectangle with a fine outline, as a view's one action.
class TextButton : public QAbstractButton
{
    Q_OBJECT

public:
    enum class Kind { Plain, Framed };

    TextButton(const QString &title, const QFont &font, Kind kind, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont m_font;
    Kind m_kind;
};
