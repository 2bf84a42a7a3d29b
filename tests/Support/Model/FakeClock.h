#pragma once

#include "Clock.h"

// A clock that stands still until the test moves it.
class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
};
