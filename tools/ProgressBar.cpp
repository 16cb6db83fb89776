#include "tools/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace
{
double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string clockText(double seconds)
{
    const long long whole = static_cast<long long>(std::max(0.0, seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}
} // namespace

ProgressBar::ProgressBar(std::string label, bool quiet)
    : ProgressBar(std::move(label), !quiet && ::isatty(2) != 0, stderr, steadySeconds)
{
}

ProgressBar::ProgressBar(std::string label, bool enabled, std::FILE* out, Clock clock)
    : label(std::move(label)), enabled(enabled), out(out), clock(std::move(clock)),
      started(enabled ? this->clock() : 0.0), lastDrawn(started)
{
}

ProgressBar::~ProgressBar()
{
    finish(false);
}

void ProgressBar::update(double seconds, double part)
{
    if (!enabled || finished) return;
    audioSeconds = seconds;
    fraction = part;
    const double now = clock();
    if (now - lastDrawn >= kRedrawInterval) draw(now);
}

void ProgressBar::finish(bool completed)
{
    if (!enabled || finished) return;
    finished = true;
    if (completed)
    {
        if (fraction >= 0) fraction = 1.0;
        draw(clock());
    }
    if (drawn) std::fputc('\n', out);
    std::fflush(out);
}

void ProgressBar::draw(double now)
{
    lastDrawn = now;
    const double elapsed = now - started;
    std::string line = label;
    if (fraction >= 0)
    {
        constexpr int kWidth = 40;
        const double part = std::clamp(fraction, 0.0, 1.0);
        const int filled = static_cast<int>(part * kWidth);
        line += " [" + std::string(static_cast<size_t>(filled), '#') +
                std::string(static_cast<size_t>(kWidth - filled), ' ') + "]";
        char percent[16];
        std::snprintf(percent, sizeof percent, " %3d%%", static_cast<int>(part * 100));
        line += percent;
    }
    else
        line += " " + clockText(audioSeconds) + " of audio";
    line += "  " + clockText(elapsed) + " elapsed";
    if (elapsed > 0)
    {
        char speed[48];
        std::snprintf(speed, sizeof speed, "  %.1fx real time", audioSeconds / elapsed);
        line += speed;
    }
    // Blank out what is left of a longer previous line.
    const size_t length = line.size();
    if (length < lastLength) line += std::string(lastLength - length, ' ');
    lastLength = length;
    std::fprintf(out, "\r%s", line.c_str());
    std::fflush(out);
    drawn = true;
}
