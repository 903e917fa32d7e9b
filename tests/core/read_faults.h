#pragma once
// Read errors on demand, for the engine's read-error path. core_tests is linked with
// -Wl,--wrap=read: every read(2) in the test program goes through __wrap_read, which fails the reads
// of one device when asked to and passes everything else on unchanged.
#include <string>

namespace pavo::linktest {

// The next `count` reads of any descriptor open on `path` fail with `err`.
void FailReadsOf(const std::string& path, int count, int err);
// How many reads have been failed since the last FailReadsOf.
int FailedReads();

}  // namespace pavo::linktest
