#pragma once

// Once a frame: deletes the blocks whose time has come, updates every block
// (which fills the face list and counts the items still on the table), runs
// the next-level bonus timer when allowed, and queues the faces for drawing.
void updateAllBlocks(float dt, bool allowNextBonus);

// Sets add the items they still have on the table during their update.
void countBlockItems(int count);
// Items counted by this frame's updates.
int blockItemsCounted();

// Seconds until a next-level bonus drops; 0 while the timer is off. The
// timer runs while fewer than NEXT_BONUS_ITEMS items are left, and starts
// over whenever that number changes.
constexpr int NEXT_BONUS_ITEMS = 5;
float nextBonusTimer();
// Stops the timer (a level starts).
void resetNextBonusTimer();
