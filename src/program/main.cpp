#include "program/startup.h"

int main(int argc, char** argv) { return vorbix_main(argc, argv); }
