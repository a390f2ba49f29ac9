#pragma once
// What must hold after every fuzz input, whatever it contained. A failed check
// aborts, so the fuzzer keeps the input that broke it.
#include <string>

// Prints what went wrong and aborts when condition is false.
void Require(bool condition, const char* what);
// The descriptors this process holds now.
int OpenDescriptorCount();
// A fresh folder for the run's files, removed at exit.
std::string MakeScratchFolder(const char* prefix);
