// Channel playback of skinned mesh instances: starting and stopping with
// fades, and advancing the channels' clocks through their key lists.
#include "render/skel_instance.h"

#include "core/log.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

YSkelMeshInstance::YSkelMeshInstance(YSkelMesh* mesh) : YMeshInstance(mesh, 1.0f), skelMesh(mesh)
{
    syncWithMesh();
}

void YSkelMeshInstance::syncWithMesh()
{
    if (!skelMesh)
        return;
    if (channels.size() < skelMesh->channels.size())
        channels.resize(skelMesh->channels.size());
    if (pose.size() != skelMesh->bones.size())
        pose.resize(skelMesh->bones.size(), YVec4(0, 0, 0, 1));
    if (boneMatrices.size() != skelMesh->bones.size())
        boneMatrices.resize(skelMesh->bones.size());
    if (attachmentFrames.size() != skelMesh->attachments.size())
        attachmentFrames.resize(skelMesh->attachments.size());
}

float YSkelMeshInstance::seconds(int32_t frames) const
{
    return framesPerSecond > 0.0f ? static_cast<float>(frames) / framesPerSecond : 0.0f;
}

float YSkelMeshInstance::keySeconds(const std::vector<int>& animation, int position) const
{
    const int count = static_cast<int>(animation.size());
    const int key = animation[static_cast<size_t>(((position % count) + count) % count)];
    return seconds(skelMesh->keys[static_cast<size_t>(key)].frameCount);
}

// The animation of a channel when it can be played: it exists, names only
// keys that exist, and lasts some frames (a clock could never leave an
// animation of zero length).
const std::vector<int>* YSkelMeshInstance::playableAnimation(int channel) const
{
    if (!skelMesh || channel < 0 || static_cast<size_t>(channel) >= skelMesh->channels.size())
        return nullptr;
    const int index = skelMesh->channels[static_cast<size_t>(channel)].animation;
    if (index < 0 || static_cast<size_t>(index) >= skelMesh->animations.size())
        return nullptr;
    const std::vector<int>& animation = skelMesh->animations[static_cast<size_t>(index)];
    int64_t frames = 0;
    for (int k : animation) {
        if (k < 0 || static_cast<size_t>(k) >= skelMesh->keys.size())
            return nullptr;
        frames += skelMesh->keys[static_cast<size_t>(k)].frameCount;
    }
    return frames > 0 ? &animation : nullptr;
}

// The lower channel whose clock this one follows; -1 for its own clock.
int YSkelMeshInstance::leaderOf(int channel) const
{
    const int sync = skelMesh->channels[static_cast<size_t>(channel)].syncChannel;
    return sync >= 0 && sync < channel ? sync : -1;
}

void YSkelMeshInstance::switchOff(int channel)
{
    YAnimChannelState& ch = channels[static_cast<size_t>(channel)];
    ch.state = YANIM_OFF;
    ch.clock = 0.0f;
    ch.effectiveWeight = 0.0f;
    const auto& defs = skelMesh->channels;
    if (static_cast<size_t>(channel) < defs.size() && defs[static_cast<size_t>(channel)].resetOnStop)
        ch.sequence = 0;
}

