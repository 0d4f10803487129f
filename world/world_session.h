#pragma once
#include <memory>
#include <vector>

class YBlockEvents;
class YGameEvent;
class YRacket;
class YRenderResource;
class YTable;
class YTableEffects;

// The game world's long-lived objects, set up as the game's start-up does
// and torn down silently in the right order: the physics world, the table
// and its effects, the racket, the blocks' events hook, the bonus registry
// and the table, block and bonus files.
class YWorldSession {
public:
    // events: the receiver of block scores, popups and sounds; null gives
    // the world's own (scores to the racket, rising score texts). Without a
    // racket (the level editor) gRacket stays null and racket() may not be
    // called.
    YWorldSession(YGameEvent* listener, YBlockEvents* events = nullptr, bool withRacket = true);
    ~YWorldSession();
    YWorldSession(const YWorldSession&) = delete;
    YWorldSession& operator=(const YWorldSession&) = delete;

    YTable& table() { return *mTable; }
    YRacket& racket() { return *mRacket; }

private:
    std::unique_ptr<YTableEffects> mTableEffects;
    std::unique_ptr<YTable> mTable;
    std::unique_ptr<YRacket> mRacket;
};

// Frees the assets that live for a whole run (block and table materials,
// named sounds, fonts, meshes, shaders, crack textures, and every render
// resource not in keep) while the renderer still exists, so their device
// objects are released properly.
void releaseRunAssets(const std::vector<YRenderResource*>& keep = {});

// The table parts asked for, then the backdrop behind them at its own
// range (it fills only the pixels the depth buffer holds empty), in
// the viewport given (null pos or size: the viewport stays as it is, such
// as a capture surface's whole), leaving the camera's projection and view
// set. Without a renderer only the table is "drawn", which empties its light
// spots. zNear and zFar: the depth range of the table and what follows.
void drawBackdrop(const float pos[2], const float size[2], float aspect, int tableParts, float zNear = 5.0f,
                  float zFar = 650.0f);

// drawBackdrop with the shadows those table parts cast on themselves, down
// to the table's lowest floor, darkened at once: the lists can then start
// again for what moves.
void drawBackdropWithShadows(const float pos[2], const float size[2], float aspect, int tableParts);

// Everything queued for the frame: the opaque items front to back, the
// racket (its target marker; left out when withRacket is false), the loose
// meshes, then the see-through items back to front under the camera's view.
void drawWorldQueues(bool withRacket = true);
