#include "solver/shorten.h"

#include <algorithm>
#include <unordered_map>

#include <memory>

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

struct LevelRun {
    bool won = false;
    size_t inputs_used = 0;        // the hero left on input inputs_used - 1
    int ticks = 0;
    int score = 0;
    std::vector<HeroStep> steps;   // after tick 0 (the start), 1, 2, ...
};

// The one place that runs the rules: the level now in the grid played from
// seed with one input a tick. It wins when the hero leaves, on the last input
// or before it.
LevelRun run_level(const std::vector<uint8_t>& inputs, int seed, bool trace)
{
    LevelRun run;
    std::string problem;
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    if (start_level_run(play_grid, seed, &s, &problem)) {
        const Actor& hero = s.actors[0];
        const GameState& g = s.game;
        if (trace)
            run.steps.push_back({hero.x, hero.y, hero.flags, false});
        for (size_t i = 0; i < inputs.size() && !g.death_count && !g.exit_count; i++) {
            tick(s, inputs[i], *events);
            if (trace)
                run.steps.push_back({hero.x, hero.y, hero.flags, !g.waiting_for_input});
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

} // namespace

ShortenResult shorten_movie(const std::vector<uint8_t>& inputs, int seed, const ShortenOptions& options)
{
    ShortenResult result;
    result.inputs = inputs;
    LevelRun best = run_level(inputs, seed, true);
    result.ticks_run += int64_t(inputs.size());
    result.won = best.won;
    result.ticks_before = result.ticks_after = best.ticks;
    result.score_before = result.score_after = best.score;
    if (!best.won)
        return result;
    bool cut_any = true;
    for (int pass = 0; pass < 3 && cut_any && result.ticks_run < options.tick_budget; pass++) {
        cut_any = false;
        size_t i = 0;
        while (i + 1 < best.steps.size() && result.ticks_run < options.tick_budget) {
            // Ticks at which the hero stands where he stands after tick i.
            std::unordered_map<uint64_t, std::vector<size_t>> visits;
            for (size_t t = i; t < best.steps.size(); t++)
                visits[hero_key(best.steps[t])].push_back(t);
            bool kept = false;
            for (; i + 1 < best.steps.size() && !kept && result.ticks_run < options.tick_budget; i++) {
                // Inside a stretch of standing still only its first tick is tried.
                if (i > 0 && hero_key(best.steps[i]) == hero_key(best.steps[i - 1]) &&
                    best.steps[i].playing == best.steps[i - 1].playing)
                    continue;
                const std::vector<size_t> targets =
                    cut_targets(visits[hero_key(best.steps[i])], i, options.tries_per_tick);
                for (size_t k = 0; k < targets.size() && !kept; k++) {
                    const size_t j = targets[k];
                    // Ticks 1..i are inputs 0..i-1; tick j's state is reached after input j-1.
                    std::vector<uint8_t> trial(result.inputs.begin(), result.inputs.begin() + long(i));
                    trial.insert(trial.end(), result.inputs.begin() + long(j), result.inputs.end());
                    const LevelRun run = run_level(trial, seed, false);
                    result.ticks_run += int64_t(trial.size());
                    if (!run.won || run.score < best.score || (run.score == best.score && run.ticks >= best.ticks))
                        continue;
                    trial.resize(run.inputs_used);   // inputs after the way out play no part
                    result.inputs = std::move(trial);
                    best = run_level(result.inputs, seed, true);
                    result.ticks_run += int64_t(result.inputs.size());
                    result.cuts++;
                    cut_any = kept = true;
                }
                if (kept)
                    break;   // the same tick again, against the new movie
            }
        }
    }
    // A short run there and back that stays (back to the same cell within
    // eight cells' time) becomes a wait on the spot as long: the guards see
    // nearly the same hero, the movie no longer paces.
    constexpr size_t PACING_TICKS = 96;
    for (size_t i = 0; i + 1 < best.steps.size() && result.ticks_run < options.tick_budget; i++) {
        if (!best.steps[i].playing || (best.steps[i].flags & (ACTOR_FALLING | ACTOR_DIGGING)))
            continue;
        const uint64_t key = hero_key(best.steps[i]);
        for (size_t j = std::min(best.steps.size() - 1, i + PACING_TICKS); j > i + 1; j--) {
            if (hero_key(best.steps[j]) != key)
                continue;
            const bool moved = std::any_of(best.steps.begin() + long(i), best.steps.begin() + long(j),
                                           [&](const HeroStep& s) { return hero_key(s) != key; });
            if (!moved)
                break;   // already standing
            std::vector<uint8_t> trial = result.inputs;
            std::fill(trial.begin() + long(i), trial.begin() + long(j), uint8_t(INPUT_NONE));
            const LevelRun run = run_level(trial, seed, false);
            result.ticks_run += int64_t(trial.size());
            if (!run.won || run.score < best.score || run.ticks > best.ticks)
                continue;
            trial.resize(run.inputs_used);
            result.inputs = std::move(trial);
            best = run_level(result.inputs, seed, true);
            result.ticks_run += int64_t(result.inputs.size());
            result.cuts++;
            break;
        }
    }
    result.ticks_after = best.ticks;
    result.score_after = best.score;
    return result;
}

MovieFigures measure_movie(const std::vector<uint8_t>& inputs, int seed)
{
    const LevelRun run = run_level(inputs, seed, true);
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
