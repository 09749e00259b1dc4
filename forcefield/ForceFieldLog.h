#ifndef KV_FORCEFIELD_FORCEFIELDLOG_H
#define KV_FORCEFIELD_FORCEFIELDLOG_H

#include <ostream>

// The log stream of missing force-field parameters. It is a file stream that nothing opens, so
// every line written to it is discarded without an error; io/ makes IOEngine::error refer to it.
std::ostream& forceFieldLog();

#endif
