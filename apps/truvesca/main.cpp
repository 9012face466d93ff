// The truvesca program.
#include "apps/truvesca/truvesca_head.h"

int main(int argc, char** argv) { return eng::apphead::AppHeadMain(eng::truvesca::Head(), argc, argv); }
