#pragma once
// A whole file's bytes in memory of their own, which a reader that walks them from the front
// gives back to the system as it goes (release()): reading a large file into a text then holds
// the bytes not yet read and the text made so far, never both whole. Filled by FileIO::ReadAll.
#include <QByteArrayView>
#include <QtGlobal>

class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;

    QByteArrayView view() const { return QByteArrayView(m_data, m_size); }
    qsizetype size() const { return m_size; }

    // Room for size() + count bytes; false when the memory cannot be had.
    bool reserve(qsizetype count);
    // Adds count bytes (reserving as needed); false when the memory cannot be had.
    bool append(const char *bytes, qsizetype count);
    void clear();

    // The reader is done with [0, upTo): the whole pages in it go back to the system. They
    // must not be read again.
    void release(qsizetype upTo);

private:
    char *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;  // whole pages
    qsizetype m_released = 0;  // bytes from the front given back, whole pages
};
