#pragma once
#include "core/math.h"
#include "render/draw_obj.h"

#include <cstddef>
#include <deque>
#include <string>

class YShader;
class YTextFont;
struct YParticle;

// A force field that bends the path of the particles given it.
class YSpaceWarp {
public:
    virtual ~YSpaceWarp() = default;
    // Changes the particle's velocity for a step of dt seconds.
    virtual void apply(YParticle& particle, float dt) = 0;
};

// A constant acceleration (units per second squared).
class YSpaceGravity : public YSpaceWarp {
public:
    explicit YSpaceGravity(const YVec3& acceleration = YVec3(0.0f, 0.0f, -4.0f)) : acceleration(acceleration) {}
    void apply(YParticle& particle, float dt) override;

    YVec3 acceleration;
};

// The sparks' gravity: (0, 0, -4).
extern YSpaceGravity gSpaceGravity;

// A camera-facing coloured quad that lives for a while.
struct YParticle {
    float life = 0.0f;       // seconds until removal
    float age = 0.0f;        // seconds since emission
    float sizeStart = 0.0f;  // billboard scale at age 0
    float sizeEnd = 0.0f;    // billboard scale at age = life
    float speedStart = 0.0f; // length of the velocity at emission
    float speedEnd = -1.0f;  // speed at age = life; negative: left alone
    YVec3 position;
    YVec3 velocity; // units per second
    YVec4 colorStart, colorEnd;
    YShader* shader = nullptr;
    YSpaceWarp* warp = nullptr;
    // Set on records dropped by clearParticles while the frame's queue may
    // still point at them: the drawer skips them.
    bool cleared = false;
};

// A camera-facing text that lives for a while (rising score texts).
struct YTextParticle {
    float life = 0.0f;
    float age = 0.0f;
    float size = 0.0f; // text scale
    YVec3 position;
    YVec3 velocity;
    YVec4 colorStart, colorEnd;
    std::string text;
    const YTextFont* font = nullptr;
};

// Every live particle and text particle. Once a frame, update ages and
// moves them, drops the expired ones and queues the rest far-first.
//
// The far-first queue holds pointers to the records. They stay valid
// because:
//  - the records live in deques, so emitting never moves a record;
//  - update removes a record only before it would queue it, and only moves
//    records it has not queued yet (the last one into a freed place);
//  - clearParticles, while the queue holds anything, parks the records until
//    the next update instead of freeing them.
// The rule for callers: drain the far-first queue (drawBackToFront) after
// each update and before the next one.
class YParticleSystem {
public:
    // Appends a particle of age 0 whose start speed is the length of the
    // velocity. A null position or velocity counts as zero, a null colour
    // as white.
    void emit(float life, float sizeStart, float sizeEnd, const float position[3], const float velocity[3],
              float speedEnd, YSpaceWarp* warp, YShader* shader, const float colorStart[4],
              const float colorEnd[4]);
    // Appends a text particle of age 0; the text is copied (null is empty).
    // The last argument is accepted for the callers' sake and not used.
    void emitText(const char* text, float life, float size, const float position[3], const float velocity[3],
                  const YTextFont* font, const float colorStart[4], const float colorEnd[4], int flags = 0);
    // Removes every particle; text particles stay.
    void clearParticles();
    // Ages, moves, removes and queues; once per game frame.
    void update(float dt);

    size_t particleCount() const { return mParticles.size(); }
    size_t textCount() const { return mTexts.size(); }
    const std::deque<YParticle>& particles() const { return mParticles; }
    const std::deque<YTextParticle>& texts() const { return mTexts; }

private:
    std::deque<YParticle> mParticles;
    std::deque<YTextParticle> mTexts;
    // Batches dropped by clearParticles while queued; freed by the next update.
    std::deque<std::deque<YParticle>> mParked;
};

// The one particle system, built on first use.
YParticleSystem& gParticles();

// Draws a queued YParticle as a coloured billboard.
class YDrawParticle : public YDrawObj {
public:
    void draw(void* item) override;
};

// Draws a queued YTextParticle as text centred on its position, facing the
// camera.
class YDrawTextParticle : public YDrawObj {
public:
    void draw(void* item) override;
};

extern YDrawParticle gParticleDraw;
extern YDrawTextParticle gTextParticleDraw;

// A camera-facing quad of half-diagonal scale size at the position, drawn
// with the current shader, material and world matrix.
void drawBillboard(const float position[3], float size);
// The same with a material whose emissive term is the colour and whose
// diffuse alpha is the colour's alpha.
void drawBillboardColoured(const float position[3], float size, const float color[4]);

// A growing flash ("blast") and sparkCount sparks flying off it under
// gravity ("spark").
void spawnBlast(const float position[3], const float velocity[3], float size, int sparkCount, const float color[4],
                const float sparkEndColor[4]);
// count sparks ("spark") thrown out around the position under gravity.
void spawnSparks(const float position[3], const float velocity[3], float size, int count, const float colorStart[4],
                 const float colorEnd[4]);
