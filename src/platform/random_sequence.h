// GNU libc's rand() sequence as it runs without srand(): its additive
// feedback generator (31 words of state, seed 1). Header-only so that the
// desktop tests can hold it against the C library's rand().
#pragma once
#include <cstdint>

struct RandomSequence {
    uint32_t state[34];
    int index = -1;   // -1: not yet seeded
};

inline int next_random(RandomSequence& s)
{
    uint32_t* r = s.state;
    if (s.index < 0) {
        // r[i] = 16807 * r[i-1] mod (2^31 - 1), computed in 32-bit signed
        // steps as the C library does (Schrage's method), then 310 values
        // discarded.
        int32_t word = 1;
        r[0] = 1;
        for (int i = 1; i < 31; i++) {
            const int32_t hi = word / 127773;
            const int32_t lo = word % 127773;
            word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            r[i] = uint32_t(word);
        }
        s.index = 0;
        int front = 3, rear = 0;   // the state's two taps, 3 apart from 31
        for (int i = 0; i < 310; i++) {
            r[front] += r[rear];
            front = (front + 1) % 31;
            rear = (rear + 1) % 31;
        }
        s.index = front * 31 + rear;
    }
    int front = s.index / 31, rear = s.index % 31;
    r[front] += r[rear];
    const int result = int(r[front] >> 1);
    front = (front + 1) % 31;
    rear = (rear + 1) % 31;
    s.index = front * 31 + rear;
    return result;
}
