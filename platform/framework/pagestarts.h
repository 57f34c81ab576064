#pragma once
// Where each page of a text starts, found in the background: slices run from the event loop,
// each measuring pages for a few milliseconds, so a window stays answering while a long text
// is paged. The first page starts at 0 from the outset; the count grows as slices run.
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class PageStarts : public QObject {
    Q_OBJECT
public:
    // Given where a page starts, where the next one does: length when that page ends the text.
    using NextStart = std::function<qsizetype(qsizetype from)>;

    PageStarts(qsizetype length, NextStart next, QObject *parent = nullptr);

    // Begins the slices; Done() at once for a text that fits on its first page.
    void Start();
    // Pages whose start is known, from 1; the last of them is the text's last once Done().
    int Count() const { return int(m_starts.size()); }
    bool Done() const { return m_done; }
    // Where page (from 1) starts; -1 while it is not known.
    qsizetype StartOf(int page) const;

    // The bound of a turn of the event loop that runs a slice. A slice measures pages for half
    // of it, leaving the rest to the repaints and events of the same turn.
    static constexpr int kSliceMs = 20;

    // Each time a slice found pages, and once more when the last page is known.
    Q_SIGNAL void countChanged(int count, bool done);

private:
    void RunSlice();

    qsizetype m_length;
    NextStart m_next;
    QList<qsizetype> m_starts{0};  // 8 bytes a page: 40,000 pages of a large text are 320 KB
    bool m_done = false;
    qint64 m_slowestNs = 0;  // the longest a page has taken, to stop a slice before its bound
    QTimer m_timer;
};
