#pragma once
// The hero's skeleton and key layout: one table shared by the generator that
// writes "mesh\hero.ams" and the game code that animates it. The racket's
// set-up appends one animation per clip, in clip order, with
// makeIntRange(clip.firstKey, clip.keyCount), so an animation's index is its
// clip number; the channels then name clips by that number.
//
// Model space of the hero: z up, feet on z = 0, facing -y; his right hand
// is on the -x side. He is about 2.35 tall, shoulders 0.8 apart, so a ball of
// radius 0.5 fits in his hand and the racket's 2.0 width spans his reach.

namespace hero {

// ----------------------------------------------------------------- bones

// Parents come before children. The pelvis is the only root: its key
// positions place the body (the racket moves the whole figure).
enum Bone : int {
    PELVIS = 0,
    CHEST = 1,
    HEAD = 2,
    UPPER_ARM_R = 3,
    FOREARM_R = 4,
    HAND_R = 5,
    UPPER_ARM_L = 6,
    FOREARM_L = 7,
    HAND_L = 8,
    THIGH_R = 9,
    SHIN_R = 10,
    FOOT_R = 11,
    THIGH_L = 12,
    SHIN_L = 13,
    FOOT_L = 14,
    BONE_COUNT = 15,
};

constexpr int BONE_PARENTS[BONE_COUNT] = {
    -1,          // pelvis
    PELVIS,      // chest
    CHEST,       // head
    CHEST,       // upper arm R
    UPPER_ARM_R, // forearm R
    FOREARM_R,   // hand R
    CHEST,       // upper arm L
    UPPER_ARM_L, // forearm L
    FOREARM_L,   // hand L
    PELVIS,      // thigh R
    THIGH_R,     // shin R
    SHIN_R,      // foot R
    PELVIS,      // thigh L
    THIGH_L,     // shin L
    SHIN_L,      // foot L
};

// The bones an upper-body clip moves: chest, head and arms. The pelvis (and
// with it the root position) and the legs stay with the locomotion clips.
constexpr bool isUpperBody(int bone) { return bone >= CHEST && bone <= HAND_L; }

// ----------------------------------------------------------- attachments

// Where held objects sit; the index is the "bone" field of a racket-tacked
// object. The ball, the bomb, the boomerang and the grenade are in the right
// hand; the pipe is in the mouth.
enum Attachment : int {
    ATTACH_BALL = 0, // the ball and the bomb (radius 0.5), resting on the palm
    ATTACH_BOOMERANG = 1,
    ATTACH_GRENADE = 2,
    ATTACH_PIPE = 3,
    ATTACHMENT_COUNT = 4,
};

constexpr int ATTACHMENT_BONES[ATTACHMENT_COUNT] = {HAND_R, HAND_R, HAND_R, HEAD};

// ----------------------------------------------------------------- clips

struct Clip {
    int firstKey;
    int keyCount;
    bool loop;      // authored as a cycle (the last key leads back to the first)
    bool wholeBody; // false: only the upper body (isUpperBody) should weigh in
    const char* name;
};

// Clip numbers are those the racket's channels name. The locomotion clips 1 to 4
// share one timing (channels 2 to 4 follow channel 1's clock) and put the
// right foot down at key 0 and the left at key 3; the menu run does too.
// The aiming clips come in pairs that play together: 7 and 8 for a ball on
// the hero's left (straight ahead, far to the side), 9 and 10 on his right.
constexpr Clip CLIPS[] = {
    {0, 4, true, true, "stand"},
    {4, 6, true, true, "walk"},
    {10, 6, true, true, "step left"},  // towards model +x (world -x when facing the table)
    {16, 6, true, true, "step right"}, // towards model -x
    {22, 6, true, true, "run"},
    {28, 2, true, false, "hold ball"},
    {30, 3, false, false, "catch"},
    {33, 4, false, false, "hit left, ahead"},
    {37, 4, false, false, "hit left, aside"},
    {41, 4, false, false, "hit right, ahead"},
    {45, 4, false, false, "hit right, aside"},
    {49, 3, false, false, "cheer"},
    {52, 7, false, true, "lose a life"},
    {59, 4, false, false, "boomerang throw"},
    {63, 3, false, false, "boomerang catch"},
    {66, 4, false, false, "bomb throw"},
    {70, 4, false, false, "grenade lob"},
    {74, 4, true, true, "pipe"},
    {78, 6, true, true, "menu run"},
};

constexpr int CLIP_COUNT = static_cast<int>(sizeof(CLIPS) / sizeof(CLIPS[0]));

enum ClipId : int {
    CLIP_STAND = 0,
    CLIP_WALK = 1,
    CLIP_STEP_LEFT = 2,
    CLIP_STEP_RIGHT = 3,
    CLIP_RUN = 4,
    CLIP_HOLD = 5,
    CLIP_CATCH = 6,
    CLIP_HIT_LEFT = 7,
    CLIP_HIT_LEFT_ASIDE = 8,
    CLIP_HIT_RIGHT = 9,
    CLIP_HIT_RIGHT_ASIDE = 10,
    CLIP_CHEER = 11,
    CLIP_DEATH = 12,
    CLIP_BOOMERANG_THROW = 13,
    CLIP_BOOMERANG_CATCH = 14,
    CLIP_BOMB = 15,
    CLIP_GRENADE = 16,
    CLIP_PIPE = 17,
    CLIP_MENU_RUN = 18,
};

// The weight a channel playing the clip should give the bone (the racket's
// per-bone lists): upper-body clips leave the pelvis and legs to the others.
constexpr float boneWeight(int clip, int bone)
{
    return CLIPS[clip].wholeBody || isUpperBody(bone) ? 1.0f : 0.0f;
}

// The keys of a step cycle at which a foot comes down.
constexpr int STEP_KEYS[2] = {0, 3};

// The menu run moves forward: each of its keys carries in its root position
// y the distance run from the start of the cycle to that key, negated (the
// hero faces -y). The racket moves these into its own table and sets them to
// 0, so the clip runs on the spot while the racket carries the hero round.
constexpr int MENU_RUN_FORWARD_AXIS = 1;
constexpr float MENU_RUN_FORWARD_SIGN = -1.0f;

// The clips cover the key list without gaps, in order.
constexpr int keyCount()
{
    int next = 0;
    for (const Clip& c : CLIPS) {
        if (c.firstKey != next || c.keyCount <= 0)
            return -1;
        next += c.keyCount;
    }
    return next;
}

constexpr int KEY_COUNT = keyCount();
static_assert(KEY_COUNT > 0, "the hero's clips must cover the key list in order without gaps");
static_assert(CLIP_COUNT == CLIP_MENU_RUN + 1, "one clip for each clip number the racket's channels use");
static_assert(CLIPS[CLIP_WALK].keyCount == CLIPS[CLIP_STEP_LEFT].keyCount &&
                  CLIPS[CLIP_WALK].keyCount == CLIPS[CLIP_STEP_RIGHT].keyCount &&
                  CLIPS[CLIP_WALK].keyCount == CLIPS[CLIP_RUN].keyCount,
              "clips that follow the walk's clock need its key count");
static_assert(CLIPS[CLIP_HIT_LEFT].keyCount == CLIPS[CLIP_HIT_LEFT_ASIDE].keyCount &&
                  CLIPS[CLIP_HIT_RIGHT].keyCount == CLIPS[CLIP_HIT_RIGHT_ASIDE].keyCount,
              "the aiming pairs play in step");

} // namespace hero
