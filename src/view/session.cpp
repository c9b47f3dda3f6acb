#include "view/session.h"

#include "core/settings.h"
#include "level/archive.h"
#include "view/view.h"

int level_target(const Session& session, LevelStep how, int number)
{
    switch (how) {
    case STEP_NEXT:
        return session.level + 1;
    case STEP_PREVIOUS:
        return session.level - 1;
    case STEP_TO:
        return number;
    case STEP_FIRST_UNSOLVED:
        break;
    }
    // The archive read once for all the levels it looks at.
    const Archive archive = read_archive(archive_path);
    int level = 1;
    while (level <= MAX_LEVEL && !archive_record(archive, movie_record(level)).empty())
        level++;
    return level;
}

int step_level(Session& session, LevelStep how, int number)
{
    const int target = level_target(session, how, number);
    constexpr int FALLBACKS[2] = {1, 0};
    const int count = how == STEP_TO ? 0 : how == STEP_FIRST_UNSOLVED ? 1 : 2;
    int level = target;
    for (int i = 0; !load_level(session, level); i++) {
        if (i == count)
            return -1;
        level = FALLBACKS[i];
    }
    session.level = level;
    return level;
}
