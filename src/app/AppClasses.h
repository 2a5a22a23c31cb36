// Every component class the program's windows are described with, registered once.
#pragma once

// Safe to call more than once (tests and benchmarks build the windows again and again).
void RegisterAppClasses();
