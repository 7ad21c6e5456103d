#include "pellavo/Pellavo.hpp"

// Declared with default visibility in the header; const objects need extern here
// to keep external linkage.
extern "C" {
const double PellavoVersionNumber = 5.2;
const unsigned char PellavoVersionString[] = "@(#)PROGRAM:Pellavo  PROJECT:Pellavo-5.2.0.0\n";
}
