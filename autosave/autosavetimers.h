#pragma once
// The two auto-save timers of one editor view: timer 2 saves, timer 3 shows the warning
// colour. Both are used one-shot: the view's auto-save scheduler stops the one that fired and
// starts the next cycle itself. Periods are given in seconds; tests shrink them with the time scale.
#include <QObject>
#include <QTimer>
#include <cstdint>

class CAutoSaveTimers : public QObject {
    Q_OBJECT
public:
    enum { ID_TIMER_AUTOSAVE = 2, ID_TIMER_WARNING = 3 };

    explicit CAutoSaveTimers(QObject *parent = nullptr);

    // Starts (or restarts) a timer; a negative period counts as 0, so it expires at once.
    void Start(int id, int64_t seconds);
    void Stop(int id);
    void StopAll();
    bool IsActive(int id) const;
    // The period the timer was last started with, in milliseconds after scaling.
    int Interval(int id) const;

    // Milliseconds per second of period: 1000 in the program. Only tests change it, so that a
    // timeline of minutes runs in milliseconds.
    static void SetMillisecondsPerSecond(double ms);
    static int64_t ToMilliseconds(int64_t seconds);

signals:
    void timeout(int id);

private:
    QTimer *Timer(int id) const;

    QTimer *m_save = nullptr;
    QTimer *m_warning = nullptr;
};
