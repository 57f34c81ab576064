#include "platform/framework/pagestarts.h"

#include <QElapsedTimer>

#include <algorithm>

PageStarts::PageStarts(qsizetype length, NextStart next, QObject *parent)
    : QObject(parent), m_length(length), m_next(std::move(next))
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PageStarts::RunSlice);
}

void PageStarts::Start()
{
    m_timer.start();
}

qsizetype PageStarts::StartOf(int page) const
{
    return page >= 1 && page <= m_starts.size() ? m_starts.at(page - 1) : -1;
}

// Pages are measured one after another until the next could pass the slice's bound, judged by
// the slowest page so far; at least one page a slice, so paging always ends.
void PageStarts::RunSlice()
{
    QElapsedTimer clock;
    clock.start();
    const qint64 bound = qint64(kSliceMs) * 1000 * 1000 / 2;
    const int before = Count();
    do {
        QElapsedTimer page;
        page.start();
        const qsizetype next = m_next(m_starts.constLast());
        m_slowestNs = std::max(m_slowestNs, page.nsecsElapsed());
        if (next >= m_length || next <= m_starts.constLast()) {
            m_done = true;
            break;
        }
        m_starts.append(next);
    } while (clock.nsecsElapsed() + 2 * m_slowestNs < bound);
    if (m_done)
        m_timer.stop();
    if (Count() != before || m_done)
        emit countChanged(Count(), m_done);
}
