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
    int32_t taken;  // objects and bonuses taken so far
};

HeroStep hero_step(const LevelState& s)
{
    const Actor& hero = s.actors[0];
    const GameState& g = s.game;
    return {hero.x, hero.y, hero.flags, !g.waiting_for_input, -g.objects_left + (g.hidden_status == 1)};
}

struct LevelRun {
    bool won = false;
    size_t inputs_used = 0;        // the hero left on input inputs_used - 1
    int ticks = 0;
    int score = 0;
    std::vector<HeroStep> steps;   // after tick 0 (the start), 1, 2, ...
};

// The level in grid played from seed with one input a tick. It wins
// when the hero leaves, on the last input or before it.
LevelRun run_level(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed)
{
    LevelRun run;
    std::string problem;
    auto state = std::make_unique<LevelState>();
    auto events = std::make_unique<TickEvents>();
    LevelState& s = *state;
    if (start_level_run(grid, seed, &s, &problem)) {
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
    Trial try_cut(size_t i, size_t wait, size_t j) { return try_splice(i, {}, wait, j); }

    // The movie with ticks i+1..j replaced by the inputs `lead`, then `wait`
    // ticks without input.
    Trial try_splice(size_t i, const std::vector<uint8_t>& lead, size_t wait, size_t j)
    {
        now = states[i];
        const GameState& g = now.game;
        Trial t{false, 0, 0, i};
        for (size_t k = 0; k < lead.size() && !g.death_count && !g.exit_count; k++, t.used++)
            tick(now, lead[k], *events);
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

    void keep_cut(size_t i, size_t wait, size_t j, size_t used) { keep_splice(i, {}, wait, j, used); }

    void keep_splice(size_t i, const std::vector<uint8_t>& lead, size_t wait, size_t j, size_t used)
    {
        std::vector<uint8_t> next(inputs.begin(), inputs.begin() + long(i));
        next.insert(next.end(), lead.begin(), lead.end());
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

// A place of the hero for shortcuts: his pixel position, the objects left
// and the bonuses taken.
uint64_t spot_of(const LevelState& s)
{
    const Actor& hero = s.actors[0];
    const GameState& g = s.game;
    return uint64_t(uint32_t(hero.x)) << 40 | uint64_t(uint32_t(hero.y)) << 24 |
           uint64_t(g.objects_left & 0xff) << 8 | uint64_t(g.flash_status & 3) << 4 | uint64_t(g.hidden_status & 3);
}

// The hero stands on a cell's lines, neither falling nor digging, the clock running.
bool steady(const LevelState& s)
{
    const Actor& hero = s.actors[0];
    return !s.game.waiting_for_input && !(hero.flags & (ACTOR_FALLING | ACTOR_DIGGING)) &&
           x_align[size_t(hero.x)] == 0 && y_align[size_t(hero.y)] == 0;
}

struct Shortcut {
    size_t from, to;               // ticks of the movie the way replaces
    std::vector<uint8_t> inputs;   // the way, shorter than to - from
};

bool shortcut_budget_left(const Session& s, int64_t start, const ShortenOptions& options)
{
    return s.ticks_run - start < options.shortcut_budget;
}

// The steady ticks of the movie at each place, in order.
using Visits = std::unordered_map<uint64_t, std::vector<size_t>>;

// Gains of a spot search from tick `from` of the movie: a state where the
// hero stands where the movie has him at a later tick, with the same objects
// taken, rated by the ticks saved up to the latest such tick after `after`
// and before `before`; `spent` ticks have gone by since `from` when the
// search starts.
struct SpotGain {
    const Session& s;
    const Visits& visits;
    size_t from, after, before, spent;
    int operator()(const LevelState& reached, int ticks) const
    {
        if (!steady(reached))
            return 0;
        auto at = visits.find(spot_of(reached));
        if (at == visits.end())
            return 0;
        auto visit = std::lower_bound(at->second.begin(), at->second.end(), before);
        if (visit == at->second.begin() || *--visit <= after)
            return 0;
        // A penalty the movie has not paid there yet would cost score.
        const int penalties = reached.game.penalty_flags & (PENALTY_TRAPPED | PENALTY_CRUSHED);
        if (penalties & ~s.states[*visit].game.penalty_flags)
            return 0;
        return std::max(0, int(*visit - from) - int(spent) - ticks);
    }
};

Visits visits_of(const Session& s)
{
    Visits visits;
    for (size_t t = 0; t < s.states.size(); t++)
        if (steady(s.states[t]))
            visits[spot_of(s.states[t])].push_back(t);
    return visits;
}

// A search from tick `from` (after the inputs `lead`) for a way to a later
// place of the movie, between ticks `after` and `before`.
Shortcut search_way(Session& s, const Visits& visits, size_t from, const std::vector<uint8_t>& lead, size_t after,
                    size_t before, const ShortenOptions& options)
{
    auto root = std::make_unique<LevelState>(s.states[from]);
    for (uint8_t input : lead)
        tick(*root, input, *s.events);
    s.ticks_run += int64_t(lead.size());
    SpotSearchOptions search;
    search.max_states = options.shortcut_states;
    const size_t end = std::min(before, s.states.size() - 1);
    search.max_ticks = end > from + lead.size() ? int(end - from - lead.size()) : 0;
    const SpotSearchResult r = search_spots(*root, search, SpotGain{s, visits, from, after, before, lead.size()});
    s.ticks_run += r.ticks_run;
    Shortcut way{from, from, lead};
    if (r.value > 0) {
        way.to = from + lead.size() + size_t(r.ticks + r.value);
        way.inputs.insert(way.inputs.end(), r.inputs.begin(), r.inputs.end());
    }
    return way;
}

// The movie with ticks from+1..to replaced by `lead`, then, should a guard
// now catch the hero, a wait. Keeps the first that wins with at least the
// same score in fewer ticks; the ticks it takes in *taken.
bool try_way(Session& s, size_t from, const std::vector<uint8_t>& lead, size_t to, const ShortenOptions& options,
             size_t* taken)
{
    for (size_t wait : waits_for(to - from - lead.size(), options.waits_in_cuts)) {
        const Session::Trial t = s.try_splice(from, lead, wait, to);
        if (!t.won || t.score < s.score || (t.score == s.score && t.ticks >= s.ticks))
            continue;
        s.keep_splice(from, lead, wait, to, t.used);
        *taken = lead.size() + wait;
        return true;
    }
    return false;
}

// The best shortcut the search finds from each steady tick of the movie
// (the first of a stretch of standing): a way to the latest tick at which
// the hero stands at the same place with the same objects taken.
std::vector<Shortcut> find_shortcuts(Session& s, int64_t start, const ShortenOptions& options)
{
    std::vector<Shortcut> found;
    const Visits visits = visits_of(s);
    for (size_t from = 0; from + 1 < s.states.size() && shortcut_budget_left(s, start, options); from++) {
        // The first and the last tick of a stretch of standing.
        const LevelState& at = s.states[from];
        const bool same_before = from > 0 && steady(s.states[from - 1]) && spot_of(s.states[from - 1]) == spot_of(at);
        const bool same_after = steady(s.states[from + 1]) && spot_of(s.states[from + 1]) == spot_of(at);
        if (!steady(at) || (same_before && same_after))
            continue;
        Shortcut way = search_way(s, visits, from, {}, from, SIZE_MAX, options);
        if (way.to > from)
            found.push_back(std::move(way));
    }
    return found;
}

// One round of shortcuts: searched from every steady tick, then tried
// longest gain first against the movie as it stands, each one that does
// not overlap a shortcut kept before. Where a guard catches the hero on the
// rest of the movie, a second search from the way's end looks for a way
// past that point. Counts the shortcuts kept.
int take_shortcuts(Session& s, int64_t start, const ShortenOptions& options)
{
    std::vector<Shortcut> found = find_shortcuts(s, start, options);
    std::stable_sort(found.begin(), found.end(), [](const Shortcut& a, const Shortcut& b) {
        return a.to - a.from - a.inputs.size() > b.to - b.from - b.inputs.size();
    });
    struct Kept {
        size_t from, to, gain;   // ticks of the movie as the round found it
    };
    std::vector<Kept> kept;
    auto overlaps = [&](size_t from, size_t to) {
        return std::any_of(kept.begin(), kept.end(), [&](const Kept& k) { return from < k.to && k.from < to; });
    };
    for (const Shortcut& c : found) {
        if (!shortcut_budget_left(s, start, options))
            break;
        if (overlaps(c.from, c.to))
            continue;
        size_t earlier_gain = 0;   // ticks cut before c
        for (const Kept& k : kept)
            earlier_gain += k.to <= c.from ? k.gain : 0;
        const size_t from = c.from - earlier_gain, to = c.to - earlier_gain;
        size_t taken = 0;
        if (try_way(s, from, c.inputs, to, options, &taken)) {
            kept.push_back(Kept{c.from, c.to, c.to - c.from - taken});
            continue;
        }
        // Where the rest of the movie loses the hero, a way on past that
        // point from the way's end; else a way to an earlier place.
        const Session::Trial t = s.try_splice(from, c.inputs, 0, to);
        const Visits visits = visits_of(s);
        std::vector<Shortcut> others;
        if (s.now.game.death_count && t.used >= from + c.inputs.size())
            others.push_back(search_way(s, visits, from, c.inputs, to + (t.used - from - c.inputs.size()), SIZE_MAX,
                                        options));
        others.push_back(search_way(s, visits, from, {}, from, to, options));
        for (const Shortcut& way : others) {
            if (way.to <= from || overlaps(c.from, way.to + earlier_gain) ||
                !try_way(s, from, way.inputs, way.to, options, &taken))
                continue;
            kept.push_back(Kept{c.from, way.to + earlier_gain, way.to - from - taken});
            break;
        }
    }
    return int(kept.size());
}

} // namespace

ShortenResult shorten_movie(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed,
                            const ShortenOptions& options)
{
    ShortenResult result;
    result.inputs = inputs;
    auto session = std::make_unique<Session>();
    Session& s = *session;
    std::string problem;
    if (!start_level_run(grid, seed, &s.now, &problem))
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
    if (options.shortcut_states > 0) {
        const int64_t start = s.ticks_run;
        // A shortcut may open the way for more cuts, and they for more shortcuts.
        int taken = 1;
        for (int round = 0; round < 4 && taken > 0 && shortcut_budget_left(s, start, options); round++) {
            taken = take_shortcuts(s, start, options);
            result.shortcuts += taken;
            result.cuts += taken;
            if (taken > 0 && in_budget(s, options))
                cut_detours(s, options, &result.cuts);
        }
    }
    stop_pacing(s, options, &result.cuts);
    result.inputs = s.inputs;
    result.ticks_after = s.ticks;
    result.score_after = s.score;
    result.ticks_run = s.ticks_run;
    return result;
}

MovieFigures measure_movie(const PlayGrid& grid, const std::vector<uint8_t>& inputs, int seed)
{
    const LevelRun run = run_level(grid, inputs, seed);
    MovieFigures f;
    f.won = run.won;
    f.ticks = run.ticks;
    f.score = run.score;
    int before = -1, last = -1;
    // Objects taken by the time the hero stood wholly in the cell before: one
    // in the cell he turns back in is taken on the way into it.
    int32_t taken_before = 0, taken_last = 0;
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
            f.fetch_steps += cell == before && s.taken > taken_before;
        }
        before = last;
        last = cell;
        taken_before = taken_last;
        taken_last = s.taken;
    }
    return f;
}
