#pragma once
// An interval divided into consecutive partitions (the lines of a text, the rows of a line
// index): the sorted start of every partition plus the total length.
//
// An edit moves every start after it. Rather than touching them all, the starts after one
// partition (the step) are kept short by a common amount, and the step moves only as far as
// the next edit needs, so a run of edits in one place costs amortised O(1) and a lookup
// O(log n).
#include "platform/engine/splitvector.h"

class Partitioning {
public:
    Partitioning();                                    // one partition, total length 0

    qsizetype partitions() const;                      // number of partitions (>= 1)
    // The start of a partition; partitions() gives the total length.
    qsizetype positionFromPartition(qsizetype partition) const;
    // The partition holding pos (a start belongs to its partition); pos >= total gives the
    // last one.
    qsizetype partitionFromPosition(qsizetype pos) const;

    // A new partition numbered `partition` starting at pos.
    void insertPartition(qsizetype partition, qsizetype pos);
    // partition > 0; its length goes to the one before.
    void removePartition(qsizetype partition);
    // The partition grows by delta (may be negative): every later start moves.
    void insertText(qsizetype partition, qsizetype delta);
    // Fast rebuild: partitions of lengthEach (a row index where every line is one row).
    void reset(qsizetype partitions, qsizetype lengthEach = 1);

    // Bytes the starts hold, room for more included.
    qsizetype bytesHeld() const { return m_starts.bytesHeld(); }

private:
    void applyStepUpTo(qsizetype partition);
    void takeStepBackTo(qsizetype partition);

    // Element i is the start of partition i, the last one the total length. Those after
    // m_stepPartition lack m_stepLength.
    SplitVector<qsizetype> m_starts;
    qsizetype m_stepPartition = 0;
    qsizetype m_stepLength = 0;
};
