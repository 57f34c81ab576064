#pragma once
// A vector with a gap at the last edit position: insertions and deletions near the previous
// one cost amortised O(1), anywhere else the distance to it. Elements are addressed as if
// the gap were not there.
#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

template <typename T>
class SplitVector {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memmove");

public:
    qsizetype length() const { return m_part1 + m_part2; }

    T valueAt(qsizetype pos) const {
        Q_ASSERT(pos >= 0 && pos < length());
        return pos < m_part1 ? m_body[pos] : m_body[pos + m_gap];
    }

    void insert(qsizetype pos, T value) { insertValue(pos, 1, value); }
    void insertValue(qsizetype pos, qsizetype count, T value) {
        T *at = insertEmpty(pos, count);
        std::fill(at, at + count, value);
    }
    void insertFromArray(qsizetype pos, const T *values, qsizetype count) {
        if (count > 0)
            std::memmove(insertEmpty(pos, count), values, sizeof(T) * size_t(count));
    }
    // Makes room for count elements at pos and returns where they go, for the caller to
    // fill before the next call on this vector.
    T *insertEmpty(qsizetype pos, qsizetype count) {
        Q_ASSERT(pos >= 0 && pos <= length() && count >= 0);
        roomFor(count);
        gapTo(pos);
        T *at = m_body.data() + m_part1;
        m_part1 += count;
        m_gap -= count;
        return at;
    }

    void remove(qsizetype pos) { removeRange(pos, 1); }
    void removeRange(qsizetype pos, qsizetype count) {
        Q_ASSERT(pos >= 0 && count >= 0 && pos + count <= length());
        if (count == 0)
            return;
        if (pos == 0 && count == length()) {
            clear();
            return;
        }
        gapTo(pos);
        m_part2 -= count;
        m_gap += count;
    }
    void clear() {
        m_body.clear();
        m_body.shrink_to_fit();
        m_part1 = m_part2 = m_gap = 0;
    }

    // Room for count elements in all: growing up to it moves nothing. Pages not yet written
    // cost no memory.
    void reserve(qsizetype count) {
        if (count > qsizetype(m_body.capacity()))
            m_body.reserve(size_t(count));
    }

    // Copies [pos, pos + count) to out.
    void copyTo(T *out, qsizetype pos, qsizetype count) const {
        Q_ASSERT(pos >= 0 && count >= 0 && pos + count <= length());
        const qsizetype first = std::clamp<qsizetype>(m_part1 - pos, 0, count);
        if (first > 0)
            std::memcpy(out, m_body.data() + pos, sizeof(T) * size_t(first));
        if (count > first)
            std::memcpy(out + first, m_body.data() + pos + first + m_gap, sizeof(T) * size_t(count - first));
    }
    // [pos, pos + count) when it lies on one side of the gap, else nullptr: a read that does
    // not move the gap.
    const T *contiguous(qsizetype pos, qsizetype count) const {
        if (pos + count <= m_part1)
            return m_body.data() + pos;
        if (pos >= m_part1)
            return m_body.data() + pos + m_gap;
        return nullptr;
    }

    // How many elements from pos on lie contiguous in memory: up to the gap, or to the end.
    qsizetype contiguousFrom(qsizetype pos) const {
        Q_ASSERT(pos >= 0 && pos <= length());
        return pos < m_part1 ? m_part1 - pos : length() - pos;
    }

    // Bytes held, the gap and the room beyond it included.
    qsizetype bytesHeld() const { return qsizetype(m_body.capacity() * sizeof(T)); }

    // Adds delta to the elements [from, to); for the lazily moved starts of Partitioning.
    void rangeAdd(qsizetype from, qsizetype to, T delta) {
        Q_ASSERT(from >= 0 && from <= to && to <= length());
        const qsizetype split = std::clamp(m_part1, from, to);
        for (qsizetype i = from; i < split; ++i)
            m_body[i] += delta;
        for (qsizetype i = split + m_gap; i < to + m_gap; ++i)
            m_body[i] += delta;
    }

private:
    void gapTo(qsizetype pos) {
        if (pos == m_part1)
            return;
        T *body = m_body.data();
        if (pos < m_part1)  // the elements between pos and the gap move to behind it
            std::memmove(body + pos + m_gap, body + pos, sizeof(T) * size_t(m_part1 - pos));
        else
            std::memmove(body + m_part1, body + m_part1 + m_gap, sizeof(T) * size_t(pos - m_part1));
        m_part2 -= pos - m_part1;
        m_part1 = pos;
    }
    // Grows by a sixth of the size at least, so that appending element by element copies
    // each one a bounded number of times while the slack stays small.
    void roomFor(qsizetype count) {
        if (m_gap >= count)
            return;
        const qsizetype size = length();
        qsizetype grown = size + count + std::max<qsizetype>(size / 6, 16);
        // Within room reserved beforehand nothing moves as the gap grows, so it grows by a
        // little at a time: a sixth of a large text, zeroed, would be memory in use for nothing.
        const qsizetype reserved = qsizetype(m_body.capacity());
        if (size + count <= reserved)
            grown = std::min(grown, std::min(reserved, size + count + kReservedGap));
        gapTo(size);  // the gap at the end keeps the copy a straight one
        m_body.reserve(size_t(grown));  // exactly: resize() alone would double the room
        m_body.resize(size_t(grown));
        m_gap = grown - size;
    }

    static constexpr qsizetype kReservedGap = 64 * 1024;

    std::vector<T> m_body;
    qsizetype m_part1 = 0;   // elements before the gap
    qsizetype m_part2 = 0;   // elements after it
    qsizetype m_gap = 0;
};
