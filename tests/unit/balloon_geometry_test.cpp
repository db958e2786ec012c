#include <gtest/gtest.h>

#include <string>

#include "desktop/balloon_geometry.h"

namespace korvif {
namespace {

// Ticks until the balloon has arrived (no move), at most `limit`.
int ticks_to_arrive(BalloonMotion& motion, BalloonPoint& position, int limit = 100) {
    for (int tick = 1; tick <= limit; ++tick) {
        const BalloonTick result = balloon_tick(motion, position);
        if (!result.move) return tick;
        position = result.to;
    }
    return -1;
}

TEST(BalloonGeometry, CentreSizeStartAndSteps) {
    EXPECT_EQ(button_centre({100, 200, 151, 231}), (BalloonPoint {125, 215}));
    EXPECT_EQ(button_centre({-11, -11, 0, 0}), (BalloonPoint {-6, -6}));  // truncating toward zero
    EXPECT_EQ(balloon_width({8, 36, 300, 100}), 309);
    EXPECT_EQ(balloon_height({8, 36, 300, 100}), 108);
    EXPECT_EQ(balloon_start({100, 100, 660, 480}, 309, 108), (BalloonPoint {351, 372}));
    EXPECT_EQ(balloon_steps({351, 372}, {125, 215}), (BalloonPoint {23, 16}));
    EXPECT_EQ(balloon_steps({109, 100}, {100, 100}), (BalloonPoint {1, 1}));  // 9 pixels or less: 1 per tick
}

TEST(BalloonGeometry, TravelEndsOnTheTargetWithinTenTicks) {
    struct Case {
        BalloonPoint start, target;
    };
    const Case cases[] = {
        {{351, 372}, {125, 215}},  // up and left
        {{351, 372}, {500, 215}},  // target right of the start: x jumps, y slides
        {{351, 372}, {125, 400}},  // target below: y jumps
        {{351, 372}, {500, 400}},  // right and below: both jump
        {{109, 100}, {100, 100}},  // nine pixels: one per tick
        {{1000, 900}, {0, 0}},
    };
    for (const Case& c : cases) {
        BalloonMotion motion {c.target, balloon_steps(c.start, c.target)};
        BalloonPoint position = c.start;
        const int arrived = ticks_to_arrive(motion, position);
        EXPECT_EQ(position, c.target);
        EXPECT_GE(arrived, 2);
        EXPECT_LE(arrived, 11) << c.start.x << "," << c.start.y;  // ten moves, then the first still tick
    }
    // Nine pixels at one per tick take nine moves.
    BalloonMotion slow {{100, 100}, {1, 1}};
    BalloonPoint position {109, 100};
    EXPECT_EQ(ticks_to_arrive(slow, position), 10);

    // A coordinate right of or below the start jumps on the first tick, the other slides.
    BalloonMotion mixed {{500, 215}, balloon_steps({351, 372}, {500, 215})};
    const BalloonTick first = balloon_tick(mixed, {351, 372});
    ASSERT_TRUE(first.move);
    EXPECT_EQ(first.to.x, 500);
    EXPECT_EQ(first.to.y, 372 - 16);
}

TEST(BalloonGeometry, StaysTwelveHundredTicksThenCloses) {
    BalloonMotion motion {{10, 10}, {1, 1}};
    // A start equal to the target counts as arrived on the first tick.
    int ticks = 0;
    BalloonTick tick;
    do {
        tick = balloon_tick(motion, {10, 10});
        ++ticks;
        ASSERT_FALSE(tick.move);
    } while (!tick.close && ticks < 5000);
    EXPECT_EQ(ticks, 1201);
}

TEST(BalloonGeometry, TargetKeptOnTheWorkArea) {
    const BalloonRect work {0, 0, 1024, 738};
    EXPECT_EQ(clamp_to_work_area({500, 300}, 250, 100, work), (BalloonPoint {500, 300}));
    EXPECT_EQ(clamp_to_work_area({900, 700}, 250, 100, work), (BalloonPoint {774, 638}));
    EXPECT_EQ(clamp_to_work_area({-50, -20}, 250, 100, work), (BalloonPoint {0, 0}));
    EXPECT_EQ(clamp_to_work_area({500, 300}, 2000, 100, work), (BalloonPoint {0, 300}));
}

TEST(BalloonGeometry, TargetKeptOnTheWorkAreaOfItsOwnMonitor) {
    // A primary monitor and a second one to its left, at negative coordinates, taskbar below.
    const MonitorArea monitors[] = {
        {{0, 0, 1024, 768}, {0, 0, 1024, 738}},
        {{-1280, -200, 0, 824}, {-1280, -200, 0, 794}},
    };
    auto place = [&](BalloonPoint target) {
        return clamp_to_work_area(target, 250, 100, work_area_at(target, monitors, 2, {0, 0, 1024, 738}));
    };
    EXPECT_EQ(place({-600, 300}), (BalloonPoint {-600, 300}));      // not pulled onto the primary monitor
    EXPECT_EQ(place({-100, 780}), (BalloonPoint {-250, 694}));      // kept on the second one
    EXPECT_EQ(place({-1300, -300}), (BalloonPoint {-1280, -200}));  // off every screen: the nearest
    EXPECT_EQ(place({1100, 100}), (BalloonPoint {774, 100}));
    EXPECT_EQ(work_area_at({5, 5}, nullptr, 0, {1, 2, 3, 4}).right, 3);
}

}  // namespace
}  // namespace korvif
