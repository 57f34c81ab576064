#include "platform/engine/partitioning.h"

Partitioning::Partitioning()
{
    reset(1, 0);
}

qsizetype Partitioning::partitions() const
{
    return m_starts.length() - 1;
}

qsizetype Partitioning::positionFromPartition(qsizetype partition) const
{
    Q_ASSERT(partition >= 0 && partition <= partitions());
    const qsizetype start = m_starts.valueAt(partition);
    return partition > m_stepPartition ? start + m_stepLength : start;
}

qsizetype Partitioning::partitionFromPosition(qsizetype pos) const
{
    // The last start not beyond pos; the total is never looked at, so pos >= total ends
    // in the last partition.
    qsizetype lower = 0;
    qsizetype upper = partitions() - 1;
    while (lower < upper) {
        const qsizetype middle = (lower + upper + 1) / 2;  // rounded up so that lower moves
        if (positionFromPartition(middle) <= pos)
            lower = middle;
        else
            upper = middle - 1;
    }
    return lower;
}

void Partitioning::insertPartition(qsizetype partition, qsizetype pos)
{
    Q_ASSERT(partition > 0 && partition <= partitions());
    // pos is stored as it is, so it must land among the current starts, before the step.
    if (m_stepPartition < partition)
        applyStepUpTo(partition);
    m_starts.insert(partition, pos);
    ++m_stepPartition;
}

void Partitioning::removePartition(qsizetype partition)
{
    Q_ASSERT(partition > 0 && partition < partitions());
    // The starts after it keep what they lack: the step moves down with them.
    if (m_stepPartition < partition)
        applyStepUpTo(partition);
    m_starts.remove(partition);
    --m_stepPartition;
}

void Partitioning::insertText(qsizetype partition, qsizetype delta)
{
    Q_ASSERT(partition >= 0 && partition < partitions());
    if (m_stepLength == 0) {
        m_stepPartition = partition;
    } else if (partition >= m_stepPartition) {
        applyStepUpTo(partition);
    } else if (partition >= m_stepPartition - m_starts.length() / 10) {
        // Moving the step back a little is cheaper than applying it to the end.
        takeStepBackTo(partition);
    } else {
        applyStepUpTo(partitions());
        m_stepPartition = partition;
    }
    m_stepLength += delta;
}

void Partitioning::reset(qsizetype partitions, qsizetype lengthEach)
{
    Q_ASSERT(partitions >= 1);
    m_starts.clear();
    qsizetype *starts = m_starts.insertEmpty(0, partitions + 1);
    for (qsizetype i = 0; i <= partitions; ++i)
        starts[i] = i * lengthEach;
    m_stepPartition = 0;
    m_stepLength = 0;
}

void Partitioning::applyStepUpTo(qsizetype partition)
{
    if (m_stepLength != 0)
        m_starts.rangeAdd(m_stepPartition + 1, partition + 1, m_stepLength);
    m_stepPartition = partition;
    if (m_stepPartition >= partitions()) {  // every start is current: no step left
        m_stepPartition = partitions();
        m_stepLength = 0;
    }
}

void Partitioning::takeStepBackTo(qsizetype partition)
{
    if (m_stepLength != 0)
        m_starts.rangeAdd(partition + 1, m_stepPartition + 1, -m_stepLength);
    m_stepPartition = partition;
}
