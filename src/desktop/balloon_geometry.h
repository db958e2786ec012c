// Where the hint balloon goes and what shape it has: plain arithmetic on points and rectangles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvif {

struct BalloonPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const BalloonPoint&) const = default;
};

struct BalloonRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

inline constexpr int balloon_timer_ms = 50;
inline constexpr int balloon_stay_ticks = 1200;
inline constexpr BalloonRect balloon_text_start = {8, 36, 90, 40};  // measured from here
inline constexpr int balloon_body_top = 30;
inline constexpr int balloon_corner = 20;

// The pointer: an arrow whose tip is the window's corner (0, 0), meeting the body's top edge.
inline constexpr std::array<BalloonPoint, 7> balloon_pointer = {{
    // clang-format off
    {22, 30}, {6, 14}, {0, 20}, {0, 0}, {20, 0}, {14, 6}, {38, 30},
    // clang-format on
}};

// The centre of the button, where the balloon's top-left corner comes to rest.
BalloonPoint button_centre(const BalloonRect& button);

// The resting point moved, if need be, so that the whole balloon lies on the work area (the
// balloon never rests off the screen); unchanged when it fits.
BalloonPoint clamp_to_work_area(BalloonPoint target, std::int32_t width, std::int32_t height,
                                const BalloonRect& work_area);

// A display: its whole area and the part of it that windows may use (without the taskbar).
struct MonitorArea {
    BalloonRect area;
    BalloonRect work_area;
};

// The work area of the monitor that holds the point, or of the nearest one when none holds it
// (the point off every screen); the fallback when the list is empty.
BalloonRect work_area_at(BalloonPoint point, const MonitorArea* monitors, std::size_t count,
                         const BalloonRect& fallback);

// Width and height of the balloon for the measured text rectangle.
std::int32_t balloon_width(const BalloonRect& text);
std::int32_t balloon_height(const BalloonRect& text);

// The start: the balloon's lower-right corner on the host window's lower-right corner.
BalloonPoint balloon_start(const BalloonRect& host, std::int32_t width, std::int32_t height);

// Pixels moved per tick: a tenth of the distance plus one, so that the target is reached in at
// most ten ticks.
BalloonPoint balloon_steps(BalloonPoint start, BalloonPoint target);

// The travel and the stay, one timer tick at a time. The balloon has arrived when its top-left
// corner is on the target; from then on the stay counts down, and the tick after it reached 0
// closes the balloon.
struct BalloonMotion {
    BalloonPoint target;
    BalloonPoint step;
    int stay = balloon_stay_ticks;
};

struct BalloonTick {
    bool move = false;  // move the balloon to `to`
    BalloonPoint to;
    bool close = false;  // the stay is over
};

BalloonTick balloon_tick(BalloonMotion& motion, BalloonPoint current);

}  // namespace korvif
