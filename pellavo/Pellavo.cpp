#include "pellavo/Pellavo.hpp"

#include "pellavo/Version.hpp"

// Declared with default visibility in the header; const objects need extern here
// to keep external linkage.
extern "C" {
const double PellavoVersionNumber = PELLAVO_VERSION_NUMBER;
const unsigned char PellavoVersionString[] = "@(#)PROGRAM:Pellavo  PROJECT:Pellavo-" PELLAVO_VERSION_FULL "\n";
}
