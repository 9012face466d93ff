// The pelmora program.
#include "apps/pelmora/pelmora_head.h"

int main(int argc, char** argv) { return eng::apphead::AppHeadMain(eng::pelmora::Head(), argc, argv); }
