#pragma once

// How the world tells the game application that a game or a level ended.
class YGameEvent {
public:
    virtual ~YGameEvent() = default;
    virtual void onGameOver() = 0;
    virtual void onLevelEnd() = 0;
    // The racket went back to the middle: the pointer follows.
    virtual void onCenterPointer() = 0;
};
