#include "platform/base/filebytes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

namespace {
qsizetype pageSize()
{
    static const qsizetype size = qsizetype(::sysconf(_SC_PAGESIZE));
    return size;
}

qsizetype roundUpToPage(qsizetype bytes)
{
    const qsizetype page = pageSize();
    return (bytes + page - 1) / page * page;
}
} // namespace

// Pages of an anonymous mapping cost nothing until written, so a reservation for the whole
// file is free, and a released page goes back at once (a heap block keeps its pages).
FileBytes::~FileBytes()
{
    clear();
}

void FileBytes::clear()
{
    if (m_data)
        ::munmap(m_data, size_t(m_capacity));
    m_data = nullptr;
    m_size = m_capacity = m_released = 0;
}

bool FileBytes::reserve(qsizetype count)
{
    if (count < 0 || m_size > std::numeric_limits<qsizetype>::max() - count)
        return false;
    if (m_size + count <= m_capacity)
        return true;
    const qsizetype wanted = roundUpToPage(std::max(m_size + count, m_capacity + m_capacity / 2));
    void *grown = nullptr;
    if (m_data) {
#ifdef MREMAP_MAYMOVE
        grown = ::mremap(m_data, size_t(m_capacity), size_t(wanted), MREMAP_MAYMOVE);
#else
        grown = ::mmap(nullptr, size_t(wanted), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (grown != MAP_FAILED) {
            std::memcpy(grown, m_data, size_t(m_size));
            ::munmap(m_data, size_t(m_capacity));
        }
#endif
    } else {
        grown = ::mmap(nullptr, size_t(wanted), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
    if (grown == MAP_FAILED)
        return false;
    m_data = static_cast<char *>(grown);
    m_capacity = wanted;
    return true;
}

bool FileBytes::append(const char *bytes, qsizetype count)
{
    if (!reserve(count))
        return false;
    std::memcpy(m_data + m_size, bytes, size_t(count));
    m_size += count;
    return true;
}

void FileBytes::release(qsizetype upTo)
{
    const qsizetype end = std::min(upTo, m_size) / pageSize() * pageSize();
    if (end <= m_released)
        return;
    ::madvise(m_data + m_released, size_t(end - m_released), MADV_DONTNEED);
    m_released = end;
}
