#include "solver/shorten.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "game/game.h"
#include "level/movie.h"
#include "level/grid.h"
#include "solver/solver.h"

namespace {

// What the pass needs to know of the hero after each tick.
struct HeroStep {
    int32_t x, y;
    uint32_t flags;
    bool playing;   // the clock runs (the level no longer waits for a key)
};

HeroStep hero_step(const LevelState& s)
{
    const Actor& hero = s.actors[0];
    return {hero.x, hero.y, hero.flags, !s.game.waiting_for_input};
}

struct LevelRun {
    bool won = false;
    size_t inputs_used = 0;        // the hero left on input inputs_used - 1
    int ticks = 0;
    int score = 0;
    std::vector<HeroStep> steps;   // after tick 0 (the start), 1, 2, ...
};

// The level now in the grid played from seed with one input a tick. It wins
// when the hero leaves, on the last input or before it.
LevelRun run_level(const std::vector<uint8_t>& inputs, int seed)
{
    LevelRun run;
    std::string problem;
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    if (start_level_run(play_grid, seed, &s, &problem)) {
        const GameState& g = s.game;
        run.steps.push_back(hero_step(s));
        for (size_t i = 0; i < inputs.size() && !g.death_count && !g.exit_count; i++) {
            tick(s, inputs[i], *events);
            run.steps.push_back(hero_step(s));
            run.won = g.exit_count != 0;
            run.inputs_used = i + 1;
        }
        run.ticks = g.play_ticks;
        run.score = g.score;
    }
    return run;
}

// Where the hero stands, for proposing cuts: his cell, and whether he falls
// or digs there (the rules decide whether a cut works).
uint64_t hero_key(const HeroStep& s)
{
    return uint64_t(cell_at(s.x, s.y)) << 8 | (s.flags & (ACTOR_FALLING | ACTOR_DIGGING));
}

// The later ticks to cut to from tick i: the furthest visit of the same spot
// first, then visits about 3/4, 1/2, 1/4 ... of that distance away.
std::vector<size_t> cut_targets(const std::vector<size_t>& visits, size_t i, int tries)
{
    std::vector<size_t> targets;
    auto later = std::upper_bound(visits.begin(), visits.end(), i);
    if (later == visits.end())
        return targets;
    const size_t furthest = visits.back() - i;
    for (size_t reach = furthest; reach > 0 && int(targets.size()) < tries;
         reach = targets.size() == 1 ? reach * 3 / 4 : reach / 2) {
        auto at = std::upper_bound(later, visits.end(), i + reach);
        if (at == later)
            break;
        const size_t j = *(at - 1);
        if (targets.empty() || targets.back() != j)
            targets.push_back(j);
        else if (reach == 1)
            break;
    }
    return targets;
}

// The best movie so far with the level's state after each of its ticks, so
// that a trial runs the rules only from the tick it changes.
struct Session {
    int seed = 0;
    std::vector<uint8_t> inputs;
    std::vector<LevelState> states;   // after tick 0 (the start), 1, 2, ...
    LevelState now{};                  // the state a trial runs on
    std::unique_ptr<TickEvents> events = std::make_unique<TickEvents>();
    std::vector<HeroStep> steps;
    bool won = false;
    int ticks = 0, score = 0;
    int64_t ticks_run = 0;

    // Plays the movie again from tick `from`, whose state is kept.
    void trace(size_t from)
    {
        states.resize(from + 1);
        steps.resize(from + 1);
        now = states[from];
        const GameState& g = now.game;
        won = g.exit_count != 0;
        size_t used = from;
        for (size_t i = from; i < inputs.size() && !g.death_count && !g.exit_count; i++) {
            tick(now, inputs[i], *events);
            states.push_back(now);
            steps.push_back(hero_step(now));
            won = g.exit_count != 0;
            used = i + 1;
        }
        ticks_run += int64_t(used - from);
        inputs.resize(used);   // inputs after the way out play no part
        ticks = g.play_ticks;
        score = g.score;
    }

    struct Trial {
        bool won;
        int ticks, score;
        size_t used;   // inputs of the trial movie played
    };

    // The movie with ticks i+1..j replaced by `wait` ticks without input.
    Trial try_cut(size_t i, size_t wait, size_t j)
    {
        now = states[i];
        const GameState& g = now.game;
        Trial t{false, 0, 0, i};
        for (size_t k = 0; k < wait && !g.death_count && !g.exit_count; k++, t.used++)
            tick(now, INPUT_NONE, *events);
        for (size_t k = j; k < inputs.size() && !g.death_count && !g.exit_count; k++, t.used++)
            tick(now, inputs[k], *events);
        ticks_run += int64_t(t.used - i);
        t.won = g.exit_count != 0;
        t.ticks = g.play_ticks;
        t.score = g.score;
        return t;
    }

