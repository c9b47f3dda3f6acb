#include "program/startup.h"

int main(int argc, char** argv) { return exit_status = vorbix_main(argc, argv); }
