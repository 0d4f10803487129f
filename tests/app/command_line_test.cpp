#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, OnlyTheFirstTwoCharactersCount)
{
    EXPECT_EQ(RunMode::Game, parseCommandLine(""));
    EXPECT_EQ(RunMode::Game, parseCommandLine("-"));
    EXPECT_EQ(RunMode::Game, parseCommandLine("level1"));
    EXPECT_EQ(RunMode::Game, parseCommandLine("-x"));
    EXPECT_EQ(RunMode::Game, parseCommandLine("2-"));
    EXPECT_EQ(RunMode::SecondGame, parseCommandLine("-2"));
    EXPECT_EQ(RunMode::SecondGame, parseCommandLine("-2abc"));
    EXPECT_EQ(RunMode::Editor, parseCommandLine("-e"));
    EXPECT_EQ(RunMode::Editor, parseCommandLine("-E"));
    EXPECT_EQ(RunMode::Editor, parseCommandLine("-edit"));
}
