// Many seeded games of Pac Man played by a listening bot in virtual time:
// every event of the table must be reached, no ball may roll on for long
// without meeting anything, and no ball may escape the maze.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "core/settings.h"
#include "support/pacman_bot.h"
#include "support/pacman_fixture.h"
#include "table/ball.h"

namespace tamblor::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kGames = 12;  // the sanitizers slow every step; the first seeds still reach every event
#else
constexpr int kGames = 60;
#endif
constexpr uint64_t kGameBudgetMs = 15 * 60 * 1000;  // then the bot leaves with Escape
constexpr uint64_t kQuietLimitMs = 30000;

class PacManBotTest : public PacManTest {};

TEST_F(PacManBotTest, SeededGamesReachEveryEventWithNoStuckOrEscapedBall) {
    const auto started = std::chrono::steady_clock::now();
    const uint32_t guardResets = FieldGuardResets;
    PacManBotFigures figures;
    PacManBot bot(platform, figures);
    // TAMBLOR_BOT_GAMES asks for another number of games (a longer search
    // for stuck balls when the maze changes).
    const char* asked = std::getenv("TAMBLOR_BOT_GAMES");
    const int games = asked ? std::atoi(asked) : kGames;
    platform.SetTimeLimitMs(uint64_t(games + 1) * 24 * 3600 * 1000);
    for (int game = 0; game < games; ++game) bot.PlayGame(uint64_t(7001 + game), kGameBudgetMs);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::cout << "[ bot ] " << figures.games << " games, " << wallSeconds << " s of wall time, average "
              << double(figures.playMs) / figures.games / 60000.0 << " game minutes and "
              << figures.totalScore / figures.games << " points; longest quiet roll "
              << figures.longestQuietMs << " ms; longest roll between holes, lost balls and tables "
              << figures.longestRollMs / 1000 << " s\n[ bot ]";
    for (const auto& [event, count] : figures.events) std::cout << " " << event << ": " << count << ";";
    std::cout << std::endl;

    EXPECT_EQ(figures.games, games);
    for (const char* event :
         {"dot", "bumper", "pill 1", "pill 2", "pill 3", "pill 4", "ghost eaten", "ghost took the ball",
          "fruit eaten", "top hole", "bottom hole", "left tunnel", "right tunnel", "extra ball",
          "table completed by its last dot", "table skipped", "game over"})
        EXPECT_GT(figures.events[event], 0) << event;
    EXPECT_LE(figures.longestQuietMs, kQuietLimitMs);
    EXPECT_EQ(FieldGuardResets, guardResets);
    EXPECT_LT(wallSeconds, 120);
}

}  // namespace
}  // namespace tamblor::test
