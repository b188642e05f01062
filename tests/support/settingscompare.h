// One comparison of two options records for the tests that write the options
// somewhere (a settings file, the registry) and read them back.
#pragma once
#include "model/folderlist.h"

namespace vt::test {

// Every field of the options record, each a check of its own.
void ExpectSameSettings(const AppSettings& got, const AppSettings& want);

}  // namespace vt::test
