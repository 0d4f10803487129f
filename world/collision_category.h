#pragma once

// Category bits of every geom in the world. A pair is tested when the
// category bits of either geom meet the collide bits of the other.
enum YCollisionCategory : unsigned {
    COL_BLOCK = 1,         // boxes of block sets, single blocks and splinters
    COL_BALL = 2,          // rigid balls: balls, bonuses, bombs, grenades
    COL_FLOOR = 4,         // the two floor boxes of the table
    COL_WALL = 8,          // the side walls and the far wall
    COL_BARRIER = 16,      // the near barrier, which only blocks meet
    COL_RAY = 32,          // the line-of-sight ray
    COL_SWEEP = 64,        // the explosion and sweep box
    COL_SPHERE_PROBE = 128 // the explosion sphere
};

// Collide bits: blocks meet blocks, balls, the floor and the near barrier and
// pass the side and far walls; balls meet blocks, balls, the floor and walls.
constexpr unsigned COLLIDE_BLOCK = COL_BLOCK | COL_BALL | COL_FLOOR | COL_BARRIER;
constexpr unsigned COLLIDE_BALL = COL_BLOCK | COL_BALL | COL_FLOOR | COL_WALL;
constexpr unsigned COLLIDE_SWEEP = COL_BLOCK | COL_FLOOR | COL_WALL;
constexpr unsigned COLLIDE_PROBE = COL_BLOCK;
constexpr unsigned COLLIDE_NONE = 0;

static_assert(COLLIDE_BLOCK == 0x17 && COLLIDE_BALL == 0x0f && COLLIDE_SWEEP == 0x0d,
              "the collide masks of the world");
