// The host's stream header: plug-ins written for it use the unqualified names.
#pragma once

#include <fstream>
#include <iostream>

using std::cerr;
using std::cin;
using std::cout;
using std::endl;
using std::flush;
using std::ifstream;
using std::ios;
using std::istream;
using std::ofstream;
using std::ostream;
