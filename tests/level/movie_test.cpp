// Movie records: recording, replaying, saving and taking over a replay.
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

#include "program/frame.h"
#include "core/settings.h"
#include "game/state.h"
#include "view/view.h"
#include "level/archive.h"
#include "level/movie.h"
#include "support/archive_files.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "level/stored.h"

namespace {

class Movie : public ::testing::Test {
protected:
    TempArchiveDir work;
    Session session;
    int seed = 0;   // the cycle counter load_movie_record starts from
    const TempDir& dir = work.dir;

    void SetUp() override
    {
        write_file(archive_path, build_archive({20, {{4, pattern_bytes(180, 1)}}}));
        session.best = BestPlay{};
        session.running.game = GameState{};
        session.movie = MovieBuffer{};
        memset(player_name, 0, sizeof player_name);
        strcpy(player_name, "tester");
        session.level = 3;
    }
    std::string record(int level)
    {
        std::string buffer(MOVIE_BUFFER_SIZE, 0);
        int n = read_record(movie_record(level), reinterpret_cast<uint8_t*>(buffer.data()), MOVIE_BUFFER_SIZE);
        return buffer.substr(0, size_t(std::max(n, 0)));
    }
    // A stored movie for level 3 with the given pairs.
    void store_movie(const std::vector<std::pair<int, int>>& pairs, int seed = 7)
    {
        std::string bytes = std::string("\x10\x27\0\0", 4) + std::string("holder", 6) + std::string(10, 0);
        bytes += char(seed);
        for (auto [count, code] : pairs) {
            bytes += char(count);
            bytes += char(code);
        }
        write_file(archive_path, build_archive({20, {{4, pattern_bytes(180, 1)}, {5, bytes}}}));
    }
    std::string pair_at(int offset)
    {
        return std::to_string(session.movie.bytes[offset]) + "x" + std::to_string(session.movie.bytes[offset + 1]);
    }
};

TEST_F(Movie, PlayIsStoredAsRunLengthPairs)
{
    session.recording = true;
    seed = load_movie_record(session, session.recording, 5);
    for (int code : {4, 4, 4, 1, 1})
        record_input_into(session.movie, code);
    session.running.game.score = 43450;
    save_movie_record(session);
    const std::string stored = record(3);
    ASSERT_EQ(stored.size(), 25u);
    EXPECT_EQ(stored.substr(0, 4), std::string("\xba\xa9\0\0", 4));
    EXPECT_EQ(stored.substr(4, 16), std::string("tester") + std::string(10, 0));
    EXPECT_EQ(stored.substr(20), std::string("\x05\x03\x04\x02\x01", 5));
}

TEST_F(Movie, LongRunsSplitAt255)
{
    session.recording = true;
    seed = load_movie_record(session, session.recording, seed);
    for (int i = 0; i < 300; i++)
        record_input_into(session.movie, INPUT_RIGHT);
    EXPECT_EQ(pair_at(21), "255x4");
    EXPECT_EQ(pair_at(23), "45x4");
    EXPECT_EQ(session.movie.cursor, 23);
}

TEST_F(Movie, FullBufferStopsRecordingAtPair2047)
{
    session.recording = true;
    seed = load_movie_record(session, session.recording, seed);
    for (int i = 0; i < 2047; i++)
        record_input_into(session.movie, 1 + i % 2);
    EXPECT_EQ(session.movie.cursor, MOVIE_LAST_PAIR_OFFSET);
    record_input_into(session.movie, INPUT_RIGHT);   // needs pair 2048: not recorded
    record_input_into(session.movie, 1 + 2046 % 2);  // even the same code as the last pair stays out
    EXPECT_EQ(session.movie.cursor, MOVIE_LAST_PAIR_OFFSET);
    EXPECT_EQ(pair_at(MOVIE_LAST_PAIR_OFFSET), "1x1");
    EXPECT_EQ(session.movie.bytes[MOVIE_BUFFER_SIZE - 1], 0);
    save_movie_record(session);
    EXPECT_EQ(record(3).size(), 4115u);
}

TEST_F(Movie, BuiltInRecordOfLevel0)
{
    session.level = 0;
    session.recording = false;
    seed = load_movie_record(session, session.recording, seed);
    EXPECT_EQ(session.best.score, 43450);
    EXPECT_EQ(session.best.ticks, 4392);
    EXPECT_EQ(session.best.seconds, 73);
    EXPECT_STREQ(session.best.name, "lord mobrin");
    EXPECT_EQ(seed, 1);
    EXPECT_EQ(session.movie.cursor, 21);
    int ticks = 0;
    while (session.movie.cursor < int(BUILTIN_MOVIE.size()) && replay_input_from(session.movie) >= 0)
        ticks++;
    EXPECT_EQ(ticks, 4392);
    // Saving level 0 never writes.
    session.running.game.score = 1;
    const std::string before = read_file(archive_path);
    save_movie_record(session);
    EXPECT_EQ(read_file(archive_path), before);
}

TEST_F(Movie, ReplayConsumesPairsAndYieldsNothingPastTheEnd)
{
    store_movie({{3, 4}, {1, 2}});
    session.recording = false;
    seed = load_movie_record(session, session.recording, seed);
    EXPECT_EQ(seed, 7);
    EXPECT_STREQ(session.best.name, "holder");
    EXPECT_EQ(session.best.score, 10000);
    std::vector<int> inputs;
    for (int i = 0; i < 8; i++)
        inputs.push_back(replay_input_from(session.movie));
    EXPECT_EQ(inputs, (std::vector<int>{4, 4, 4, 2, 0, 0, 0, 0}));
    EXPECT_EQ(session.movie.cursor, 25);
}

TEST_F(Movie, TakeOverKeepsTheReplayedPartOfAPair)
{
    store_movie({{5, 1}, {10, 3}, {6, 4}});
    session.recording = false;
    seed = load_movie_record(session, session.recording, seed);
    for (int i = 0; i < 5 + 4; i++)
        replay_input_from(session.movie);
    ASSERT_EQ(pair_at(23), "6x3");   // 4 of its 10 ticks used up in place
    take_over_replay(session.movie, session.level);
    EXPECT_EQ(pair_at(21), "5x1");
    EXPECT_EQ(pair_at(23), "4x3");
    EXPECT_EQ(pair_at(25), "0x0");
    EXPECT_EQ(session.movie.cursor, 25);
    session.recording = true;
    record_input_into(session.movie, INPUT_LEFT);
    record_input_into(session.movie, INPUT_LEFT);
    EXPECT_EQ(pair_at(25), "2x3");
    session.running.game.score = 5;
    save_movie_record(session);
    EXPECT_EQ(record(3).substr(20), std::string("\x07\x05\x01\x04\x03\x02\x03", 7));
}

TEST_F(Movie, TakeOverAtThePairStartOverwritesThatPair)
{
    store_movie({{5, 1}, {10, 3}});
    session.recording = false;
    seed = load_movie_record(session, session.recording, seed);
    for (int i = 0; i < 5; i++)
        replay_input_from(session.movie);
    take_over_replay(session.movie, session.level);
    EXPECT_EQ(pair_at(21), "5x1");
    EXPECT_EQ(pair_at(23), "0x0");
    EXPECT_EQ(session.movie.cursor, 23);
}

TEST_F(Movie, TakeOverOnLevel0DoesNothing)
{
    session.level = 0;
    session.recording = false;
    seed = load_movie_record(session, session.recording, seed);
    replay_input_from(session.movie);
    const MovieBuffer before = session.movie;
    take_over_replay(session.movie, session.level);
    EXPECT_EQ(session.movie.cursor, before.cursor);
    EXPECT_EQ(session.movie.bytes, before.bytes);
}

TEST_F(Movie, MissingRecordLeavesBestValuesEmpty)
{
    session.recording = true;
    seed = 9;
    seed = load_movie_record(session, session.recording, seed);
    EXPECT_EQ(session.best.score, 0);
    EXPECT_EQ(session.best.ticks, 0);
    EXPECT_EQ(session.movie.bytes[20], 9);
    EXPECT_EQ(pair_at(21).substr(0, 2), "0x");
}

} // namespace