    void keep_cut(size_t i, size_t wait, size_t j, size_t used)
    {
        std::vector<uint8_t> next(inputs.begin(), inputs.begin() + long(i));
        next.insert(next.end(), wait, uint8_t(INPUT_NONE));
        next.insert(next.end(), inputs.begin() + long(j), inputs.end());
        next.resize(used);
        inputs = std::move(next);
        trace(i);
    }
};

// The waits tried in place of a detour of `length` ticks when cutting it
// whole fails (a guard catches the hero who comes back too early): none
// first, then longer ones, each still shorter than the detour.
std::vector<size_t> waits_for(size_t length, bool with_waits)
{
    std::vector<size_t> waits = {0};
    if (!with_waits || length < 8)
        return waits;
    for (size_t w : {length / 8, length / 4, length / 2, length * 3 / 4})
        if (w >= 2 && w != waits.back())
            waits.push_back(w);
    return waits;
}

bool in_budget(const Session& s, const ShortenOptions& options)
{
    return s.ticks_run < options.tick_budget;
}

// One pass over the movie cutting detours: from each tick, the later ticks
// at which the hero stands where he stands then are tried as the cut's end.
// Counts the cuts kept in *cuts; whether any was kept.
bool cut_detours(Session& s, const ShortenOptions& options, int* cuts)
{
    bool cut_any = false;
    size_t i = 0;
    while (i + 1 < s.steps.size() && in_budget(s, options)) {
        // Ticks at which the hero stands where he stands after tick i.
        std::unordered_map<uint64_t, std::vector<size_t>> visits;
        for (size_t t = i; t < s.steps.size(); t++)
            visits[hero_key(s.steps[t])].push_back(t);
        bool kept = false;
        for (; i + 1 < s.steps.size() && !kept && in_budget(s, options); i++) {
            // Inside a stretch of standing still only its first tick is tried.
            if (i > 0 && hero_key(s.steps[i]) == hero_key(s.steps[i - 1]) &&
                s.steps[i].playing == s.steps[i - 1].playing)
                continue;
            const std::vector<size_t> targets =
                cut_targets(visits[hero_key(s.steps[i])], i, options.tries_per_tick);
            for (size_t k = 0; k < targets.size() && !kept && in_budget(s, options); k++) {
                const size_t j = targets[k];
                // A wait before the first key would change nothing.
                const bool waits = s.steps[i].playing && !(s.steps[i].flags & ACTOR_FALLING);
                for (size_t wait : waits_for(j - i, waits && options.waits_in_cuts)) {
                    const Session::Trial t = s.try_cut(i, wait, j);
                    if (!t.won || t.score < s.score || (t.score == s.score && t.ticks >= s.ticks))
                        continue;
                    s.keep_cut(i, wait, j, t.used);
                    (*cuts)++;
                    cut_any = kept = true;
                    break;
                }
            }
            if (kept)
                break;   // the same tick again, against the new movie
        }
    }
    return cut_any;
}

// A short run there and back that stays (back to the same cell within
// eight cells' time) becomes a wait on the spot as long: the guards see
// nearly the same hero, the movie no longer paces. Counts the cuts kept in *cuts.
void stop_pacing(Session& s, const ShortenOptions& options, int* cuts)
{
    constexpr size_t PACING_TICKS = 96;
    for (size_t i = 0; i + 1 < s.steps.size() && in_budget(s, options); i++) {
        if (!s.steps[i].playing || (s.steps[i].flags & (ACTOR_FALLING | ACTOR_DIGGING)))
            continue;
        const uint64_t key = hero_key(s.steps[i]);
        for (size_t j = std::min(s.steps.size() - 1, i + PACING_TICKS); j > i + 1; j--) {
            if (hero_key(s.steps[j]) != key)
                continue;
            const bool moved = std::any_of(s.steps.begin() + long(i), s.steps.begin() + long(j),
                                           [&](const HeroStep& h) { return hero_key(h) != key; });
            if (!moved)
                break;   // already standing
            const Session::Trial t = s.try_cut(i, j - i, j);
            if (!t.won || t.score < s.score || t.ticks > s.ticks)
                continue;
            s.keep_cut(i, j - i, j, t.used);
            (*cuts)++;
            break;
        }
    }
}

} // namespace

ShortenResult shorten_movie(const std::vector<uint8_t>& inputs, int seed, const ShortenOptions& options)
{
    ShortenResult result;
    result.inputs = inputs;
    auto session = std::make_unique<Session>();
    Session& s = *session;
    std::string problem;
    if (!start_level_run(play_grid, seed, &s.now, &problem))
        return result;
    s.seed = seed;
    s.inputs = inputs;
    s.states.push_back(s.now);
    s.steps.push_back(hero_step(s.now));
    s.trace(0);
    result.won = s.won;
    result.ticks_before = result.ticks_after = s.ticks;
    result.score_before = result.score_after = s.score;
    if (!s.won) {
        result.ticks_run = s.ticks_run;
        return result;
    }
    bool cut_any = true;
    for (int pass = 0; pass < 3 && cut_any && in_budget(s, options); pass++)
        cut_any = cut_detours(s, options, &result.cuts);
    stop_pacing(s, options, &result.cuts);
    result.inputs = s.inputs;
    result.ticks_after = s.ticks;
    result.score_after = s.score;
    result.ticks_run = s.ticks_run;
    return result;
}

MovieFigures measure_movie(const std::vector<uint8_t>& inputs, int seed)
{
    const LevelRun run = run_level(inputs, seed);
    MovieFigures f;
    f.won = run.won;
    f.ticks = run.ticks;
    f.score = run.score;
    int before = -1, last = -1;
    for (size_t t = 1; t < run.steps.size(); t++) {
        const HeroStep& s = run.steps[t];
        const HeroStep& p = run.steps[t - 1];
        if (!s.playing)
            continue;
        if (s.x == p.x && s.y == p.y && !(s.flags & (ACTOR_DIGGING | ACTOR_FALLING)))
            f.standing++;
        // A cell counts once the hero's figure stands wholly in it.
        if (x_align[size_t(s.x)] != 0 || y_align[size_t(s.y)] != 0)
            continue;
        const int cell = cell_at(s.x, s.y);
        if (cell == last)
            continue;
        if (last >= 0) {
            f.cell_moves++;
            f.back_steps += cell == before;
        }
        before = last;
        last = cell;
    }
    return f;
}
