// Must not compile: the Greek letter has no code page 1252 byte.
#include "core/cp1252.h"

constexpr auto kBad = eng::Cp1252("αβγ");
int main() { return static_cast<int>(kBad.len); }