void YSkelMeshInstance::playChannel(int channel, float fadeIn, float weight)
{
    syncWithMesh();
    const std::vector<int>* animation = playableAnimation(channel);
    if (!animation) {
        // Once per channel: the owner asks again every frame.
        const uint64_t bit = channel >= 0 && channel < 64 ? uint64_t(1) << channel : 0;
        if (!(mRefusedLogged & bit) || !bit)
            YLog::writef("Mesh %s animation channel %d cannot play: no animation with frames",
                         skelMesh ? skelMesh->name.c_str() : "(none)", channel);
        mRefusedLogged |= bit;
        return;
    }
    const YAnimChannelDef& def = skelMesh->channels[static_cast<size_t>(channel)];
    YAnimChannelState& ch = channels[static_cast<size_t>(channel)];
    if (fadeIn < 0.0f)
        fadeIn = std::max(def.fadeIn, 0.0f);
    if (weight < 0.0f)
        weight = def.weight;
    ch.weight = weight;

    switch (ch.state) {
    case YANIM_OFF: {
        ch.state = YANIM_FADING_IN;
        ch.fadeLeft = ch.fadeInTime = fadeIn;
        ch.fadeOutTime = std::max(def.fadeOut, 0.0f);
        const int leader = leaderOf(channel);
        if (leader < 0) {
            // Each play from off starts one key further on.
            ch.sequence = (ch.sequence + 1) % static_cast<int>(animation->size());
            ch.clock = 0.0f;
            ch.keyDuration = keySeconds(*animation, ch.sequence);
        } else {
            const YAnimChannelState& lead = channels[static_cast<size_t>(leader)];
            ch.sequence = lead.sequence;
            ch.clock = lead.clock;
            ch.keyDuration = lead.keyDuration;
        }
        break;
    }
    case YANIM_FADING_IN:
        // A shorter fade keeps the weight reached so far and gets there sooner.
        if (fadeIn < ch.fadeInTime) {
            ch.fadeLeft = ch.fadeLeft / ch.fadeInTime * fadeIn;
            ch.fadeInTime = fadeIn;
        }
        break;
    case YANIM_FADING_OUT: {
        // Turn round: the weight climbs back from where the fade-out left it.
        const float ratio = ch.fadeOutTime > 0.0f ? ch.fadeLeft / ch.fadeOutTime : 0.0f;
        ch.state = YANIM_FADING_IN;
        ch.fadeInTime = fadeIn;
        ch.fadeLeft = (1.0f - ratio) * fadeIn;
        break;
    }
    case YANIM_PLAYING:
        break;
    }
}

void YSkelMeshInstance::stopChannel(int channel, float fadeOut)
{
    syncWithMesh();
    if (!skelMesh || channel < 0 || static_cast<size_t>(channel) >= channels.size() ||
        static_cast<size_t>(channel) >= skelMesh->channels.size())
        return;
    const YAnimChannelDef& def = skelMesh->channels[static_cast<size_t>(channel)];
    YAnimChannelState& ch = channels[static_cast<size_t>(channel)];
    if (fadeOut < 0.0f)
        fadeOut = std::max(def.fadeOut, 0.0f);

    switch (ch.state) {
    case YANIM_FADING_IN: {
        const float ratio = ch.fadeInTime > 0.0f ? ch.fadeLeft / ch.fadeInTime : 0.0f;
        ch.state = YANIM_FADING_OUT;
        ch.fadeOutTime = fadeOut;
        ch.fadeLeft = (1.0f - ratio) * fadeOut;
        break;
    }
    case YANIM_FADING_OUT:
        if (fadeOut < ch.fadeOutTime) {
            ch.fadeLeft = ch.fadeLeft / ch.fadeOutTime * fadeOut;
            ch.fadeOutTime = fadeOut;
        }
        break;
    case YANIM_PLAYING:
        ch.state = YANIM_FADING_OUT;
        ch.fadeLeft = ch.fadeOutTime = fadeOut;
        break;
    case YANIM_OFF:
        break;
    }
}

