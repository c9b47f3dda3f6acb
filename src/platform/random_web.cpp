#include "platform/random.h"

#include "platform/random_sequence.h"

namespace {
RandomSequence sequence;
}

int unseeded_random() { return next_random(sequence); }
