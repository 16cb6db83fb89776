// A progress line on a terminal: a bar with the percentage when the total is known, the elapsed
// time and the speed as a multiple of real time. Redrawn at most ten times a second, so a fast
// render does not flood the terminal; the last state stays on its own line when it ends.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class ProgressBar
{
public:
    // Seconds from any fixed start.
    using Clock = std::function<double()>;

    // Draws on stderr when it is a terminal and quiet is false.
    ProgressBar(std::string label, bool quiet = false);
    // Draws on `out` when `enabled`, reading the time from `clock`.
    ProgressBar(std::string label, bool enabled, std::FILE* out, Clock clock);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // audioSeconds of sound are done; fraction is the part of the whole (negative: unknown).
    void update(double audioSeconds, double fraction);
    // Shows the final state (when completed) and ends the line. Later calls do nothing.
    void finish(bool completed = true);

    static constexpr double kRedrawInterval = 0.1;

private:
    void draw(double now);

    std::string label;
    bool enabled;
    std::FILE* out;
    Clock clock;
    double started;
    double lastDrawn;
    double audioSeconds = 0.0;
    double fraction = -1.0;
    size_t lastLength = 0;
    bool drawn = false;
    bool finished = false;
};
