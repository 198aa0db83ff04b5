#pragma once

// The program's start-up and run.
namespace Application {
int run(int argc, char *argv[]);
}
