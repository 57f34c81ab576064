#pragma once
// The best of several timed runs of a piece of work, each after a set-up that is not timed.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>

inline double bestMs(const std::function<void()> &run, const std::function<void()> &setUp = {}, int runs = 5)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        if (setUp)
            setUp();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}
