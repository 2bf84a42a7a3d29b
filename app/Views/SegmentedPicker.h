#pragma once

#include <QPair>
#include <QString>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QButtonGroup;

// A row of joined segments, each with a title and a tag; at most one is selected. A selection
// made by the user reports the segment's tag; a stored value that matches no tag selects none.
class SegmentedPicker : public QWidget
{
    Q_OBJECT

public:
    // Title, tag.
    using Segment = QPair<QString, QString>;

    SegmentedPicker(const QList<Segment> &segments, int width, QWidget *parent = nullptr);

    // Selects the segment of this tag, or none.
    void setValue(const QString &tag);
    // The selected tag, or the empty text.
    QString value() const;
    QAbstractButton *segment(const QString &tag) const;

signals:
    void picked(const QString &tag);

private:
    QList<Segment> m_segments;
    QButtonGroup *m_group;
};
