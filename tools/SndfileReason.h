// libsndfile's words for a failure, trimmed to fit into one of orv-host's lines.
#pragma once

#include <sndfile.h>

#include <string>

// The reason of the last failure on file (null: of the last failed open), without libsndfile's
// "System error : " or "Error : " prefix and final stop.
std::string sndfileReason(SNDFILE* file);