void YSkelMeshInstance::update(float dt)
{
    if (!std::isfinite(dt))
        dt = 0.0f;
    syncWithMesh();
    for (size_t c = 0; c < channels.size(); ++c) {
        YAnimChannelState& ch = channels[c];
        if (ch.state == YANIM_OFF)
            continue;
        poseDirty = true;
        const int channel = static_cast<int>(c);
        const std::vector<int>* animation = playableAnimation(channel);
        if (!animation) { // its definition changed under it
            switchOff(channel);
            continue;
        }
        const YAnimChannelDef& def = skelMesh->channels[c];
        const int count = static_cast<int>(animation->size());
        ch.sequence = ((ch.sequence % count) + count) % count;

        if (ch.state == YANIM_FADING_IN) {
            ch.fadeLeft -= dt;
            if (ch.fadeLeft < 0.0f)
                ch.state = YANIM_PLAYING;
        }

        // A channel that does not loop fades out so that the fade ends with
        // its last key. The time left already counts this frame's dt.
        bool fadeStarted = false;
        if (!def.loop && ch.state != YANIM_FADING_OUT) {
            int64_t frames = 0;
            for (int p = ch.sequence; p < count; ++p)
                frames += skelMesh->keys[static_cast<size_t>((*animation)[static_cast<size_t>(p)])].frameCount;
            const float left = seconds(static_cast<int32_t>(std::min<int64_t>(frames, INT32_MAX))) - (dt + ch.clock);
            if (left < 0.0f) {
                switchOff(channel);
                continue;
            }
            if (left < ch.fadeOutTime) {
                ch.fadeLeft = left;
                ch.state = YANIM_FADING_OUT;
                fadeStarted = true;
            }
        }
        if (ch.state == YANIM_FADING_OUT && !fadeStarted) {
            ch.fadeLeft -= dt;
            if (ch.fadeLeft < 0.0f) {
                switchOff(channel);
                continue;
            }
        }

        const int leader = leaderOf(channel);
        if (leader >= 0) {
            // A follower takes its leader's place in the keys and keeps its
            // own fades; it cannot run on once the leader has stopped.
            const YAnimChannelState& lead = channels[static_cast<size_t>(leader)];
            if (lead.state == YANIM_OFF) {
                switchOff(channel);
                continue;
            }
            ch.sequence = lead.sequence;
            ch.clock = lead.clock;
            ch.keyDuration = lead.keyDuration;
            continue;
        }

        ch.clock += dt;
        if (def.loop) {
            // Whole cycles change nothing; dropping them keeps a long frame
            // from walking the keys for ages (or for ever, once the clock is
            // too large for a key's length to change it).
            float cycle = 0.0f;
            for (int p = 0; p < count; ++p)
                cycle += keySeconds(*animation, p);
            if (ch.clock >= cycle + ch.keyDuration)
                ch.clock = ch.keyDuration + std::fmod(ch.clock - ch.keyDuration, cycle);
        }
        while (ch.clock >= ch.keyDuration) {
            ++ch.sequence;
            if (ch.sequence >= count) {
                if (!def.loop) {
                    switchOff(channel);
                    break;
                }
                ch.sequence = 0;
            }
            ch.clock -= ch.keyDuration;
            ch.keyDuration = keySeconds(*animation, ch.sequence);
        }
    }
}

// ------------------------------------------------------------------ lookups

const YMatrix& YSkelMeshInstance::boneMatrix(int bone) const
{
    static const YMatrix identity;
    return bone >= 0 && static_cast<size_t>(bone) < boneMatrices.size() ? boneMatrices[static_cast<size_t>(bone)]
                                                                         : identity;
}

const YMatrix& YSkelMeshInstance::attachmentFrame(int attachment) const
{
    static const YMatrix identity;
    return attachment >= 0 && static_cast<size_t>(attachment) < attachmentFrames.size()
               ? attachmentFrames[static_cast<size_t>(attachment)]
               : identity;
}

YAnimState YSkelMeshInstance::channelState(int channel) const
{
    return channel >= 0 && static_cast<size_t>(channel) < channels.size() ? channels[static_cast<size_t>(channel)].state
                                                                           : YANIM_OFF;
}

int YSkelMeshInstance::sequencePosition(int channel) const
{
    return channel >= 0 && static_cast<size_t>(channel) < channels.size()
               ? channels[static_cast<size_t>(channel)].sequence
               : -1;
}

float YSkelMeshInstance::effectiveWeight(int channel) const
{
    return channel >= 0 && static_cast<size_t>(channel) < channels.size()
               ? channels[static_cast<size_t>(channel)].effectiveWeight
               : 0.0f;
}
