#include "tests/support/SourceAddress.h"

bool SendsFromGivenSource()
{
    return true;
}
