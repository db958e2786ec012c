#include "desktop/balloon_geometry.h"

namespace korvif {

BalloonPoint button_centre(const BalloonRect& button) {
    return {button.left + (button.right - button.left) / 2, button.top + (button.bottom - button.top) / 2};
}

BalloonPoint clamp_to_work_area(BalloonPoint target, std::int32_t width, std::int32_t height,
                                const BalloonRect& work_area) {
    auto clamp = [](std::int32_t value, std::int32_t low, std::int32_t high) {
        if (value > high) value = high;
        if (value < low) value = low;  // a balloon larger than the work area starts at its edge
        return value;
    };
    return {clamp(target.x, work_area.left, work_area.right - width),
            clamp(target.y, work_area.top, work_area.bottom - height)};
}

BalloonRect work_area_at(BalloonPoint point, const MonitorArea* monitors, std::size_t count,
                         const BalloonRect& fallback) {
    // Distance from the point to a rectangle, per axis 0 inside it; squared, in 64 bits.
    auto distance = [point](const BalloonRect& r) {
        auto gap = [](std::int64_t v, std::int64_t low, std::int64_t high) {
            return v < low ? low - v : v >= high ? v - high + 1 : 0;
        };
        const std::int64_t dx = gap(point.x, r.left, r.right);
        const std::int64_t dy = gap(point.y, r.top, r.bottom);
        return dx * dx + dy * dy;
    };
    const MonitorArea* nearest = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        if (nearest == nullptr || distance(monitors[i].area) < distance(nearest->area)) nearest = &monitors[i];
    }
    return nearest != nullptr ? nearest->work_area : fallback;
}

std::int32_t balloon_width(const BalloonRect& text) { return text.right + 9; }
std::int32_t balloon_height(const BalloonRect& text) { return text.bottom + 8; }

BalloonPoint balloon_start(const BalloonRect& host, std::int32_t width, std::int32_t height) {
    return {host.right - width, host.bottom - height};
}

BalloonPoint balloon_steps(BalloonPoint start, BalloonPoint target) {
    return {(start.x - target.x) / 10 + 1, (start.y - target.y) / 10 + 1};
}

BalloonTick balloon_tick(BalloonMotion& motion, BalloonPoint current) {
    BalloonTick tick;
    // The balloon travels until it is at the target. Coordinates beyond the target approach it
    // by their step; a coordinate short of it (the button right of or below the start) jumps.
    if (!(current == motion.target)) {
        auto approach = [](std::int32_t value, std::int32_t target, std::int32_t step) {
            if (value <= target) return target;
            const std::int32_t next = value - step;
            return next < target ? target : next;
        };
        tick.move = true;
        tick.to = {approach(current.x, motion.target.x, motion.step.x),
                   approach(current.y, motion.target.y, motion.step.y)};
        return tick;
    }
    if (motion.stay == 0) {
        tick.close = true;
    } else {
        --motion.stay;
    }
    return tick;
}

}  // namespace korvif
