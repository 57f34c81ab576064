#include "autosave/autosavetimers.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
double g_msPerSecond = 1000.0;
} // namespace

CAutoSaveTimers::CAutoSaveTimers(QObject *parent)
    : QObject(parent), m_save(new QTimer(this)), m_warning(new QTimer(this))
{
    for (QTimer *timer : {m_save, m_warning}) {
        // The scheduler stops and restarts each timer itself; a repeating timer could fire again
        // while the save question is still open.
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(m_save, &QTimer::timeout, this, [this] { emit timeout(ID_TIMER_AUTOSAVE); });
    connect(m_warning, &QTimer::timeout, this, [this] { emit timeout(ID_TIMER_WARNING); });
}

QTimer *CAutoSaveTimers::Timer(int id) const
{
    return id == ID_TIMER_AUTOSAVE ? m_save : id == ID_TIMER_WARNING ? m_warning : nullptr;
}

void CAutoSaveTimers::Start(int id, int64_t seconds)
{
    if (QTimer *timer = Timer(id))
        timer->start(int(ToMilliseconds(seconds)));
}

void CAutoSaveTimers::Stop(int id)
{
    if (QTimer *timer = Timer(id))
        timer->stop();
}

void CAutoSaveTimers::StopAll()
{
    m_save->stop();
    m_warning->stop();
}

bool CAutoSaveTimers::IsActive(int id) const
{
    const QTimer *timer = Timer(id);
    return timer && timer->isActive();
}

int CAutoSaveTimers::Interval(int id) const
{
    const QTimer *timer = Timer(id);
    return timer ? timer->interval() : -1;
}

void CAutoSaveTimers::SetMillisecondsPerSecond(double ms)
{
    g_msPerSecond = ms;
}

// A negative period never reaches QTimer, and an interval from an edited store that does not
// fit in QTimer's int is cut to the longest period it can hold.
int64_t CAutoSaveTimers::ToMilliseconds(int64_t seconds)
{
    const double ms = std::llround(double(std::max<int64_t>(seconds, 0)) * g_msPerSecond);
    return int64_t(std::min<double>(ms, INT_MAX));
}
