// The to-do program.
#include "app/startup.h"

int main(int argc, char** argv) { return RunTaskmoor(argc, argv); }
