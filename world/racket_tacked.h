#pragma once
#include "core/math.h"

#include <vector>

// The base of everything the racket can hold and launch: balls, the bomb,
// the grenade, the boomerang and the pipe. Every such object stands in one
// list for as long as it lives; the racket's update walks it once a frame.
class YRacketTacked {
public:
    // Joins the list.
    YRacketTacked();
    // Leaves the list; the racket forgets it when it held this object.
    virtual ~YRacketTacked();
    YRacketTacked(const YRacketTacked&) = delete;
    YRacketTacked& operator=(const YRacketTacked&) = delete;

    static constexpr float LAUNCH_TIME = 0.5f;

    // Sets the launch timer to 0.5 s.
    virtual void launch(int arg);
    // Counts the launch timer down while it is above 0.
    virtual void update(float dt);
    virtual void setTransform(const YMatrix& m) = 0;
    virtual bool countsAsBall() const { return false; }
    // The grenades left when this is a grenade launcher; -1 for anything
    // else (the HUD shows the count while one is held).
    virtual int grenadeCount() const { return -1; }

    // The gloves' expiry launches a held object only when this is 0.
    int holdLock = 0;
    // The hero's attachment the object is held at: 0 ball and bomb,
    // 1 boomerang, 2 grenade, 3 pipe.
    int bone = 0;
    // While above 0 a ball touching the racket is kicked, never caught.
    float launchTimer = 0.0f;
};

// Every live racket-tacked object (order not kept: removal moves the last
// entry into the freed place). The racket walks it by index with a live
// size, because an update may add objects (a grenade leaves a new one in the
// hand).
std::vector<YRacketTacked*>& gRacketTacked();

// What the racket needs of a falling bonus: its update once a frame, and
// its deletion together with the racket's objects. A bonus stands in
// gLiveBonuses from construction to destruction (removal moves the last
// entry into the freed place).
class YFallingBonus {
public:
    YFallingBonus();
    virtual ~YFallingBonus();
    YFallingBonus(const YFallingBonus&) = delete;
    YFallingBonus& operator=(const YFallingBonus&) = delete;

    virtual void update(float dt) = 0;
};

std::vector<YFallingBonus*>& gLiveBonuses();

// Deletes every racket-tacked object, then every falling bonus, last entry
// first, until both lists are empty (objects a destructor creates go too).
void destroyRacketObjects();
