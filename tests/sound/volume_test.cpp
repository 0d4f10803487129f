#include "sound/sound_source.h"

#include <gtest/gtest.h>

TEST(SoundVolume, LawFromFullToSilence)
{
    EXPECT_EQ(0, soundVolumeToMillibels(1.0f, 1.0f));
    EXPECT_EQ(-2500, soundVolumeToMillibels(0.5f, 1.0f));
    EXPECT_EQ(-5000, soundVolumeToMillibels(0.7f, 0.0f));
    EXPECT_EQ(-5000, soundVolumeToMillibels(0.0f, 1.0f));
    EXPECT_EQ(-2500, soundVolumeToMillibels(1.0f, 0.5f));
}
